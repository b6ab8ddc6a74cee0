#include "plugin/TextBuffer.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

size_t CopyTextN(char* dst, size_t dstSize, const char* src, size_t count) {
  if (dstSize == 0) return 0;
  size_t n = 0;
  if (src != nullptr) {
    while (n < count && n + 1 < dstSize && src[n] != '\0') {
      dst[n] = src[n];
      ++n;
    }
  }
  dst[n] = '\0';
  return n;
}

size_t CopyText(char* dst, size_t dstSize, const char* src) {
  return CopyTextN(dst, dstSize, src, static_cast<size_t>(-1));
}

size_t AppendText(char* dst, size_t dstSize, const char* src) {
  size_t used = BoundedLength(dst, dstSize);
  if (used >= dstSize) return used;  // no terminator: leave it as it is
  return used + CopyText(dst + used, dstSize - used, src);
}

size_t FormatTextV(char* dst, size_t dstSize, const char* format, va_list args) {
  if (dstSize == 0) return 0;
  int n = vsnprintf(dst, dstSize, format, args);
  if (n < 0) {
    dst[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(n) < dstSize ? static_cast<size_t>(n) : dstSize - 1;
}

size_t FormatText(char* dst, size_t dstSize, const char* format, ...) {
  va_list args;
  va_start(args, format);
  size_t n = FormatTextV(dst, dstSize, format, args);
  va_end(args);
  return n;
}

size_t BoundedLength(const char* text, size_t size) {
  const void* end = memchr(text, '\0', size);
  return end ? static_cast<size_t>(static_cast<const char*>(end) - text) : size;
}

char* DupText(const char* text) {
  size_t n = strlen(text) + 1;
  char* copy = static_cast<char*>(malloc(n));
  if (copy != nullptr) memcpy(copy, text, n);
  return copy;
}
