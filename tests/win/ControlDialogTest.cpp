// The control dialog against the player stand-in (its own process) in the
// host emulator (1.x host: dialogs write their decorations back): whole
// dialogs compared as text, every button checked in the stand-in's journal.
#include "panel/MELVOXPanel.h"

#include "FarHostGtest.h"
#include "PlayerKit.h"
#include "PluginFolder.h"
#include "SongFiles.h"
#include "TempDir.h"
#include "link/PlayerMessages.h"
#include "panel/TitlesCache.h"
#include "plugin/HostInfo.h"
#include "plugin/Options.h"
#include "plugin/Settings.h"
#include "tags/Id3Tag.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using farhost::DialogAnswer;

class ControlDialogTest : public testing::Test {
 protected:
  ControlDialogTest()
      : pluginDir_(dir_.MakeDir("plugin")), player_(dir_.MakeDir("player")),
        registration_(player_.ExePath()) {}

  void SetUp() override {
    ASSERT_TRUE(registration_.Ok());
    ASSERT_TRUE(plugintest::CopyBuiltPluginFiles(pluginDir_, true));
    farhost::Options options = farhost::GtestOptions();
    options.moduleName = pluginDir_ + "\\melvox.dll";
    host_ = std::make_unique<farhost::Host>(options);
    TakeStartupInfo(host_->StartupInfo());
    memcpy(savedKeyPath_, SettingsKeyPath, sizeof savedKeyPath_);
    MakeSettingsKeyPath(HostInfo.RootKey);
    savedOpt_ = Opt;
    Opt = kDefaultOptions;
    Opt.NoWinAMPStartup = 1;  // the test starts its player itself
    LoadGenreTable();
    player_.EnableJournal();
  }
  void TearDown() override {
    FreeGenreTable();
    Opt = savedOpt_;
    memcpy(SettingsKeyPath, savedKeyPath_, sizeof savedKeyPath_);
    EXPECT_HOST_BALANCED(*host_);
    TakeStartupInfo(nullptr);
    host_.reset();
    player_.Stop();
  }

  // A song of 65 seconds (1:05), tagged when an artist is given.
  std::string Song(const std::string& name, const char* artist = nullptr, const char* title = "") {
    testkit::Bytes bytes = testkit::MpegAudio(testkit::MpegFormat(), 65);
    if (artist != nullptr) {
      testkit::Id3v1Fields fields;
      fields.artist = artist;
      fields.title = title;
      testkit::Bytes tag = testkit::Id3v1Record(fields);
      bytes.insert(bytes.end(), tag.begin(), tag.end());
    }
    std::string path = dir_.File(name);
    testkit::WriteBytes(path, bytes);
    return path;
  }
  void StartWith(const std::vector<std::string>& songs) {
    ASSERT_TRUE(player_.Start());
    for (const std::string& s : songs) player_.PlayFile(s);
  }
  // The journal's commands (and IPC_STARTPLAY) from line `from` on.
  std::vector<std::string> Commands(size_t from) {
    std::vector<std::string> journal = player_.ReadJournal();
    std::vector<std::string> commands;
    for (size_t i = from; i < journal.size(); ++i) {
      const std::string& line = journal[i];
      if (line.rfind("WM_COMMAND ", 0) == 0) commands.push_back(line.substr(11));
      if (line.rfind("IPC_STARTPLAY", 0) == 0) commands.push_back("IPC_STARTPLAY");
    }
    return commands;
  }
  std::string Dialog(size_t i) { return farhost::RenderDialog(host_->Dialogs().at(i)); }

  testkit::TempDir dir_;
  std::string pluginDir_;
  playerkit::PlayerProcess player_;
  playerkit::PlayerRegistration registration_;
  std::unique_ptr<farhost::Host> host_;
  char savedKeyPath_[sizeof SettingsKeyPath];
  Options savedOpt_;
};

// The whole control dialog with its title, its song line (the 55 columns
// inside the frame) and the focus line.
std::string ControlDialog(const std::string& title, const std::string& songLine,
                          const std::string& focus) {
  std::string top = " " + title + " ";
  size_t left = (55 - top.size()) / 2;
  return "Dialog help \"MELVOXcontrol\"\n"
         "\n"
         "   +" + std::string(left, '=') + top + std::string(55 - left - top.size(), '=') + "+\n"
         "   |" + songLine + "|\n"
         "   +-------------------------------------------------------+\n"
         "   |   [ |< ] [ Go ] [ > ] [ || ] [ [] ] [ >| ] [ TAG ]    |\n"
         "   |                                                       |\n"
         "   | [ +5s ] [ -5s ]                [ Add ][ Ctrl+Play ]   |\n"
         "   +=======================================================+\n"
         "focus: item " + focus + "\n";
}

}  // namespace

// Playing, paused and stopped, with a caption too long for the line; each
// showing fresh and with clean labels; every button reaching the player. The
// player's file and location boxes (open here for 10 s each) keep nobody
// waiting.
TEST_F(ControlDialogTest, StatusSongLineAndEveryButton) {
  std::string longArtist(30, 'A'), longTitle(30, 'T');
  player_.SetOption("ownbox", "10000");
  StartWith({Song("one.mp3", "Band", "Short"), Song("two.mp3", longArtist.c_str(), longTitle.c_str()),
             Song("three.mp3")});
  player_.Ipc(IPC_SETPLAYLISTPOS, 1);
  player_.Command(WINAMP_BUTTON2);
  size_t journalStart = player_.ReadJournal().size();
  MELVOXPanel panel(OPEN_FINDLIST, 0);  // builds no panel at construction
  for (int button : {7, 8, 11, 12, 4, 5, 6, 9, 13, 14}) host_->AnswerDialog(DialogAnswer().Press(button));
  host_->AnswerDialog(DialogAnswer());
  DWORD started = GetTickCount();
  panel.MELVOXcontrol();
  EXPECT_LT(GetTickCount() - started, 8000u);

  ASSERT_EQ(11u, host_->Dialogs().size());
  std::string longLine = "2. " + longArtist + " - " + longTitle;
  // First use: the default LastButton, 2, names the length text, so no
  // button has the focus.
  EXPECT_EQ(ControlDialog("Winamp is playing", " " + longLine.substr(0, 42) + " ...  1:05  ", "2 \"1:05\""),
            Dialog(0));
  EXPECT_EQ(ControlDialog("Winamp is paused", " " + longLine.substr(0, 42) + " ...  1:05  ", "7 \"||\""),
            Dialog(1));
  EXPECT_EQ(ControlDialog("Winamp is stopped", longLine.substr(0, 48) + " ...   ", "8 \"[]\""), Dialog(2));
  EXPECT_EQ(ControlDialog("Winamp is stopped", std::string(19, ' ') + "1. Band - Short " + std::string(20, ' '),
                          "4 \"|<\""),
            Dialog(5));
  EXPECT_EQ(ControlDialog("Winamp is playing", std::string(17, ' ') + "1. Band - Short  1:05" + std::string(17, ' '),
                          "5 \"Go\""),
            Dialog(6));

  for (int waited = 0; waited < 5000 && Commands(journalStart).size() < 14; waited += 50) Sleep(50);
  // Stopped showings first step onto the current song (40048 after setting
  // the position before it, 40154 at the first song) so the caption names it.
  EXPECT_EQ((std::vector<std::string>{"40046", "40047", "40048", "40060", "40048", "40061", "40048",
                                      "40044", "40154", "IPC_STARTPLAY", "40045", "40048", "40029",
                                      "40155"}),
            Commands(journalStart));
  EXPECT_EQ(14, Opt.LastButton);
  EXPECT_EQ(14, GetSettingDword(HKEY_CURRENT_USER, "", "LastButton", -1));
  EXPECT_EQ(10u, host_->Messages().size());  // the wait message for each command
  EXPECT_EQ("Sending the command to Winamp...", host_->Messages()[0].lines.at(0));
}

// "&TAG" opens the tag editor on the current song, found in the player's
// playlist file past its "#EXTM3U" and "#EXTINF" lines; a player that has
// gone ends the dialog.
TEST_F(ControlDialogTest, TagButtonEditsTheCurrentSong) {
  std::vector<std::string> songs = {Song("one.mp3", "Band", "First"), Song("two.mp3", "Band", "Second"),
                                    Song("three.mp3")};
  StartWith(songs);
  player_.Ipc(IPC_SETPLAYLISTPOS, 2);
  MELVOXPanel panel(OPEN_FINDLIST, 0);
  host_->AnswerDialog(DialogAnswer().Press(10));
  host_->AnswerDialog(DialogAnswer().Type(1, "Third").Press(14));
  host_->AnswerDialog(DialogAnswer());
  panel.MELVOXcontrol();
  ASSERT_EQ(3u, host_->Dialogs().size());
  EXPECT_EQ("MELVOXID3TagEditor", host_->Dialogs()[1].helpTopic);
  EXPECT_EQ("three.mp3", host_->Dialogs()[1].shown.at(18).data);
  EXPECT_EQ(0, testkit::ReadText(player_.PlaylistPath()).rfind("#EXTM3U\r\n#EXTINF:", 0));
  unsigned char* record = ReadTagRecord(songs[2].c_str());
  ASSERT_NE(nullptr, record);
  EXPECT_EQ(0, memcmp(record + 3, "Third ", 6));
  free(record);
  EXPECT_EQ(10, Opt.LastButton);
  EXPECT_NE(std::string::npos, Dialog(2).find("focus: item 10 \"TAG\""));

  player_.Stop();
  panel.MELVOXcontrol();
  EXPECT_EQ(3u, host_->Dialogs().size());
}
