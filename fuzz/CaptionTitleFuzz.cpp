// The song title inside the player's window caption.
#include "FuzzCheck.h"
#include "panel/PlaylistText.h"

#include <stdint.h>
#include <string.h>

namespace {

void CheckCaption(const char* caption, size_t size, size_t suffix) {
  size_t start = 99;
  size_t length = 99;
  CaptionTitleKind kind = FindCaptionTitle(caption, size, suffix, &start, &length);
  if (kind != CaptionTitle) {
    FUZZ_CHECK(start == 0 && length == 0);
    FUZZ_CHECK(kind == CaptionNoTitle ? size == 0 || size < suffix
                                      : memchr(caption, '.', size - suffix) == nullptr);
    return;
  }
  size_t cut = size - suffix;
  FUZZ_CHECK(size >= suffix && start <= cut && length <= cut - start);
  const char* dot = static_cast<const char*>(memchr(caption, '.', cut));
  FUZZ_CHECK(dot != nullptr);
  size_t from = static_cast<size_t>(dot - caption) + 2;
  // The title runs from two past the first "." to the suffix, or is empty.
  FUZZ_CHECK(length == 0 ? from >= cut && start == cut : start == from && start + length == cut);
}

// The rule for a playing song's title: within the caption, before the
// player's suffix, never empty.
void CheckSongTitle(const char* caption, size_t size, int song) {
  size_t start = 99;
  size_t length = 99;
  if (!FindSongCaptionTitle(caption, size, song, &start, &length)) {
    FUZZ_CHECK(start == 0 && length == 0);
    return;
  }
  FUZZ_CHECK(length > 0 && start <= size && length + 9 <= size - start);
  FUZZ_CHECK(memcmp(caption + start + length, " - Winamp", 9) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* caption = reinterpret_cast<const char*>(data);
  CheckCaption(caption, size, kStoppedCaptionSuffix);
  CheckCaption(caption, size, kPlayingCaptionSuffix);
  CheckCaption(caption, size, 0);
  CheckSongTitle(caption, size, size > 0 ? data[0] : 1);
  return 0;
}
