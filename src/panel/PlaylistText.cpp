#include "panel/PlaylistText.h"

#include <string.h>

bool PlaylistLines::Next(const unsigned char** line, size_t* length) {
  if (bytes_ == nullptr || at_ >= size_) return false;
  const void* lf = memchr(bytes_ + at_, '\n', size_ - at_);
  if (lf == nullptr) {
    at_ = size_;
    return false;
  }
  size_t end = static_cast<size_t>(static_cast<const unsigned char*>(lf) - bytes_);
  *line = bytes_ + at_;
  *length = end - at_;
  at_ = end + 1;
  return true;
}

PlaylistLineKind ClassifyPlaylistLine(const unsigned char* line, size_t length,
                                      size_t* pathLength) {
  *pathLength = 0;
  if (length > 0 && line[0] == '#') return PlaylistComment;
  if (length > kMaxSongLine) return PlaylistTooLong;
  size_t path = length;
  if (path > 0 && line[path - 1] == '\r') --path;
  if (path > kMaxSongPath) return PlaylistTooLong;
  *pathLength = path;
  return PlaylistSong;
}

CaptionTitleKind FindCaptionTitle(const char* caption, size_t captionLength, size_t suffixLength,
                                  size_t* start, size_t* length) {
  *start = 0;
  *length = 0;
  if (caption == nullptr || captionLength == 0 || captionLength < suffixLength)
    return CaptionNoTitle;
  size_t cut = captionLength - suffixLength;
  const void* dot = memchr(caption, '.', cut);
  if (dot == nullptr) return CaptionUnknown;
  size_t from = static_cast<size_t>(static_cast<const char*>(dot) - caption) + 2;
  if (from < cut) {
    *start = from;
    *length = cut - from;
  } else {
    *start = cut;
  }
  return CaptionTitle;
}

namespace {

const char kCaptionName[] = " - Winamp";
const char* const kCaptionStates[] = {"", " [Paused]", " [Stopped]"};

bool EndsWith(const char* text, size_t length, const char* tail, size_t tailLength) {
  return length >= tailLength && memcmp(text + length - tailLength, tail, tailLength) == 0;
}

}  // namespace

bool FindSongCaptionTitle(const char* caption, size_t captionLength, int song, size_t* start,
                          size_t* length) {
  *start = 0;
  *length = 0;
  if (caption == nullptr) return false;
  size_t nameLength = sizeof kCaptionName - 1;
  size_t cut = 0;
  bool suffixed = false;
  for (const char* state : kCaptionStates) {
    size_t stateLength = strlen(state);
    if (EndsWith(caption, captionLength, state, stateLength) &&
        EndsWith(caption, captionLength - stateLength, kCaptionName, nameLength)) {
      cut = captionLength - stateLength - nameLength;
      suffixed = true;
      break;
    }
  }
  if (!suffixed) return false;

  size_t from = 0;
  size_t digits = 0;
  while (digits < cut && caption[digits] >= '0' && caption[digits] <= '9') ++digits;
  if (digits > 0 && caption[0] != '0' && digits + 2 <= cut && caption[digits] == '.' &&
      caption[digits + 1] == ' ') {
    // A position: it must be this song's. More digits than any int has
    // cannot be.
    long long number = 0;
    for (size_t i = 0; i < digits && number <= song; ++i) number = number * 10 + (caption[i] - '0');
    if (song < 1 || number != song) return false;
    from = digits + 2;
  }
  if (from >= cut) return false;
  *start = from;
  *length = cut - from;
  return true;
}
