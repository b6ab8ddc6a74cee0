// farhost script runner.
//
// One action per line; '#' starts a comment line; words are separated by
// blanks, "double quotes" keep blanks in one word; ${NAME} is replaced by the
// environment variable NAME. Each line is echoed as "> line" before its output.
//
// Settings (before the first action):
//   language <name>          interface language for the .lng and .hlf files (English)
//   size <width> <height>    screen size (80 25)
//   host 1.x|later           which real host to behave as (1.x)
//   numpad on|off            navigation keys reach the plug-in as numpad codes
//   allow missing messages   GetMsg of a number the language file lacks is no failure
//   unscripted esc           boxes no queued answer is meant for are closed with Esc, not failed
//   registry <subkey> <name> <value> [dword|sz|unterminated|binary]
//                            a value below the host's RootKey, written before the
//                            plug-in loads (a number: REG_DWORD, else REG_SZ); with a
//                            type: REG_DWORD, REG_SZ even for digits, REG_SZ stored
//                            without its NUL, REG_BINARY of hexadecimal byte pairs
// Actions:
//   load <dll>                          load the plug-in (if not given on the command line)
//   passive files <dir> | info | qview  what the other panel shows
//   open disks [n] | plugins <n> | cmd <text> | shortcut <text>
//   open find <file>... | file <path>   Find File result list / Enter on a file
//   open editor [n] | viewer [n]        the plug-ins menu inside the editor / viewer
//   configure <n>
//   answer message <button>|esc
//   answer menu <item>|esc [break <k>]
//   answer dialog <item>|esc [type <item> <text>] [check|uncheck|toggle <item>]...
//   key <key>                           e.g. F4, Ctrl+F10, Shift+F5, Enter, Down, 0x41
//   cursor <index>|<name>               move the cursor (one redraw)
//   select <index>...|all   unselect <index>...|all
//   sort name|ext|mtime|size|descr|owner|links|unsorted [reverse]
//   filter <masks>|off                  e.g. filter *.mp3;*.txt
//   view <0-9>                          view mode, as Ctrl+digit
//   copy <path>...   move <path>...     F5 / F6 of real files onto the plug-in panel
//   delete            moveto <dir>      F8 / F6 on the plug-in panel
//   interrupt dirlist                   the next GetDirList fails (Esc in the host's scan)
//   idle   wait <seconds>   redraw   update [keep|drop]   tab   close   exit
//   print panel [passive] | info | keybar [ctrl|alt|shift] | title | messages | cmdline
//   print plugininfo                    the plug-in's menu entries (GetPluginInfo)
//   print openinfo                      flags, format and start modes of the active panel
//   print calls                         the calls since the last "print calls" (without GetMsg)
//   print host                          what the host did itself since the last "print host"
//   print log <file>                    the lines a file got since the last look at it
//   print registry [<subkey>]           the values below RootKey (or below its subkey), key by key
//   check                               balance check now (screens, dir lists, answers)
// Repeated lines in "print calls" and "print log" are shown once, with "(xN)".
// Failures are printed as "!! <text>" where they happen; the run ends with the
// balance check and "failures: N".
#include "Script.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <memory>

namespace farhost {

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inQuotes = false, any = false;
  for (char c : line) {
    if (c == '"') {
      inQuotes = !inQuotes;
      any = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

std::string Expand(const std::string& line) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '$' && i + 1 < line.size() && line[i + 1] == '{') {
      size_t end = line.find('}', i + 2);
      if (end != std::string::npos) {
        std::string name = line.substr(i + 2, end - i - 2);
        char value[1024];
        DWORD n = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
        if (n > 0 && n < sizeof value) out += value;
        i = end;
        continue;
      }
    }
    out += line[i];
  }
  return out;
}

bool ToInt(const std::string& text, int* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = strtol(text.c_str(), &end, 0);
  if (*end) return false;
  *value = static_cast<int>(v);
  return true;
}

int SortModeOf(const std::string& name) {
  static const struct { const char* name; int mode; } modes[] = {
      {"name", SM_NAME}, {"ext", SM_EXT}, {"mtime", SM_MTIME}, {"size", SM_SIZE},
      {"descr", SM_DESCR}, {"owner", SM_OWNER}, {"links", SM_NUMLINKS}, {"unsorted", SM_UNSORTED}};
  for (const auto& m : modes)
    if (name == m.name) return m.mode;
  return -1;
}

bool IsNumber(const std::string& text) {
  int value = 0;
  return ToInt(text, &value);
}

class Runner {
 public:
  Runner(const std::string& plugin, std::string* out, const ScriptExtension& extension)
      : plugin_(plugin), out_(out), extension_(extension) {}

  int Run(const std::string& script) {
    size_t pos = 0;
    while (pos < script.size()) {
      size_t end = script.find('\n', pos);
      if (end == std::string::npos) end = script.size();
      std::string line = script.substr(pos, end - pos);
      pos = end + 1;
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      size_t first = line.find_first_not_of(" \t");
      if (first == std::string::npos || line[first] == '#') continue;
      line = line.substr(first);
      *out_ += "> " + line + "\n";
      std::vector<std::string> w = Words(Expand(line));
      if (!w.empty() && !Line(w)) Error("cannot do: " + line);
    }
    if (!host_) Start();
    host_->CheckBalanced();
    int failures = errors_ + static_cast<int>(host_->Failures().size());
    host_.reset();
    *out_ += "failures: " + std::to_string(failures) + "\n";
    return failures;
  }

 private:
  void Error(const std::string& text) {
    ++errors_;
    *out_ += "!! " + text + "\n";
  }

  void Start() {
    options_.onFailure = [this](const std::string& text) { *out_ += "!! " + text + "\n"; };
    options_.transcript = [this](const std::string& text) { *out_ += text; };
    host_.reset(new Host(options_));
    for (const RegistryValue& v : registry_) WriteRegistry(v);
    if (!plugin_.empty()) host_->LoadPlugin(plugin_);
  }

  Host& H() {
    if (!host_) Start();
    return *host_;
  }

  bool Line(const std::vector<std::string>& w) {
    const std::string& cmd = w[0];
    size_t n = w.size();
    int a = 0, b = 0;
    if (cmd == "language" && n == 2 && !host_) return options_.language = w[1], true;
    if (cmd == "size" && n == 3 && !host_ && ToInt(w[1], &a) && ToInt(w[2], &b)) {
      options_.screenWidth = a;
      options_.screenHeight = b;
      return true;
    }
    if (cmd == "host" && n == 2 && !host_ && (w[1] == "later" || w[1] == "1.x"))
      return options_.laterHost = w[1] == "later", true;
    if (cmd == "allow" && n == 3 && w[1] == "missing" && w[2] == "messages" && !host_)
      return options_.failOnMissingMessage = false, true;
    if (cmd == "unscripted" && n == 2 && w[1] == "esc" && !host_) return options_.escapeUnscripted = true, true;
    if (cmd == "numpad" && n == 2 && !host_) return options_.numpadKeys = w[1] == "on", true;
    if (cmd == "registry" && (n == 4 || n == 5) && !host_) {
      RegistryValue v{w[1], w[2], w[3], n == 5 ? w[4] : std::string()};
      if (!v.type.empty() && v.type != "dword" && v.type != "sz" && v.type != "unterminated" &&
          v.type != "binary")
        return false;
      return registry_.push_back(v), true;
    }
    if (cmd == "load" && n == 2) {
      if (!host_) {
        plugin_ = w[1];
        Start();
        return true;
      }
      return H().LoadPlugin(w[1]);
    }
    Host& h = H();
    if (cmd == "passive" && n >= 2) {
      PassivePanel p;
      if (w[1] == "files" && n == 3) p.directory = w[2];
      else if (w[1] == "info") p.kind = PassivePanel::Info;
      else if (w[1] == "qview") p.kind = PassivePanel::QuickView;
      else return false;
      h.SetPassivePanel(p);
      return true;
    }
    if (cmd == "open" && n >= 2) return Open(w);
    if (cmd == "configure" && n == 2 && ToInt(w[1], &a)) {
      *out_ += std::string("configure: ") + (h.Configure(a) ? "changed" : "unchanged") + "\n";
      return true;
    }
    if (cmd == "answer" && n >= 3) return Answer(w);
    if (cmd == "key" && n == 2) {
      int vk = 0;
      unsigned state = 0;
      if (!ParseKeyName(w[1], &vk, &state)) return false;
      *out_ += std::string("key ") + (h.PressKey(vk, state) ? "handled by the plug-in" : "not handled by the plug-in") + "\n";
      return true;
    }
    if (cmd == "cursor" && n == 2) {
      if (ToInt(w[1], &a)) h.SetCursor(a);
      else h.SetCursorByName(w[1]);
      return true;
    }
    if ((cmd == "select" || cmd == "unselect") && n >= 2) {
      bool on = cmd == "select";
      if (w[1] == "all") {
        h.SelectAll(on);
        return true;
      }
      for (size_t i = 1; i < n; ++i) {
        if (!ToInt(w[i], &a)) return false;
        h.Select(a, on);
      }
      h.Redraw();
      return true;
    }
    if (cmd == "sort" && (n == 2 || (n == 3 && w[2] == "reverse"))) {
      int mode = SortModeOf(w[1]);
      if (mode < 0) return false;
      h.SetSort(mode, n == 3);
      return true;
    }
    if (cmd == "filter" && n == 2) return h.SetFilter(w[1] == "off" ? std::string() : w[1]), true;
    if (cmd == "view" && n == 2 && ToInt(w[1], &a)) return h.SetViewMode(a), true;
    if ((cmd == "copy" || cmd == "move") && n >= 2) {
      std::vector<std::string> paths(w.begin() + 1, w.end());
      *out_ += "PutFiles returned " + std::to_string(h.CopyToPanel(paths, cmd == "move")) + "\n";
      return true;
    }
    if (cmd == "delete" && n == 1) {
      *out_ += "host deleted " + std::to_string(h.DeleteSelected()) + " file(s)\n";
      return true;
    }
    if (cmd == "moveto" && n == 2) {
      *out_ += "host moved " + std::to_string(h.MoveSelected(w[1])) + " file(s)\n";
      return true;
    }
    if (cmd == "interrupt" && n == 2 && w[1] == "dirlist") return h.InterruptNextDirList(), true;
    if (cmd == "idle" && n == 1) return h.Idle(), true;
    if (cmd == "wait" && n == 2 && ToInt(w[1], &a) && a >= 0) return h.Wait(a), true;
    if (cmd == "exit" && n == 1) return h.UnloadPlugin(), true;
    if (cmd == "redraw" && n == 1) return h.Redraw(), true;
    if (cmd == "update" && n <= 2) return h.Update(n == 1 || w[1] == "keep"), true;
    if (cmd == "tab" && n == 1) return h.SwitchPanels(), true;
    if (cmd == "close" && n == 1) return h.ClosePanel(), true;
    if (cmd == "print" && n >= 2) return Print(w);
    if (cmd == "check" && n == 1) {
      *out_ += h.CheckBalanced() ? std::string("balanced\n") : std::string("not balanced\n");
      return true;
    }
    return extension_ && extension_(h, w, out_);
  }

  struct RegistryValue {
    std::string subkey, name, value;
    std::string type;  // empty: by the value's look
  };

  static bool HexBytes(const std::string& text, std::string* bytes) {
    if (text.size() % 2 != 0) return false;
    for (size_t i = 0; i < text.size(); i += 2) {
      char* end = nullptr;
      std::string pair = text.substr(i, 2);
      long byte = strtol(pair.c_str(), &end, 16);
      if (end != pair.c_str() + 2) return false;
      bytes->push_back(static_cast<char>(byte));
    }
    return true;
  }

  void WriteRegistry(const RegistryValue& v) {
    std::string key = host_->RootKey() + "\\" + v.subkey;
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS) {
      Error("registry: cannot create " + key);
      return;
    }
    int number = 0;
    std::string bytes;
    if (v.type == "binary") {
      if (!HexBytes(v.value, &bytes)) Error("registry: not hexadecimal byte pairs: " + v.value);
      RegSetValueExA(handle, v.name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
    } else if (v.type == "unterminated") {
      RegSetValueExA(handle, v.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.value.data()),
                     static_cast<DWORD>(v.value.size()));
    } else if (v.type != "sz" && (v.type == "dword" || IsNumber(v.value)) && ToInt(v.value, &number)) {
      DWORD data = static_cast<DWORD>(number);
      RegSetValueExA(handle, v.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    } else {
      RegSetValueExA(handle, v.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.value.c_str()),
                     static_cast<DWORD>(v.value.size() + 1));
    }
    RegCloseKey(handle);
  }

  bool Open(const std::vector<std::string>& w) {
    Host& h = H();
    const std::string& how = w[1];
    int a = 0;
    bool opened = false;
    if (how == "disks" && w.size() <= 3) opened = h.OpenFromDisksMenu(w.size() == 3 && ToInt(w[2], &a) ? a : 0);
    else if (how == "plugins" && w.size() == 3 && ToInt(w[2], &a)) opened = h.OpenFromPluginsMenu(a);
    else if (how == "cmd" && w.size() == 3) opened = h.OpenFromCommandLine(w[2]);
    else if (how == "shortcut" && w.size() == 3) opened = h.OpenFromShortcut(w[2]);
    else if (how == "find") opened = h.OpenFindList(std::vector<std::string>(w.begin() + 2, w.end()));
    else if (how == "file" && w.size() == 3) opened = h.OpenFile(w[2]);
    else if ((how == "editor" || how == "viewer") && w.size() <= 3) {
      int item = w.size() == 3 && ToInt(w[2], &a) ? a : 0;
      bool refused = how == "editor" ? h.OpenFromEditor(item) : h.OpenFromViewer(item);
      *out_ += refused ? "no panel (as it must be)\n" : "a panel handle was returned\n";
      return true;
    }
    else return false;
    *out_ += opened ? "panel opened\n" : "no panel opened\n";
    return true;
  }

  bool Answer(const std::vector<std::string>& w) {
    Host& h = H();
    int index = -1;
    if (w[2] != "esc" && !ToInt(w[2], &index)) return false;
    if (w[1] == "message" && w.size() == 3) return h.AnswerMessage(index), true;
    if (w[1] == "menu") {
      int code = -1;
      if (w.size() == 5 && w[3] == "break" && ToInt(w[4], &code)) return h.AnswerMenu(index, code), true;
      if (w.size() == 3) return h.AnswerMenu(index), true;
      return false;
    }
    if (w[1] != "dialog") return false;
    DialogAnswer d;
    d.button = index;
    for (size_t i = 3; i < w.size(); ++i) {
      int item = 0;
      if (i + 1 >= w.size() || !ToInt(w[i + 1], &item)) return false;
      if (w[i] == "type" && i + 2 < w.size()) {
        d.Type(item, w[i + 2]);
        i += 2;
      } else if (w[i] == "check" || w[i] == "uncheck") {
        d.Check(item, w[i] == "check");
        ++i;
      } else if (w[i] == "toggle") {
        d.Toggle(item);
        ++i;
      } else {
        return false;
      }
    }
    h.AnswerDialog(d);
    return true;
  }

  bool Print(const std::vector<std::string>& w) {
    Host& h = H();
    const std::string& what = w[1];
    if (what == "panel") {
      *out_ += h.RenderPanel(w.size() == 3 && w[2] == "passive" ? Side::Passive : Side::Active);
    } else if (what == "info") {
      *out_ += h.RenderInfoPanel();
    } else if (what == "keybar") {
      unsigned state = 0;
      if (w.size() == 3) state = w[2] == "ctrl" ? PKF_CONTROL : w[2] == "alt" ? PKF_ALT : w[2] == "shift" ? PKF_SHIFT : 0u;
      *out_ += h.RenderKeyBar(state);
    } else if (what == "title") {
      *out_ += h.RenderTitle() + "\n";
    } else if (what == "plugininfo" && w.size() == 2) {
      *out_ += h.RenderPluginInfo();
    } else if (what == "openinfo" && w.size() == 2) {
      *out_ += h.RenderOpenInfo();
    } else if (what == "messages") {
      *out_ += h.RenderVisibleMessages();
    } else if (what == "cmdline") {
      *out_ += h.CommandLine() + "\n";
    } else if ((what == "calls" || what == "host") && w.size() == 2) {
      bool hostOnly = what == "host";
      size_t& shown = hostOnly ? hostShown_ : callsShown_;
      const std::vector<Call>& calls = h.Calls();
      if (shown > calls.size()) shown = 0;  // the records were cleared
      std::vector<std::string> lines;
      std::string plugin = h.StartupInfo()->ModuleName;
      plugin = plugin.substr(plugin.find_last_of("\\/") + 1);
      for (size_t i = shown; i < calls.size(); ++i)
        if (calls[i].name != "GetMsg" && (!hostOnly || calls[i].byHost)) lines.push_back(RenderCall(calls[i], plugin));
      shown = calls.size();
      *out_ += Collapsed(lines);
    } else if (what == "registry" && w.size() <= 3) {
      std::string top = host_->RootKey();
      if (w.size() == 3) top += "\\" + w[2];
      std::string listed;
      ListRegistry(top, std::string(w.size() == 3 ? w[2] : ""), &listed);
      *out_ += listed.empty() ? std::string("registry: nothing\n") : listed;
    } else if (what == "log" && (w.size() == 3 || (w.size() == 4 && w[3] == "sorted"))) {
      std::string text;
      ReadFileText(w[2], &text);
      size_t& shown = logShown_[w[2]];
      if (shown > text.size()) shown = 0;  // the file was written anew
      std::vector<std::string> lines;
      size_t pos = shown;
      while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        // A last line without its line end counts too (logs whose messages
        // start with their line break never end in one); what the file gets
        // later shows at the next look.
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        pos = end < text.size() ? end + 1 : end;
      }
      shown = pos;
      // "sorted": for lines whose order is not the plug-in's to decide, such
      // as a player's handling of posted commands among sent messages.
      if (w.size() == 4) std::sort(lines.begin(), lines.end());
      *out_ += Collapsed(lines);
    } else {
      return false;
    }
    return true;
  }

  // One line per entry; a run of equal lines as the first with "(xN)".
  static std::string Collapsed(const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size();) {
      size_t k = i + 1;
      while (k < lines.size() && lines[k] == lines[i]) ++k;
      out += lines[i] + (k - i > 1 ? " (x" + std::to_string(k - i) + ")" : std::string()) + "\n";
      i = k;
    }
    return out;
  }

  // Every value of the key and of the keys below it, keys in name order, each
  // with its path (relative to RootKey) and its values in name order.
  static void ListRegistry(const std::string& key, const std::string& shownPath, std::string* out) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return;
    std::map<std::string, std::string> values;
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
      char name[256];
      DWORD nameSize = sizeof name;
      BYTE data[1024];
      DWORD dataSize = sizeof data;
      DWORD type = 0;
      if (RegEnumValueA(handle, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
      std::string shown;
      if (type == REG_DWORD && dataSize == sizeof(DWORD)) {
        DWORD value = 0;
        memcpy(&value, data, sizeof value);
        shown = std::to_string(static_cast<long long>(static_cast<int>(value)));
      } else if (type == REG_SZ) {
        shown = "\"" + std::string(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), dataSize)) + "\"";
      } else {
        shown = "type " + std::to_string(type) + ", " + std::to_string(dataSize) + " bytes";
      }
      values[std::string(name, nameSize)] = shown;
    }
    for (DWORD i = 0;; ++i) {
      char name[256];
      DWORD nameSize = sizeof name;
      if (RegEnumKeyExA(handle, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      subkeys.emplace_back(name, nameSize);
    }
    RegCloseKey(handle);
    if (!values.empty()) {
      *out += (shownPath.empty() ? std::string("(RootKey)") : shownPath) + "\n";
      for (const auto& v : values) *out += "  " + v.first + " = " + v.second + "\n";
    }
    std::sort(subkeys.begin(), subkeys.end());
    for (const std::string& sub : subkeys)
      ListRegistry(key + "\\" + sub, shownPath.empty() ? sub : shownPath + "\\" + sub, out);
  }

  static void ReadFileText(const std::string& path, std::string* out) {
    out->clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) out->append(buffer, got);
    CloseHandle(file);
  }

  std::string plugin_;
  std::string* out_;
  ScriptExtension extension_;
  std::vector<RegistryValue> registry_;
  Options options_;
  std::unique_ptr<Host> host_;
  int errors_ = 0;
  size_t callsShown_ = 0, hostShown_ = 0;
  std::map<std::string, size_t> logShown_;
};

}  // namespace

bool ParseKeyName(const std::string& name, int* vk, unsigned* state) {
  *state = 0;
  std::string rest = name;
  static const struct { const char* prefix; unsigned flag; } mods[] = {
      {"ctrl+", PKF_CONTROL}, {"alt+", PKF_ALT}, {"shift+", PKF_SHIFT}};
  for (bool more = true; more;) {
    more = false;
    for (const auto& m : mods) {
      size_t len = strlen(m.prefix);
      if (rest.size() > len && _strnicmp(rest.c_str(), m.prefix, len) == 0) {
        *state |= m.flag;
        rest = rest.substr(len);
        more = true;
      }
    }
  }
  static const struct { const char* name; int vk; } keys[] = {
      {"enter", VK_RETURN}, {"esc", VK_ESCAPE}, {"tab", VK_TAB}, {"ins", VK_INSERT},
      {"del", VK_DELETE}, {"up", VK_UP}, {"down", VK_DOWN}, {"left", VK_LEFT},
      {"right", VK_RIGHT}, {"home", VK_HOME}, {"end", VK_END}, {"pgup", VK_PRIOR},
      {"pgdn", VK_NEXT}, {"space", VK_SPACE}, {"bs", VK_BACK}};
  for (const auto& k : keys)
    if (_stricmp(rest.c_str(), k.name) == 0) return *vk = k.vk, true;
  if ((rest[0] == 'F' || rest[0] == 'f') && rest.size() <= 3) {
    int f = atoi(rest.c_str() + 1);
    if (f >= 1 && f <= 12) return *vk = VK_F1 + f - 1, true;
  }
  if (rest.size() == 1 && isalnum(static_cast<unsigned char>(rest[0])))
    return *vk = toupper(static_cast<unsigned char>(rest[0])), true;
  int code = 0;
  if (rest.compare(0, 2, "0x") == 0 && ToInt(rest, &code) && code > 0 && code < 256) return *vk = code, true;
  return false;
}

int RunScript(const std::string& script, const std::string& pluginPath, std::string* out,
              const ScriptExtension& extension) {
  Runner runner(pluginPath, out, extension);
  return runner.Run(script);
}

}  // namespace farhost
