#include "link/PlayerVersion.h"

#include "plugin/TextBuffer.h"

void FormatPlayerVersion(unsigned long version, char* buf, size_t size) {
  if (version == 0) {
    CopyText(buf, size, "???");
    return;
  }
  char major[16];
  char minor[16];
  FormatText(major, sizeof major, "%x", static_cast<unsigned>(version));
  FormatText(minor, sizeof minor, "%x", static_cast<unsigned>(version & 0xFFF));
  minor[2] = '\0';  // at most two digits; "%x" of a non-zero value has at least one
  FormatText(buf, size, "%c.%s (0x%x)", major[0], minor, static_cast<unsigned>(version));
}
