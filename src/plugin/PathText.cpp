#include "plugin/PathText.h"

#include "plugin/TextBuffer.h"

#include <string.h>

const char* NameAfterPath(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  }
  return name;
}

char* NameAfterPath(char* path) {
  return const_cast<char*>(NameAfterPath(static_cast<const char*>(path)));
}

void AppendBackslash(char* path, size_t size) {
  size_t n = BoundedLength(path, size);
  if (n > 0 && path[n - 1] == '\\') return;
  AppendText(path, size, "\\");
}
