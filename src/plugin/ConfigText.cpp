#include "plugin/ConfigText.h"

#include <limits.h>

int FieldNumber(const char* text, size_t size) {
  if (text == nullptr) return 0;
  size_t i = 0;
  while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < size && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // Counted in the negative range, which holds INT_MIN as well.
  long long value = 0;
  for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 - (text[i] - '0');
    if (value < INT_MIN) value = INT_MIN;
  }
  if (negative) return static_cast<int>(value);
  return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

int StartModeNumber(int startPanelMode) {
  return startPanelMode >= '0' && startPanelMode <= '9' ? startPanelMode - '0' : 0;
}
