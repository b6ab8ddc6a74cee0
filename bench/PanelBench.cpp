// Speed and memory of the playlist panel and its commands against floors
// measured in the same run, each figure the median of five runs of the
// measurement and its floor, interleaved. One scenario per process (peak
// working set only grows):
//   melvox_bench panel <songs> <tags 0|1>
//     a panel of <songs> songs (500 a folder) from the player stand-in, every
//     title cached; floor: reading the same playlist file, one directory
//     read per folder, and with tags the last 128 bytes of every file.
//   melvox_bench albums <songs>
//     the same for songs 10 a folder (tags off).
//   melvox_bench scattered <songs>
//     the same for songs each the only one taken from a folder of 1,000
//     files; against the search of every song by itself (what the listing
//     did before it read folders), which it is to stay within 10% of.
//   melvox_bench cache <entries> [saved]
//     the titles cache's constructor on a file of <entries> entries, which is
//     all SetStartupInfo does with the cache: open, read, index every text,
//     sort; floor: reading the file whole and counting its texts. The file's
//     entries are in a scattered order (the worst case, a whole sort); with
//     "saved" it is a file as the plug-in leaves it, 99% sorted by a rewrite
//     and 1% appended by later sessions. The target of twice the floor is
//     for the saved file.
//   melvox_bench commands <songs>, melvox_bench putfiles <songs>: CommandBench.cpp.
// Song files and cache files are made once in bench-data beside the program.
#include "BenchSupport.h"

#include "PlayerKit.h"
#include "link/PlayerMessages.h"
#include "TempDir.h"
#include "panel/MELVOXPanel.h"
#include "panel/TitlesCache.h"
#include "plugin/HostInfo.h"
#include "plugin/Options.h"
#include "plugin/TextBuffer.h"
#include "tags/TagRecord.h"

#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace bench {

constexpr int kAlbumSongs = 10;
constexpr int kScatteredFolderFiles = 1000;
constexpr int kScatteredTakenFile = 500;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

static PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS m = {};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
  return m;
}

SIZE_T PeakWorkingSet() { return Memory().PeakWorkingSetSize; }
SIZE_T WorkingSet() { return Memory().WorkingSetSize; }

std::string DataFolder() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string folder = exe;
  folder = folder.substr(0, folder.find_last_of('\\')) + "\\bench-data";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteWhole(const std::string& path, const void* data, size_t size) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  BOOL ok = WriteFile(f, data, static_cast<DWORD>(size), &put, nullptr);
  CloseHandle(f);
  return ok && put == size;
}

std::string LayoutRoot(Layout layout) {
  const char* name = layout == Layout::Albums ? "albums" : layout == Layout::Scattered ? "scattered" : "songs";
  return DataFolder() + "\\" + name;
}

std::string SongPath(const std::string& root, int i, Layout layout) {
  char name[MAX_PATH];
  if (layout == Layout::Scattered)
    FormatText(name, sizeof name, "%s\\%04d\\track %04d.mp3", root.c_str(), i, kScatteredTakenFile);
  else
    FormatText(name, sizeof name, "%s\\%04d\\song %06d.mp3", root.c_str(),
               i / (layout == Layout::Albums ? kAlbumSongs : kLibrarySongsPerFolder), i);
  return name;
}

static std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

static bool WriteSong(const std::string& path, int i) {
  unsigned char bytes[1024 + kTagRecordSize] = {0xFF, 0xFB, 0x90, 0x64};
  char title[32];
  FormatText(title, sizeof title, "Song %d", i);
  BuildTagRecord(bytes + 1024, title, "Bench Artist", "Bench Album", "2001", "", 17);
  return WriteWhole(path, bytes, sizeof bytes);
}

void MakeSongs(const std::string& root, int count, Layout layout) {
  CreateDirectoryA(root.c_str(), nullptr);
  for (int i = 0; i < count; ++i) {
    std::string path = SongPath(root, i, layout);
    std::string folder = FolderOf(path);
    if (layout == Layout::Scattered) {
      // The folder's last file is made last: when it is there, all are.
      char last[MAX_PATH];
      FormatText(last, sizeof last, "%s\\track %04d.mp3", folder.c_str(), kScatteredFolderFiles - 1);
      if (Exists(last)) continue;
      CreateDirectoryA(folder.c_str(), nullptr);
      for (int k = 0; k < kScatteredFolderFiles; ++k) {
        char file[MAX_PATH];
        FormatText(file, sizeof file, "%s\\track %04d.mp3", folder.c_str(), k);
        if (k == kScatteredTakenFile) {
          WriteSong(file, i);
          continue;
        }
        HANDLE f = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
      }
      continue;
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!Exists(path)) WriteSong(path, i);
  }
}

std::string MakeSongList(int songs, Layout layout) {
  std::string root = LayoutRoot(layout);
  MakeSongs(root, songs, layout);
  const char* stem = layout == Layout::Albums ? "albums" : layout == Layout::Scattered ? "scattered" : "list";
  std::string list = DataFolder() + "\\" + stem + std::to_string(songs) + ".m3u";
  if (!Exists(list)) {
    std::string text;
    for (int i = 0; i < songs; ++i) text += SongPath(root, i, layout) + "\r\n";
    WriteWhole(list, text.data(), text.size());
  }
  return list;
}

std::string ExtM3uBytes(const std::vector<std::string>& paths, const std::vector<int>& songNumbers) {
  std::string text = "#EXTM3U\r\n";
  for (size_t i = 0; i < paths.size(); ++i) {
    if (i < songNumbers.size() && songNumbers[i] >= 0)
      text += "#EXTINF:205,Bench Artist - Song " + std::to_string(songNumbers[i]) + "\r\n";
    text += paths[i] + "\r\n";
  }
  return text;
}

void PlayFile(HWND player, const std::string& path) {
  COPYDATASTRUCT data;
  data.dwData = IPC_PLAYFILE;
  data.cbData = static_cast<DWORD>(path.size() + 1);
  data.lpData = const_cast<char*>(path.c_str());
  SendMessageA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

void HandPlaylist(HWND player, const std::string& bytes, bool clear) {
  char folder[MAX_PATH];
  DWORD n = GetTempPathA(sizeof folder, folder);
  std::string file = std::string(folder, n < sizeof folder ? n : 0) + "melvox-bench-floor.m3u";
  WriteWhole(file, bytes.data(), bytes.size());
  if (clear) SendPlayerIpc(player, IPC_DELETE);
  PlayFile(player, file);
  DeleteFileA(file.c_str());
}

bool StartPlayerOn(playerkit::PlayerProcess& player, const std::string& list) {
  player.SetOption("playlist", list);
  if (player.Start(600000)) return true;
  fprintf(stderr, "melvox_bench: the player stand-in did not start\n");
  return false;
}

static double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

static std::string Spread(const std::vector<double>& values, const char* format) {
  if (values.empty()) return "[]";
  char low[32], high[32];
  snprintf(low, sizeof low, format, *std::min_element(values.begin(), values.end()));
  snprintf(high, sizeof high, format, *std::max_element(values.begin(), values.end()));
  return std::string("[") + low + "-" + high + "]";
}

static std::vector<double> Ratios(const std::vector<double>& measured, const std::vector<double>& floor) {
  std::vector<double> ratios;
  for (size_t i = 0; i < measured.size() && i < floor.size(); ++i)
    ratios.push_back(measured[i] / (floor[i] > 0.001 ? floor[i] : 0.001));
  return ratios;
}

double PrintRuns(const char* name, const Runs& runs) {
  std::vector<double> ratios = Ratios(runs.measured, runs.floor);
  double ratio = Median(ratios);
  printf("%s: %.0fms %s, floor %.0fms %s, ratio %.2f %s\n", name, Median(runs.measured),
         Spread(runs.measured, "%.0f").c_str(), Median(runs.floor), Spread(runs.floor, "%.0f").c_str(),
         ratio, Spread(ratios, "%.2f").c_str());
  if (!runs.withChecks.empty()) {
    std::vector<double> checked = Ratios(runs.measured, runs.withChecks);
    printf("  with %s: floor %.0fms %s, ratio %.2f %s\n", runs.checks, Median(runs.withChecks),
           Spread(runs.withChecks, "%.0f").c_str(), Median(checked), Spread(checked, "%.2f").c_str());
  }
  fflush(stdout);
  return ratio;
}

int ReadEachFolderOnce(const std::vector<std::string>& paths) {
  int found = 0;
  std::string folder;
  std::set<std::string> names;
  for (const std::string& path : paths) {
    size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) continue;
    if (path.compare(0, slash, folder) != 0 || folder.size() != slash) {
      folder = path.substr(0, slash);
      names.clear();
      WIN32_FIND_DATAA fd;
      HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &fd);
      if (search != INVALID_HANDLE_VALUE) {
        do names.insert(fd.cFileName);
        while (FindNextFileA(search, &fd));
        FindClose(search);
      }
    }
    found += names.count(path.substr(slash + 1)) != 0 ? 1 : 0;
  }
  return found;
}

void ReadPlayerList(HWND player, const std::string& playlistFile) {
  SendPlayerIpc(player, IPC_GETLISTLENGTH);
  SendPlayerIpc(player, IPC_WRITEPLAYLIST);
  HANDLE f = CreateFileA(playlistFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::vector<char> bytes(GetFileSize(f, nullptr) + 1);
  DWORD got = 0;
  ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size() - 1), &got, nullptr);
  CloseHandle(f);
}

}  // namespace bench

namespace {

using namespace bench;

// The song paths of a playlist file, read whole.
std::vector<std::string> ReadListPaths(const std::string& playlist) {
  std::vector<char> text;
  HANDLE f = CreateFileA(playlist.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  DWORD size = GetFileSize(f, nullptr);
  text.resize(size + 1);
  DWORD got = 0;
  ReadFile(f, text.data(), size, &got, nullptr);
  CloseHandle(f);
  std::vector<std::string> paths;
  size_t start = 0;
  for (size_t i = 0; i < got; ++i) {
    if (text[i] != '\n') continue;
    std::string line(text.data() + start, i - start);
    start = i + 1;
    if (line.empty() || line[0] == '#') continue;
    if (line.back() == '\r') line.pop_back();
    paths.push_back(line);
  }
  return paths;
}

void ReadTag(const std::string& path) {
  HANDLE song = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (song == INVALID_HANDLE_VALUE) return;
  unsigned char tag[kTagRecordSize];
  DWORD read = 0;
  SetFilePointer(song, -static_cast<LONG>(kTagRecordSize), nullptr, FILE_END);
  ReadFile(song, tag, sizeof tag, &read, nullptr);
  CloseHandle(song);
}

// The floor of a listing: the playlist read whole, each folder the songs lie
// in read once (ReadEachFolderOnce), and with tags the last 128 bytes of
// every song. Returns the songs found.
int ListingFloor(const std::string& playlist, bool tags) {
  std::vector<std::string> paths = ReadListPaths(playlist);
  if (tags)
    for (const std::string& path : paths) ReadTag(path);
  return ReadEachFolderOnce(paths);
}

// How the listing searched before it read folders: the playlist read whole,
// one search per song.
int PerSongSearch(const std::string& playlist) {
  int found = 0;
  for (const std::string& path : ReadListPaths(playlist)) {
    WIN32_FIND_DATAA fd;
    HANDLE search = FindFirstFileA(path.c_str(), &fd);
    if (search != INVALID_HANDLE_VALUE) {
      ++found;
      FindClose(search);
    }
  }
  return found;
}

int PanelScenario(int songs, bool tags, Layout layout) {
  std::string root = LayoutRoot(layout);
  std::string list = MakeSongList(songs, layout);

  testkit::TempDir dir("melvox-bench");
  playerkit::PlayerProcess player(dir.MakeDir("player"));
  playerkit::PlayerRegistration registration(player.ExePath());
  if (!StartPlayerOn(player, list)) return 1;

  Opt = kDefaultOptions;
  Opt.ReadID3Tag = tags ? 1 : 0;
  Opt.NoWinAMPStartup = 1;
  std::string module = dir.File("melvox.dll");
  TitlesCache* cache = new TitlesCache(module.c_str());
  TitlesCacheObject = cache;
  for (int i = 0; i < songs; ++i) {
    char title[32];
    FormatText(title, sizeof title, "Bench Artist - Song %d", i);
    cache->AddTitle(SongPath(root, i, layout).c_str(), DupText(title), DupText("0:00"));
  }
  cache->SortTitles();

  // The player's own first write reads every song for its titles; that is
  // the player's cost, so it is paid (and shown) before the panel is timed.
  double w0 = Now();
  player.Ipc(IPC_WRITEPLAYLIST);
  double w1 = Now();

  Runs runs;
  SIZE_T before = WorkingSet();
  SIZE_T peak = 0;
  int count = 0;
  int found = 0;
  for (int run = 0; run < kRepeats; ++run) {
    double t0 = Now();
    MELVOXPanel* panel = new MELVOXPanel(OPEN_DISKMENU, 0);
    PluginPanelItem* items = nullptr;
    panel->GetFindData(&items, &count, 0);
    double t1 = Now();
    if (run == 0) peak = PeakWorkingSet();
    delete panel;
    double f0 = Now();
    found = layout == Layout::Scattered ? PerSongSearch(player.PlaylistPath())
                                        : ListingFloor(player.PlaylistPath(), tags);
    double f1 = Now();
    runs.measured.push_back(t1 - t0);
    runs.floor.push_back(f1 - f0);
  }

  // What the store and its texts need in the host's 32-bit layout: 366 bytes
  // per entry, plus with tags a six-pointer column array and five texts.
  double expected = songs * (366.0 + (tags ? 6 * 4 + 31 * 4 + 5 : 0));
  double used = static_cast<double>(peak > before ? peak - before : 0);
  char name[160];
  if (layout == Layout::Library)
    FormatText(name, sizeof name, "panel songs=%d tags=%s entries=%d found=%d, build and listing", songs,
               tags ? "on" : "off", count, found);
  else if (layout == Layout::Albums)
    FormatText(name, sizeof name,
               "albums songs=%d folders=%d entries=%d found=%d, build and listing (target 1.25)", songs,
               songs / kAlbumSongs, count, found);
  else
    FormatText(name, sizeof name,
               "scattered songs=%d, each from a folder of %d files, entries=%d found=%d, build and listing "
               "against the search of every song (target 1.10)",
               songs, kScatteredFolderFiles, count, found);
  PrintRuns(name, runs);
  printf("  playerFirstWrite=%.0fms peakWSgrowth=%.0fKB store+texts(32-bit)=%.0fKB entry(this build)=%uB\n",
         w1 - w0, used / 1024, expected / 1024, static_cast<unsigned>(sizeof(PluginPanelItem)));
  TitlesCacheObject = nullptr;
  // The cache is not saved: nothing of the benchmark is meant to last.
  cache->Release();
  delete cache;
  return count == songs ? 0 : 1;
}

// One entry of a bench cache file: its name, then its three texts as written.
struct CacheFileEntry {
  std::string Name;
  std::string Bytes;
};

CacheFileEntry MakeCacheEntry(int i) {
  char text[MAX_PATH];
  CacheFileEntry entry;
  int n = static_cast<int>(FormatText(text, sizeof text,
                                      "C:\\Music\\Artist %04d\\Album\\%06d - Song.mp3", i % 1000, i));
  entry.Name.assign(text, static_cast<size_t>(n));
  entry.Bytes.append(text, static_cast<size_t>(n) + 1);
  n = static_cast<int>(FormatText(text, sizeof text, "%d:%02d", 3 + i % 5, i % 60));
  entry.Bytes.append(text, static_cast<size_t>(n) + 1);
  n = static_cast<int>(FormatText(text, sizeof text, "Artist %04d - Song %06d", i % 1000, i));
  entry.Bytes.append(text, static_cast<size_t>(n) + 1);
  return entry;
}

// saved false: the entries in the order made, which scatters the artists.
// saved true: as a rewrite and later appends leave it: all but every
// hundredth entry sorted by name, then those in the order made.
std::string MakeCacheFile(int entries, bool saved) {
  std::vector<CacheFileEntry> rewritten;
  std::vector<CacheFileEntry> appended;
  for (int i = 0; i < entries; ++i)
    (saved && i % 100 == 37 ? appended : rewritten).push_back(MakeCacheEntry(i));
  if (saved)
    std::sort(rewritten.begin(), rewritten.end(),
              [](const CacheFileEntry& a, const CacheFileEntry& b) {
                return CompareBytes(a.Name.c_str(), b.Name.c_str()) < 0;
              });
  std::string bytes;
  for (const auto* part : {&rewritten, &appended})
    for (const CacheFileEntry& entry : *part) bytes += entry.Bytes;
  return bytes;
}

int CacheScenario(int entries, bool saved) {
  std::string data = DataFolder();
  std::string stem = data + "\\cache" + std::to_string(entries) + (saved ? "-saved" : "");
  std::string module = stem + ".dll";
  std::string file = stem + ".fc0";
  if (!Exists(file)) {
    std::string bytes = MakeCacheFile(entries, saved);
    WriteWhole(file, bytes.data(), bytes.size());
  }
  Runs runs;
  SIZE_T before = WorkingSet();
  SIZE_T peak = 0;
  int loaded = 0;
  int texts = 0;
  DWORD size = 0;
  for (int run = 0; run < kRepeats; ++run) {
    double t0 = Now();
    TitlesCache* cache = new TitlesCache(module.c_str());
    double t1 = Now();
    if (run == 0) peak = PeakWorkingSet();
    loaded = cache->Count;
    cache->Release();  // not saved: the file stays as made
    delete cache;

    double f0 = Now();
    HANDLE f = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    size = GetFileSize(f, nullptr);
    std::vector<char> bytes(size);
    DWORD got = 0;
    ReadFile(f, bytes.data(), size, &got, nullptr);
    CloseHandle(f);
    texts = 0;
    for (DWORD i = 0; i < got; ++i) texts += bytes[i] == 0;
    double f1 = Now();
    runs.measured.push_back(t1 - t0);
    runs.floor.push_back(f1 - f0);
  }
  char name[192];
  const int appended = saved ? (entries + 62) / 100 : 0;
  char order[96];
  if (saved)
    FormatText(order, sizeof order, "%d sorted + %d appended, as the plug-in saves it (target 2x)",
               entries - appended, appended);
  else
    FormatText(order, sizeof order, "scattered order (worst case)");
  FormatText(name, sizeof name, "cache entries=%d loaded=%d texts=%d size=%luKB, load and sort, %s", entries,
             loaded, texts, static_cast<unsigned long>(size / 1024), order);
  PrintRuns(name, runs);
  printf("  peakWSgrowth=%.0fKB\n", static_cast<double>(peak > before ? peak - before : 0) / 1024);
  return loaded == entries ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string what = argc > 1 ? argv[1] : "";
  if (what == "panel" && argc > 3) return PanelScenario(atoi(argv[2]), atoi(argv[3]) != 0, Layout::Library);
  if (what == "albums" && argc > 2) return PanelScenario(atoi(argv[2]), false, Layout::Albums);
  if (what == "scattered" && argc > 2) return PanelScenario(atoi(argv[2]), false, Layout::Scattered);
  if (what == "cache" && argc > 2)
    return CacheScenario(atoi(argv[2]), argc > 3 && std::string(argv[3]) == "saved");
  if (what == "commands" && argc > 2) return bench::CommandScenario(atoi(argv[2]));
  if (what == "putfiles" && argc > 2) return bench::PutFilesScenario(atoi(argv[2]));
  fprintf(stderr,
          "usage: melvox_bench panel <songs> <tags 0|1> | albums <songs> | scattered <songs> | cache <entries> [saved] | commands <songs> | "
          "putfiles <songs>\n");
  return 2;
}
