// fakeamp: a stand-in for the Winamp 2.x player, for tests and the demo.
// It owns a hidden main window of class "Winamp v1.x" and answers the player
// messages the plug-in sends (WM_USER IPC codes, WM_COMMAND buttons,
// WM_COPYDATA IPC_PLAYFILE); see Player.h for the playlist and caption rules
// and Options.h for the options.
//
// Journal (option journal=<path>): one line per IPC, command or copy-data
// message, appended in the order received, before it is handled, CR LF ended:
//   IPC_<NAME> wParam=<signed decimal>     WM_USER with a known IPC code,
//                                          e.g. "IPC_WRITEPLAYLIST wParam=0"
//   WM_USER wParam=<w> lParam=<l>          WM_USER with any other code
//   WM_COMMAND <id>                        e.g. "WM_COMMAND 40048"
//   IPC_PLAYFILE <path>                    WM_COPYDATA dwData 100 (CR/LF in the
//                                          path are written as '?')
//   WM_COPYDATA dwData=<n> cbData=<n>      any other copy-data message
// Test control (WM_COPYDATA dwData kTestControl): one option line, applied
// at once; neither journalled nor counted, and exitafter counts from it on.
// State dump (option state=<path>): written when the window exists and
// rewritten after each such message:
//   line 1 "stopped", "playing" or "paused"; line 2 the 0-based position;
//   then one song path per line; CR LF line ends.
// IPC_WRITEPLAYLIST writes WINAMP.M3U beside this exe.
#include "FileHandle.h"
#include "Options.h"
#include "Player.h"
#include "PlaylistFiles.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace fakeamp {
namespace {

const char kClassName[] = "Winamp v1.x";

enum IpcCode {
    IPC_GETVERSION = 0,
    IPC_PLAYFILE = 100,
    IPC_DELETE = 101,
    IPC_STARTPLAY = 102,
    IPC_ISPLAYING = 104,
    IPC_GETOUTPUTTIME = 105,
    IPC_JUMPTOTIME = 106,
    IPC_WRITEPLAYLIST = 120,
    IPC_SETPLAYLISTPOS = 121,
    IPC_GETLISTLENGTH = 124,
    IPC_GETLISTPOS = 125,
    IPC_GETINFO = 126,
};

enum CommandId {
    WINAMP_BUTTON1 = 40044,
    WINAMP_BUTTON2 = 40045,
    WINAMP_BUTTON3 = 40046,
    WINAMP_BUTTON4 = 40047,
    WINAMP_BUTTON5 = 40048,
    WINAMP_FILE_PLAY = 40029,
    WINAMP_FFWD5S = 40060,
    WINAMP_REW5S = 40061,
    WINAMP_BUTTON1_CTRL = 40154,
    WINAMP_BUTTON2_CTRL = 40155,
};

const int kSeekStepMs = 5000;
// A test's own copy-data message ("FAMP"), never the plug-in's.
const ULONG_PTR kTestControl = 0x46414D50;

const char* IpcName(LPARAM code) {
    switch (code) {
        case IPC_GETVERSION: return "IPC_GETVERSION";
        case IPC_DELETE: return "IPC_DELETE";
        case IPC_STARTPLAY: return "IPC_STARTPLAY";
        case IPC_ISPLAYING: return "IPC_ISPLAYING";
        case IPC_GETOUTPUTTIME: return "IPC_GETOUTPUTTIME";
        case IPC_JUMPTOTIME: return "IPC_JUMPTOTIME";
        case IPC_WRITEPLAYLIST: return "IPC_WRITEPLAYLIST";
        case IPC_SETPLAYLISTPOS: return "IPC_SETPLAYLISTPOS";
        case IPC_GETLISTLENGTH: return "IPC_GETLISTLENGTH";
        case IPC_GETLISTPOS: return "IPC_GETLISTPOS";
        case IPC_GETINFO: return "IPC_GETINFO";
        default: return nullptr;
    }
}

// Everything the window procedure works on; owned by WinMain, lent to the
// window through GWLP_USERDATA.
struct App {
    Options options;
    Player player;
    std::string playlistFile;  // WINAMP.M3U beside the exe
    std::string shownCaption;  // what the window shows now
    unsigned handled = 0;      // IPC, command and copy-data messages answered
    bool exiting = false;      // exitafter reached: answer nothing more
    HANDLE heldSong = INVALID_HANDLE_VALUE;  // lockplaying: the song the "decoder" reads
    std::string heldPath;
};

// lockplaying: the playing or paused song is held open for reading, sharing
// only reading, as the real player's decoder holds it; a stopped player
// holds nothing. Deleting or moving the held file fails meanwhile.
void HoldPlayingSong(App* app) {
    const std::string* path = app->player.State() != PlayState::Stopped ? app->player.CurrentPath() : nullptr;
    const std::string wanted = path ? *path : std::string();
    if (wanted == app->heldPath) return;
    if (app->heldSong != INVALID_HANDLE_VALUE) CloseHandle(app->heldSong);
    app->heldSong = INVALID_HANDLE_VALUE;
    app->heldPath = wanted;
    if (!wanted.empty())
        app->heldSong = CreateFileA(wanted.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string ExeFolder() {
    char path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return ".";
    std::string folder(path, n);
    const std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::string ReadSmallFile(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return std::string();
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return std::string();
    return std::string(buffer, got);
}

// A song, or the songs of a playlist file (at most limit of them).
void AddSongOrPlaylist(Player* player, const std::string& path, unsigned limit = 0xFFFFFFFFu) {
    if (path.empty()) return;
    if (!IsPlaylistPath(path)) {
        player->Append(path);
        return;
    }
    for (ListedSong& song : ReadPlaylistFile(path)) {
        if (limit-- == 0) break;
        player->Append(std::move(song));
    }
}

void Journal(const App& app, const std::string& line) {
    if (app.options.journal.empty()) return;
    std::string clean = line;
    for (char& c : clean)
        if (c == '\r' || c == '\n') c = '?';
    WriteTextFile(app.options.journal, clean + "\r\n", true);
}

// The path of an IPC_PLAYFILE: at most cbData bytes, up to the first NUL, so
// a sender that forgets the NUL cannot make us read past its data.
std::string CopyDataText(const COPYDATASTRUCT* data) {
    if (!data->lpData || data->cbData == 0) return std::string();
    const char* p = static_cast<const char*>(data->lpData);
    std::size_t n = 0;
    while (n < data->cbData && p[n] != '\0') ++n;
    return std::string(p, n);
}

LRESULT HandleIpc(App* app, WPARAM wParam, LPARAM code) {
    Player& player = app->player;
    const unsigned now = GetTickCount();
    switch (code) {
        case IPC_GETVERSION: return static_cast<LRESULT>(app->options.version);
        case IPC_DELETE: player.Clear(); return 0;
        case IPC_STARTPLAY: player.Play(now); return 0;
        case IPC_ISPLAYING:
            return player.State() == PlayState::Playing ? 1 : player.State() == PlayState::Paused ? 3 : 0;
        case IPC_GETOUTPUTTIME:
            if (wParam == 0) return player.PositionMs(now);
            if (wParam == 1) return player.CurrentLength();
            return -1;
        case IPC_JUMPTOTIME: return player.JumpTo(static_cast<int>(wParam), now);
        case IPC_WRITEPLAYLIST:
            WriteTextFile(app->playlistFile, player.PlaylistText(), false);
            return player.Position();
        case IPC_SETPLAYLISTPOS: player.SetPosition(static_cast<int>(wParam)); return 0;
        case IPC_GETLISTLENGTH: return player.Count();
        case IPC_GETLISTPOS: return player.Position();
        case IPC_GETINFO: return player.Info(static_cast<int>(wParam));
        default: return 0;
    }
}

// The player's own file or location box: a modal loop that goes on
// answering the messages it gets until the box closes, ms later. Whoever sent
// the command that opened it waits that long for its answer.
void RunOwnBox(unsigned ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        const LONG left = static_cast<LONG>(end - GetTickCount());
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void HandleCommand(App* app, int id) {
    Player& player = app->player;
    const unsigned now = GetTickCount();
    switch (id) {
        case WINAMP_BUTTON1: player.Previous(now); break;
        case WINAMP_BUTTON2: player.Play(now); break;
        case WINAMP_BUTTON3: player.TogglePause(now); break;
        case WINAMP_BUTTON4: player.Stop(); break;
        case WINAMP_BUTTON5: player.Next(now); break;
        case WINAMP_BUTTON1_CTRL: player.First(now); break;
        case WINAMP_FFWD5S: player.Seek(kSeekStepMs, now); break;
        case WINAMP_REW5S: player.Seek(-kSeekStepMs, now); break;
        case WINAMP_FILE_PLAY:
        case WINAMP_BUTTON2_CTRL:
            if (app->options.ownBoxMs != 0) {
                RunOwnBox(app->options.ownBoxMs);
                // Where this line falls among the others shows who waited for the box.
                Journal(*app, "own box closed");
            }
            break;
        default: break;  // others: journal only
    }
}

// After every counted message: show the caption, dump the state, and end the
// process once exitafter messages have been answered.
void AfterMessage(App* app, HWND hwnd) {
    if (app->player.Caption() != app->shownCaption) {
        app->shownCaption = app->player.Caption();
        SetWindowTextA(hwnd, app->shownCaption.c_str());
    }
    if (app->options.lockPlaying) HoldPlayingSong(app);
    if (!app->options.state.empty()) WriteTextFile(app->options.state, app->player.StateText(), false);
    ++app->handled;
    if (app->options.exitAfter != 0 && app->handled >= app->options.exitAfter) {
        app->exiting = true;
        PostQuitMessage(0);
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    App* app = reinterpret_cast<App*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!app) return DefWindowProcA(hwnd, msg, wParam, lParam);

    switch (msg) {
        case WM_USER: {
            if (app->exiting) return 0;
            const char* name = IpcName(lParam);
            // WPARAM is unsigned and pointer-sized: through INT_PTR, -1 reads -1 on 32 bits too.
            const long long w = static_cast<INT_PTR>(wParam);
            Journal(*app, name ? std::string(name) + " wParam=" + std::to_string(w)
                               : "WM_USER wParam=" + std::to_string(w) +
                                     " lParam=" + std::to_string(static_cast<long long>(lParam)));
            const LRESULT answer = HandleIpc(app, wParam, lParam);
            AfterMessage(app, hwnd);
            return answer;
        }
        case WM_COMMAND: {
            if (app->exiting) return 0;
            const int id = LOWORD(wParam);
            Journal(*app, "WM_COMMAND " + std::to_string(id));
            HandleCommand(app, id);
            AfterMessage(app, hwnd);
            return 0;
        }
        case WM_COPYDATA: {
            if (app->exiting || lParam == 0) return 0;
            const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (data->dwData == kTestControl) {
                // A test arms the player in the middle of a session: "exitafter=3"
                // ends it after the third message from now.
                ApplyOptionLine(&app->options, CopyDataText(data));
                app->handled = 0;
                return TRUE;
            }
            if (data->dwData == IPC_PLAYFILE) {
                const std::string path = CopyDataText(data);
                Journal(*app, "IPC_PLAYFILE " + path);
                AddSongOrPlaylist(&app->player, path, app->options.listSongs);
            } else {
                Journal(*app, "WM_COPYDATA dwData=" + std::to_string(static_cast<unsigned long long>(data->dwData)) +
                                  " cbData=" + std::to_string(data->cbData));
            }
            AfterMessage(app, hwnd);
            return TRUE;
        }
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace
}  // namespace fakeamp

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace fakeamp;
    App app;
    const std::string folder = ExeFolder();
    app.playlistFile = folder + "\\WINAMP.M3U";
    ApplyOptionText(&app.options, ReadSmallFile(folder + "\\fakeamp.ini"));
    for (int i = 1; i < __argc; ++i) ApplyOptionLine(&app.options, __argv[i]);
    app.player = Player(app.options.noDotCaption, app.options.numbered);
    AddSongOrPlaylist(&app.player, app.options.playlist);

    if (app.options.windowDelayMs) Sleep(app.options.windowDelayMs);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) return 1;
    app.shownCaption = app.player.Caption();
    HWND hwnd = CreateWindowExA(0, kClassName, app.shownCaption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 275, 116, nullptr, nullptr, instance, &app);
    if (!hwnd) return 1;
    // A first dump, so a list loaded with playlist= can be checked before any message.
    if (!app.options.state.empty()) WriteTextFile(app.options.state, app.player.StateText(), false);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    return 0;
}
