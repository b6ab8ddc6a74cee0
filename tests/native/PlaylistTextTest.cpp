#include "panel/PlaylistText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every complete line of text, as the walker hands it out.
std::vector<std::string> Lines(const std::string& text) {
  PlaylistLines lines(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  std::vector<std::string> out;
  const unsigned char* line = nullptr;
  size_t length = 0;
  while (lines.Next(&line, &length)) out.emplace_back(reinterpret_cast<const char*>(line), length);
  return out;
}

}  // namespace

TEST(PlaylistText, OnlyCompleteLinesCount) {
  using V = std::vector<std::string>;
  struct Case {
    const char* text;
    V lines;
  } cases[] = {
      {"", V{}},
      {"no line end", V{}},
      {"a\r\nb\r\nlast", V{"a\r", "b\r"}},
      {"\n", V{""}},
      {"\n\n", V{"", ""}},
      {"x\ny\n", V{"x", "y"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.lines, Lines(c.text)) << c.text;
  PlaylistLines none(nullptr, 10);
  const unsigned char* line;
  size_t length;
  EXPECT_FALSE(none.Next(&line, &length));
}

TEST(PlaylistText, LineKindsAndPathLengths) {
  struct Case {
    std::string line;
    PlaylistLineKind kind;
    size_t path;
  } cases[] = {
      {"#EXTM3U\r", PlaylistComment, 0},
      {"#EXTINF:215,Artist - Title\r", PlaylistComment, 0},
      {"#" + std::string(1000, 'x'), PlaylistComment, 0},
      {"C:\\a.mp3\r", PlaylistSong, 8},
      {"C:\\a.mp3", PlaylistSong, 8},  // LF-only file: nothing of the path is lost
      {"", PlaylistSong, 0},
      {"\r", PlaylistSong, 0},
      {std::string(259, 'p') + "\r", PlaylistSong, 259},
      {std::string(260, 'p') + "\r", PlaylistTooLong, 0},
      {std::string(259, 'p'), PlaylistSong, 259},
      {std::string(260, 'p'), PlaylistTooLong, 0},  // would not fit an entry
      {std::string(5000, 'p'), PlaylistTooLong, 0},
  };
  for (const Case& c : cases) {
    size_t path = 99;
    EXPECT_EQ(c.kind, ClassifyPlaylistLine(reinterpret_cast<const unsigned char*>(c.line.data()),
                                           c.line.size(), &path))
        << c.line.size();
    EXPECT_EQ(c.path, path) << c.line.size();
  }
}

TEST(PlaylistText, TitleFromPlayerCaption) {
  struct Case {
    const char* caption;
    size_t suffix;
    CaptionTitleKind kind;
    const char* title;
  } cases[] = {
      {"3. Artist - Song - Winamp [Stopped]", kStoppedCaptionSuffix, CaptionTitle, "Artist - Song"},
      {"12. Mr. Blue - Winamp [Stopped]", kStoppedCaptionSuffix, CaptionTitle, "Mr. Blue"},
      {"3. Artist - Song - Winamp", kPlayingCaptionSuffix, CaptionTitle, "Artist - Song"},
      {"Winamp 2.50 - Winamp [Stopped]", kStoppedCaptionSuffix, CaptionTitle, "0"},
      {"No dot here - Winamp [Stopped]", kStoppedCaptionSuffix, CaptionUnknown, ""},
      {" - Winamp [Stopped]", kStoppedCaptionSuffix, CaptionUnknown, ""},
      {"- Winamp [Stopped]", kStoppedCaptionSuffix, CaptionNoTitle, ""},
      {"", kPlayingCaptionSuffix, CaptionNoTitle, ""},
      {"1. - Winamp [Stopped]", kStoppedCaptionSuffix, CaptionTitle, ""},
      {"1.. - Winamp [Stopped]", kStoppedCaptionSuffix, CaptionTitle, ""},  // dot just before the cut
      {"7.   - Winamp [Stopped]", kStoppedCaptionSuffix, CaptionTitle, " "},
      {"5. A.mp3 - Winamp [Stopped]", kStoppedCaptionSuffix, CaptionTitle, "A.mp3"},
  };
  for (const Case& c : cases) {
    size_t start = 99, length = 99;
    std::string caption = c.caption;
    EXPECT_EQ(c.kind, FindCaptionTitle(caption.data(), caption.size(), c.suffix, &start, &length))
        << c.caption;
    EXPECT_LE(start + length, caption.size());
    EXPECT_EQ(c.title, caption.substr(start, length)) << c.caption;
  }
}

TEST(PlaylistText, TitleOfTheSongInThePlayersCaption) {
  struct Case {
    const char* caption;
    int song;
    const char* title;  // null: none
  } cases[] = {
      {"12. Artist - Song - Winamp", 12, "Artist - Song"},
      {"12. Mr. Blue - Winamp [Paused]", 12, "Mr. Blue"},
      {"3. 01. Intro - Winamp [Stopped]", 3, "01. Intro"},
      {"4. Artist - Song - Winamp", 3, nullptr},       // another song's caption
      {"99999999999999999999. X - Winamp", 3, nullptr},
      // The player numbering nothing: the whole text, dots and digits too.
      {"Artist - Song - Winamp", 3, "Artist - Song"},
      {"Mr. Blue - Winamp", 3, "Mr. Blue"},
      {"01. Intro - Winamp", 1, "01. Intro"},
      {"2 Unlimited - Winamp", 2, "2 Unlimited"},
      {"3.Song - Winamp", 3, "3.Song"},
      // No title, or not the player's caption.
      {"3.  - Winamp", 3, nullptr},
      {"3.   - Winamp", 3, " "},
      {" - Winamp", 3, nullptr},
      {"Winamp 2.50", 3, nullptr},
      {"3. Song - Winamp [Scrolling]", 3, nullptr},
      {"3. Song - Winamp ***", 3, nullptr},
      {"", 3, nullptr},
  };
  for (const Case& c : cases) {
    size_t start = 99, length = 99;
    std::string caption = c.caption;
    bool found = FindSongCaptionTitle(caption.data(), caption.size(), c.song, &start, &length);
    EXPECT_EQ(c.title != nullptr, found) << c.caption;
    EXPECT_EQ(c.title ? std::string(c.title) : std::string(), caption.substr(found ? start : 0, length))
        << c.caption;
  }
}
