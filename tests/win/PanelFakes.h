// In-process stand-ins for the panel tests: a player window answering the
// player's messages on the test's own thread (so every exchange is a direct
// call and the test can inspect the player's state), and a host whose
// services record what the panel asked of them.
#pragma once

#include "PanelTestSupport.h"
#include "PlayerKit.h"
#include "link/PlayerMessages.h"
#include "plugin/HostInfo.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace paneltest {

class FakePlayer {
 public:
  // A player whose program lies in folder (WINAMP.M3U is written there); the
  // registry names it as the player's program.
  explicit FakePlayer(const std::string& folder)
      : folder_(folder), registration_(MakeProgram(folder)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &FakePlayer::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = PLAYER_WINDOW_CLASS;
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, PLAYER_WINDOW_CLASS, "Winamp 2.50", WS_OVERLAPPED, 0, 0, 100,
                              100, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    UpdateCaption();
  }
  ~FakePlayer() { DestroyWindow(window_); }

  // An empty program file, so the registry names an existing player; it
  // cannot be started, so a vanished player stays gone.
  static std::string MakeProgram(const std::string& folder) {
    std::string exe = folder + "\\winamp.exe";
    WriteText(exe, "");
    return exe;
  }
  FakePlayer(const FakePlayer&) = delete;
  FakePlayer& operator=(const FakePlayer&) = delete;

  HWND Window() const { return window_; }
  std::string PlaylistFile() const { return folder_ + "\\WINAMP.M3U"; }

  // --- state the tests set and read ---
  std::vector<std::string> playlist;          // ANSI paths
  std::map<std::string, std::string> titles;  // path -> title (else the file name)
  int position = 0;                           // current song, 0-based
  int status = 0;                             // 0 stopped, 1 playing, 3 paused
  int timeMs = -1;                            // position in the song; -1 stopped
  int lengthSeconds = 215;
  DWORD version = 0x2050;
  bool writeWithCrLf = true;
  std::string extraAtEnd;                     // bytes written after the last line
  std::string captionOverride;                // shown instead of the usual caption
  std::vector<std::string> journal;           // "ipc <code> <arg>", "cmd <id>", "play <path>"
  int titleSteps = 0;                         // next-song and first-song commands

  std::string Caption() const {
    char text[1024];
    GetWindowTextA(window_, text, sizeof text);
    return text;
  }
  std::string Title(const std::string& path) const {
    auto it = titles.find(path);
    if (it != titles.end()) return it->second;
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
  }
  size_t Count(const std::string& prefix) const {
    size_t n = 0;
    for (const std::string& j : journal) n += j.compare(0, prefix.size(), prefix) == 0;
    return n;
  }

 private:
  void UpdateCaption() {
    std::string caption = "Winamp 2.50";
    if (!playlist.empty() && position >= 0 && position < static_cast<int>(playlist.size())) {
      caption = std::to_string(position + 1) + ". " + Title(playlist[position]) + " - Winamp";
      if (status == 0) caption += " [Stopped]";
      if (status == 3) caption += " [Paused]";
    }
    if (!captionOverride.empty()) caption = captionOverride;
    SetWindowTextA(window_, caption.c_str());
  }

  void WritePlaylist() {
    std::string eol = writeWithCrLf ? "\r\n" : "\n";
    std::string text = "#EXTM3U" + eol;
    for (const std::string& p : playlist)
      text += "#EXTINF:" + std::to_string(lengthSeconds) + "," + Title(p) + eol + p + eol;
    WriteText(PlaylistFile(), text + extraAtEnd);
  }

  LRESULT Ipc(WPARAM arg, LPARAM code) {
    journal.push_back("ipc " + std::to_string(code) + " " + std::to_string(arg));
    int n = static_cast<int>(playlist.size());
    switch (code) {
      case IPC_GETVERSION: return version;
      case IPC_DELETE: playlist.clear(); position = 0; status = 0; timeMs = -1; break;
      case IPC_ISPLAYING: return status;
      case IPC_GETOUTPUTTIME: return arg == 1 ? lengthSeconds : (status ? timeMs : -1);
      case IPC_JUMPTOTIME: if (status) timeMs = static_cast<int>(arg); break;
      case IPC_WRITEPLAYLIST: WritePlaylist(); return position;
      case IPC_SETPLAYLISTPOS: if (static_cast<int>(arg) < n) position = static_cast<int>(arg); break;
      case IPC_GETLISTLENGTH: return n;
      case IPC_GETLISTPOS: return position;
      default: break;
    }
    UpdateCaption();
    return 0;
  }

  void Command(WPARAM id) {
    journal.push_back("cmd " + std::to_string(id));
    int n = static_cast<int>(playlist.size());
    switch (id) {
      case WINAMP_BUTTON2: status = 1; timeMs = 0; break;
      case WINAMP_BUTTON3: status = status == 1 ? 3 : (status == 3 ? 1 : 0); break;
      case WINAMP_BUTTON4: status = 0; timeMs = -1; break;
      case WINAMP_BUTTON5: ++titleSteps; if (position + 1 < n) ++position; timeMs = status ? 0 : -1; break;
      case WINAMP_BUTTON1_CTRL: ++titleSteps; position = 0; timeMs = status ? 0 : -1; break;
      default: break;
    }
    UpdateCaption();
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    FakePlayer* self = reinterpret_cast<FakePlayer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self != nullptr) {
      if (msg == WM_USER) return self->Ipc(w, l);
      if (msg == WM_COMMAND) {
        self->Command(w);
        return 0;
      }
      if (msg == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        if (data->dwData == IPC_PLAYFILE && data->cbData > 0) {
          std::string path(static_cast<const char*>(data->lpData), data->cbData - 1);
          self->journal.push_back("play " + path);
          self->playlist.push_back(path);
          self->UpdateCaption();
        }
        return 1;
      }
    }
    return DefWindowProcA(hwnd, msg, w, l);
  }

  std::string folder_;
  playerkit::PlayerRegistration registration_;  // removes exactly what it made
  HWND window_ = nullptr;
};

// The host services a panel uses, recording every call.
class FakeHost {
 public:
  FakeHost() {
    saved_ = HostInfo;
    current_ = this;
    HostInfo.Message = &FakeHost::Message;
    HostInfo.SaveScreen = &FakeHost::SaveScreen;
    HostInfo.RestoreScreen = &FakeHost::RestoreScreen;
    HostInfo.Control = &FakeHost::Control;
  }
  ~FakeHost() {
    HostInfo.Message = saved_.Message;
    HostInfo.SaveScreen = saved_.SaveScreen;
    HostInfo.RestoreScreen = saved_.RestoreScreen;
    HostInfo.Control = saved_.Control;
    current_ = nullptr;
  }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  struct MessageCall {
    DWORD flags;
    std::vector<std::string> items;
    int buttons;
  };
  std::vector<MessageCall> messages;
  std::vector<int> controls;
  int savedScreens = 0;   // SaveScreen calls not yet restored
  int maxSavedScreens = 0;
  int anotherPanelType = 0;

 private:
  static int WINAPI Message(INT_PTR, DWORD flags, const char*, const char* const* items, int n,
                            int buttons) {
    MessageCall call{flags, {}, buttons};
    for (int i = 0; i < n; ++i) call.items.push_back(items[i]);
    current_->messages.push_back(call);
    return -1;
  }
  static HANDLE WINAPI SaveScreen(int, int, int, int) {
    if (++current_->savedScreens > current_->maxSavedScreens)
      current_->maxSavedScreens = current_->savedScreens;
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x5000 + current_->savedScreens));
  }
  static void WINAPI RestoreScreen(HANDLE) { --current_->savedScreens; }
  static int WINAPI Control(HANDLE, int command, void* param) {
    current_->controls.push_back(command);
    if (command == FCTL_GETANOTHERPANELINFO && param != nullptr)
      static_cast<PanelInfo*>(param)->PanelType = current_->anotherPanelType;
    return 1;
  }
  static inline FakeHost* current_ = nullptr;
  PluginStartupInfo saved_;
};

}  // namespace paneltest
