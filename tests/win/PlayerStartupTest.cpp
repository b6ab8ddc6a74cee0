#include "link/PlayerLink.h"

#include "LinkFakeHost.h"
#include "LinkTestSupport.h"
#include "SettingsTestKey.h"
#include "TempDir.h"
#include "plugin/Options.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

// Sets the player's registration (HKEY_CLASSES_ROOT\Winamp.File\DefaultIcon)
// for one test and removes it afterwards.
class IconRegistration {
 public:
  IconRegistration() {
    HKEY key;
    existed_ = RegOpenKeyExA(HKEY_CLASSES_ROOT, "Winamp.File", 0, KEY_READ, &key) == 0;
    if (existed_) RegCloseKey(key);
  }
  ~IconRegistration() {
    if (!existed_) RegDeleteTreeA(HKEY_CLASSES_ROOT, "Winamp.File");
  }
  IconRegistration(const IconRegistration&) = delete;
  IconRegistration& operator=(const IconRegistration&) = delete;

  bool Existed() const { return existed_; }
  void Set(const std::string& data, DWORD type = REG_SZ) {
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_CLASSES_ROOT, "Winamp.File\\DefaultIcon", 0, nullptr, 0,
                                 KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
    RegCloseKey(key);
  }
  void Remove() { RegDeleteTreeA(HKEY_CLASSES_ROOT, "Winamp.File"); }

 private:
  bool existed_;
};

// A temporary folder holding one file, removed afterwards.
// A temporary folder whose empty files stand in for program files.
class TempFolder : public testkit::TempDir {
 public:
  std::string Add(const char* name) const {
    std::string file = File(name);
    testkit::WriteText(file, "");
    return file;
  }
};

const char kOpenFailed[] = "\r\nMELVOXPanel::GetWinAMPPath: Can't open registry key...";
const char kQueryFailed[] = "\r\nMELVOXPanel::GetWinAMPPath: Can't do query to registry key...";
const char kBadFormat[] =
    "\r\nMELVOXPanel::GetWinAMPPath: Not valid path format in registry base...";
const char kNoProgram[] =
    "\r\nMELVOXPanel::GetWinAMPPath: WinAMP file (winamp.exe) not found on registry base path...";

}  // namespace

TEST(PlayerStartup, PlayerAndPlaylistPathsFromTheRegistration) {
  IconRegistration registration;
  if (registration.Existed()) GTEST_SKIP() << "a player is registered in this prefix";
  TempFolder folder;
  std::string program = folder.Add("winamp.exe");
  std::string playlist = folder.Path() + "\\WINAMP.M3U";
  struct Case {
    std::string data;  // null: no registration at all
    DWORD type;
    int result;
    std::string playerPath;
    std::string playlistPath;
    std::string log;
  } cases[] = {
      {program + ",1", REG_SZ, 1, program, playlist, ""},
      {program + ",1", REG_BINARY, 1, program, playlist, ""},  // the type is not checked
      {program + ",0,1", REG_SZ, 0, program + ",0", "", kNoProgram},
      {folder.Path() + "\\missing.exe,1", REG_SZ, 0, folder.Path() + "\\missing.exe", "", kNoProgram},
      {"\"" + program + "\",1", REG_SZ, 0, "\"" + program + "\"", "", kNoProgram},
      {program, REG_SZ, 0, "", "", kBadFormat},
      {",1", REG_SZ, 0, "", "", kBadFormat},
      {std::string(300, 'x') + ",1", REG_SZ, 0, "", "", kQueryFailed},  // longer than 260 bytes
      {"", 0, 0, "", "", kOpenFailed},
  };
  for (const Case& c : cases) {
    LogCapture log;
    if (c.type != 0) {
      registration.Set(c.data, c.type);
    } else {
      registration.Remove();
    }
    char playerPath[MAX_PATH];
    char playlistPath[MAX_PATH];
    memset(playerPath, 'x', sizeof playerPath);
    memset(playlistPath, 'x', sizeof playlistPath);
    EXPECT_EQ(c.result, ReadPlayerPaths(playerPath, playlistPath)) << c.data;
    EXPECT_EQ(c.playerPath, playerPath) << c.data;
    EXPECT_EQ(c.playlistPath, playlistPath) << c.data;
    EXPECT_EQ(c.log, log.Text()) << c.data;
    // Both fields are cleared whole, not just terminated.
    EXPECT_EQ(0, playlistPath[MAX_PATH - 1]);
    EXPECT_EQ(0, playerPath[MAX_PATH - 1]);
  }
}

TEST(PlayerStartup, RegistrationWithoutNulFillingTheBuffer) {
  IconRegistration registration;
  if (registration.Existed()) GTEST_SKIP() << "a player is registered in this prefix";
  // Exactly 260 bytes and no NUL: read whole, and the text ends there.
  std::string data = "C:\\" + std::string(250, 'p') + ".exe,12";
  ASSERT_EQ(260u, data.size());
  registration.Set(data, REG_BINARY);
  LogCapture log;
  char playerPath[MAX_PATH];
  char playlistPath[MAX_PATH];
  EXPECT_EQ(0, ReadPlayerPaths(playerPath, playlistPath));
  EXPECT_EQ(data.substr(0, 257), playerPath);
  EXPECT_EQ(kNoProgram, log.Text());
}

namespace {

class LoadPlayer : public ::testing::Test {
 protected:
  LoadPlayer() : key_("Load") {}
  SettingsTestKey key_;
  LinkFakeHost host_;
  FakeSleep sleep_;
  LogCapture log_;
  HWND window_ = nullptr;
  DWORD version_ = 0;
};

}  // namespace

TEST_F(LoadPlayer, NothingToStartWithoutAPath) {
  EXPECT_EQ(0, StartPlayer("", &window_, &version_));
  EXPECT_EQ(0, host_.saves);
  EXPECT_EQ("", log_.Text());
}

TEST_F(LoadPlayer, ProgramThatCannotStartRestoresTheScreen) {
  TempFolder folder;
  std::string notAProgram = folder.Add("winamp.exe");  // empty file
  EXPECT_EQ(0, StartPlayer(notAProgram.c_str(), &window_, &version_));
  EXPECT_EQ(1, host_.saves);
  EXPECT_EQ(1, host_.restores);
  ASSERT_EQ(1u, host_.messages.size());
  const LinkFakeHost::MessageCall& notice = host_.messages[0];
  EXPECT_EQ(0u, notice.flags);
  EXPECT_EQ(0, notice.buttons);
  EXPECT_EQ(1, notice.openScreens);
  ASSERT_EQ(4u, notice.lines.size());
  EXPECT_EQ("MELVOX", notice.lines[0]);
  EXPECT_EQ(std::string(71, ' '), notice.lines[1]);
  EXPECT_EQ("msg28", notice.lines[2]);
  EXPECT_EQ("", notice.lines[3]);
  EXPECT_EQ(
      "\r\nMELVOXPanel::LoadWinAMP: Loading..."
      "\r\nMELVOXPanel::LoadWinAMP: Can't load WinAMP!!!",
      log_.Text());
}
