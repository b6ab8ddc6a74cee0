// Files put onto the panel (F5 and F6 from another panel) and the results of
// Find File: their songs go to the player's playlist and become entries, in
// the same order in both.
#include "commands/CommandSteps.h"

#include "commands/SongPaths.h"
#include "link/PlayerMessages.h"
#include "panel/ScopedWaitMessage.h"
#include "panel/TitlesCache.h"
#include "plugin/DebugLog.h"
#include "plugin/EntryPoints.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/PathText.h"
#include "plugin/TextBuffer.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr size_t kCountTextSize = 16;

bool IsDirectory(const FarFindData& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Tells the user how many files were not added because their full names
// would not fit an entry.
void ReportRefusedNames(int refused) {
  if (refused <= 0) return;
  char count[kCountTextSize];
  FormatText(count, sizeof count, "%d", refused);
  const char* items[] = {"MELVOX", GetMsg(MNamesTooLong), count, GetMsg(MOk)};
  ShowMessage(FMSG_WARNING, items, 4, 1);
}

// What an item put onto the panel stands for.
enum PutKind { PutNothing, PutRefused, PutSong, PutFolder };

// The item's kind, its name (name) and full path (path, MAX_PATH bytes
// each): ".." from the other panel, which the host sends without asking,
// would stand for the whole parent folder tree; names that carry their
// folder (a temporary panel's) are taken as they are, and such folders are
// not opened; playlist files are no songs; a path longer than an entry holds
// is refused.
PutKind PutName(const FarFindData& data, const char* folder, char* name, char* path) {
  CopyTextN(name, MAX_PATH, data.cFileName, sizeof data.cFileName);
  if (IsDotsName(name, MAX_PATH)) return PutNothing;
  bool bare = NameAfterPath(name) == name;
  if (!bare) {
    CopyText(path, MAX_PATH, name);
  } else if (!JoinSongPath(folder, name, path, MAX_PATH)) {
    return PutRefused;
  }
  if (IsDirectory(data)) return bare ? PutFolder : PutNothing;
  return IsPlaylistFileName(path) ? PutNothing : PutSong;
}

// The host's recursive lists of the folders put (GetDirList), by item,
// each freed once (FreeDirList) when the holder goes.
class DirLists {
 public:
  explicit DirLists(int items)
      : lists_(static_cast<Listing*>(calloc(static_cast<size_t>(items) + 1, sizeof(Listing)))),
        items_(items) {}
  ~DirLists() {
    for (int i = 0; lists_ != nullptr && i < items_; ++i)
      if (lists_[i].items != nullptr && HostInfo.FreeDirList != nullptr) HostInfo.FreeDirList(lists_[i].items);
    free(lists_);
  }
  DirLists(const DirLists&) = delete;
  DirLists& operator=(const DirLists&) = delete;

  bool Ok() const { return lists_ != nullptr; }
  // Lists the folder of item i; false when the host cannot.
  bool List(int i, const char* path) {
    if (HostInfo.GetDirList != nullptr &&
        HostInfo.GetDirList(path, &lists_[i].items, &lists_[i].number) != 0)
      return true;
    lists_[i].items = nullptr;  // whatever a failed call left there is none to free
    return false;
  }
  const PluginPanelItem* Items(int i) const { return lists_[i].items; }
  int Number(int i) const { return lists_[i].items != nullptr ? lists_[i].number : 0; }

 private:
  struct Listing {
    PluginPanelItem* items;
    int number;
  };
  Listing* lists_;
  int items_;
};

}  // namespace

// A new entry for a song file: the host's file data under the song's full
// path (OEM), nothing else of the host's record. The record's texts and
// UserData belong to the panel it came from, and are never this store's.
static PluginPanelItem* AddSongEntry(MELVOXPanel* panel, const FarFindData& data,
                                     const char* path) {
  PluginPanelItem* entry = panel->AddItem();
  if (entry == nullptr) {
    DWORD error = GetLastError();
    DebugLog << "\nMELVOXPanel::PutFiles: Can't allocate memory... Error code=" << error
             << LogFlush;
    return nullptr;
  }
  entry->FindData = data;
  CopyText(entry->FindData.cFileName, sizeof entry->FindData.cFileName, path);
  entry->NumberOfLinks = static_cast<DWORD>(panel->ItemsNumber);
  return entry;
}

// The second step for entries from..ItemsNumber-1: each takes its player's
// name, its cached title and its tag, then the songs go to the player (after
// emptying its playlist for a rewrite). False when the player was not there
// to the end: it holds none or part.
static bool SendNewSongs(MELVOXPanel* panel, int from, bool rewrite) {
  if (TitlesCacheObject != nullptr) TitlesCacheObject->SortTitles();
  for (int i = from; i < panel->ItemsNumber; ++i) {
    PluginPanelItem* entry = &panel->Items[i];
    panel->SetPlayerNameFromOem(entry);
    TitleEntry* cached =
        TitlesCacheObject != nullptr ? TitlesCacheObject->FindTitle(entry->FindData.cFileName)
                                     : nullptr;
    if (cached != nullptr) {
      entry->Description = cached->Title;
      entry->Owner = cached->Length;
    }
    if (Opt.ReadID3Tag) MELVOXPanel::ReadTagColumns(entry);
  }
  return panel->HandSongsToPlayer(from, rewrite);
}

int MELVOXPanel::PutFiles(PluginPanelItem* PanelItem, int ItemsCount, int /*Move*/,
                          int /*OpMode*/) {
  DebugLog << "\nMELVOXPanel::PutFiles: Put files to MELVOX panel... {"
           << "\nMELVOXPanel::PutFiles: handle=" << AsHandle(this) << LogFlush;
  if (StartCount == 1) {
    // The only panel of the plug-in: the files come from the active panel,
    // which must be a file panel.
    PanelInfo active;
    if (ActivePanelInfo(&active) && active.Plugin != 0) {
      DebugLog << "\nMELVOXPanel::PutFiles: Plugin not MELVOX}" << LogFlush;
      return 0;
    }
  }
  if (ItemsMemory == nullptr || PanelItem == nullptr || ItemsCount <= 0) {
    DebugLog << "\nMELVOXPanel::PutFiles: }" << LogFlush;
    return 0;
  }

  int first = ItemsNumber;
  int verified = ItemsVerified;
  int refused = 0;
  bool sent = true;
  {
    ScopedWaitMessage wait(MWaitAddingFiles);
    char folder[MAX_PATH];
    DWORD folderLength = GetCurrentDirectoryA(sizeof folder, folder);
    if (folderLength == 0 || folderLength >= sizeof folder) folder[0] = '\0';
    AppendBackslash(folder, sizeof folder);
    ItemsVerified = 0;

    // The host's lists of the folders come first: the store then grows once
    // for all their songs, and a folder the host cannot list leaves
    // everything as it was (the player has been sent nothing).
    DirLists lists(ItemsCount);
    if (!lists.Ok()) {
      DebugLog << "\nMELVOXPanel::PutFiles: Can't allocate memory... }" << LogFlush;
      ItemsVerified = verified;
      return 0;
    }
    char name[MAX_PATH];
    char path[MAX_PATH];
    long long listedSongs = 0;
    for (int i = 0; i < ItemsCount; ++i) {
      if (PutName(PanelItem[i].FindData, folder, name, path) != PutFolder) continue;
      if (!lists.List(i, path)) {
        DebugLog << "\nMELVOXPanel::PutFiles: Can't list " << path << " }" << LogFlush;
        ItemsVerified = verified;
        return 0;
      }
      listedSongs += lists.Number(i);
    }
    long long expected = ItemsNumber + static_cast<long long>(ItemsCount) + listedSongs;
    // Short of memory, AddItem says so below.
    if (expected < INT_MAX / 2) ReserveItems(static_cast<int>(expected), true);

    bool full = false;
    for (int i = 0; i < ItemsCount && !full; ++i) {
      const FarFindData& data = PanelItem[i].FindData;
      PutKind kind = PutName(data, folder, name, path);
      if (kind == PutRefused) ++refused;
      if (kind == PutSong) full = AddSongEntry(this, data, path) == nullptr;
      if (kind != PutFolder) continue;
      // Names relative to the folder's parent, in the host's order.
      const PluginPanelItem* listed = lists.Items(i);
      for (int k = 0; k < lists.Number(i) && !full; ++k) {
        const FarFindData& file = listed[k].FindData;
        if (IsDirectory(file)) continue;
        CopyTextN(name, sizeof name, file.cFileName, sizeof file.cFileName);
        if (IsPlaylistFileName(name)) continue;
        if (!JoinSongPath(folder, name, path, sizeof path)) {
          ++refused;
          continue;
        }
        full = AddSongEntry(this, file, path) == nullptr;
      }
    }
    ReachPlayer();
    sent = SendNewSongs(this, first, false);
  }
  ReportRefusedNames(refused);
  if (!sent) ReportPlaylistNotSent();
  int added = ItemsNumber - first;
  DebugLog << "\nMELVOXPanel::PutFiles: added " << added << ", refused " << refused
           << "\nMELVOXPanel::PutFiles: }" << LogFlush;
  if (added == 0) ItemsVerified = verified;
  return added > 0 ? 1 : 0;
}

int MELVOXPanel::SetFindList(const PluginPanelItem* PanelItem, int ItemsCount) {
  DebugLog << "\nMELVOXPanel::SetFindList: Put found in the Find file command file names to "
              "MELVOX panel... {"
           << "\nMELVOXPanel::SetFindList: handle=" << AsHandle(this) << LogFlush;
  if (PanelItem == nullptr || ItemsCount <= 0) {
    DebugLog << "\nMELVOXPanel::SetFindList: }" << LogFlush;
    return 1;
  }
  if (ItemsMemory == nullptr) return 0;
  int refused = 0;
  bool sent = true;
  {
    ScopedWaitMessage wait(MWaitAddingFiles);
    ReachPlayer();
    ClearItems();
    ReserveItems(ItemsCount, true);  // short of memory, AddItem says so below
    char path[MAX_PATH];
    for (int i = 0; i < ItemsCount; ++i) {
      const FarFindData& data = PanelItem[i].FindData;
      size_t length = BoundedLength(data.cFileName, sizeof data.cFileName);
      if (length > kMaxSongPathLength) {
        ++refused;
        continue;
      }
      CopyTextN(path, sizeof path, data.cFileName, length);
      if (IsDotsName(path, sizeof path) || IsDirectory(data) || IsPlaylistFileName(path)) continue;
      if (AddSongEntry(this, data, path) == nullptr) break;
    }
    sent = SendNewSongs(this, 0, true);
  }
  ReportRefusedNames(refused);
  if (!sent) ReportPlaylistNotSent();
  ItemsVerified = 1;
  DebugLog << "\nMELVOXPanel::SetFindList: }" << LogFlush;
  return 1;
}
