// Numbers typed into the configuration dialogs and read from the registry:
// a field's number never reads past its size and agrees with a plain
// reading of its digits; any stored StartPanelMode names a view mode 0..9.
//
// Input: the field's bytes (no NUL needed); its first four also as a
// stored StartPanelMode.
#include "FuzzCheck.h"
#include "plugin/ConfigText.h"

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

// Blanks, a sign, digits up to the first other byte, clamped to int.
long long Reference(const unsigned char* text, size_t size) {
  size_t i = 0;
  while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = i < size && text[i] == '-';
  if (i < size && (text[i] == '-' || text[i] == '+')) ++i;
  long long value = 0;
  for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1LL << 40) value = 1LL << 40;
  }
  value = negative ? -value : value;
  if (value < INT_MIN) return INT_MIN;
  if (value > INT_MAX) return INT_MAX;
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy: a read past the field's end is caught.
  std::vector<char> field(data, data + size);
  const char* text = size > 0 ? field.data() : nullptr;
  int number = FieldNumber(text, size);
  if (text == nullptr) {
    FUZZ_CHECK(number == 0);
    return 0;
  }
  FUZZ_CHECK(number == Reference(data, size));

  // A NUL ends the text as it ends a dialog item's Data.
  size_t length = strnlen(field.data(), size);
  FUZZ_CHECK(FieldNumber(field.data(), length) == (length == 0 ? 0 : Reference(data, length)));

  if (size >= 4) {
    int32_t stored;
    memcpy(&stored, data, sizeof stored);
    int mode = StartModeNumber(stored);
    FUZZ_CHECK(mode >= 0 && mode <= 9);
    FUZZ_CHECK(mode == (stored >= '0' && stored <= '9' ? stored - '0' : 0));
  }
  return 0;
}
