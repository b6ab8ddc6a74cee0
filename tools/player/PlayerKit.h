// Test-side control of the player stand-in (fakeamp.exe): each PlayerProcess
// runs its own copy of the exe in a folder the test owns, so its WINAMP.M3U,
// fakeamp.ini, journal and state dump land there, and the process is ended
// when the object goes away. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace playerkit {

// The built fakeamp.exe, as a Windows path (a Unix build path becomes "Z:\...").
std::string BuiltPlayerPath();

// A parsed state dump (format: tools/player/README.md).
struct PlayerState {
    bool valid = false;          // false: no dump (state option off, or not written yet)
    std::string state;           // "stopped", "playing" or "paused"
    int position = -1;           // 0-based
    std::vector<std::string> paths;
};

class PlayerProcess {
public:
    // folder must exist; the exe is copied there by Start().
    explicit PlayerProcess(const std::string& folder);
    ~PlayerProcess();  // Stop()
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;

    // Before Start(): a fakeamp.ini line "key=value" (the plug-in starts the
    // player without arguments, so this is how a test shapes its behaviour).
    void SetOption(const std::string& key, const std::string& value);
    // Before Start(): a command-line argument "key=value".
    void AddArgument(const std::string& argument);
    // Before Start(): journal=<folder>\journal.txt and state=<folder>\state.txt.
    void EnableJournal();
    void EnableState();

    // Copies the exe, writes the ini (when options were set) and starts the
    // process; then waits up to timeoutMs for its window to answer (0: do not
    // wait). False when the copy or start fails or the window does not appear.
    bool Start(DWORD timeoutMs = 10000);
    // Waits until the process's own "Winamp v1.x" window exists and answers a
    // WM_NULL (not journalled, not counted by exitafter). Sets Hwnd().
    bool WaitForWindow(DWORD timeoutMs);
    // Ends the process (TerminateProcess) and waits for it; idempotent. The
    // process also sits in a kill-on-close job, so it ends with the test program.
    void Stop();
    // True while the process runs.
    bool Running() const;
    // Waits for the process to end by itself; true when it has.
    bool WaitForExit(DWORD timeoutMs) const;

    HWND Hwnd() const { return hwnd_; }
    DWORD ProcessId() const { return processId_; }
    const std::string& Folder() const { return folder_; }
    std::string ExePath() const;       // <folder>\fakeamp.exe
    std::string PlaylistPath() const;  // <folder>\WINAMP.M3U
    std::string JournalPath() const;   // <folder>\journal.txt
    std::string StatePath() const;     // <folder>\state.txt

    // SendMessageTimeoutA to the window (30 s); 0 when it does not answer.
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) const;
    LRESULT Ipc(LPARAM code, WPARAM wParam = 0) const { return Send(WM_USER, wParam, code); }
    LRESULT Command(WORD id) const { return Send(WM_COMMAND, id, 0); }
    // IPC_PLAYFILE: WM_COPYDATA dwData 100 with the path and its NUL.
    LRESULT PlayFile(const std::string& path) const;
    // The window caption; empty when there is no window.
    std::string Caption() const;

    PlayerState ReadState() const;
    // The journal's lines without their line ends (format: tools/player/README.md);
    // empty when there is none.
    std::vector<std::string> ReadJournal() const;

private:
    std::string folder_;
    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> arguments_;
    HANDLE job_ = nullptr;  // kill-on-close job: a crashed test takes its player along
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND hwnd_ = nullptr;
};

// Registers the player like its installer: the default value of
// HKEY_CLASSES_ROOT\Winamp.File\DefaultIcon becomes "<exePath><iconSuffix>" (REG_SZ). The destructor
// removes exactly what the constructor created: keys it made are deleted, a
// value it replaced is put back. Not copyable.
class PlayerRegistration {
public:
    explicit PlayerRegistration(const std::string& exePath, const std::string& iconSuffix = ",1");
    ~PlayerRegistration();
    PlayerRegistration(const PlayerRegistration&) = delete;
    PlayerRegistration& operator=(const PlayerRegistration&) = delete;

    bool Ok() const { return ok_; }  // the value was written

private:
    bool ok_ = false;
    bool createdFileKey_ = false;   // Winamp.File did not exist before
    bool createdIconKey_ = false;   // Winamp.File\DefaultIcon did not exist before
    bool hadValue_ = false;         // DefaultIcon had a default value before
    DWORD oldType_ = 0;
    std::vector<BYTE> oldValue_;
};

// Changes an option of the running stand-in behind window ("exitafter=3": it
// ends after the third message from now); the test's control message is
// neither journalled nor counted. False when the window does not answer.
bool SetLiveOption(HWND window, const std::string& keyValue);

// Reads HKEY_CLASSES_ROOT\Winamp.File\DefaultIcon's default value; false when absent.
bool ReadPlayerRegistration(std::string* value);

}  // namespace playerkit
