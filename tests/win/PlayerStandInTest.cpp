// The player link against the player stand-in, fakeamp.exe, started the way
// the plug-in starts a real player: from its registration, without arguments.
#include "link/PlayerLink.h"

#include "LinkFakeHost.h"
#include "LinkTestSupport.h"
#include "PlayerKit.h"
#include "SettingsTestKey.h"
#include "TempDir.h"
#include "plugin/Options.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Ends every process running the given program (the test's own copy of the
// stand-in), by id: the plug-in never ends a player it started, so the test
// does, also one whose window came up only after the test gave up on it.
void EndProcessesOf(const std::string& exe) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                                 FALSE, entry.th32ProcessID);
    if (process == nullptr) continue;
    char image[MAX_PATH];
    DWORD size = sizeof image;
    if (QueryFullProcessImageNameA(process, 0, image, &size) && lstrcmpiA(image, exe.c_str()) == 0) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 10000);
    }
    CloseHandle(process);
  }
  CloseHandle(snapshot);
}

// Sleeps a tenth of the asked time: the stand-in comes up in real time, but
// the tests need not wait whole seconds per poll.
void WINAPI ShortSleep(DWORD ms) { Sleep(ms / 10); }

class PlayerStandIn : public ::testing::Test {
 protected:
  PlayerStandIn() : key_("StandIn"), folder_("melvox-standin") {
    savedSleep_ = PlayerSleep;
    PlayerSleep = &ShortSleep;
  }
  ~PlayerStandIn() override {
    EndProcessesOf(folder_.File("fakeamp.exe"));
    PlayerSleep = savedSleep_;
  }

  // Copies the stand-in into the test's folder with the given fakeamp.ini and
  // registers that copy as the installed player; returns its path.
  std::string Install(const std::string& ini) {
    std::string exe = folder_.File("fakeamp.exe");
    EXPECT_TRUE(CopyFileA(playerkit::BuiltPlayerPath().c_str(), exe.c_str(), FALSE));
    testkit::WriteText(folder_.File("fakeamp.ini"), ini);
    registration_.reset(new playerkit::PlayerRegistration(exe));
    EXPECT_TRUE(registration_->Ok());
    return exe;
  }

  SettingsTestKey key_;
  LinkFakeHost host_;
  LogCapture log_;
  testkit::TempDir folder_;
  std::unique_ptr<playerkit::PlayerRegistration> registration_;
  void(WINAPI* savedSleep_)(DWORD);
  HWND window_ = nullptr;
  DWORD version_ = 0;
};

}  // namespace

TEST_F(PlayerStandIn, StartsTheRegisteredPlayerAndWaitsUntilItAnswers) {
  std::string exe = Install("windowdelay=1500\r\n");
  char playerPath[MAX_PATH];
  char playlistPath[MAX_PATH];
  ASSERT_EQ(1, ReadPlayerPaths(playerPath, playlistPath));
  EXPECT_EQ(exe, playerPath);
  EXPECT_EQ(folder_.File("WINAMP.M3U"), playlistPath);

  Opt.WaitTime = 60;  // six seconds of short polls: ample for the delayed window
  ASSERT_EQ(1, StartPlayer(playerPath, &window_, &version_));
  EXPECT_EQ(0x2050u, version_);
  EXPECT_EQ(FindWindowA(PLAYER_WINDOW_CLASS, nullptr), window_);
  EXPECT_TRUE(host_.dialogs.empty());
  EXPECT_EQ(1, host_.saves);
  EXPECT_EQ(1, host_.restores);
  EXPECT_EQ(
      "\r\nMELVOXPanel::LoadWinAMP: Loading..."
      "\r\nMELVOXPanel::LoadWinAMP: Loaded... ",
      log_.Text());

  // The playlist path read from the registration is where the player writes.
  SendPlayerIpc(window_, IPC_WRITEPLAYLIST);
  EXPECT_TRUE(testkit::FileExists(playlistPath));

  // Once it runs, the next call uses it without any notice.
  EXPECT_EQ(1, StartPlayer(playerPath, &window_, &version_));
  EXPECT_EQ(1, host_.saves);
  EXPECT_EQ(1u, host_.messages.size());
}

TEST_F(PlayerStandIn, PlayerThatNeverGoesOnlineIsGivenUpAtTheDialog) {
  Install("version=0\r\n");
  char playerPath[MAX_PATH];
  char playlistPath[MAX_PATH];
  ASSERT_EQ(1, ReadPlayerPaths(playerPath, playlistPath));
  Opt.WaitTime = 5;
  host_.dialogAnswers = {[](FarDialogItem*, int) { return 9; }};
  EXPECT_EQ(0, StartPlayer(playerPath, &window_, &version_));
  ASSERT_EQ(1u, host_.dialogs.size());
  EXPECT_EQ("MELVOXWait", host_.dialogs[0].help);
  EXPECT_EQ(0, host_.dialogs[0].openScreens);  // the notice is gone before anyone is asked
  EXPECT_EQ(1, host_.saves);
  EXPECT_EQ(1, host_.restores);
  // Its window is there; it just does not count as online.
  EXPECT_NE(nullptr, window_);
  EXPECT_EQ(0u, version_);
  EXPECT_TRUE(FindPlayerWindow(&window_, &version_));
  EXPECT_EQ(0u, version_);
  EXPECT_EQ(
      "\r\nMELVOXPanel::LoadWinAMP: Loading..."
      "\r\nMELVOXPanel::LoadWinAMP: Loaded... "
      "\r\nMELVOXPanel::LoadWinAMP: Can't detect WinAMP on line...",
      log_.Text());
}

TEST_F(PlayerStandIn, NoWinAMPStartupStartsNothing) {
  Install("");
  char playerPath[MAX_PATH];
  char playlistPath[MAX_PATH];
  ASSERT_EQ(1, ReadPlayerPaths(playerPath, playlistPath));
  Opt.NoWinAMPStartup = 1;
  EXPECT_EQ(1, StartPlayer(playerPath, &window_, &version_));
  Sleep(1500);  // a started stand-in would have its window by now
  EXPECT_EQ(nullptr, FindWindowA(PLAYER_WINDOW_CLASS, nullptr));
  EXPECT_EQ(0, host_.saves);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(PlayerStandIn, RunningPlayerIsUsedAsItIs) {
  playerkit::PlayerProcess player(folder_.Path());
  ASSERT_TRUE(player.Start());
  EXPECT_EQ(1, StartPlayer("C:\\not\\used.exe", &window_, &version_));
  EXPECT_EQ(player.Hwnd(), window_);
  EXPECT_EQ(0x2050u, version_);
  EXPECT_EQ(0, host_.saves);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ("", log_.Text());
  player.Stop();
}
