#include "link/PlayerLink.h"
#include "link/PlayerLocation.h"
#include "panel/MELVOXPanel.h"
#include "plugin/DebugLog.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"

#include <string.h>

namespace {

const char kPlayerIconKey[] = "Winamp.File\\DefaultIcon";
constexpr DWORD kRegistryDataSize = MAX_PATH;

// A line of blanks that gives the start-up notice its width.
constexpr size_t kNoticeWidth = 71;

// Holds the screen saved under the start-up notice; restores it once.
class SavedScreen {
 public:
  SavedScreen()
      : screen_(HostInfo.SaveScreen != nullptr ? HostInfo.SaveScreen(0, 0, -1, -1) : nullptr) {}
  ~SavedScreen() { Restore(); }
  SavedScreen(const SavedScreen&) = delete;
  SavedScreen& operator=(const SavedScreen&) = delete;
  void Restore() {
    if (!restored_ && HostInfo.RestoreScreen != nullptr) HostInfo.RestoreScreen(screen_);
    restored_ = true;
  }

 private:
  HANDLE screen_;
  bool restored_ = false;
};

void ShowStartupNotice() {
  if (HostInfo.Message == nullptr) return;
  char blanks[kNoticeWidth + 1];
  memset(blanks, ' ', kNoticeWidth);
  blanks[kNoticeWidth] = '\0';
  const char* lines[] = {"MELVOX", blanks, GetMsg(MStartingPlayer), ""};
  HostInfo.Message(HostInfo.ModuleNumber, 0, nullptr, lines, 4, 0);
}

}  // namespace

int ReadPlayerPaths(char* playerPath, char* playlistPath) {
  memset(playerPath, 0, MAX_PATH);
  memset(playlistPath, 0, MAX_PATH);

  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kPlayerIconKey, 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    DebugLog << "\nMELVOXPanel::GetWinAMPPath: Can't open registry key..." << LogFlush;
    return 0;
  }
  // The value may be stored without a NUL or fill the buffer: the parser
  // takes the size read and never looks past it.
  char data[kRegistryDataSize];
  DWORD size = sizeof data;
  LONG queried = RegQueryValueExA(key, nullptr, nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (queried != ERROR_SUCCESS) {
    DebugLog << "\nMELVOXPanel::GetWinAMPPath: Can't do query to registry key..." << LogFlush;
    return 0;
  }
  if (!ParsePlayerLocation(data, size, playerPath, MAX_PATH)) {
    DebugLog << "\nMELVOXPanel::GetWinAMPPath: Not valid path format in registry base..."
             << LogFlush;
    return 0;
  }

  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(playerPath, &found);
  if (search == INVALID_HANDLE_VALUE) {
    DebugLog << "\nMELVOXPanel::GetWinAMPPath: WinAMP file (winamp.exe) not found on registry "
                "base path..."
             << LogFlush;
    return 0;
  }
  FindClose(search);

  if (!MakePlaylistPath(playerPath, playlistPath, MAX_PATH)) {
    DebugLog << "\nMELVOXPanel::GetWinAMPPath: WinAMP playlist path too long..." << LogFlush;
    return 0;
  }
  return 1;
}

int StartPlayer(const char* playerPath, HWND* window, DWORD* version) {
  if (playerPath[0] == '\0') return 0;
  if (Opt.NoWinAMPStartup != 0) return 1;
  if (FindPlayerWindow(window, version)) return 1;

  SavedScreen screen;
  DebugLog << "\nMELVOXPanel::LoadWinAMP: Loading..." << LogFlush;
  ShowStartupNotice();

  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINNOACTIVE;  // minimised, the console keeps the focus
  PROCESS_INFORMATION process;
  memset(&process, 0, sizeof process);
  // The player outlives the host's call and often the host itself, so it
  // inherits none of the host's handles (a console pipe held open by the
  // player would keep whoever waits on it waiting).
  if (!CreateProcessA(playerPath, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &process)) {
    screen.Restore();
    DebugLog << "\nMELVOXPanel::LoadWinAMP: Can't load WinAMP!!!" << LogFlush;
    return 0;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  DebugLog << "\nMELVOXPanel::LoadWinAMP: Loaded... " << LogFlush;
  screen.Restore();
  if (!WaitForPlayerWindow(window, version)) {
    DebugLog << "\nMELVOXPanel::LoadWinAMP: Can't detect WinAMP on line..." << LogFlush;
    return 0;
  }
  return 1;
}

int MELVOXPanel::GetWinAMPPath() { return ReadPlayerPaths(PlayerPath, PlaylistPath); }

int MELVOXPanel::LoadWinAMP() { return StartPlayer(PlayerPath, &PlayerWindow, &PlayerVersion); }
