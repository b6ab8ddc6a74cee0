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

// The second step for entries from..ItemsNumber-1: each song is sent to the
// player under its player's name and takes its cached title and its tag.
// False when the player was not there to the end: it holds none or part.
static bool SendNewSongs(MELVOXPanel* panel, int from) {
  if (TitlesCacheObject != nullptr) TitlesCacheObject->SortTitles();
  char ansi[MAX_PATH];
  for (int i = from; i < panel->ItemsNumber; ++i) {
    PluginPanelItem* entry = &panel->Items[i];
    panel->SetPlayerNameFromOem(entry);
    panel->PlayerName(*entry, ansi, sizeof ansi);
    SendPlayerPlayFile(panel->PlayerWindow, ansi);
    TitleEntry* cached =
        TitlesCacheObject != nullptr ? TitlesCacheObject->FindTitle(entry->FindData.cFileName)
                                     : nullptr;
    if (cached != nullptr) {
      entry->Description = cached->Title;
      entry->Owner = cached->Length;
    }
    if (Opt.ReadID3Tag) MELVOXPanel::ReadTagColumns(entry);
  }
  if (!PlayerAnswers(panel->PlayerWindow)) return false;
  panel->Song = SendPlayerIpc(panel->PlayerWindow, IPC_WRITEPLAYLIST) + 1;
  return true;
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

    bool full = false;
    char name[MAX_PATH];
    char path[MAX_PATH];
    for (int i = 0; i < ItemsCount && !full; ++i) {
      const FarFindData& data = PanelItem[i].FindData;
      CopyTextN(name, sizeof name, data.cFileName, sizeof data.cFileName);
      // ".." from the other panel, which the host sends without asking,
      // would stand for the whole parent folder tree.
      if (IsDotsName(name, sizeof name)) continue;
      bool bare = NameAfterPath(name) == name;
      if (!bare) {
        CopyText(path, sizeof path, name);
      } else if (!JoinSongPath(folder, name, path, sizeof path)) {
        ++refused;
        continue;
      }
      if (IsDirectory(data)) {
        // Names that carry their folder (a temporary panel's) are taken as
        // they are: such folders are not opened.
        if (!bare) continue;
        PluginPanelItem* listed = nullptr;
        int listedNumber = 0;
        if (HostInfo.GetDirList == nullptr ||
            !HostInfo.GetDirList(path, &listed, &listedNumber)) {
          // Nothing of this call stays: the player has been sent nothing.
          DebugLog << "\nMELVOXPanel::PutFiles: Can't list " << path << " }" << LogFlush;
          for (int k = first; k < ItemsNumber; ++k) memset(&Items[k], 0, sizeof Items[k]);
          ItemsNumber = first;
          ItemsVerified = verified;
          return 0;
        }
        // Names relative to the folder's parent, in the host's order.
        for (int k = 0; k < listedNumber && listed != nullptr && !full; ++k) {
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
        if (HostInfo.FreeDirList != nullptr && listed != nullptr) HostInfo.FreeDirList(listed);
        continue;
      }
      if (IsPlaylistFileName(path)) continue;
      full = AddSongEntry(this, data, path) == nullptr;
    }
    ReachPlayer();
    sent = SendNewSongs(this, first);
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
    SendPlayerIpc(PlayerWindow, IPC_DELETE);
    ClearItems();
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
    sent = SendNewSongs(this, 0);
  }
  ReportRefusedNames(refused);
  if (!sent) ReportPlaylistNotSent();
  ItemsVerified = 1;
  DebugLog << "\nMELVOXPanel::SetFindList: }" << LogFlush;
  return 1;
}
