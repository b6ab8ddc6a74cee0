#include "link/SongLength.h"

#include "plugin/TextBuffer.h"

#include <limits.h>

namespace {

// Longer texts than this are no length FormatLengthText writes (its longest,
// for INT_MAX seconds, has 12 characters).
constexpr size_t kLongestLengthText = 16;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of count digits at text, or -1 when one of them is no digit.
long long DigitsValue(const char* text, size_t count) {
  long long value = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!IsDigit(text[i])) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

size_t FormatLengthText(int seconds, char* buf, size_t size) {
  if (seconds < 0) return CopyText(buf, size, UNKNOWN_LENGTH_TEXT);
  int hours = seconds / 3600;
  int rest = seconds % 3600;
  int minutes = rest / 60;
  int secs = rest % 60;
  if (hours != 0) return FormatText(buf, size, "%d:%02d:%02d", hours, minutes, secs);
  return FormatText(buf, size, "%d:%02d", minutes, secs);
}

int LengthTextToSeconds(const char* text) {
  if (text == nullptr) return -1;
  size_t length = BoundedLength(text, kLongestLengthText + 1);
  if (length < 4 || length > kLongestLengthText) return -1;
  // Every form ends in ":ss"; before it come the minutes ("m", "mm") or the
  // hours, a ":" and two digits of minutes.
  const char* seconds = text + length - 2;
  if (seconds[-1] != ':') return -1;
  long long s = DigitsValue(seconds, 2);
  if (s < 0) return -1;
  size_t head = length - 3;  // characters before ":ss"
  long long total;
  if (head <= 2) {
    long long m = DigitsValue(text, head);
    if (m < 0) return -1;
    total = m * 60 + s;
  } else {
    size_t hours = head - 3;  // "h...:mm" before ":ss"
    if (hours == 0 || text[hours] != ':') return -1;
    long long h = DigitsValue(text, hours);
    long long m = DigitsValue(text + hours + 1, 2);
    if (h < 0 || m < 0) return -1;
    total = h * 3600 + m * 60 + s;
  }
  return total <= INT_MAX ? static_cast<int>(total) : -1;
}
