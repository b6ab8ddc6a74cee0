#include "panel/MELVOXPanel.h"

#include "PanelFakes.h"
#include "link/PlayerLink.h"
#include "control/InfoLines.h"
#include "panel/TitlesCache.h"
#include "plugin/DebugLog.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/TextBuffer.h"
#include "tags/Id3Tag.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <memory>

using namespace paneltest;

namespace {

// Waits for a missing player end at once. A named WINAPI function: a lambda
// converts only to the default calling convention, which is not WINAPI's on 32 bits.
void WINAPI NoSleep(DWORD) {}

// Everything one panel test needs: song files in a temporary folder, the
// player (whose program lies in the same folder), the host, the language
// texts, a titles cache and the debug log in a file.
class PanelTest : public testing::Test {
 protected:
  void SetUp() override {
    savedOpt_ = Opt;
    Opt = kDefaultOptions;
    Opt.LogFile = 1;
    PlayerSleep = NoSleep;
    lang_.Set(MWaitReadingPlaylist, "Reading playlist");
    lang_.Set(MWaitCheckingFiles, "Checking files");
    lang_.Set(MWaitWritingPlaylist, "Writing playlist");
    lang_.Set(MProgressTitles, "Titles:");
    lang_.Set(MProgressFromCache, "From cache");
    lang_.Set(MInfoPlayerVersion, "Version");
    lang_.Set(MNoGenre, "None");
    lang_.Set(MGenreFirst + 17, "Rock");
    player_ = std::make_unique<FakePlayer>(dir_.Path());
    cache_ = std::make_unique<TitlesCache>(dir_.File("melvox.dll").c_str());
    TitlesCacheObject = cache_.get();
    logPath_ = dir_.File("melvox.log");
    DebugLog.Attach(fopen(logPath_.c_str(), "w"));
  }
  void TearDown() override {
    DebugLog.Close();
    TitlesCacheObject = nullptr;
    cache_.reset();
    player_.reset();
    PanelClock = savedClock_;
    PlayerSleep = savedSleep_;
    Opt = savedOpt_;
  }

  // A song file in the folder: MPEG frames, with a tag when title is given.
  std::string Song(const std::string& name, const char* tagTitle = nullptr, size_t size = 1000) {
    std::string path = dir_.File(name);
    std::vector<unsigned char> bytes = MpegBytes(size);
    if (tagTitle != nullptr) {
      unsigned char tag[kTagRecordSize];
      BuildTagRecord(tag, tagTitle, "Artist", "Album", "2001", "Note", 17);
      bytes.insert(bytes.end(), tag, tag + kTagRecordSize);
    }
    WriteBytes(path, bytes);
    return path;
  }
  std::vector<std::string> Songs(int n) {
    std::vector<std::string> paths;
    for (int i = 1; i <= n; ++i) paths.push_back(Song("song" + std::to_string(i) + ".mp3"));
    return paths;
  }
  std::string Log() {
    DebugLog << LogFlush;
    return ReadText(logPath_);
  }
  bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }
  std::vector<std::string> Names(const MELVOXPanel& panel) {
    std::vector<std::string> names;
    for (int i = 0; i < panel.ItemsNumber; ++i) names.push_back(panel.Items[i].FindData.cFileName);
    return names;
  }

  TempFolder dir_;
  LangTable lang_;
  FakeHost host_;
  std::unique_ptr<FakePlayer> player_;
  std::unique_ptr<TitlesCache> cache_;
  std::string logPath_;
  Options savedOpt_;
  DWORD (*savedClock_)() = PanelClock;
  void(WINAPI* savedSleep_)(DWORD) = PlayerSleep;
};

}  // namespace

TEST_F(PanelTest, ReadFileTitleOffTakesTitlesOnlyFromTheCache) {
  Opt.ReadFileTitle = 0;
  std::vector<std::string> songs = Songs(2);
  player_->playlist = songs;
  cache_->AddTitle(songs[1].c_str(), DupText("Known"), DupText("2:00"));
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  EXPECT_EQ(nullptr, panel.Items[0].Description);
  EXPECT_STREQ("Known", panel.Items[1].Description);
  EXPECT_STREQ("2:00", panel.Items[1].Owner);
  EXPECT_EQ(0, player_->titleSteps);
  EXPECT_EQ(0u, player_->Count("cmd"));
  EXPECT_TRUE(Logged("\nMELVOXPanel::MakeMELVOXPanelItems: file title[2]=\"Known\", 2:00"));
}

TEST_F(PanelTest, WithoutACacheObjectTitlesAreNotKept) {
  TitlesCacheObject = nullptr;
  player_->playlist = Songs(2);
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  EXPECT_EQ(2, panel.ItemsNumber);
  EXPECT_EQ(nullptr, panel.Items[0].Description);
  EXPECT_EQ(2, player_->titleSteps);
}

TEST_F(PanelTest, TagColumnsWhenReadID3TagIsOn) {
  std::string tagged = Song("tagged.mp3", "Tag Title");
  std::string plain = Song("plain.mp3");
  player_->playlist = {tagged, plain};
  {
    MELVOXPanel panel(OPEN_DISKMENU, 0);
    ASSERT_EQ(6, panel.Items[0].CustomColumnNumber);
    char** c = panel.Items[0].CustomColumnData;
    EXPECT_EQ("Tag Title" + std::string(21, ' '), c[0]);
    EXPECT_EQ("Artist" + std::string(24, ' '), c[1]);
    EXPECT_STREQ("2001", c[3]);
    EXPECT_STREQ("Rock", c[5]);
    EXPECT_EQ(0, panel.Items[1].CustomColumnNumber);
    EXPECT_EQ(nullptr, panel.Items[1].CustomColumnData);
    // Rebuilding and dropping release the columns and make new ones.
    EXPECT_EQ(1, panel.MakeMELVOXPanelItems(false));
    EXPECT_EQ(6, panel.Items[0].CustomColumnNumber);
    panel.Items[0].Flags |= EmptyMark;
    panel.RemoveEmptyItems();
    EXPECT_EQ(1, panel.ItemsNumber);
    EXPECT_EQ(0, panel.Items[0].CustomColumnNumber);
    EXPECT_EQ(0, panel.Items[1].CustomColumnNumber);  // the spare record is clean
  }
  Opt.ReadID3Tag = 0;
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  EXPECT_EQ(0, panel.Items[0].CustomColumnNumber);
}

TEST_F(PanelTest, PlaylistLineRules) {
  std::string a = Song("a.mp3");
  std::string longName = dir_.Path() + "\\" + std::string(259 - dir_.Path().size() - 1, 'n');
  ASSERT_EQ(259u, longName.size());
  struct Case {
    const char* name;
    bool crlf;
    std::vector<std::string> playlist;
    std::string extra;
    int result;
    std::vector<std::string> entries;
  } cases[] = {
      {"crlf", true, {a}, "", 1, {a}},
      {"lf only keeps the last character", false, {a}, "", 1, {a}},
      {"last line without LF ignored", true, {a}, "C:\\unfinished.mp3", 1, {a}},
      {"empty line", true, {a, ""}, "", 1, {a, ""}},
      {"259 characters", true, {a, longName}, "", 1, {a, longName}},
      {"260 characters", true, {a, longName + "x", a}, "", 0, {a}},
      {"260 characters, LF only", false, {a, longName + "x"}, "", 0, {a}},
  };
  MELVOXPanel panel(OPEN_FINDLIST, 0);
  for (const Case& c : cases) {
    player_->writeWithCrLf = c.crlf;
    player_->playlist = c.playlist;
    player_->extraAtEnd = c.extra;
    EXPECT_EQ(c.result, panel.MakeMELVOXPanelItems(false)) << c.name;
    EXPECT_EQ(c.entries, Names(panel)) << c.name;
    EXPECT_EQ(0, host_.savedScreens) << c.name;
  }
  EXPECT_TRUE(Logged("\nMELVOXPanel::MakeMELVOXPanelItems: WinAMP playlist format not valid?!! }"));
}

TEST_F(PanelTest, BuildFailures) {
  player_->playlist = Songs(2);
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  ASSERT_EQ(2, panel.ItemsNumber);

  // The playlist file cannot be opened: the player's program is elsewhere.
  std::string saved = panel.PlaylistPath;
  CopyText(panel.PlaylistPath, sizeof panel.PlaylistPath, dir_.File("gone\\WINAMP.M3U").c_str());
  EXPECT_EQ(0, panel.MakeMELVOXPanelItems(false));
  EXPECT_EQ(0, panel.ItemsNumber);
  EXPECT_TRUE(Logged("\nMELVOXPanel::MakeMELVOXPanelIems: Can't open WinAMP playlist to read... }"));
  CopyText(panel.PlaylistPath, sizeof panel.PlaylistPath, saved.c_str());

  EXPECT_EQ(1, panel.MakeMELVOXPanelItems(false));
  EXPECT_EQ(2, panel.ItemsNumber);
  player_.reset();  // no player at all
  EXPECT_EQ(0, panel.MakeMELVOXPanelItems(false));
  EXPECT_EQ(0, panel.ItemsNumber);
  EXPECT_EQ(0, host_.savedScreens);
  EXPECT_TRUE(Logged("\nMELVOXPanel::MakeMELVOXPanelItems: WinAMP not loaded or not on line... }"));
  EXPECT_EQ(0, panel.MakeWinAMPPlayList());
  EXPECT_TRUE(Logged("\nMELVOXPanel::MakeWinAMPPlayList: WinAMP not loaded or not online, "
                     "Opt.NoWinAMPStartup=0 }"));
}

TEST_F(PanelTest, CaptionWithoutATitleLeavesTheEntryUntitled) {
  player_->playlist = Songs(2);
  struct Case {
    const char* caption;
    bool unknownLogged;
  } cases[] = {
      {"Too short", false},  // first: the log only grows
      {"No number here - Winamp [Stopped]", true},
  };
  for (const Case& c : cases) {
    player_->captionOverride = c.caption;
    cache_ = std::make_unique<TitlesCache>(dir_.File("other.dll").c_str());
    TitlesCacheObject = cache_.get();
    MELVOXPanel panel(OPEN_DISKMENU, 0);
    ASSERT_EQ(2, panel.ItemsNumber) << c.caption;
    EXPECT_EQ(nullptr, panel.Items[0].Description) << c.caption;
    EXPECT_EQ(nullptr, panel.Items[1].Owner) << c.caption;
    EXPECT_EQ(0, cache_->Count) << c.caption;
    EXPECT_EQ(2, player_->titleSteps);  // the fetch went on with the next song
    player_->titleSteps = 0;
    EXPECT_EQ(c.unknownLogged,
              Logged("\nMELVOXPanel::MakeMELVOXPanelItems: file title(2)=unknown..."))
        << c.caption;
  }
}

TEST_F(PanelTest, ProgressShownAfterFiveSeconds) {
  static DWORD now = 0;
  now = 0;
  PanelClock = [] { return now += 300; };  // three seconds per look at the clock
  std::vector<std::string> songs = Songs(4);
  player_->playlist = songs;
  cache_->AddTitle(songs[3].c_str(), DupText("c"), DupText("1:00"));
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  std::vector<FakeHost::MessageCall> progress;
  for (const auto& m : host_.messages)
    if (m.items.size() == 3) progress.push_back(m);
  ASSERT_EQ(3u, progress.size());
  EXPECT_EQ((std::vector<std::string>{"MELVOX", "Reading playlist", "Titles: 2"}), progress[0].items);
  EXPECT_EQ(0u, progress[0].flags);
  EXPECT_EQ("Titles: 3", progress[1].items[2]);
  EXPECT_EQ(static_cast<DWORD>(FMSG_KEEPBACKGROUND), progress[1].flags);
  EXPECT_EQ("From cache", progress[2].items[2]);
  EXPECT_EQ(0, progress[2].buttons);
}

TEST_F(PanelTest, ListingWithEveryFilePresentLeavesThePlayerAlone) {
  player_->playlist = Songs(3);
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  player_->journal.clear();
  PluginPanelItem* items = nullptr;
  int count = 0;
  panel.GetFindData(&items, &count, 0);
  EXPECT_EQ(3, count);
  EXPECT_EQ(0u, player_->Count("ipc 101"));
  EXPECT_TRUE(host_.controls.empty());
  EXPECT_TRUE(Logged("\nMELVOXPanel::RemoveEmptyItems: EmptyCount=0"));
}

TEST_F(PanelTest, ListingWithEveryFileMissingEmptiesPanelAndPlayer) {
  std::vector<std::string> songs = Songs(2);
  player_->playlist = songs;
  player_->playlist.push_back("");  // an empty line names no file
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  ASSERT_EQ(3, panel.ItemsNumber);
  for (const std::string& s : songs) DeleteFileA(s.c_str());
  PluginPanelItem* items = reinterpret_cast<PluginPanelItem*>(1);
  int count = -1;
  EXPECT_EQ(1, panel.GetFindData(&items, &count, 0));
  EXPECT_EQ(0, count);
  EXPECT_EQ(nullptr, items);
  EXPECT_TRUE(player_->playlist.empty());
  // The emptied store takes new entries again.
  PluginPanelItem* added = panel.AddItem();
  ASSERT_NE(nullptr, added);
  EXPECT_EQ(1, panel.ItemsNumber);
  EXPECT_EQ(panel.Items, added);
}

TEST_F(PanelTest, MarkedEntriesGoOnlyWithTheirFiles) {
  std::vector<std::string> songs = Songs(4);
  player_->playlist = songs;
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  PluginPanelItem* items;
  int count;
  panel.GetFindData(&items, &count, 0);
  // The host was to delete songs 0 and 2 (F8); only song 0 went.
  panel.Items[0].Flags |= EmptyMark;
  panel.Items[2].Flags |= EmptyMark;
  panel.RemovePending = 1;
  panel.ItemsVerified = 0;
  ASSERT_TRUE(DeleteFileA(songs[0].c_str()));
  panel.GetFindData(&items, &count, 0);
  EXPECT_EQ((std::vector<std::string>{songs[1], songs[2], songs[3]}), Names(panel));
  EXPECT_EQ((std::vector<std::string>{songs[1], songs[2], songs[3]}), player_->playlist);
  EXPECT_EQ(0, panel.RemovePending);
  EXPECT_EQ(0u, panel.Items[1].Flags & EmptyMark);
  EXPECT_EQ(2u, panel.Items[1].NumberOfLinks);

  // Marks whose files all stayed change nothing: the player is not rewritten.
  panel.Items[0].Flags |= EmptyMark;
  panel.RemovePending = 1;
  panel.ItemsVerified = 0;
  size_t cleared = player_->Count("ipc 101");
  panel.GetFindData(&items, &count, 0);
  EXPECT_EQ(3, count);
  EXPECT_EQ(cleared, player_->Count("ipc 101"));
  EXPECT_EQ(0, panel.RemovePending);
}

TEST_F(PanelTest, ReloadFromPlayerRebuildsBeforeTheCheck) {
  std::vector<std::string> songs = Songs(3);
  player_->playlist = {songs[0]};
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  player_->playlist = songs;
  panel.ReloadFromPlayer = 1;
  PluginPanelItem* items;
  int count;
  panel.GetFindData(&items, &count, 0);
  EXPECT_EQ(3, count);
  EXPECT_EQ(0, panel.ReloadFromPlayer);

  // Neither a verified nor an empty store ignores the request.
  player_->playlist = {songs[2]};
  panel.ReloadFromPlayer = 1;
  panel.GetFindData(&items, &count, 0);
  EXPECT_EQ(1, count);
  MELVOXPanel empty(OPEN_FINDLIST, 0);
  player_->playlist = songs;
  empty.ReloadFromPlayer = 1;
  empty.GetFindData(&items, &count, 0);
  EXPECT_EQ(3, count);
  EXPECT_EQ(1u, items[0].NumberOfLinks);
}

TEST_F(PanelTest, StoreGrowsAndSurvivesLargePlaylists) {
  std::string a = Song("a.mp3");
  player_->playlist.assign(3000, a);
  Opt.ReadFileTitle = 0;
  Opt.ReadID3Tag = 0;
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  ASSERT_EQ(3000, panel.ItemsNumber);
  EXPECT_GT(panel.ItemsCapacity, panel.ItemsNumber);  // the spare record
  EXPECT_LT(panel.ItemsCapacity, 2 * 3000 + 2);
  EXPECT_GE(GlobalSize(panel.ItemsMemory), panel.ItemsCapacity * sizeof(PluginPanelItem));
  const unsigned char* spare = reinterpret_cast<const unsigned char*>(&panel.Items[3000]);
  for (size_t i = 0; i < sizeof(PluginPanelItem); ++i) ASSERT_EQ(0, spare[i]);
  EXPECT_EQ(a, panel.Items[2999].FindData.cFileName);
}

TEST_F(PanelTest, MakeWinAMPPlayListReplacesThePlayersPlaylist) {
  std::vector<std::string> songs = Songs(3);
  player_->playlist = songs;
  MELVOXPanel panel(OPEN_DISKMENU, 0);
  player_->playlist = {"C:\\other.mp3"};
  player_->position = 0;
  EXPECT_EQ(1, panel.MakeWinAMPPlayList());
  EXPECT_EQ(songs, player_->playlist);
  EXPECT_EQ(1, panel.Song);
  EXPECT_EQ(0, host_.savedScreens);
  EXPECT_EQ(1, host_.maxSavedScreens);

  MELVOXPanel empty(OPEN_FINDLIST, 0);
  EXPECT_EQ(1, empty.MakeWinAMPPlayList());
  EXPECT_TRUE(player_->playlist.empty());
}

TEST_F(PanelTest, OriginsThatBuildNoPanelOrAnEmptyOne) {
  for (auto origin : {std::pair<int, INT_PTR>{OPEN_VIEWER, 0}, {OPEN_EDITOR, 0}, {OPEN_PLUGINSMENU, 0}}) {
    player_->journal.clear();
    MELVOXPanel panel(origin.first, origin.second);
    EXPECT_EQ(nullptr, panel.ItemsMemory);
    EXPECT_EQ(0u, player_->Count("ipc 120")) << origin.first;
  }
  player_->playlist = Songs(2);
  MELVOXPanel find(OPEN_FINDLIST, 0);
  EXPECT_NE(nullptr, find.ItemsMemory);
  EXPECT_EQ(0, find.ItemsNumber);
  EXPECT_TRUE(Logged("Started from \"Find file\" dialog... Playlist creation not needed :-))"));
  MELVOXPanel second(OPEN_PLUGINSMENU, 1);
  EXPECT_EQ(2, second.ItemsNumber);
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_STREQ(cwd, second.StartDir);
}

TEST_F(PanelTest, OpenedPlaylistFileReplacesThePlayersList) {
  std::vector<std::string> songs = Songs(2);
  player_->playlist = {"C:\\old.mp3"};
  std::string m3u = dir_.File("list.m3u");
  WriteText(m3u, "#EXTM3U\r\n" + songs[0] + "\r\n");
  MELVOXPanel panel(OPEN_PLAYLISTFILE, reinterpret_cast<INT_PTR>(m3u.c_str()));
  EXPECT_EQ(m3u, panel.OpenedPlaylist);
  // The stand-in appends the playlist file itself; the panel shows what it wrote.
  EXPECT_EQ((std::vector<std::string>{m3u}), player_->playlist);
  EXPECT_EQ(1u, player_->Count("ipc 101"));
  EXPECT_EQ((std::vector<std::string>{m3u}), Names(panel));
}

TEST_F(PanelTest, DestructorLogsAndFreesTheStore) {
  player_->playlist = Songs(1);
  auto panel = std::make_unique<MELVOXPanel>(OPEN_DISKMENU, 0);
  char handle[32];
  snprintf(handle, sizeof handle, "0x%llx",
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(panel.get())));
  panel.reset();
  EXPECT_TRUE(Logged(std::string("\nMELVOXPanel::~MELVOXPanel: handle=") + handle));
  EXPECT_TRUE(Logged(std::string("\nMELVOXPanel::MELVOXPanel: handle=") + handle));
}

// Russian locale: the player's playlist and caption are ANSI 1251, the panel
// shows OEM 866, and what goes back to the player is ANSI again. (Wine here
// runs without a Russian Unix locale and cannot create files with Cyrillic
// names, so the song need not exist: no listing is asked for.)
TEST(PanelCp1251, CyrillicNamesAndTitlesBecomeOemAndGoBackAnsi) {
  ASSERT_EQ(1251u, GetACP());
  ASSERT_EQ(866u, GetOEMCP());
  TempFolder dir;
  LangTable lang;
  FakeHost host;
  FakePlayer player(dir.Path());
  TitlesCache cache(dir.File("melvox.dll").c_str());
  TitlesCacheObject = &cache;
  Options saved = Opt;
  Opt = kDefaultOptions;
  const std::string ansiPath = "C:\\\xcc\xf3\xe7\xfb\xea\xe0\\\xcf\xe5\xf1\xed\xff.mp3";  // "C:\Музыка\Песня.mp3"
  const std::string oemPath = "C:\\\x8c\xe3\xa7\xeb\xaa\xa0\\\x8f\xa5\xe1\xad\xef.mp3";
  player.playlist = {ansiPath};
  player.titles[ansiPath] = "\xc0\xe2\xf2\xee\xf0 - \xcf\xe5\xf1\xed\xff";  // "Автор - Песня"
  {
    MELVOXPanel panel(OPEN_DISKMENU, 0);
    ASSERT_EQ(1, panel.ItemsNumber);
    EXPECT_EQ(oemPath, panel.Items[0].FindData.cFileName);
    EXPECT_STREQ("\x80\xa2\xe2\xae\xe0 - \x8f\xa5\xe1\xad\xef", panel.Items[0].Description);
    // The cache keys and holds OEM texts.
    ASSERT_NE(nullptr, cache.FindTitle(oemPath.c_str()));
    player.playlist.clear();
    EXPECT_EQ(1, panel.MakeWinAMPPlayList());
    EXPECT_EQ((std::vector<std::string>{ansiPath}), player.playlist);
  }
  TitlesCacheObject = nullptr;
  Opt = saved;
}
