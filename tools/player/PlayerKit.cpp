#include "PlayerKit.h"

#include "TempDir.h"

#include <cstdlib>

#ifndef MELVOX_PLAYER_EXE
#error "MELVOX_PLAYER_EXE must name the built fakeamp.exe"
#endif

namespace playerkit {

namespace {

const char kClassName[] = "Winamp v1.x";
const char kIconKey[] = "Winamp.File\\DefaultIcon";
const DWORD kSendTimeoutMs = 30000;
const ULONG_PTR kIpcPlayFile = 100;
const ULONG_PTR kTestControl = 0x46414D50;  // "FAMP", tools/player/README.md

// Owns a registry key handle; closes it on every path. Not copyable.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* Receive() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Owns a file handle; closes it on every path. Not copyable.
class File {
public:
    explicit File(HANDLE h) : h_(h) {}
    ~File() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

std::string ReadFileText(const std::string& path) {
    File file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return std::string();
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

bool WriteFileText(const std::string& path, const std::string& text) {
    File file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD wrote = 0;
    return file.Valid() && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr) &&
           wrote == text.size();
}

// Lines without their LF or CR LF; a last line without an end counts.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string Quote(const std::string& arg) { return "\"" + arg + "\""; }

}  // namespace

std::string BuiltPlayerPath() { return testkit::WinePath(MELVOX_PLAYER_EXE); }

PlayerProcess::PlayerProcess(const std::string& folder) : folder_(folder) {}

PlayerProcess::~PlayerProcess() {
    Stop();
    if (job_) CloseHandle(job_);
}

void PlayerProcess::SetOption(const std::string& key, const std::string& value) {
    options_.emplace_back(key, value);
}

void PlayerProcess::AddArgument(const std::string& argument) { arguments_.push_back(argument); }

void PlayerProcess::EnableJournal() { SetOption("journal", JournalPath()); }

void PlayerProcess::EnableState() { SetOption("state", StatePath()); }

std::string PlayerProcess::ExePath() const { return folder_ + "\\fakeamp.exe"; }
std::string PlayerProcess::PlaylistPath() const { return folder_ + "\\WINAMP.M3U"; }
std::string PlayerProcess::JournalPath() const { return folder_ + "\\journal.txt"; }
std::string PlayerProcess::StatePath() const { return folder_ + "\\state.txt"; }

bool PlayerProcess::Start(DWORD timeoutMs) {
    Stop();
    if (!CopyFileA(BuiltPlayerPath().c_str(), ExePath().c_str(), FALSE)) return false;
    if (!options_.empty()) {
        std::string ini = "[fakeamp]\r\n";
        for (const auto& option : options_) ini += option.first + "=" + option.second + "\r\n";
        if (!WriteFileText(folder_ + "\\fakeamp.ini", ini)) return false;
    }
    std::string commandLine = Quote(ExePath());
    for (const std::string& argument : arguments_) commandLine += " " + Quote(argument);
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');

    if (!job_) {
        job_ = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job_) SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(ExePath().c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                        &startup, &info))
        return false;
    // Without the job (nested jobs may refuse) Stop() still ends the process.
    if (job_) AssignProcessToJobObject(job_, info.hProcess);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return timeoutMs == 0 || WaitForWindow(timeoutMs);
}

bool PlayerProcess::WaitForWindow(DWORD timeoutMs) {
    const DWORD started = GetTickCount();
    for (;;) {
        for (HWND w = FindWindowExA(nullptr, nullptr, kClassName, nullptr); w;
             w = FindWindowExA(nullptr, w, kClassName, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            DWORD_PTR ignored = 0;
            if (owner == processId_ && SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored)) {
                hwnd_ = w;
                return true;
            }
        }
        if (!Running() || GetTickCount() - started >= timeoutMs) return false;
        Sleep(20);
    }
}

void PlayerProcess::Stop() {
    if (process_) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
        CloseHandle(process_);
    }
    process_ = nullptr;
    processId_ = 0;
    hwnd_ = nullptr;
}

bool PlayerProcess::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool PlayerProcess::WaitForExit(DWORD timeoutMs) const {
    return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

LRESULT PlayerProcess::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
    if (!hwnd_) return 0;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd_, msg, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) return 0;
    return static_cast<LRESULT>(result);
}

LRESULT PlayerProcess::PlayFile(const std::string& path) const {
    std::vector<char> data(path.begin(), path.end());
    data.push_back('\0');
    COPYDATASTRUCT copy = {};
    copy.dwData = kIpcPlayFile;
    copy.cbData = static_cast<DWORD>(data.size());
    copy.lpData = data.data();
    return Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
}

bool SetLiveOption(HWND window, const std::string& keyValue) {
    std::vector<char> data(keyValue.begin(), keyValue.end());
    data.push_back('\0');
    COPYDATASTRUCT copy = {};
    copy.dwData = kTestControl;
    copy.cbData = static_cast<DWORD>(data.size());
    copy.lpData = data.data();
    DWORD_PTR result = 0;
    return window && SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL,
                                         kSendTimeoutMs, &result) && result != 0;
}

std::string PlayerProcess::Caption() const {
    if (!hwnd_) return std::string();
    const int length = GetWindowTextLengthA(hwnd_);
    if (length <= 0) return std::string();
    std::vector<char> text(static_cast<std::size_t>(length) + 2);
    const int got = GetWindowTextA(hwnd_, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

PlayerState PlayerProcess::ReadState() const {
    PlayerState state;
    const std::vector<std::string> lines = SplitLines(ReadFileText(StatePath()));
    if (lines.size() < 2) return state;
    state.valid = true;
    state.state = lines[0];
    state.position = std::atoi(lines[1].c_str());
    state.paths.assign(lines.begin() + 2, lines.end());
    return state;
}

std::vector<std::string> PlayerProcess::ReadJournal() const { return SplitLines(ReadFileText(JournalPath())); }

PlayerRegistration::PlayerRegistration(const std::string& exePath, const std::string& iconSuffix) {
    RegKey fileKey;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, "Winamp.File", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, fileKey.Receive(),
                        &disposition) != ERROR_SUCCESS)
        return;
    createdFileKey_ = disposition == REG_CREATED_NEW_KEY;
    RegKey iconKey;
    if (RegCreateKeyExA(fileKey.Get(), "DefaultIcon", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, iconKey.Receive(),
                        &disposition) != ERROR_SUCCESS)
        return;
    createdIconKey_ = disposition == REG_CREATED_NEW_KEY;
    if (!createdIconKey_) {
        DWORD size = 0;
        if (RegQueryValueExA(iconKey.Get(), nullptr, nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
            oldValue_.resize(size);
            hadValue_ = RegQueryValueExA(iconKey.Get(), nullptr, nullptr, &oldType_, oldValue_.data(), &size) ==
                        ERROR_SUCCESS;
            oldValue_.resize(size);
        }
    }
    const std::string value = exePath + iconSuffix;
    ok_ = RegSetValueExA(iconKey.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

PlayerRegistration::~PlayerRegistration() {
    if (createdFileKey_) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kIconKey);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "Winamp.File");
        return;
    }
    if (createdIconKey_) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kIconKey);
        return;
    }
    RegKey iconKey;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kIconKey, 0, KEY_SET_VALUE, iconKey.Receive()) != ERROR_SUCCESS) return;
    if (hadValue_)
        RegSetValueExA(iconKey.Get(), nullptr, 0, oldType_, oldValue_.data(), static_cast<DWORD>(oldValue_.size()));
    else
        RegDeleteValueA(iconKey.Get(), nullptr);
}

bool ReadPlayerRegistration(std::string* value) {
    RegKey iconKey;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kIconKey, 0, KEY_QUERY_VALUE, iconKey.Receive()) != ERROR_SUCCESS)
        return false;
    char buffer[1024];
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    if (RegQueryValueExA(iconKey.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
    *value = buffer;
    return true;
}

}  // namespace playerkit
