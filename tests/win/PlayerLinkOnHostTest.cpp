// The player link inside the host emulator, with the shipped English
// language file: what the user sees of the wait dialog and of the start-up
// notice, and that every saved screen is restored.
#include "link/PlayerLink.h"

#include "FarHost.h"
#include "FarHostGtest.h"
#include "LinkTestSupport.h"
#include "PlayerKit.h"
#include "PluginFolder.h"
#include "TempDir.h"
#include "plugin/HostInfo.h"
#include "plugin/Options.h"
#include "plugin/Settings.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {


// The plug-in's globals as they were before the test: the host's table, the
// settings key and the options.
class PluginGlobals {
 public:
  PluginGlobals() : info_(HostInfo), opt_(Opt) { memcpy(path_, SettingsKeyPath, sizeof path_); }
  ~PluginGlobals() {
    HostInfo = info_;
    Opt = opt_;
    memcpy(SettingsKeyPath, path_, sizeof path_);
  }
  PluginGlobals(const PluginGlobals&) = delete;
  PluginGlobals& operator=(const PluginGlobals&) = delete;

 private:
  PluginStartupInfo info_;
  Options opt_;
  char path_[sizeof SettingsKeyPath];
};

class PlayerLinkOnHost : public ::testing::Test {
 protected:
  PlayerLinkOnHost() : host_(HostOptions(pluginDir_)) {
    TakeStartupInfo(host_.StartupInfo());
    Opt = kDefaultOptions;
    LoadLogSetting();
    LoadSettings();
  }
  // The module lies beside the build's converted language and help files.
  static farhost::Options HostOptions(const testkit::TempDir& folder) {
    EXPECT_TRUE(plugintest::CopyBuiltPluginFiles(folder.Path(), true));
    farhost::Options options = farhost::GtestOptions();
    options.moduleName = folder.File("melvox.dll");
    return options;
  }
  DWORD StoredWaitTime() {
    DWORD value = 0, size = sizeof value;
    std::string key = host_.RootKey() + "\\Tessaryn Software\\MELVOX";
    RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "WaitTime", RRF_RT_REG_DWORD, nullptr, &value,
                 &size);
    return value;
  }

  PluginGlobals globals_;
  testkit::TempDir pluginDir_{"melvox-plugin"};
  farhost::Host host_;
  FakeSleep sleep_;
  HWND window_ = nullptr;
  DWORD version_ = 0;
};

}  // namespace

TEST_F(PlayerLinkOnHost, WaitDialogAsTheUserSeesIt) {
  EXPECT_EQ(10u, StoredWaitTime());  // the first start stores it
  Opt.WaitTime = 30;
  host_.AnswerDialog(farhost::DialogAnswer().Type(6, "12").Press(8));
  EXPECT_TRUE(WaitDialog());
  ASSERT_EQ(1u, host_.Dialogs().size());
  const farhost::DialogRecord& dialog = host_.Dialogs()[0];
  EXPECT_EQ("MELVOXWait", dialog.helpTopic);
  std::string shown = farhost::RenderDialog(dialog);
  for (const char* text : {"Waiting for Winamp", "Winamp has not answered yet.", "30",
                           "seconds to wait", "OK", "Cancel"}) {
    EXPECT_NE(std::string::npos, shown.find(text)) << text << " in\n" << shown;
  }
  EXPECT_EQ(12, Opt.WaitTime);
  EXPECT_EQ(12u, StoredWaitTime());
  EXPECT_HOST_BALANCED(host_);
}

TEST_F(PlayerLinkOnHost, StartupNoticeIsGoneWhenThePlayerAnswers) {
  testkit::TempDir folder("melvox-onhost");
  std::string exe = folder.File("fakeamp.exe");
  ASSERT_TRUE(CopyFileA(playerkit::BuiltPlayerPath().c_str(), exe.c_str(), FALSE));
  playerkit::PlayerRegistration registration(exe);
  ASSERT_TRUE(registration.Ok());
  char playerPath[MAX_PATH];
  char playlistPath[MAX_PATH];
  ASSERT_EQ(1, ReadPlayerPaths(playerPath, playlistPath));
  FakeSleep::OnSleep = [](int) { Sleep(100); };
  Opt.WaitTime = 60;
  EXPECT_EQ(1, StartPlayer(playerPath, &window_, &version_));
  ASSERT_EQ(1u, host_.Messages().size());
  const farhost::MessageRecord& notice = host_.Messages()[0];
  EXPECT_EQ("MELVOX", notice.title);
  EXPECT_TRUE(notice.buttons.empty());
  std::string shown = farhost::RenderMessage(notice);
  EXPECT_NE(std::string::npos, shown.find("Starting Winamp, please wait...")) << shown;
  EXPECT_EQ(0, host_.OpenScreens());
  EXPECT_EQ("", host_.RenderVisibleMessages());
  EXPECT_HOST_BALANCED(host_);

  // The started player is ended by its process id.
  DWORD processId = 0;
  GetWindowThreadProcessId(window_, &processId);
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
  ASSERT_NE(nullptr, process);
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
}
