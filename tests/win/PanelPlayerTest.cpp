// The panel against the player stand-in (fakeamp.exe, its own process) and
// the host emulator: what the user sees in the panel and where the player
// ends up, read from the stand-in's state dump and message journal.
#include "panel/MELVOXPanel.h"

#include "commands/CommandSteps.h"
#include "FarHostGtest.h"
#include "PlayerKit.h"
#include "PluginFolder.h"
#include "SongFiles.h"
#include "link/PlayerMessages.h"
#include "TempDir.h"
#include "control/InfoLines.h"
#include "panel/TitlesCache.h"
#include "plugin/DebugLog.h"
#include "plugin/EntryPoints.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/TextBuffer.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A language file with a text for every message number the panel may ask.
void WriteLanguageFile(const std::string& folder) {
  std::string text = ".Language=English,English\r\n";
  for (int i = 0; i < 400; ++i) {
    std::string message = "Message " + std::to_string(i);
    if (i == MWaitReadingPlaylist) message = "Reading the playlist";
    if (i == MWaitCheckingFiles) message = "Checking the files";
    if (i == MWaitWritingPlaylist) message = "Writing the playlist";
    if (i == MGenreFirst + 17) message = "Rock";
    if (i == MNoGenre) message = "None";
    text += "\"" + message + "\"\r\n";
  }
  testkit::WriteText(folder + "\\melvoxEng.lng", text);
}

// The entry points the host emulator calls for a panel, reduced to what the
// panel's own module offers: open, list, describe, close.
MELVOXPanel* OpenedPanel = nullptr;
HANDLE WINAPI TestOpenPlugin(int openFrom, INT_PTR item) {
  OpenedPanel = new MELVOXPanel(openFrom, item);
  return OpenedPanel;
}
void WINAPI TestClosePlugin(HANDLE panel) {
  delete static_cast<MELVOXPanel*>(panel);
  OpenedPanel = nullptr;
}
int WINAPI TestGetFindData(HANDLE panel, PluginPanelItem** items, int* count, int opMode) {
  return static_cast<MELVOXPanel*>(panel)->GetFindData(items, count, opMode);
}
void WINAPI TestGetOpenPluginInfo(HANDLE, OpenPluginInfo* info) {
  memset(info, 0, sizeof *info);
  info->StructSize = sizeof *info;
  info->Flags = OPIF_ADDDOTS | OPIF_SHOWNAMESONLY | OPIF_REALNAMES;
  info->StartSortMode = SM_UNSORTED;
  info->PanelTitle = " MELVOX ";
}

int WINAPI TestProcessKey(HANDLE panel, int key, unsigned int state) {
  return static_cast<MELVOXPanel*>(panel)->ProcessKey(key, state);
}
farhost::Exports PanelExports() {
  farhost::Exports exports;
  exports.OpenPlugin = TestOpenPlugin;
  exports.ClosePlugin = TestClosePlugin;
  exports.GetFindData = TestGetFindData;
  exports.GetOpenPluginInfo = TestGetOpenPluginInfo;
  exports.ProcessKey = TestProcessKey;
  return exports;
}

int CountPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
  int n = 0;
  for (const std::string& l : lines) n += l.compare(0, prefix.size(), prefix) == 0;
  return n;
}

class PanelPlayerTest : public testing::Test {
 protected:
  PanelPlayerTest()
      : pluginDir_(dir_.MakeDir("plugin")),
        player_(dir_.MakeDir("player")),
        registration_(player_.ExePath()) {}

  void SetUp() override {
    ASSERT_TRUE(registration_.Ok());
    WriteLanguageFile(pluginDir_);
    ASSERT_TRUE(plugintest::CopyBuiltPluginFiles(pluginDir_, false));
    farhost::Options options = farhost::GtestOptions();
    options.moduleName = pluginDir_ + "\\melvox.dll";
    host_ = std::make_unique<farhost::Host>(options);
    TakeStartupInfo(host_->StartupInfo());
    savedOpt_ = Opt;
    Opt = kDefaultOptions;
    Opt.NoWinAMPStartup = 1;  // a test's player is started by the test
    cache_ = std::make_unique<TitlesCache>();
    TitlesCacheObject = cache_.get();
    logPath_ = pluginDir_ + "\\melvox.log";
    DebugLog.Attach(fopen(logPath_.c_str(), "w"));
    player_.EnableJournal();
    player_.EnableState();
  }
  void TearDown() override {
    DebugLog.Close();
    TitlesCacheObject = nullptr;
    cache_.reset();
    Opt = savedOpt_;
    EXPECT_EQ(0, host_->OpenScreens());
    TakeStartupInfo(nullptr);
    host_.reset();
    player_.Stop();
  }

  // A song of the given seconds at 128 kbps; tagged when title is given.
  std::string Song(const std::string& name, int seconds, const char* title = nullptr) {
    testkit::Bytes bytes = testkit::MpegAudio(testkit::MpegFormat(), seconds);
    if (title != nullptr) {
      testkit::Id3v1Fields fields;
      fields.title = title;
      fields.artist = "Band";
      fields.genre = 17;
      testkit::Bytes tag = testkit::Id3v1Record(fields);
      bytes.insert(bytes.end(), tag.begin(), tag.end());
    }
    std::string path = dir_.File(name);
    testkit::WriteBytes(path, bytes);
    return path;
  }
  std::vector<std::string> Songs(int n) {
    std::vector<std::string> songs;
    for (int i = 1; i <= n; ++i) songs.push_back(Song("track" + std::to_string(i) + ".mp3", 60 + i));
    return songs;
  }
  void StartWith(const std::vector<std::string>& songs) {
    ASSERT_TRUE(player_.Start());
    for (const std::string& s : songs) player_.PlayFile(s);
  }
  std::vector<std::string> Names(const MELVOXPanel& panel) {
    std::vector<std::string> names;
    for (int i = 0; i < panel.ItemsNumber; ++i) names.push_back(panel.Items[i].FindData.cFileName);
    return names;
  }
  int TitleSteps() {
    std::vector<std::string> journal = player_.ReadJournal();
    return CountPrefix(journal, "WM_COMMAND 40048") + CountPrefix(journal, "WM_COMMAND 40154");
  }
  // How often text occurs in the log.
  int LogCount(const std::string& text) {
    DebugLog << LogFlush;
    std::string log = testkit::ReadText(logPath_);
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }
  bool Logged(const std::string& text) {
    DebugLog << LogFlush;
    return testkit::ReadText(logPath_).find(text) != std::string::npos;
  }

  testkit::TempDir dir_;
  std::string pluginDir_;
  playerkit::PlayerProcess player_;
  playerkit::PlayerRegistration registration_;
  std::unique_ptr<farhost::Host> host_;
  std::unique_ptr<TitlesCache> cache_;
  std::string logPath_;
  Options savedOpt_;
};

}  // namespace

TEST_F(PanelPlayerTest, EntriesTitlesTagColumnsAndNumbers) {
  // The first song is listed twice: two entries, one title in the cache.
  std::vector<std::string> songs = {Song("one.mp3", 61), Song("two.mp3", 125, "Second Song"),
                                    Song("three.mp3", 3599)};
  songs.push_back(songs[0]);
  StartWith(songs);
  player_.Ipc(IPC_SETPLAYLISTPOS, 1);
  MELVOXPanel panel(OPEN_DISKMENU, 0);

  ASSERT_EQ(songs, Names(panel));
  EXPECT_EQ(2, panel.Song);
  EXPECT_STREQ("one", panel.Items[0].Description);
  EXPECT_STREQ("Band - Second Song", panel.Items[1].Description);
  EXPECT_STREQ("1:01", panel.Items[0].Owner);
  EXPECT_STREQ("2:05", panel.Items[1].Owner);
  EXPECT_STREQ("59:59", panel.Items[2].Owner);
  ASSERT_EQ(6, panel.Items[1].CustomColumnNumber);
  // Tag texts are the record's bytes up to the first NUL (the kit pads with NULs).
  EXPECT_STREQ("Second Song", panel.Items[1].CustomColumnData[0]);
  EXPECT_STREQ("Band", panel.Items[1].CustomColumnData[1]);
  EXPECT_STREQ("Rock", panel.Items[1].CustomColumnData[5]);
  EXPECT_EQ(0, panel.Items[0].CustomColumnNumber);
  EXPECT_EQ(3, TitleSteps());
  // Fetched titles belong to the cache; entries only point at them.
  EXPECT_EQ(cache_->FindTitle(songs[1].c_str())->Title, panel.Items[1].Description);
  EXPECT_EQ(3, cache_->Count);
  EXPECT_EQ(panel.Items[0].Description, panel.Items[3].Description);
  EXPECT_EQ(panel.Items[0].Owner, panel.Items[3].Owner);
  EXPECT_EQ(kCursorAwaitsListing, panel.RedrawCountdown);
  EXPECT_EQ(0, panel.ItemsVerified);
  EXPECT_STREQ("Message 56", InfoLines[kInfoLinePlayerVersion].Text);
  EXPECT_STREQ("2.50 (0x2050)", InfoLines[kInfoLinePlayerVersion].Data);
  EXPECT_TRUE(Logged("\nMELVOXPanel::MELVOXPanel: WinAMP version 0x2050"));
  EXPECT_TRUE(Logged("\nMELVOXPanel::MakeMELVOXPanelItems: Create MELVOX panel items, curent song=2"));
  EXPECT_TRUE(Logged("\nMELVOXPanel::MakeMELVOXPanelItems: file title(2)=\"Band - Second Song\", 2:05"));

  // The player is back on its song and still stopped.
  playerkit::PlayerState state = player_.ReadState();
  ASSERT_TRUE(state.valid);
  EXPECT_EQ("stopped", state.state);
  EXPECT_EQ(1, state.position);
  EXPECT_EQ(songs, state.paths);

  PluginPanelItem* items = nullptr;
  int count = 0;
  EXPECT_EQ(1, panel.GetFindData(&items, &count, 0));
  ASSERT_EQ(4, count);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<DWORD>(i + 1), items[i].NumberOfLinks);
  // The check filled the file data and kept the full path.
  EXPECT_EQ(testkit::ReadBytes(songs[2]).size(), items[2].FindData.nFileSizeLow);
  EXPECT_NE(0u, items[2].FindData.ftLastWriteTime.dwHighDateTime);
  EXPECT_EQ(songs[2], items[2].FindData.cFileName);
  EXPECT_STREQ("2:05", InfoLines[kInfoLineSongLength].Data);  // the current song's length
  EXPECT_EQ(0, CountPrefix(player_.ReadJournal(), "IPC_DELETE"));  // nothing was dropped
  // Wait messages: a box titled MELVOX without buttons, screen restored after.
  ASSERT_FALSE(host_->Messages().empty());
  EXPECT_EQ("MELVOX", host_->Messages()[0].title);
  EXPECT_TRUE(host_->Messages()[0].buttons.empty());
  EXPECT_HOST_BALANCED(*host_);
}

TEST_F(PanelPlayerTest, OnlyUncachedSongsAreFetched) {
  std::vector<std::string> songs = Songs(6);
  for (int i : {0, 1, 5})
    cache_->AddTitle(songs[i].c_str(), DupText("Cached"), DupText("9:99"));
  StartWith(songs);
  MELVOXPanel panel(OPEN_DISKMENU, 0);

  EXPECT_EQ(3, TitleSteps());  // songs 3, 4 and 5
  EXPECT_STREQ("Cached", panel.Items[0].Description);
  EXPECT_STREQ("track3", panel.Items[2].Description);
  EXPECT_STREQ("1:04", panel.Items[3].Owner);

  // Everything is cached now: the next build neither stops nor steps the player.
  player_.Command(WINAMP_BUTTON2);
  int steps = TitleSteps();
  int stops = CountPrefix(player_.ReadJournal(), "WM_COMMAND 40047");
  EXPECT_EQ(1, panel.MakeMELVOXPanelItems(false));
  EXPECT_EQ(steps, TitleSteps());
  EXPECT_EQ(stops, CountPrefix(player_.ReadJournal(), "WM_COMMAND 40047"));
  EXPECT_EQ("playing", player_.ReadState().state);
}

// The title fetch stops the player and steps it through the songs; afterwards
// it is back on its song, in the state the user left it in.
TEST_F(PanelPlayerTest, PlayerIsPutBackAsItWas) {
  std::vector<std::string> songs = Songs(5);
  StartWith(songs);
  struct Case {
    const char* state;
    WORD command;  // after playing song 4 from 95 s
    const char* logged;
  } cases[] = {
      {"playing", 0, "Restore playing... Song=4 SongPos=9"},
      {"paused", WINAMP_BUTTON3, "Restore paused... Song=4 SongPos=9"},
      {"stopped", WINAMP_BUTTON4, nullptr},
  };
  for (const Case& c : cases) {
    cache_->Release();  // every title is fetched again
    player_.Ipc(IPC_SETPLAYLISTPOS, 3);
    player_.Command(WINAMP_BUTTON2);
    player_.Ipc(IPC_JUMPTOTIME, 95000);
    if (c.command != 0) player_.Command(c.command);
    int steps = TitleSteps();
    int restores = LogCount("MELVOXPanel::MakeMELVOXPanelItems: Restore");
    MELVOXPanel panel(OPEN_DISKMENU, 0);

    EXPECT_EQ(steps + 5, TitleSteps()) << c.state;
    playerkit::PlayerState state = player_.ReadState();
    EXPECT_EQ(c.state, state.state);
    EXPECT_EQ(3, state.position) << c.state;
    LRESULT at = player_.Ipc(IPC_GETOUTPUTTIME, 0);
    if (c.logged != nullptr) {
      EXPECT_GE(at, 95000) << c.state;
      EXPECT_LT(at, 95000 + 5000) << c.state;
      EXPECT_TRUE(Logged(c.logged)) << c.state;
    } else {
      EXPECT_EQ(-1, at);
    }
    EXPECT_EQ(restores + (c.logged != nullptr ? 1 : 0),
              LogCount("MELVOXPanel::MakeMELVOXPanelItems: Restore"))
        << c.state;
  }
}

TEST_F(PanelPlayerTest, MissingSongsAreDroppedFromPanelAndPlayer) {
  std::vector<std::string> songs = Songs(5);
  StartWith(songs);
  // No file is named by a pattern, though the search would find some.
  player_.PlayFile(dir_.File("track*.mp3"));
  DeleteFileA(songs[0].c_str());
  DeleteFileA(songs[3].c_str());
  host_->AttachPlugin(PanelExports());
  farhost::PassivePanel info;
  info.kind = farhost::PassivePanel::Info;
  host_->SetPassivePanel(info);
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  ASSERT_NE(nullptr, OpenedPanel);
  std::vector<std::string> kept = {songs[1], songs[2], songs[4]};
  EXPECT_EQ(kept, Names(*OpenedPanel));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(static_cast<DWORD>(i + 1), OpenedPanel->Items[i].NumberOfLinks);
  EXPECT_STREQ("track5", OpenedPanel->Items[2].Description);
  EXPECT_EQ(kept, player_.ReadState().paths);
  EXPECT_TRUE(Logged("\nMELVOXPanel::RemoveEmptyItems: EmptyCount=3"));
  EXPECT_EQ(1, host_->CountCalls("Control", "FCTL_REDRAWANOTHERPANEL"));
  std::string shown = host_->RenderPanel();
  EXPECT_NE(std::string::npos, shown.find("track5.mp3")) << shown;
  EXPECT_EQ(std::string::npos, shown.find("track4.mp3")) << shown;
  host_->ClosePanel();
  EXPECT_EQ(nullptr, OpenedPanel);
  EXPECT_HOST_BALANCED(*host_);
}

// The file functions in the console's OEM code page while it lives, as the
// real host runs them.
class OemFileApis {
 public:
  OemFileApis() : wasAnsi_(AreFileApisANSI()) { SetFileApisToOEM(); }
  ~OemFileApis() {
    if (wasAnsi_) SetFileApisToANSI();
  }
  OemFileApis(const OemFileApis&) = delete;
  OemFileApis& operator=(const OemFileApis&) = delete;

 private:
  bool wasAnsi_;
};

// Characters the console's code page lacks: in the panel's OEM names "\x80"
// (the euro sign of 1252) becomes "?" and "\x8a" ("S" with caron) becomes "S".
// The songs are still the user's: they stay in the panel and, under their
// exact names, in the player, through opening, listings, removals and closing.
TEST_F(PanelPlayerTest, SongsWhoseNamesTheConsoleCannotShowStay) {
  ASSERT_EQ(1252u, GetACP());
  ASSERT_EQ(437u, GetOEMCP());
  std::vector<std::string> songs = {Song("first.mp3", 61), Song("price \x80.mp3", 62),
                                    Song("\x8aum.mp3", 63), Song("last.mp3", 64)};
  OemFileApis oem;
  StartWith(songs);
  host_->AttachPlugin(PanelExports());
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  ASSERT_NE(nullptr, OpenedPanel);
  std::string folder = dir_.Path() + "\\";
  EXPECT_EQ((std::vector<std::string>{folder + "first.mp3", folder + "price ?.mp3",
                                      folder + "Sum.mp3", folder + "last.mp3"}),
            Names(*OpenedPanel));
  EXPECT_STREQ("price ?", OpenedPanel->Items[1].Description);
  EXPECT_EQ(0, CountPrefix(player_.ReadJournal(), "IPC_DELETE"));  // nothing was dropped
  EXPECT_EQ(songs, player_.ReadState().paths);

  // A listing that drops a song deleted outside the plug-in rewrites the
  // player's playlist.
  ASSERT_TRUE(DeleteFileA(songs[3].c_str()));
  OpenedPanel->ItemsVerified = 0;
  host_->Update();
  EXPECT_EQ(3, OpenedPanel->ItemsNumber);
  EXPECT_EQ(1, CountPrefix(player_.ReadJournal(), "IPC_DELETE"));
  EXPECT_EQ((std::vector<std::string>{songs[0], songs[1], songs[2]}), player_.ReadState().paths);

  // Removing another entry, as the removal key does.
  OpenedPanel->Items[0].Flags |= EmptyMark;
  OpenedPanel->RemoveEmptyItems();
  EXPECT_EQ(1, OpenedPanel->MakeWinAMPPlayList());
  EXPECT_EQ((std::vector<std::string>{songs[1], songs[2]}), player_.ReadState().paths);
  host_->Update();
  // The user sees the names as the console can show them, with the sizes
  // the check found for the real files.
  std::string screen =
      "  +--------------- MELVOX ---------------+\n"
      "  |           Name            |   Size   |\n"
      "> |..                         |          |\n"
      "  |price ?.mp3                |    992000|\n"
      "  |Sum.mp3                    |   1008000|\n";
  for (int i = 0; i < 15; ++i) screen += "  |                           |          |\n";
  screen +=
      "  |--------------------------------------|\n"
      "  |..                                    |\n"
      "  +--------------------------------------+\n";
  EXPECT_EQ(screen, host_->RenderPanel());

  // A song put onto the panel later comes with its OEM name only, and its
  // player's name is made from that: the check reads the "?" as a pattern
  // and finds the real file.
  PluginPanelItem* added = OpenedPanel->AddItem();
  ASSERT_NE(nullptr, added);
  CopyText(added->FindData.cFileName, sizeof added->FindData.cFileName,
           (folder + "price ?.mp3").c_str());
  ASSERT_TRUE(OpenedPanel->SetPlayerNameFromOem(added));
  OpenedPanel->ItemsVerified = 0;
  host_->Update();
  EXPECT_EQ(3, OpenedPanel->ItemsNumber);
  EXPECT_EQ(992000u, OpenedPanel->Items[2].FindData.nFileSizeLow);

  host_->ClosePanel();
  EXPECT_EQ((std::vector<std::string>{songs[1], songs[2]}), player_.ReadState().paths);
  EXPECT_HOST_BALANCED(*host_);
}

TEST_F(PanelPlayerTest, CaptionWithoutDotLeavesTitlesUnknown) {
  player_.SetOption("nodotcaption", "1");
  StartWith(Songs(2));
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  ASSERT_EQ(2, panel.ItemsNumber);
  EXPECT_EQ(nullptr, panel.Items[0].Description);
  EXPECT_EQ(nullptr, panel.Items[1].Description);
  EXPECT_EQ(0, cache_->Count);
  EXPECT_TRUE(Logged("\nMELVOXPanel::MakeMELVOXPanelItems: file title(1)=unknown..."));
  EXPECT_TRUE(Logged("\nMELVOXPanel::MakeMELVOXPanelItems: file title(2)=unknown..."));
}

// ReplaceFileA failing as only Windows does (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2):
// the old file moved to the backup name (without one, to a name of the
// system's), the new one left under its own. With BlockPlaylistName a folder
// then takes the playlist's name, so that neither file can move there.
bool BlockPlaylistName = false;
BOOL WINAPI ReplaceMovingOldAway(LPCSTR replaced, LPCSTR, LPCSTR backup, DWORD, LPVOID, LPVOID) {
  std::string hidden = std::string(replaced) + ".~rf";
  MoveFileExA(replaced, backup != nullptr ? backup : hidden.c_str(), MOVEFILE_REPLACE_EXISTING);
  if (BlockPlaylistName) CreateDirectoryA(replaced, nullptr);
  SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
  return FALSE;
}
std::string Message(int id) { return "Message " + std::to_string(id); }
int FilesIn(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  int n = 0;
  if (search == INVALID_HANDLE_VALUE) return n;
  do n += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return n;
}

// Shift+F5 over an existing playlist whose replacement Windows leaves half
// done: the old playlist is put back under its name, or, where nothing can
// take that name, both playlists are kept and the message names them. The
// user's playlist is never gone.
TEST_F(PanelPlayerTest, SaveThatCannotReplaceKeepsAPlaylistUnderANameGiven) {
  std::vector<std::string> songs = Songs(2);
  StartWith(songs);
  std::string lists = dir_.MakeDir("lists");
  std::string target = lists + "\\vok.m3u";
  testkit::WriteText(target, "old\r\n");
  host_->AttachPlugin(PanelExports());
  farhost::PassivePanel files;
  files.directory = lists;
  host_->SetPassivePanel(files);
  ASSERT_TRUE(host_->OpenFromDisksMenu(0));
  host_->SetCursor(1);
  struct Hooked {
    Hooked() { StartCount = 1, ReplacePlaylistFile = ReplaceMovingOldAway; }
    ~Hooked() { StartCount = 0, ReplacePlaylistFile = ReplaceFileA, BlockPlaylistName = false; }
  } hooked;
  auto saveOver = [this] {
    host_->AnswerDialog(farhost::DialogAnswer().Press(11));
    host_->AnswerMessage(0);  // replace the existing file
    host_->AnswerMessage(0);  // the failure
    host_->PressKey(VK_F5, PKF_SHIFT);
    return host_->Messages().back().lines;
  };

  std::vector<std::string> put = saveOver();
  EXPECT_EQ((std::vector<std::string>{Message(MFileNotWritten), target}), put);
  EXPECT_EQ("old\r\n", testkit::ReadText(target));
  EXPECT_EQ(1, FilesIn(lists));

  BlockPlaylistName = true;
  std::vector<std::string> kept = saveOver();
  ASSERT_EQ(6u, kept.size());
  EXPECT_EQ((std::vector<std::string>{Message(MFileNotWritten), target, Message(MSaveOldKept)}),
            std::vector<std::string>(kept.begin(), kept.begin() + 3));
  EXPECT_EQ(Message(MSaveNewKept), kept[4]);
  EXPECT_EQ("old\r\n", testkit::ReadText(kept[3]));
  std::string saved = testkit::ReadText(kept[5]);
  EXPECT_EQ(0u, saved.find("#EXTM3U\r\n")) << saved;
  EXPECT_NE(std::string::npos, saved.find(songs[0] + "\r\n")) << saved;
  host_->ClosePanel();
  EXPECT_HOST_BALANCED(*host_);
}

TEST_F(PanelPlayerTest, PathLengthLimit) {
  std::string base = "C:\\";
  std::string p259 = base + std::string(259 - base.size() - 4, 'a') + ".mp3";
  std::string p260 = base + std::string(260 - base.size() - 4, 'b') + ".mp3";
  ASSERT_EQ(259u, p259.size());
  Opt.ReadFileTitle = 0;
  StartWith({p259});
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  EXPECT_EQ((std::vector<std::string>{p259}), Names(panel));
  player_.PlayFile(p260);
  EXPECT_EQ(0, panel.MakeMELVOXPanelItems(false));
  EXPECT_EQ((std::vector<std::string>{p259}), Names(panel));
  EXPECT_TRUE(Logged("WinAMP playlist format not valid?!! }"));
}

TEST_F(PanelPlayerTest, PlayerThatVanishesDuringTheFetch) {
  // The stand-in ends after a few more messages, in the middle of stepping.
  std::vector<std::string> songs = Songs(6);
  player_.SetOption("exitafter", "30");
  StartWith(songs);
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  EXPECT_TRUE(player_.WaitForExit(5000));
  // Whatever was built stays consistent: every title known is a cached one.
  for (int i = 0; i < panel.ItemsNumber; ++i) {
    if (panel.Items[i].Description == nullptr) continue;
    TitleEntry* cached = cache_->FindTitle(panel.Items[i].FindData.cFileName);
    ASSERT_NE(nullptr, cached);
    EXPECT_EQ(cached->Title, panel.Items[i].Description);
  }
  EXPECT_HOST_BALANCED(*host_);
}

// Russian locale: tags and the player's caption are ANSI 1251; the panel's
// titles and columns, and the cache, hold OEM 866.
class PanelPlayerCp1251 : public PanelPlayerTest {};

TEST_F(PanelPlayerCp1251, CyrillicTitlesAndTagsBecomeOem) {
  ASSERT_EQ(1251u, GetACP());
  const char ansiTitle[] = "\xcf\xe5\xf1\xed\xff";  // "Песня" in 1251
  const char oemTitle[] = "\x8f\xa5\xe1\xad\xef";   // the same in 866
  std::string song = Song("song.mp3", 90, ansiTitle);
  StartWith({song});
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  ASSERT_EQ(1, panel.ItemsNumber);
  EXPECT_EQ(std::string("Band - ") + oemTitle, panel.Items[0].Description);
  ASSERT_EQ(6, panel.Items[0].CustomColumnNumber);
  EXPECT_STREQ(oemTitle, panel.Items[0].CustomColumnData[0]);
  TitleEntry* cached = cache_->FindTitle(song.c_str());
  ASSERT_NE(nullptr, cached);
  EXPECT_EQ(std::string("Band - ") + oemTitle, cached->Title);
}
