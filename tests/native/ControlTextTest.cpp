#include "control/ControlText.h"

#include "plugin/LangMessages.h"

#include <gtest/gtest.h>

#include <string>

TEST(ControlText, StatusTitleForEveryPlayerAnswer) {
  struct Case {
    long answer;
    int message;
  } cases[] = {{0, MCtlStopped}, {1, MCtlPlaying}, {3, MCtlPaused}, {2, MCtlUnknown}, {-1, MCtlUnknown}};
  for (const Case& c : cases) EXPECT_EQ(c.message, ControlStatusMessage(c.answer)) << c.answer;
}

TEST(ControlText, SongLineCuts) {
  std::string title60(60 - 9, 't');  // a caption of 60 characters while playing
  std::string playing54 = std::string(45, 'p') + " - Winamp";
  std::string stopped68 = std::string(46, 's') + " - Winamp [Stopped]" + "xyz";
  struct Case {
    const char* name;
    std::string caption;
    long state;  // IPC_ISPLAYING: 0 stopped, 1 playing, 3 paused
    std::string expected;
  } cases[] = {
      {"paused loses the player's name as playing does", "1. Song - Winamp [Paused]", 3, "1. Song "},
      {"long while paused", "x" + playing54.substr(0, 45) + " - Winamp [Paused]", 3, "x" + std::string(41, 'p') + " ... "},
      {"60 characters while playing", title60 + " - Winamp", 1, std::string(42, 't') + " ... "},
      {"45 before the suffix is not long", playing54, 1, playing54.substr(0, 46)},
      {"46 before the suffix is", "x" + playing54, 1, "x" + std::string(41, 'p') + " ... "},
      {"long while stopped", stopped68, 0, std::string(46, 's') + " -" + " ... "},
      {"not longer than the cut", "Winamp", 1, ""},
      {"empty", "", 1, ""},
  };
  for (const Case& c : cases) {
    char out[64];
    size_t n = CutControlSongLine(c.caption.data(), c.caption.size(), c.state, out, sizeof out);
    EXPECT_EQ(c.expected, out) << c.name;
    EXPECT_EQ(c.expected.size(), n) << c.name;
    EXPECT_LE(n, 53u) << c.name;
  }
  char small[6];
  EXPECT_EQ(5u, CutControlSongLine("1. Song - Winamp", 16, 1, small, sizeof small));
  EXPECT_STREQ("1. So", small);
}
