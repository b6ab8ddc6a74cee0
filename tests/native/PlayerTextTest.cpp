#include "link/PlayerLocation.h"
#include "link/PlayerVersion.h"
#include "link/SongLength.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

#include <string>

TEST(SongLength, MinutesBelowAnHourHoursFromThenOn) {
  struct Case {
    int seconds;
    const char* text;
  } cases[] = {
      {0, "0:00"},        {9, "0:09"},        {59, "0:59"},           {61, "1:01"},
      {600, "10:00"},     {3599, "59:59"},    {3600, "1:00:00"},      {3601, "1:00:01"},
      {4210, "1:10:10"},  {36000, "10:00:00"}, {INT_MAX, "596523:14:07"},
      {-1, UNKNOWN_LENGTH_TEXT}, {-61, UNKNOWN_LENGTH_TEXT}, {INT_MIN, UNKNOWN_LENGTH_TEXT},
  };
  for (const Case& c : cases) {
    char buf[15];
    EXPECT_EQ(strlen(c.text), FormatLengthText(c.seconds, buf, sizeof buf)) << c.seconds;
    EXPECT_STREQ(c.text, buf) << c.seconds;
    // Every text written reads back as its length; an unknown one as -1, which
    // exported playlists write as "#EXTINF:-1,".
    EXPECT_EQ(c.seconds < 0 ? -1 : c.seconds, LengthTextToSeconds(buf)) << buf;
  }
}

TEST(SongLength, TextsThatAreNoLengthReadAsUnknown) {
  struct Case {
    const char* text;
    int seconds;
  } cases[] = {
      {"3:45", 225},         {"1:02:03", 3723},  {"59:59", 3599},
      {"9:99", 639},         {"10:00:00", 36000}, {"596523:14:07", INT_MAX},
      {"596523:14:08", -1},  {"9999999999:00:00", -1},
      {UNKNOWN_LENGTH_TEXT, -1}, {"0:0-1", -1},   {"", -1},  {"1:0", -1},  {"100:00", -1},
      {"1:00:0", -1},        {":1:00", -1},      {"a:bc", -1}, {"1:2x", -1}, {" 1:00", -1},
      {"+1:00", -1},         {"1:-1:00", -1},    {"1.00", -1}, {"1::00", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.seconds, LengthTextToSeconds(c.text)) << c.text;
  EXPECT_EQ(-1, LengthTextToSeconds(nullptr));
  // A text without its NUL is read no further than 17 bytes (heap, so the
  // sanitizer would see more).
  char* unended = new char[17];
  memset(unended, '1', 17);
  EXPECT_EQ(-1, LengthTextToSeconds(unended));
  delete[] unended;
}

TEST(PlayerVersion, MajorDotTwoMinorDigitsAndTheHexNumber) {
  struct Case {
    unsigned long version;
    const char* text;
  } cases[] = {
      {0x1551, "1.55 (0x1551)"}, {0x2050, "2.50 (0x2050)"}, {0x2006, "2.6 (0x2006)"},
      {0x5091, "5.91 (0x5091)"}, {0x2000, "2.0 (0x2000)"},  {0, "???"},
      {0xFFFFFFFFu, "f.ff (0xffffffff)"},
  };
  for (const Case& c : cases) {
    char buf[32];
    FormatPlayerVersion(c.version, buf, sizeof buf);
    EXPECT_STREQ(c.text, buf);
  }
  char small[5];
  FormatPlayerVersion(0x1551, small, sizeof small);
  EXPECT_STREQ("1.55", small);
}

TEST(PlayerLocation, PathIsTheTextBeforeTheLastComma) {
  struct Case {
    std::string data;  // the bytes read, NULs included
    bool ok;
    const char* path;
  } cases[] = {
      {std::string("C:\\Program Files\\Winamp\\Winamp.exe,1\0", 38), true,
       "C:\\Program Files\\Winamp\\Winamp.exe"},
      {"C:\\Win,amp\\winamp.exe,0", true, "C:\\Win,amp\\winamp.exe"},
      {"\"C:\\Winamp\\winamp.exe\",1", true, "\"C:\\Winamp\\winamp.exe\""},
      {"winamp.exe,", true, "winamp.exe"},
      {"C:\\Winamp\\winamp.exe", false, ""},
      {",1", false, ""},
      {"", false, ""},
      // Past the first NUL is no longer the text.
      {std::string("C:\\a.exe\0C:\\b.exe,1", 19), false, ""},
      {std::string("C:\\a.exe,1\0junk,2", 17), true, "C:\\a.exe"},
  };
  for (const Case& c : cases) {
    char path[260];
    strcpy(path, "stale");
    EXPECT_EQ(c.ok, ParsePlayerLocation(c.data.data(), c.data.size(), path, sizeof path))
        << c.data;
    EXPECT_STREQ(c.path, path) << c.data;
  }
}

TEST(PlayerLocation, UnterminatedRegistryDataIsNeverReadPast) {
  // 260 bytes without a NUL, as a value stored without one would be read;
  // heap-allocated so the sanitizer sees any read beyond it.
  std::string text = "C:\\" + std::string(250, 'p') + ".exe,12";
  ASSERT_EQ(260u, text.size());
  char* data = new char[260];
  memcpy(data, text.data(), 260);
  char path[260];
  EXPECT_TRUE(ParsePlayerLocation(data, 260, path, sizeof path));
  EXPECT_EQ(257u, strlen(path));
  // A path that would not fit the caller's buffer is refused, not cut.
  char shortPath[100];
  EXPECT_FALSE(ParsePlayerLocation(data, 260, shortPath, sizeof shortPath));
  EXPECT_STREQ("", shortPath);
  delete[] data;
}

TEST(PlayerLocation, PlaylistLivesInThePlayersFolder) {
  struct Case {
    std::string player;
    size_t size;
    bool ok;
    std::string playlist;
  } cases[] = {
      {"C:\\Program Files\\Winamp\\Winamp.exe", 260, true, "C:\\Program Files\\Winamp\\WINAMP.M3U"},
      {"winamp.exe", 260, true, "\\WINAMP.M3U"},
      {"C:\\winamp.exe", 260, true, "C:\\WINAMP.M3U"},
      // A long folder whose playlist name would no longer fit is refused.
      {"C:\\" + std::string(245, 'f') + "\\w.exe", 260, true,
       "C:\\" + std::string(245, 'f') + "\\WINAMP.M3U"},
      {"C:\\" + std::string(246, 'f') + "\\w.exe", 260, false, ""},
  };
  for (const Case& c : cases) {
    char playlist[260];
    strcpy(playlist, "stale");
    EXPECT_EQ(c.ok, MakePlaylistPath(c.player.c_str(), playlist, c.size)) << c.player;
    EXPECT_EQ(c.playlist, playlist) << c.player;
  }
}
