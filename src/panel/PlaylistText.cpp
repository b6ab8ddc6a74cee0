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
