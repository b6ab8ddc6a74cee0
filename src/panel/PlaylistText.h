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

// The title a playing song shows in the player's caption: the one rule by
// which Enter and the information lines take an entry's title. The caption
// must end in the player's own suffix (" - Winamp", or while paused or
// stopped " - Winamp [Paused]" or " - Winamp [Stopped]"); other captions (an
// empty playlist's "Winamp 2.50", a scrolling title) give none. Before the
// suffix:
// - "<n>. <title>", n being the playlist position as the player writes it
//   (digits, no leading zero): the title when n is song (1-based); a
//   caption of another song gives none, so no title is filed under the
//   wrong entry;
// - anything else (the player set to number nothing): the whole text.
// An empty title is none. True with *start and *length (> 0) giving it.
bool FindSongCaptionTitle(const char* caption, size_t captionLength, int song, size_t* start,
                          size_t* length);
