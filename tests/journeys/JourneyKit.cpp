#include "JourneyKit.h"

#include "Script.h"
#include "SongFiles.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <stdexcept>

#ifndef MELVOX_DLL
#error "MELVOX_DLL must name the built melvox.dll"
#endif
#ifndef MELVOX_LANG_DIR
#error "MELVOX_LANG_DIR must name the built language files' folder"
#endif

namespace journey {

namespace {

const char kPlayerClass[] = "Winamp v1.x";
const DWORD kSendTimeoutMs = 30000;
const DWORD kStartTimeoutMs = 20000;
// IPC codes and buttons the user's own actions on the player send.
const LPARAM kIpcDelete = 101;
const ULONG_PTR kIpcPlayFile = 100;
const LPARAM kIpcSetPlaylistPos = 121;
const WORD kPrevious = 40044, kPlay = 40045, kPause = 40046, kStop = 40047, kNext = 40048;

const char* const kShippedFiles[] = {"melvoxEng.lng", "melvoxRus.lng", "melvoxEng.hlf", "melvoxRus.hlf"};

void CopyOrThrow(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("cannot copy " + from + " to " + to);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Every "<prefix><rest of a token>" becomes "<prefix><placeholder>"; the
// token ends at a character outside allowed (null: at the end of the line).
std::string ReplacedTokens(std::string text, const std::string& prefix, const char* allowed,
                           const std::string& placeholder) {
  for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
    size_t start = at + prefix.size();
    size_t end = allowed ? text.find_first_not_of(allowed, start) : text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    text.replace(start, end - start, placeholder);
  }
  return text;
}

// Saved playlists go here: a folder whose path has the same length on every
// run, so the dialogs and boxes that show it are drawn alike. Journeys run
// one at a time in a prefix of their own.
const char kListsFolder[] = "C:\\melvox-lists";

// Removes a folder with everything inside, read-only files too.
void RemoveTree(const std::string& path) {
  std::error_code error;
  for (std::filesystem::recursive_directory_iterator it(path, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code ignored;
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path, error);
}

// Script text (UTF-8) in the ANSI code page, as tags hold it.
std::string AnsiFromUtf8(const std::string& text) {
  int wide = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (wide <= 0) return text;
  std::vector<wchar_t> buffer(static_cast<size_t>(wide));
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, buffer.data(), wide);
  int bytes = WideCharToMultiByte(CP_ACP, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return text;
  std::string ansi(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, buffer.data(), -1, &ansi[0], bytes, nullptr, nullptr);
  ansi.pop_back();
  return ansi;
}

// The running player's window, whoever started it.
HWND PlayerWindow() { return FindWindowA(kPlayerClass, nullptr); }

LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND window = PlayerWindow();
  DWORD_PTR result = 0;
  if (!window || !SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}

// Ends the process behind every player window (the plug-in may have started
// one itself) and waits until it is gone.
void EndPlayerWindows() {
  for (int round = 0; round < 20; ++round) {
    HWND window = PlayerWindow();
    if (!window) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
  }
}

std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  if (start < text.size()) parts.push_back(text.substr(start));
  return parts;
}

}  // namespace

std::string BuiltPluginPath() { return testkit::WinePath(MELVOX_DLL); }
std::string BuiltLanguageFolder() { return testkit::WinePath(MELVOX_LANG_DIR); }

const std::vector<LibrarySong>& Library() {
  static const std::vector<LibrarySong> songs = {
      {"Morning.mp3", "The Testers", "Morning Light", "Demo Days", "2001", 17, 128, 44100, 2, 95},
      {"Noon.mp3", "The Testers", "High Noon", "Demo Days", "2001", 17, 160, 48000, 2, 80},
      {"Evening.mp3", nullptr, nullptr, nullptr, nullptr, 255, 96, 32000, 1, 125},
      {"Night.mp3", "Quiet Band", "Night Song", "Late", "1999", 8, 64, 44100, 1, 181},
  };
  return songs;
}

const LibrarySong& LongSong() {
  static const LibrarySong song = {"Long.mp3", "The Long Distance Runners Band", "A Very Long Song Title Indeed",
                                   "Marathon", "2003", 17, 128, 44100, 2, 65};
  return song;
}

Journey::Journey()
    : root_("journey"),
      plugin_(root_.MakeDir("plugin")),
      songs_(root_.MakeDir("songs")),
      player_(root_.MakeDir("player")),
      lists_(kListsFolder) {
  RemoveTree(lists_);
  if (!CreateDirectoryA(lists_.c_str(), nullptr)) throw std::runtime_error("cannot make " + lists_);
  CopyOrThrow(BuiltPluginPath(), plugin_ + "\\melvox.dll");
  for (const char* file : kShippedFiles) CopyOrThrow(BuiltLanguageFolder() + "\\" + file, plugin_ + "\\" + file);

  auto write = [this](const LibrarySong& s) {
    testkit::MpegFormat format;
    format.bitrateKbps = s.bitrateKbps;
    format.sampleRate = s.sampleRate;
    format.channels = s.channels;
    testkit::Id3v1Fields tag;
    if (s.artist) {
      tag.artist = s.artist;
      tag.title = s.title;
      tag.album = s.album;
      tag.year = s.year;
      tag.genre = static_cast<std::uint8_t>(s.genre);
    }
    std::string path = songs_ + "\\" + s.file;
    testkit::WriteMpegSong(path, format, s.seconds, s.artist ? &tag : nullptr);
    return path;
  };
  std::vector<std::string> all, day, night;
  for (size_t i = 0; i < Library().size(); ++i) {
    std::string path = write(Library()[i]);
    all.push_back(path);
    (i < 2 ? day : night).push_back(path);
  }
  testkit::WriteText(songs_ + "\\long.m3u", all[0] + "\r\n" + write(LongSong()) + "\r\n" + all[2] + "\r\n");
  std::string allText, dayText, nightText = "[playlist]\r\n";
  for (const std::string& p : all) allText += p + "\r\n";
  for (const std::string& p : day) dayText += p + "\r\n";
  for (size_t i = 0; i < night.size(); ++i) nightText += "File" + std::to_string(i + 1) + "=" + night[i] + "\r\n";
  nightText += "NumberOfEntries=" + std::to_string(night.size()) + "\r\nVersion=2\r\n";
  testkit::WriteText(songs_ + "\\all.m3u", allText);
  testkit::WriteText(songs_ + "\\day.m3u", dayText);
  testkit::WriteText(songs_ + "\\night.pls", nightText);

  SetEnvironmentVariableA("PLUGIN", plugin_.c_str());
  SetEnvironmentVariableA("SONGS", songs_.c_str());
  SetEnvironmentVariableA("PLAYER", player_.c_str());
  SetEnvironmentVariableA("LISTS", lists_.c_str());
  SetEnvironmentVariableA("JOURNAL", (player_ + "\\journal.txt").c_str());
  SetEnvironmentVariableA("STATE", (player_ + "\\state.txt").c_str());
}

Journey::~Journey() {
  for (auto& lock : locks_) CloseHandle(lock.second);
  EndPlayers();
  RemoveTree(lists_);
  registration_.reset();
  for (const char* name : {"PLUGIN", "SONGS", "PLAYER", "LISTS", "JOURNAL", "STATE"})
    SetEnvironmentVariableA(name, nullptr);
}

void Journey::EndPlayers() {
  if (process_) process_->Stop();
  process_.reset();
  EndPlayerWindows();
}

std::string Journey::Run(const std::string& script, int* failures, const farhost::ScriptExtension& extra) {
  std::string out;
  int failed = farhost::RunScript(
      script, plugin_ + "\\melvox.dll", &out,
      [this, &extra](farhost::Host& host, const std::vector<std::string>& words, std::string* shown) {
        return PlayerLine(words, shown) || FileLine(words, shown) || (extra && extra(host, words, shown));
      });
  // The playlist files the plug-in hands the player are its to delete,
  // whatever befell the player.
  char temp[MAX_PATH];
  DWORD t = GetTempPathA(sizeof temp, temp);
  char pattern[MAX_PATH + 32];
  snprintf(pattern, sizeof pattern, "%.*sMELVOX-%lx-*.m3u", static_cast<int>(t < sizeof temp ? t : 0), temp,
           static_cast<unsigned long>(GetCurrentProcessId()));
  WIN32_FIND_DATAA left;
  HANDLE search = FindFirstFileA(pattern, &left);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      out += std::string("!! a temporary playlist was left: ") + left.cFileName + "\n";
      DeleteFileA((std::string(temp, t) + left.cFileName).c_str());
      ++failed;
    } while (FindNextFileA(search, &left));
    FindClose(search);
  }
  if (failures) *failures = failed;
  return Stable(out);
}

bool Journey::Register(const std::string& playlist, std::string* out) {
  std::string ini = "[fakeamp]\r\njournal=" + player_ + "\\journal.txt\r\nstate=" + player_ + "\\state.txt\r\n";
  if (!playlist.empty()) ini += "playlist=" + playlist + "\r\n";
  for (const auto& option : options_) ini += option.first + "=" + option.second + "\r\n";
  testkit::WriteText(player_ + "\\fakeamp.ini", ini);
  if (!CopyFileA(playerkit::BuiltPlayerPath().c_str(), (player_ + "\\fakeamp.exe").c_str(), FALSE)) {
    *out += "player: cannot copy the stand-in\n";
    return false;
  }
  if (!registration_) registration_ = std::make_unique<playerkit::PlayerRegistration>(player_ + "\\fakeamp.exe");
  return registration_->Ok();
}

bool Journey::Revive(std::string* out) {
  if (PlayerWindow()) return true;
  // A player that just ended may still hold its exe for a moment.
  for (int attempt = 0; attempt < 50; ++attempt) {
    process_ = std::make_unique<playerkit::PlayerProcess>(player_);
    if (process_->Start(kStartTimeoutMs)) return true;
    Sleep(100);
  }
  *out += "player: the stand-in did not start again\n";
  return false;
}

bool Journey::PlayerLine(const std::vector<std::string>& w, std::string* out) {
  if (w[0] == "titles" && w.size() == 1) {
    std::string bytes = testkit::ReadText(plugin_ + "\\melvox.fc0");
    if (bytes.empty()) {
      *out += "titles cache: none\n";
      return true;
    }
    std::vector<std::string> texts = SplitAt(bytes, '\0');
    *out += "titles cache: " + std::to_string(texts.size() / 3) + " entries\n";
    for (size_t i = 0; i + 2 < texts.size(); i += 3)
      *out += "  " + texts[i] + " | " + texts[i + 1] + " | " + texts[i + 2] + "\n";
    return true;
  }
  if (w[0] != "player" || w.size() < 2) return false;
  const std::string& what = w[1];
  size_t n = w.size();
  if (what == "option" && n == 3 && w[2].find('=') != std::string::npos) {
    options_.emplace_back(w[2].substr(0, w[2].find('=')), w[2].substr(w[2].find('=') + 1));
    return true;
  }
  if (what == "register" && n <= 3) return Register(n == 3 ? w[2] : std::string(), out);
  if (what == "start" && n <= 3) {
    if (!Register(n == 3 ? w[2] : std::string(), out)) return false;
    // The ini is written; the process reads it from beside its exe.
    process_ = std::make_unique<playerkit::PlayerProcess>(player_);
    if (!process_->Start(kStartTimeoutMs)) {
      *out += "player: the stand-in did not start\n";
      return false;
    }
    return true;
  }
  if (what == "play" && n <= 3) {
    if (n == 3) Send(WM_USER, static_cast<WPARAM>(atoi(w[2].c_str()) - 1), kIpcSetPlaylistPos);
    Send(WM_COMMAND, kPlay, 0);
    return true;
  }
  static const struct { const char* name; WORD command; } buttons[] = {
      {"pause", kPause}, {"stop", kStop}, {"next", kNext}, {"prev", kPrevious}};
  for (const auto& b : buttons)
    if (what == b.name && n == 2) return Send(WM_COMMAND, b.command, 0), true;
  if (what == "clear" && n == 2) return Send(WM_USER, 0, kIpcDelete), true;
  if (what == "add" && n >= 3) {
    for (size_t i = 2; i < n; ++i) {
      COPYDATASTRUCT data = {};
      data.dwData = kIpcPlayFile;
      data.cbData = static_cast<DWORD>(w[i].size() + 1);
      data.lpData = const_cast<char*>(w[i].c_str());
      Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    return true;
  }
  if (what == "quit" && n == 2) return EndPlayers(), true;
  if (what == "revive" && n == 2) return Revive(out);
  if (what == "set" && n == 3 && w[2].find('=') != std::string::npos) {
    if (playerkit::SetLiveOption(PlayerWindow(), w[2])) return true;
    *out += "player: no running player to set " + w[2] + "\n";
    return false;
  }
  if (what == "unregister" && n == 2) return registration_.reset(), true;
  if (what == "state" && n == 2) {
    std::vector<std::string> lines = SplitAt(testkit::ReadText(player_ + "\\state.txt"), '\n');
    for (std::string& line : lines)
      if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lines.size() < 2) {
      *out += "player: no state\n";
      return true;
    }
    *out += "player: " + lines[0] + ", song " + std::to_string(atoi(lines[1].c_str()) + 1) + " of " +
            std::to_string(lines.size() - 2) + "\n";
    for (size_t i = 2; i < lines.size(); ++i) *out += "  " + std::to_string(i - 1) + ". " + lines[i] + "\n";
    return true;
  }
  return false;
}

bool Journey::FileLine(const std::vector<std::string>& w, std::string* out) {
  size_t n = w.size();
  if (w[0] == "song" && (n == 2 || n == 3 || n == 5)) {
    for (size_t at = w[1].find('\\', 3); at != std::string::npos; at = w[1].find('\\', at + 1))
      CreateDirectoryA(w[1].substr(0, at).c_str(), nullptr);
    testkit::Id3v1Fields tag;
    if (n == 5) {
      tag.artist = AnsiFromUtf8(w[3]);
      tag.title = AnsiFromUtf8(w[4]);
    }
    testkit::WriteMpegSong(w[1], testkit::MpegFormat(), n >= 3 ? atoi(w[2].c_str()) : 1,
                           n == 5 ? &tag : nullptr);
    return true;
  }
  if (w[0] == "readonly" && n == 2) {
    DWORD attributes = GetFileAttributesA(w[1].c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesA(w[1].c_str(), attributes | FILE_ATTRIBUTE_READONLY);
  }
  if (w[0] == "lock" && n == 2) {
    // As a playing player holds a song: others may read it, nobody may write.
    HANDLE file = CreateFileA(w[1].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    locks_.emplace_back(w[1], file);
    return true;
  }
  if (w[0] == "unlock" && n == 2) {
    for (auto it = locks_.begin(); it != locks_.end(); ++it)
      if (it->first == w[1]) {
        CloseHandle(it->second);
        locks_.erase(it);
        return true;
      }
    return false;
  }
  if (w[0] == "remove" && n == 2) {
    SetFileAttributesA(w[1].c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(w[1].c_str()) != 0;
  }
  if (w[0] == "file" && n == 2) {
    DWORD attributes = GetFileAttributesA(w[1].c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      *out += "file: none\n";
      return true;
    }
    std::string bytes = testkit::ReadText(w[1]);
    // No byte count: the folders' names differ in length from run to run.
    *out += "file:\n";
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
        *out += "  |" + line + "\\r\\n\n";
        line.clear();
        ++i;
      } else if (c == '\n') {
        *out += "  |" + line + "\\n\n";
        line.clear();
      } else if (c < 0x20 || c > 0x7e) {
        char hex[8];
        snprintf(hex, sizeof hex, "\\x%02x", c);
        line += hex;
      } else {
        line += static_cast<char>(c);
      }
    }
    if (!line.empty()) *out += "  |" + line + "\n";
    return true;
  }
  return false;
}

std::string Journey::Stable(std::string text) const {
  text = Replaced(text, plugin_, "${PLUGIN}");
  text = Replaced(text, lists_, "${LISTS}");
  text = Replaced(text, songs_, "${SONGS}");
  text = Replaced(text, player_, "${PLAYER}");
  // The folder the test runs in: the panel closes back to it.
  char current[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(sizeof current, current);
  if (n > 0 && n < sizeof current) text = Replaced(text, current, "${CWD}");
  text = ReplacedTokens(text, "handle=0x", "0123456789abcdef", "${HANDLE}");
  // Where in the song the player was when the plug-in asked: milliseconds
  // that differ from run to run.
  text = ReplacedTokens(text, "SongPos=", "-0123456789", "${MS}");
  text = ReplacedTokens(text, "IPC_JUMPTOTIME wParam=", "-0123456789", "${MS}");
  text = ReplacedTokens(text, "debug log file started on ", nullptr, "${TIME}");
  // The playlist files the plug-in hands the player: the user's temporary
  // folder, and names of their own on every run.
  char temp[MAX_PATH];
  DWORD t = GetTempPathA(sizeof temp, temp);
  if (t > 1 && t < sizeof temp) text = Replaced(text, std::string(temp, t - 1), "${TEMP}");
  text = ReplacedTokens(text, "${TEMP}\\MELVOX-", "0123456789abcdef-", "${N}");
  return text;
}

}  // namespace journey
