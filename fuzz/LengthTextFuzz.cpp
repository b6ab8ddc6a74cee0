// Song length texts: any text the titles cache holds reads as a length or as
// -1 (unknown), never past its end, and every text the panel writes reads
// back as the seconds it was made from.
#include "FuzzCheck.h"
#include "link/SongLength.h"

#include <stdint.h>
#include <string.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The text as the cache hands it over: its bytes up to the first NUL.
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();
  int seconds = LengthTextToSeconds(text.c_str());
  FUZZ_CHECK(seconds >= -1);

  // Four input bytes as a length in seconds: its text reads back unchanged.
  if (size >= 4) {
    int32_t value;
    memcpy(&value, data, sizeof value);
    char written[16];
    FormatLengthText(value, written, sizeof written);
    FUZZ_CHECK(LengthTextToSeconds(written) == (value < 0 ? -1 : value));
  }
  return 0;
}
