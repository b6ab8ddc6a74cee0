// A player that dies in the middle of every command: each command that talks
// to the player runs once healthy, which counts the messages it sends (the
// stand-in's journal), then once for every N up to that count with the
// stand-in armed to end right after its N-th message. Every run goes through
// the shipped DLL in the host emulator and must leave no host failure (no
// unanswered box, no unrestored screen, no call on a closed instance), a
// panel numbered 1..n with readable texts, and, once the user starts the
// player again and lists anew, a panel that holds what the player holds.
// Players that misbehave from the start (a late window, version 0, a caption
// without ".") run the same checks without dying.
//
// The default run takes a fixed sample of each command's N; DEATH_MATRIX=full
// (scripts/death-matrix.sh) runs every N in both start-up settings.
// DEATH_CASE=<command>[:<N>[,<N>...]] runs that command alone (its healthy run
// and the N given, else its sample), DEATH_STARTUP=none|plugin one setting.
#include "JourneyKit.h"

#include "FarHost.h"
#include "Script.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kPlayerClass[] = "Winamp v1.x";
// A case that takes longer than this hangs the host: the whole program ends.
const DWORD kCaseTimeoutMs = 60000;

struct Command {
  const char* name;
  const char* setup;    // the session up to the command, with the player running
  const char* command;  // the command and the answers its boxes may want
  const char* after;    // before the player is started again (usually nothing)
  // The command changes the player's playlist: the panel must then show what
  // the player held at its end, or the user be warned.
  bool writes;
};

// Songs put onto the panel by the folder copy.
#define TREE_SONGS \
  "song ${SONGS}\\tree\\b-two.mp3\n" \
  "song ${SONGS}\\tree\\a-one.mp3\n" \
  "song ${SONGS}\\tree\\inner\\c-three.mp3\n"

const Command kCommands[] = {
    {"OpenDisks",
     "registry \"Tessaryn Software\\MELVOX\" ReadFileTitle 0\n"
     "player start ${SONGS}\\all.m3u\n",
     "open disks\n", "", false},
    {"OpenWithTitles", "player start ${SONGS}\\all.m3u\n", "open disks\n", "", false},
    {"OpenPlaylistFile", "player start ${SONGS}\\day.m3u\n",
     "answer message 0\nopen file ${SONGS}\\all.m3u\n", "", true},
    {"ListingDrops",
     "player start ${SONGS}\\all.m3u\nopen disks\nremove ${SONGS}\\Noon.mp3\n",
     "key Ctrl+R\n", "", false},
    {"Enter", "player start ${SONGS}\\all.m3u\nopen disks\ncursor 3\n", "key Enter\n", "", false},
    {"F3", "player start ${SONGS}\\all.m3u\nopen disks\nplayer play 2\ncursor 3\n", "key F3\n", "", false},
    {"F4", "player start ${SONGS}\\all.m3u\nopen disks\nplayer play 2\ncursor 3\n", "key F4\n", "", false},
    {"F4Stopped", "player start ${SONGS}\\all.m3u\nopen disks\ncursor 3\n", "key F4\n", "", false},
    {"Del", "player start ${SONGS}\\all.m3u\nopen disks\ncursor 2\n", "key Del\n", "", true},
    {"ShiftF1",
     "player start ${SONGS}\\all.m3u\nopen disks\nsort name\n",
     "answer message 0\nkey Shift+F1\n", "sort unsorted\n", true},
    {"PutFiles",
     "passive files ${SONGS}\nplayer start ${SONGS}\\day.m3u\nopen disks\ntab\n",
     "answer message 0\nanswer message 0\ncopy ${SONGS}\\Night.mp3 ${SONGS}\\Evening.mp3\n", "tab\n", true},
    {"PutFolder",
     TREE_SONGS "passive files ${SONGS}\nplayer start ${SONGS}\\day.m3u\nopen disks\ntab\n",
     "answer message 0\nanswer message 0\ncopy ${SONGS}\\tree\n", "tab\n", true},
    {"SetFindList", "player start ${SONGS}\\day.m3u\n",
     "answer message 0\nanswer message 0\nopen find ${SONGS}\\Evening.mp3 ${SONGS}\\Night.mp3\n", "", true},
    {"ControlButton", "player start ${SONGS}\\all.m3u\nplayer play 2\n",
     "answer dialog 9\nanswer dialog esc\nanswer message 0\nopen plugins 0\n", "", false},
    {"ControlTag", "player start ${SONGS}\\all.m3u\nplayer play 3\n",
     "answer dialog 10\nanswer dialog 14 type 1 \"Sunset Tune\"\nanswer dialog esc\n"
     "answer message 0\nanswer message 0\nopen plugins 0\n", "", false},
    {"TagSaveReload",
     "registry \"Tessaryn Software\\MELVOX\" ReadFileTitle 0\n"
     "player start ${SONGS}\\all.m3u\nopen disks\nselect 1 2\n",
     "answer dialog 14 type 27 \"Greatest Hits\" check 34\nanswer dialog 14\n"
     "answer message 0\nanswer message 0\nkey Alt+F6\n", "", true},
};

// Players odd from their start, each under the commands that meet it first.
struct Quirk {
  const char* name;
  const char* setup;
  const char* command;
  const char* healed;  // the option back as it is by default
};

const Quirk kQuirks[] = {
    {"LateWindowStartedByPlugin",
     "player option windowdelay=1500\nplayer register ${SONGS}\\all.m3u\n",
     "answer message 0\nopen disks\n", "windowdelay=0"},
    {"VersionZeroOpen", "player option version=0\nplayer start ${SONGS}\\all.m3u\n",
     "answer message 0\nopen disks\n", "version=8272"},
    {"VersionZeroControl", "player option version=0\nplayer start ${SONGS}\\all.m3u\n",
     "answer dialog esc\nanswer message 0\nopen plugins 0\n", "version=8272"},
    {"NoDotCaptionOpen", "player option nodotcaption=1\nplayer start ${SONGS}\\all.m3u\n", "open disks\n", "nodotcaption=0"},
    {"NoDotCaptionEnter",
     "player option nodotcaption=1\nplayer start ${SONGS}\\all.m3u\nopen disks\ncursor 2\n",
     "key Enter\n", "nodotcaption=0"},
    {"NoDotCaptionControl", "player option nodotcaption=1\nplayer start ${SONGS}\\all.m3u\nplayer play 2\n",
     "answer dialog 9\nanswer dialog esc\nopen plugins 0\n", "nodotcaption=0"},
    // Started by the plug-in and dying at once: every message of the start.
    {"StartedByPluginDiesAtFirst",
     "player option exitafter=1\nplayer register ${SONGS}\\all.m3u\n",
     "answer message 0\nanswer message 0\nopen disks\n", "exitafter=0"},
};

void PrintTo(const Command& c, std::ostream* os) { *os << c.name; }
void PrintTo(const Quirk& q, std::ostream* os) { *os << q.name; }

std::string EnvText(const char* name) {
  char value[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

size_t CountLines(const std::string& text) {
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool Readable(const std::string& text) {
  for (unsigned char c : text)
    if (c < 0x20 || c > 0x7e) return false;
  return true;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The extra script lines of one case:
//   death arm <N>    note the journal's length; N > 0: the player ends after N more messages
//   death settle     the command is over: answers it did not want are dropped; no screen
//                    is left saved, the panel (if any) is numbered 1..n with readable texts
//   death gone       an armed player has ended (waited for)
//   death relist     what the user does next: the panel closed and opened anew
//   death verify     the panel is consistent and shows the player's playlist in its order
class DeathLines {
 public:
  DeathLines(int armed, bool writes) : armed_(armed), writes_(writes) {}

  bool operator()(farhost::Host& host, const std::vector<std::string>& w, std::string* out) {
    if (w.size() < 2 || w[0] != "death") return false;
    const std::string& what = w[1];
    if (what == "arm" && w.size() == 2) {
      journalBefore_ = CountLines(testkit::ReadText(EnvText("JOURNAL")));
      messagesBefore_ = host.Messages().size();
      dialogsBefore_ = host.Dialogs().size();
      if (armed_ > 0) return Arm(out);
      return true;
    }
    if (what == "settle" && w.size() == 2) {
      std::vector<std::string> journal = Lines(testkit::ReadText(EnvText("JOURNAL")));
      sentLines_.assign(journal.begin() + std::min(journalBefore_, journal.size()), journal.end());
      sent_ = static_cast<int>(sentLines_.size());
      host.DropAnswers();
      bool ok = true;
      if (host.OpenScreens() != 0) {
        *out += "!! death: " + std::to_string(host.OpenScreens()) + " screen(s) left saved\n";
        ok = false;
      }
      return Consistent(host, out) && Told(host, out) && ok;
    }
    if (what == "gone" && w.size() == 2) {
      // The armed player ends; one the plug-in started after it may run on.
      for (int i = 0; i < 100 && armedWindow_ && IsWindow(armedWindow_); ++i) Sleep(50);
      if (armedWindow_ && IsWindow(armedWindow_)) {
        *out += "!! death: the armed player still runs after " + std::to_string(sent_) + " message(s)\n";
        return false;
      }
      return true;
    }
    if (what == "relist" && w.size() == 2) {
      host.DropAnswers();
      // The panel never polls the player: the user opens it anew.
      if (host.IsPluginPanel()) host.ClosePanel();
      host.OpenFromDisksMenu(0);
      host.DropAnswers();
      return true;
    }
    if (what == "verify" && w.size() == 2) return Consistent(host, out) && SameAsPlayer(host, out);
    return false;
  }

  int Sent() const { return sent_; }
  const std::vector<std::string>& SentLines() const { return sentLines_; }

 private:
  bool Arm(std::string* out) {
    HWND window = FindWindowA(kPlayerClass, nullptr);
    if (window && playerkit::SetLiveOption(window, "exitafter=" + std::to_string(armed_))) {
      armedWindow_ = window;
      return true;
    }
    *out += "!! death: no player to arm\n";
    return false;
  }

  // The side the plug-in's panel is on (the file panel may be active after
  // a copy); false when none is open.
  static bool PanelSide(farhost::Host& host, farhost::Side* side) {
    for (farhost::Side s : {farhost::Side::Active, farhost::Side::Passive})
      if (host.IsPluginPanel(s)) return *side = s, true;
    return false;
  }

  static bool Consistent(farhost::Host& host, std::string* out) {
    farhost::Side side;
    if (!PanelSide(host, &side)) return true;
    // The user's sort may show them in another order: each of 1..n once.
    bool ok = true;
    std::vector<DWORD> numbers;
    for (const farhost::PanelRow& row : host.Rows(side)) {
      if (row.dots) continue;
      numbers.push_back(row.numberOfLinks);
      bool readable = Readable(row.name) && Readable(row.description) && Readable(row.owner);
      for (const std::string& column : row.customColumns) readable = readable && Readable(column);
      if (!readable) {
        *out += "!! death: entry " + row.name + " holds unreadable text\n";
        ok = false;
      }
    }
    std::sort(numbers.begin(), numbers.end());
    for (size_t i = 0; i < numbers.size(); ++i) {
      if (numbers[i] == i + 1) continue;
      *out += "!! death: the entries are not numbered 1.." + std::to_string(numbers.size()) + "\n";
      ok = false;
      break;
    }
    return ok;
  }

  // The panel shows what the player held when the command ended (its state
  // is dumped after every message, the last one too), or the user was warned
  // that the player did not take it (or asked whether to wait for it).
  bool Told(farhost::Host& host, std::string* out) const {
    farhost::Side side;
    if (!writes_ || !PanelSide(host, &side)) return true;
    std::string differs = Difference(host, side);
    if (differs.empty()) return true;
    // An empty panel claims nothing: it is what a panel without a player shows.
    bool shows = false;
    for (const farhost::PanelRow& row : host.Rows(side)) shows = shows || !row.dots;
    if (!shows) return true;
    for (size_t i = messagesBefore_; i < host.Messages().size(); ++i)
      if (!host.Messages()[i].fromHost && (host.Messages()[i].flags & FMSG_WARNING)) return true;
    // Nor is the user left unaware who was asked whether to wait on for the player.
    for (size_t i = dialogsBefore_; i < host.Dialogs().size(); ++i)
      if (host.Dialogs()[i].helpTopic == "MELVOXWait") return true;
    *out += "!! death: untold, " + differs + "\n";
    return false;
  }

  static std::string Difference(farhost::Host& host, farhost::Side side) {
    std::vector<std::string> state = Lines(testkit::ReadText(EnvText("STATE")));
    std::vector<std::string> held(state.size() > 2 ? state.begin() + 2 : state.end(), state.end());
    // In the store's order (the numbers), whatever the user's sort shows.
    std::vector<std::pair<DWORD, std::string>> numbered;
    for (const farhost::PanelRow& row : host.Rows(side))
      if (!row.dots) numbered.emplace_back(row.numberOfLinks, row.name);
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> shown;
    for (const auto& entry : numbered) shown.push_back(entry.second);
    bool same = shown.size() == held.size();
    for (size_t i = 0; same && i < shown.size(); ++i) same = _stricmp(shown[i].c_str(), held[i].c_str()) == 0;
    if (same) return std::string();
    std::string text = "the panel shows";
    for (const std::string& name : shown) text += " " + BaseName(name);
    text += "; the player holds";
    for (const std::string& path : held) text += " " + BaseName(path);
    return text;
  }

  static bool SameAsPlayer(farhost::Host& host, std::string* out) {
    if (!host.IsPluginPanel()) {
      *out += "!! death: no panel after opening again\n";
      return false;
    }
    std::string differs = Difference(host, farhost::Side::Active);
    if (differs.empty()) return true;
    *out += "!! death: " + differs + "\n";
    return false;
  }

  int armed_;
  bool writes_;
  HWND armedWindow_ = nullptr;
  size_t journalBefore_ = 0;
  size_t messagesBefore_ = 0;
  size_t dialogsBefore_ = 0;
  int sent_ = 0;
  std::vector<std::string> sentLines_;  // the journal lines of the command
};

// Ends the program when a case hangs, naming it: a hung host is a failure,
// not a stalled build.
class Watchdog {
 public:
  explicit Watchdog(const std::string& name) : name_(name), thread_([this] { Watch(); }) {}
  ~Watchdog() {
    done_ = true;
    thread_.join();
  }

 private:
  void Watch() {
    for (DWORD waited = 0; !done_; waited += 50) {
      if (waited >= kCaseTimeoutMs) {
        fprintf(stderr, "death case %s hung for %lu ms\n", name_.c_str(), static_cast<unsigned long>(waited));
        fflush(stderr);
        ExitProcess(3);
      }
      Sleep(50);
    }
  }
  std::string name_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

struct Outcome {
  int failures = -1;
  int sent = 0;
  std::vector<std::string> messages;  // the player's journal lines of the command
  std::string transcript;
};

// How the plug-in meets a player that is gone: by default it starts the
// installed one and waits for it (here the shortest wait, 5 s, then its
// question); NoWinAMPStartup makes it look once and give up.
enum class Startup { None, Plugin };

const char* StartupLines(Startup startup) {
  return startup == Startup::None ? "registry \"Tessaryn Software\\MELVOX\" NoWinAMPStartup 1\n"
                                  : "registry \"Tessaryn Software\\MELVOX\" WaitTime 5\n";
}

Outcome RunCase(const std::string& name, Startup startup, const std::string& setup, const std::string& command,
                const std::string& after, bool writes, int armed) {
  Watchdog watchdog(name + " N=" + std::to_string(armed));
  // The boxes a command shows depend on when the player died: those the
  // queued answers are not meant for are closed with Esc.
  std::string script = std::string("size 80 14\nunscripted esc\n") + StartupLines(startup) + setup +
                       "death arm\n" + command + "death settle\nprint panel\n" + after +
                       "death gone\nplayer revive\ndeath relist\nprint panel\nplayer state\ndeath verify\nexit\n";
  DeathLines lines(armed, writes);
  Outcome outcome;
  {
    journey::Journey journey;
    outcome.transcript = journey.Run(script, &outcome.failures, std::ref(lines));
  }
  outcome.sent = lines.Sent();
  outcome.messages = lines.SentLines();
  return outcome;
}

bool FullMatrix() { return EnvText("DEATH_MATRIX") == "full"; }

// DEATH_CASE: the command it names (empty: every command) and the N it lists.
struct CaseFilter {
  std::string command;
  std::set<int> armed;
};

CaseFilter ReadCaseFilter() {
  CaseFilter filter;
  std::string text = EnvText("DEATH_CASE");
  size_t colon = text.find(':');
  filter.command = text.substr(0, colon);
  if (colon == std::string::npos) return filter;
  std::string list = text.substr(colon + 1);
  for (size_t at = 0; at < list.size();) {
    size_t comma = list.find(',', at);
    if (comma == std::string::npos) comma = list.size();
    int n = atoi(list.substr(at, comma - at).c_str());
    if (n > 0) filter.armed.insert(n);
    at = comma + 1;
  }
  return filter;
}

// The start-up settings a command runs in.
std::vector<Startup> Startups() {
  std::string chosen = EnvText("DEATH_STARTUP");
  if (chosen == "none") return {Startup::None};
  if (chosen == "plugin") return {Startup::Plugin};
  if (FullMatrix()) return {Startup::None, Startup::Plugin};
  return {Startup::None};
}

// The N run by default: the first and the last messages, where a command
// starts and ends its talk, one in the middle, the player's emptying of its
// list for a rewrite, where it then holds nothing of the panel, and its load
// of the plug-in's temporary playlist, after which it holds all the songs
// but has not been checked.
std::set<int> Sample(int sent, const std::vector<std::string>& messages) {
  CaseFilter filter = ReadCaseFilter();
  if (!filter.armed.empty()) {
    std::set<int> chosen;
    for (int n : filter.armed)
      if (n <= sent) chosen.insert(n);
    return chosen;
  }
  if (FullMatrix()) {
    std::set<int> all;
    for (int n = 1; n <= sent; ++n) all.insert(n);
    return all;
  }
  std::set<int> some;
  for (int n : {1, 2, sent / 2, sent - 1, sent})
    if (n >= 1 && n <= sent) some.insert(n);
  auto first = [&messages](bool (*matches)(const std::string&)) {
    for (size_t i = 0; i < messages.size(); ++i)
      if (matches(messages[i])) return static_cast<int>(i) + 1;
    return 0;
  };
  int emptied = first([](const std::string& m) { return m.rfind("IPC_DELETE", 0) == 0; });
  int loaded = first([](const std::string& m) {
    return m.rfind("IPC_PLAYFILE ", 0) == 0 && m.find("\\MELVOX-") != std::string::npos;
  });
  for (int n : {emptied, loaded})
    if (n > 0) some.insert(n);
  return some;
}

// One command in one start-up setting: a healthy run counts its messages,
// then the player dies after each N of them in turn.
void DieInEveryMessage(const Command& c, Startup startup) {
  SCOPED_TRACE(startup == Startup::None ? "the plug-in does not start the player"
                                        : "the plug-in starts the player");
  const bool show = EnvText("DEATH_SHOW") == c.name;  // the transcripts, for a look
  Outcome healthy = RunCase(c.name, startup, c.setup, c.command, c.after, c.writes, 0);
  ASSERT_EQ(0, healthy.failures) << healthy.transcript;
  ASSERT_GT(healthy.sent, 0) << "the command sends the player nothing\n" << healthy.transcript;
  std::set<int> sample = Sample(healthy.sent, healthy.messages);
  std::string tried;
  for (int n : sample) tried += " " + std::to_string(n);
  printf("%s: %d messages; the player ends after message%s\n", c.name, healthy.sent, tried.c_str());
  if (show) printf("%s\n", healthy.transcript.c_str());
  for (int n : sample) {
    Outcome dying = RunCase(c.name, startup, c.setup, c.command, c.after, c.writes, n);
    if (show) printf("N=%d\n%s\n", n, dying.transcript.c_str());
    EXPECT_EQ(0, dying.failures) << c.name << ": the player ends after message " << n << " of "
                                 << healthy.sent << "\n" << dying.transcript;
  }
}

class PlayerDies : public testing::TestWithParam<Command> {};

TEST_P(PlayerDies, AfterEveryMessageOfTheCommand) {
  std::string only = ReadCaseFilter().command;
  if (!only.empty() && only != GetParam().name) GTEST_SKIP() << "DEATH_CASE names " << only;
  for (Startup startup : Startups()) DieInEveryMessage(GetParam(), startup);
}

std::string CommandName(const testing::TestParamInfo<Command>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Commands, PlayerDies, testing::ValuesIn(kCommands), CommandName);

// The player ends right after writing its playlist file for the panel (its
// window lingers a moment, answering nothing), or after the next message, and
// the plug-in starts it again before the titles: the panel must show the new
// player's songs, not the file the old one left. Found by the whole matrix;
// kept in the sample by where the write falls, whatever its number.
TEST(PlayerDiesAfterWritingItsPlaylist, TheOpenedPlaylistFileIsListedFromTheNewPlayer) {
  const Command* open = nullptr;
  for (const Command& c : kCommands)
    if (std::string(c.name) == "OpenPlaylistFile") open = &c;
  ASSERT_NE(nullptr, open);
  Outcome healthy = RunCase(open->name, Startup::Plugin, open->setup, open->command, open->after, true, 0);
  ASSERT_EQ(0, healthy.failures) << healthy.transcript;
  int written = 0;
  for (size_t i = 0; i < healthy.messages.size() && written == 0; ++i)
    if (healthy.messages[i].rfind("IPC_WRITEPLAYLIST", 0) == 0) written = static_cast<int>(i) + 1;
  ASSERT_GT(written, 0) << "the open asks for no playlist file\n" << healthy.transcript;
  for (int n : {written, written + 1}) {
    Outcome dying = RunCase(open->name, Startup::Plugin, open->setup, open->command, open->after, true, n);
    EXPECT_EQ(0, dying.failures) << "the player ends after message " << n << "\n" << dying.transcript;
  }
}

class OddPlayer : public testing::TestWithParam<Quirk> {};

TEST_P(OddPlayer, LeavesHostAndPanelSound) {
  const Quirk& q = GetParam();
  // Then the user mends the player and starts it again.
  std::string healed = std::string("player quit\nplayer option ") + q.healed + "\nplayer register ${SONGS}\\all.m3u\n";
  Outcome run = RunCase(q.name, Startup::Plugin, q.setup, q.command, healed, false, 0);
  EXPECT_EQ(0, run.failures) << run.transcript;
}

std::string QuirkName(const testing::TestParamInfo<Quirk>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Quirks, OddPlayer, testing::ValuesIn(kQuirks), QuirkName);

}  // namespace
