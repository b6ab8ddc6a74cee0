#include "link/SongLength.h"

#include "plugin/TextBuffer.h"

size_t FormatLengthText(int seconds, char* buf, size_t size) {
  if (seconds < 0) return CopyText(buf, size, UNKNOWN_LENGTH_TEXT);
  int hours = seconds / 3600;
  int rest = seconds % 3600;
  int minutes = rest / 60;
  int secs = rest % 60;
  if (hours != 0) return FormatText(buf, size, "%d:%02d:%02d", hours, minutes, secs);
  return FormatText(buf, size, "%d:%02d", minutes, secs);
}
