// The panel's commands on a large playlist, against floors measured in the
// same run:
//   melvox_bench commands <songs>
//     Del and F7 of one entry, Shift+F1 after a sort, Shift+F5 of every entry
//     to a PLS file. Floors: handing the player the panel's playlist (Del, F7,
//     Shift+F1): the same playlist file written once, the player's list
//     emptied and the file loaded with one IPC_PLAYFILE; writing the same
//     bytes to a file (Shift+F5).
//   melvox_bench putfiles <songs>
//     folders of <songs> songs (500 a folder) copied onto an empty panel
//     (tags off, their titles cached). Floor: the host's listing of the
//     folders, then the playlist file of their songs written once and loaded
//     with one IPC_PLAYFILE.
// The host here is a small in-process one that answers as the real host
// does, so the figures are the plug-in's, not an emulator's.
#include "BenchSupport.h"

#include "PlayerKit.h"
#include "link/PlayerMessages.h"
#include "TempDir.h"
#include "panel/MELVOXPanel.h"
#include "panel/TitlesCache.h"
#include "plugin/EntryPoints.h"
#include "plugin/HostInfo.h"
#include "plugin/Options.h"
#include "plugin/TextBuffer.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace bench {

namespace {

// The host's side of one plug-in panel and the file panel beside it.
struct BenchHost {
  MELVOXPanel* panel = nullptr;
  bool pluginActive = true;  // false while files come from the file panel
  bool reverse = false;      // sorted by name, the other way round
  bool sorted = false;
  int cursor = 0;            // in rows, ".." being row 0
  bool selectAll = false;
  std::vector<PluginPanelItem> rows;      // the host's copies, display order
  std::vector<PluginPanelItem> selected;  // the selection as reported
  std::string passiveFolder;
  std::string saveName;  // typed into the save dialog
  std::vector<std::vector<PluginPanelItem>*> lists;  // GetDirList's, until freed

  // GetFindData, and the host's copies of the items in its order.
  void List() {
    PluginPanelItem* items = nullptr;
    int count = 0;
    panel->GetFindData(&items, &count, 0);
    rows.assign(1, PluginPanelItem());
    CopyText(rows[0].FindData.cFileName, sizeof rows[0].FindData.cFileName, "..");
    rows[0].FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    for (int i = 0; i < count; ++i) rows.push_back(items[i]);
    Arrange();
  }
  // By name, letter case ignored; each name lowered once and each row moved
  // once, so the host's own sort weighs little in what the commands cost.
  void Arrange() {
    if (!sorted) return;
    bool back = reverse;
    std::vector<std::pair<std::string, size_t>> keys;
    for (size_t i = 1; i < rows.size(); ++i) {
      std::string key = rows[i].FindData.cFileName;
      for (char& c : key) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      keys.emplace_back(std::move(key), i);
    }
    std::stable_sort(keys.begin(), keys.end(), [back](const auto& a, const auto& b) {
      return back ? a.first > b.first : a.first < b.first;
    });
    std::vector<PluginPanelItem> arranged(1, rows[0]);
    arranged.reserve(rows.size());
    for (const auto& key : keys) arranged.push_back(rows[key.second]);
    rows.swap(arranged);
  }
  void Report(PanelInfo* info) {
    memset(info, 0, sizeof *info);
    info->Plugin = pluginActive ? 1 : 0;
    if (!pluginActive) return;
    selected.clear();
    for (size_t i = 1; selectAll && i < rows.size(); ++i) {
      selected.push_back(rows[i]);
      selected.back().Flags |= PPIF_SELECTED;
    }
    if (selected.empty() && cursor > 0 && static_cast<size_t>(cursor) < rows.size()) {
      selected.push_back(rows[static_cast<size_t>(cursor)]);
      selected.back().Flags = 0;
    }
    info->PanelItems = rows.data();
    info->ItemsNumber = static_cast<int>(rows.size());
    info->SelectedItems = selected.empty() ? nullptr : selected.data();
    info->SelectedItemsNumber = static_cast<int>(selected.size());
    info->CurrentItem = cursor;
  }
};

BenchHost* Host = nullptr;

int WINAPI BenchControl(HANDLE, int command, void* param) {
  switch (command) {
    case FCTL_GETPANELINFO:
      Host->Report(static_cast<PanelInfo*>(param));
      return 1;
    case FCTL_GETANOTHERPANELINFO: {
      PanelInfo* info = static_cast<PanelInfo*>(param);
      memset(info, 0, sizeof *info);
      info->PanelType = PTYPE_FILEPANEL;
      CopyText(info->CurDir, sizeof info->CurDir, Host->passiveFolder.c_str());
      return 1;
    }
    case FCTL_UPDATEPANEL:
      Host->List();
      return 1;
    default:
      return 1;
  }
}

int WINAPI BenchMessage(INT_PTR, DWORD, const char*, const char* const*, int, int) { return 0; }
const char* WINAPI BenchGetMsg(INT_PTR, int) { return ""; }
HANDLE WINAPI BenchSaveScreen(int, int, int, int) { return reinterpret_cast<HANDLE>(1); }
void WINAPI BenchRestoreScreen(HANDLE) {}

// The save dialog, confirmed as a PLS file of the given name, not added to.
int WINAPI BenchDialog(INT_PTR, int, int, int, int, const char*, FarDialogItem* items, int count) {
  if (count != 13) return -1;
  CopyText(items[4].Data, sizeof items[4].Data, Host->saveName.c_str());
  items[6].Selected = 1;
  items[8].Selected = 0;
  return 11;
}

// The 1.x host's recursive listing: names relative to the folder's parent,
// a folder's files first, then each subfolder with its contents.
void ListFolder(const std::string& full, const std::string& relative,
                std::vector<PluginPanelItem>* out) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((full + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<WIN32_FIND_DATAA> entries;
  do {
    if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0) entries.push_back(found);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  for (int folders = 0; folders < 2; ++folders) {
    for (const WIN32_FIND_DATAA& e : entries) {
      bool folder = (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (folder != (folders == 1)) continue;
      PluginPanelItem item = {};
      CopyFindData(&item.FindData, e);
      std::string name = relative + "\\" + e.cFileName;
      CopyText(item.FindData.cFileName, sizeof item.FindData.cFileName, name.c_str());
      out->push_back(item);
      if (folder) ListFolder(full + "\\" + e.cFileName, name, out);
    }
  }
}

int WINAPI BenchGetDirList(const char* dir, PluginPanelItem** items, int* count) {
  std::string path = dir;
  std::vector<PluginPanelItem>* list = new std::vector<PluginPanelItem>();
  ListFolder(path, path.substr(path.find_last_of('\\') + 1), list);
  list->push_back(PluginPanelItem());  // never empty: every list is one to free
  Host->lists.push_back(list);
  *items = list->data();
  *count = static_cast<int>(list->size()) - 1;
  return 1;
}

void WINAPI BenchFreeDirList(const PluginPanelItem* items) {
  for (size_t i = 0; i < Host->lists.size(); ++i) {
    if (Host->lists[i]->data() != items) continue;
    delete Host->lists[i];
    Host->lists.erase(Host->lists.begin() + static_cast<long>(i));
    return;
  }
}

void TakeBenchHost(BenchHost* host) {
  Host = host;
  memset(&HostInfo, 0, sizeof HostInfo);
  HostInfo.StructSize = sizeof HostInfo;
  HostInfo.Control = BenchControl;
  HostInfo.Message = BenchMessage;
  HostInfo.GetMsg = BenchGetMsg;
  HostInfo.Dialog = BenchDialog;
  HostInfo.SaveScreen = BenchSaveScreen;
  HostInfo.RestoreScreen = BenchRestoreScreen;
  HostInfo.GetDirList = BenchGetDirList;
  HostInfo.FreeDirList = BenchFreeDirList;
}

std::vector<std::string> PlayerNames(const MELVOXPanel& panel) {
  std::vector<std::string> names;
  char name[MAX_PATH];
  for (int i = 0; i < panel.ItemsNumber; ++i) {
    panel.PlayerName(panel.Items[i], name, sizeof name);
    names.push_back(name);
  }
  return names;
}

// The bench song number in a library path ("...\song 001234.mp3"), whose
// title the bench's cache holds; -1 for another name.
int SongNumber(const std::string& path) {
  size_t at = path.rfind("song ");
  return at == std::string::npos ? -1 : atoi(path.c_str() + at + 5);
}

std::string PlaylistOf(const std::vector<std::string>& paths) {
  std::vector<int> numbers;
  for (const std::string& path : paths) numbers.push_back(SongNumber(path));
  return ExtM3uBytes(paths, numbers);
}

// The bench's titles cache, made the plug-in's: every library song up to songs.
TitlesCache* MakeBenchCache(const std::string& module, int songs) {
  std::string root = LayoutRoot(Layout::Library);
  TitlesCache* cache = new TitlesCache(module.c_str());
  for (int i = 0; i < songs; ++i) {
    char title[32];
    FormatText(title, sizeof title, "Bench Artist - Song %d", i);
    cache->AddTitle(SongPath(root, i).c_str(), DupText(title), DupText("3:25"));
  }
  cache->SortTitles();
  TitlesCacheObject = cache;
  return cache;
}

// One run of the floor of a command that rewrites the player's playlist
// (the panel's songs handed over in one playlist file), then of the same
// with what the command must do besides: the player's list read back before
// and after, and the listing after it, which checks the song files (each
// folder read once).
void RewriteFloor(const MELVOXPanel& panel, const playerkit::PlayerProcess& player, Runs* runs) {
  std::vector<std::string> names = PlayerNames(panel);
  std::string bytes = PlaylistOf(names);
  double f0 = Now();
  HandPlaylist(player.Hwnd(), bytes, true);
  double f1 = Now();
  ReadPlayerList(player.Hwnd(), player.PlaylistPath());
  ReadPlayerList(player.Hwnd(), player.PlaylistPath());
  ReadEachFolderOnce(names);
  double f2 = Now();
  runs->floor.push_back(f1 - f0);
  runs->withChecks.push_back(f2 - f0);
}

void DropBenchCache(TitlesCache* cache) {
  TitlesCacheObject = nullptr;
  cache->Release();  // not saved
  delete cache;
}

std::string ReadWhole(const std::string& path) {
  std::string bytes;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(f, nullptr));
  DWORD got = 0;
  if (!bytes.empty()) ReadFile(f, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
  bytes.resize(got);
  CloseHandle(f);
  return bytes;
}

}  // namespace

int CommandScenario(int songs) {
  std::string list = MakeSongList(songs);
  testkit::TempDir dir("melvox-bench");
  playerkit::PlayerProcess player(dir.MakeDir("player"));
  playerkit::PlayerRegistration registration(player.ExePath());
  if (!StartPlayerOn(player, list)) return 1;
  player.Ipc(IPC_WRITEPLAYLIST);  // the player's first write reads every song: paid before timing

  Opt = kDefaultOptions;
  Opt.ReadID3Tag = 0;
  Opt.NoWinAMPStartup = 1;
  StartCount = 1;
  TitlesCache* cache = MakeBenchCache(dir.File("melvox.dll"), songs);

  BenchHost host;
  TakeBenchHost(&host);
  host.passiveFolder = dir.MakeDir("lists");
  MELVOXPanel* panel = new MELVOXPanel(OPEN_DISKMENU, 0);
  host.panel = panel;
  host.List();
  bool sound = panel->ItemsNumber == songs;

  // Del and F7 (its question answered yes) of the entry in the middle.
  Runs removal[2];
  const int removalKeys[2] = {VK_DELETE, VK_F7};
  for (int run = 0; run < kRepeats; ++run) {
    for (int k = 0; k < 2; ++k) {
      host.cursor = static_cast<int>(host.rows.size() / 2);
      int before = panel->ItemsNumber;
      double t0 = Now();
      panel->ProcessKey(removalKeys[k], 0);
      double t1 = Now();
      sound = sound && panel->ItemsNumber == before - 1;
      removal[k].measured.push_back(t1 - t0);
      RewriteFloor(*panel, player, &removal[k]);
    }
  }

  Runs reorder;
  host.sorted = true;
  for (int run = 0; run < kRepeats; ++run) {
    // Each run sorts the other way, so each has a new order to take.
    host.reverse = run % 2 == 0;
    host.Arrange();
    double t0 = Now();
    panel->ProcessKey(VK_F1, PKF_SHIFT);
    double t1 = Now();
    // The store now runs in the order the host shows.
    sound = sound && strcmp(panel->Items[0].FindData.cFileName, host.rows[1].FindData.cFileName) == 0;
    reorder.measured.push_back(t1 - t0);
    RewriteFloor(*panel, player, &reorder);
  }

  Runs save;
  host.selectAll = true;
  size_t bytes = 0;
  for (int run = 0; run < kRepeats; ++run) {
    host.saveName = "bench" + std::to_string(run);
    double t0 = Now();
    panel->ProcessKey(VK_F5, PKF_SHIFT);
    double t1 = Now();
    std::string written = ReadWhole(host.passiveFolder + "\\" + host.saveName + ".pls");
    bytes = written.size();
    sound = sound && bytes > 0;
    std::string copy = host.passiveFolder + "\\floor" + std::to_string(run) + ".pls";
    double f0 = Now();
    HANDLE f = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(f, written.data(), static_cast<DWORD>(written.size()), &put, nullptr);
    CloseHandle(f);
    double f1 = Now();
    save.measured.push_back(t1 - t0);
    save.floor.push_back(f1 - f0);
  }

  const char* twice =
      "the player's list read back before and after and the song files checked (each folder read once), as the "
      "command must";
  removal[0].checks = removal[1].checks = reorder.checks = twice;
  char name[96];
  FormatText(name, sizeof name, "command songs=%d Del", songs);
  PrintRuns(name, removal[0]);
  FormatText(name, sizeof name, "command songs=%d F7", songs);
  PrintRuns(name, removal[1]);
  FormatText(name, sizeof name, "command songs=%d Shift+F1 after a sort", songs);
  PrintRuns(name, reorder);
  FormatText(name, sizeof name, "command songs=%d Shift+F5 to PLS (%uKB)", songs,
             static_cast<unsigned>(bytes / 1024));
  PrintRuns(name, save);

  delete panel;
  DropBenchCache(cache);
  memset(&HostInfo, 0, sizeof HostInfo);
  return sound ? 0 : 1;
}

int PutFilesScenario(int songs) {
  // The library's folders of 500 songs, put as folders from its own folder.
  std::string root = LayoutRoot(Layout::Library);
  MakeSongs(root, songs);
  int folders = (songs + kLibrarySongsPerFolder - 1) / kLibrarySongsPerFolder;

  testkit::TempDir dir("melvox-bench");
  playerkit::PlayerProcess player(dir.MakeDir("player"));
  playerkit::PlayerRegistration registration(player.ExePath());
  if (!player.Start(600000)) {
    fprintf(stderr, "melvox_bench: the player stand-in did not start\n");
    return 1;
  }
  Opt = kDefaultOptions;
  Opt.ReadID3Tag = 0;
  Opt.NoWinAMPStartup = 1;
  StartCount = 1;
  TitlesCache* cache = MakeBenchCache(dir.File("melvox.dll"), songs);
  BenchHost host;
  TakeBenchHost(&host);
  HWND window = player.Hwnd();
  SetCurrentDirectoryA(root.c_str());
  std::vector<PluginPanelItem> put(static_cast<size_t>(folders));
  for (int k = 0; k < folders; ++k) {
    PluginPanelItem& folder = put[static_cast<size_t>(k)];
    memset(&folder, 0, sizeof folder);
    folder.FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    FormatText(folder.FindData.cFileName, sizeof folder.FindData.cFileName, "%04d", k);
  }

  Runs runs;
  bool sound = true;
  std::string bytes;
  for (int run = 0; run < kRepeats; ++run) {
    SendPlayerIpc(window, IPC_DELETE);
    MELVOXPanel* panel = new MELVOXPanel(OPEN_DISKMENU, 0);
    host.panel = panel;
    host.pluginActive = true;
    host.List();
    host.pluginActive = false;  // the files come from the file panel
    double t0 = Now();
    panel->PutFiles(put.data(), folders, 0, 0);
    double t1 = Now();
    sound = sound && panel->ItemsNumber == songs &&
            SendPlayerIpc(window, IPC_GETLISTLENGTH) == songs;
    if (run == 0) bytes = PlaylistOf(PlayerNames(*panel));
    delete panel;

    SendPlayerIpc(window, IPC_DELETE);
    double f0 = Now();
    for (int k = 0; k < folders; ++k) {
      PluginPanelItem* items = nullptr;
      int count = 0;
      BenchGetDirList((root + "\\" + put[static_cast<size_t>(k)].FindData.cFileName).c_str(), &items, &count);
      BenchFreeDirList(items);
    }
    HandPlaylist(window, bytes, false);
    double f1 = Now();
    ReadPlayerList(window, player.PlaylistPath());
    double f2 = Now();
    runs.measured.push_back(t1 - t0);
    runs.floor.push_back(f1 - f0);
    runs.withChecks.push_back(f2 - f0);
  }
  runs.checks = "the player's list read back after, as the command must";
  char name[96];
  FormatText(name, sizeof name, "command PutFiles songs=%d (%d folders)", songs, folders);
  PrintRuns(name, runs);
  DropBenchCache(cache);
  memset(&HostInfo, 0, sizeof HostInfo);
  return sound ? 0 : 1;
}

}  // namespace bench
