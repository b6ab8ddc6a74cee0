// Reading the player's playlist file and its window caption: byte logic only.
#pragma once

#include <stddef.h>

// The complete lines of a playlist file's bytes, in order. Only lines ending
// in LF count; bytes after the last LF are ignored.
class PlaylistLines {
 public:
  PlaylistLines(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}
  // The next line's bytes before its LF; false when no complete line is left.
  bool Next(const unsigned char** line, size_t* length);

 private:
  const unsigned char* bytes_;
  size_t size_;
  size_t at_ = 0;
};

// Longest song path an entry holds (cFileName less its NUL) and the longest
// song line before its LF (that path plus a CR).
constexpr size_t kMaxSongPath = 259;
constexpr size_t kMaxSongLine = 260;

enum PlaylistLineKind {
  PlaylistComment,  // starts with "#": skipped whatever its length
  PlaylistSong,     // a song path (possibly empty)
  PlaylistTooLong,  // the file is not a playlist this panel can hold
};

// What a line (its bytes before the LF) is. For a song, *pathLength is the
// number of path bytes: the line without a final CR. Only a CR is cut, so the
// lines of a file with bare LF line ends keep their last character.
PlaylistLineKind ClassifyPlaylistLine(const unsigned char* line, size_t length,
                                      size_t* pathLength);

// Suffixes the player appends to its caption: " - Winamp [Stopped]" while
// stopped, " - Winamp" while playing.
constexpr size_t kStoppedCaptionSuffix = 19;
constexpr size_t kPlayingCaptionSuffix = 9;

enum CaptionTitleKind {
  CaptionNoTitle,  // empty caption or shorter than the suffix
  CaptionUnknown,  // no "." before the suffix
  CaptionTitle,    // *start and *length give the title
};

// The title in a caption "<n>. <title><suffix>": from the second character
// after the first "." up to the suffix. A "." right before the suffix gives
// an empty title.
CaptionTitleKind FindCaptionTitle(const char* caption, size_t captionLength, size_t suffixLength,
                                  size_t* start, size_t* length);
