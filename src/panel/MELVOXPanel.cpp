#include "panel/MELVOXPanel.h"

#include "control/InfoLines.h"
#include "link/PlayState.h"
#include "link/PlayerMessages.h"
#include "link/PlayerVersion.h"
#include "panel/PlaylistText.h"
#include "panel/TitlesCache.h"
#include "panel/ScopedWaitMessage.h"
#include "panel/SongFiles.h"
#include "plugin/DebugLog.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/ScopedHandles.h"
#include "plugin/TextBuffer.h"
#include "tags/Id3Tag.h"

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

DWORD TickClock() { return GetTickCount() / 10; }

// Columns of an entry whose song carries a tag: C0 title, C1 artist, C2
// album, C3 year, C4 comment (owned), C5 genre name (a language text).
constexpr int kTagColumns = 6;
constexpr int kOwnedTagColumns = 5;
// A title fetch shows its progress after this many hundredths of a second.
constexpr DWORD kProgressDelay = 500;
constexpr size_t kProgressTextSize = 96;

const void* AsHandle(const void* p) { return p; }

bool EndsWithM3u(const char* path) {
  size_t n = strlen(path);
  return n >= 4 && lstrcmpiA(path + n - 4, ".m3u") == 0;
}

}  // namespace

DWORD (*PanelClock)() = TickClock;

MELVOXPanel::MELVOXPanel(int OpenFrom, INT_PTR Item) {
  DebugLog << "\nMELVOXPanel::MELVOXPanel: handle=" << AsHandle(this) << LogFlush;
  GetWinAMPPath();
  DebugLog << "\nMELVOXPanel::MELVOXPanel: WinAMP path (registry): " << PlayerPath
           << "\nMELVOXPanel::MELVOXPanel: WinAMP playlist path: " << PlaylistPath << LogFlush;

  if (OpenFrom == OPEN_VIEWER || OpenFrom == OPEN_EDITOR ||
      (OpenFrom == OPEN_PLUGINSMENU && Item == 0)) {
    // These origins ask for the control dialog; this instance builds no
    // panel and is destroyed at once.
    ItemsMemory = nullptr;
    MELVOXcontrol();
    return;
  }

  InfoRefresh = 1;
  ItemsMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(PluginPanelItem));
  if (ItemsMemory != nullptr) {
    Items = static_cast<PluginPanelItem*>(GlobalLock(ItemsMemory));
    ItemsCapacity = 1;
  }
  DWORD dirLength = GetCurrentDirectoryA(sizeof StartDir, StartDir);
  if (dirLength == 0 || dirLength >= sizeof StartDir) StartDir[0] = '\0';

  if (OpenFrom == OPEN_PLAYLISTFILE) {
    CopyText(OpenedPlaylist, sizeof OpenedPlaylist, reinterpret_cast<const char*>(Item));
    OemToCharA(OpenedPlaylist, OpenedPlaylist);
    LoadWinAMP();
    if (WaitForPlayer()) {
      SendPlayerIpc(PlayerWindow, IPC_DELETE);
      WaitForPlayer();
      SendPlayerPlayFile(PlayerWindow, OpenedPlaylist);
      if (!PlayerAnswers(PlayerWindow)) ReportPlaylistNotSent();
      MakeMELVOXPanelItems(false);
    } else {
      DebugLog << "\nMELVOXPanel::MakeWinAMPPlayList: WinAMP not loaded or not online, "
                  "Opt.NoWinAMPStartup="
               << Opt.NoWinAMPStartup << " }" << LogFlush;
      if (EndsWithM3u(PlaylistPath)) MakeMELVOXPanelItems(true);
    }
  } else if (OpenFrom == OPEN_FINDLIST) {
    LoadWinAMP();
    DebugLog << "\nMELVOXPanel::MELVOXPanel: Started from \"Find file\" dialog... Playlist "
                "creation not needed :-))"
             << LogFlush;
  } else {
    MakeMELVOXPanelItems(false);
  }

  DebugLog << "\nMELVOXPanel::MELVOXPanel: WinAMP version "
           << AsHandle(reinterpret_cast<const void*>(static_cast<uintptr_t>(PlayerVersion)));
  InfoPanelLine& line = InfoLines[kInfoLinePlayerVersion];
  CopyText(line.Text, sizeof line.Text, GetMsg(MInfoPlayerVersion));
  FormatPlayerVersion(PlayerVersion, line.Data, sizeof line.Data);
}

void ReportPlaylistNotSent() {
  if (HostInfo.Message == nullptr) return;
  const char* items[] = {"MELVOX", GetMsg(MPlaylistNotSent), GetMsg(MPlaylistNotSentLine2), GetMsg(MOk)};
  HostInfo.Message(HostInfo.ModuleNumber, FMSG_WARNING, nullptr, items, 4, 1);
}

MELVOXPanel::~MELVOXPanel() {
  if (ItemsMemory != nullptr) {
    if (Items != nullptr) {
      for (int i = 0; i < ItemsNumber; ++i) ReleaseColumns(&Items[i]);
      GlobalUnlock(ItemsMemory);
    }
    GlobalFree(ItemsMemory);
    ItemsMemory = nullptr;
    Items = nullptr;
  }
  ItemsNumber = 0;
  DebugLog << "\nMELVOXPanel::~MELVOXPanel: handle=" << AsHandle(this) << LogFlush;
}

void MELVOXPanel::ReleaseColumns(PluginPanelItem* item) {
  if (item->CustomColumnNumber == kTagColumns && item->CustomColumnData != nullptr) {
    for (int i = 0; i < kOwnedTagColumns; ++i) free(item->CustomColumnData[i]);
    free(item->CustomColumnData);
  }
  item->CustomColumnData = nullptr;
  item->CustomColumnNumber = 0;
}

void MELVOXPanel::ReadTagColumns(PluginPanelItem* item) {
  unsigned char* record = ReadTagRecord(item->FindData.cFileName);
  if (record == nullptr) return;
  char** columns = static_cast<char**>(calloc(kTagColumns, sizeof(char*)));
  if (columns != nullptr) {
    columns[0] = TagTitle(record);
    columns[1] = TagArtist(record);
    columns[2] = TagAlbum(record);
    columns[3] = TagYear(record);
    columns[4] = TagComment(record);
    columns[5] = const_cast<char*>(TagGenreName(record));
    bool complete = true;
    for (int i = 0; i < kOwnedTagColumns; ++i) complete = complete && columns[i] != nullptr;
    if (complete) {
      item->CustomColumnData = columns;
      item->CustomColumnNumber = kTagColumns;
    } else {
      for (int i = 0; i < kOwnedTagColumns; ++i) free(columns[i]);
      free(columns);
    }
  }
  free(record);
}

MELVOXPanel::StoreResult MELVOXPanel::ReserveItems(int count, bool exact) {
  int needed = count + 1;  // the spare zeroed record
  if (ItemsMemory != nullptr && ItemsCapacity >= needed) {
    if (Items == nullptr) Items = static_cast<PluginPanelItem*>(GlobalLock(ItemsMemory));
    return Items != nullptr ? StoreOk : StoreNoLock;
  }
  int grown = needed;
  if (!exact) {
    grown = ItemsCapacity < 16 ? 16 : ItemsCapacity;
    while (grown < needed) grown = grown <= INT_MAX / 2 ? grown * 2 : needed;
  }
  if (static_cast<size_t>(grown) > static_cast<size_t>(-1) / sizeof(PluginPanelItem))
    return StoreNoMemory;
  size_t bytes = static_cast<size_t>(grown) * sizeof(PluginPanelItem);
  HGLOBAL block;
  if (ItemsMemory == nullptr) {
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  } else {
    if (Items != nullptr) GlobalUnlock(ItemsMemory);
    Items = nullptr;
    block = GlobalReAlloc(ItemsMemory, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT);
  }
  if (block == nullptr) {
    if (ItemsMemory != nullptr) Items = static_cast<PluginPanelItem*>(GlobalLock(ItemsMemory));
    return StoreNoMemory;
  }
  int oldCapacity = ItemsMemory != nullptr ? ItemsCapacity : 0;
  ItemsMemory = block;
  ItemsCapacity = grown;
  Items = static_cast<PluginPanelItem*>(GlobalLock(ItemsMemory));
  if (Items == nullptr) return StoreNoLock;
  // The new records are zero whatever the allocator did.
  memset(Items + oldCapacity, 0,
         static_cast<size_t>(grown - oldCapacity) * sizeof(PluginPanelItem));
  return StoreOk;
}

PluginPanelItem* MELVOXPanel::AddItem() {
  if (ReserveItems(ItemsNumber + 1) != StoreOk) return nullptr;
  PluginPanelItem* item = &Items[ItemsNumber++];
  memset(item, 0, sizeof *item);
  return item;
}

void MELVOXPanel::ClearItems() {
  if (Items != nullptr) {
    for (int i = 0; i < ItemsNumber; ++i) ReleaseColumns(&Items[i]);
    if (ItemsNumber > 0)
      memset(Items, 0, static_cast<size_t>(ItemsNumber) * sizeof(PluginPanelItem));
  }
  ItemsNumber = 0;
  PlayerNames.Clear();
}

bool MELVOXPanel::SetPlayerName(PluginPanelItem* item, const char* ansiPath, size_t length) {
  item->Flags &= ~PPIF_USERDATA;
  item->UserData = PlayerNames.Add(ansiPath, length);
  return item->UserData != 0;
}

bool MELVOXPanel::SetPlayerNameFromOem(PluginPanelItem* item) {
  char ansi[MAX_PATH];
  CopyTextN(ansi, sizeof ansi, item->FindData.cFileName, sizeof item->FindData.cFileName);
  OemToCharA(ansi, ansi);
  return SetPlayerName(item, ansi, strlen(ansi));
}

const char* MELVOXPanel::CheckedPlayerName(const PluginPanelItem& item) const {
  const char* name = PlayerNames.Find(item.UserData);
  if (name == nullptr) return nullptr;
  // A handle that came along with a record from elsewhere, or outlived a
  // rebuild, may reach another song's name: the name must convert to the
  // entry's own.
  size_t length = strlen(name);
  size_t entryLength = BoundedLength(item.FindData.cFileName, sizeof item.FindData.cFileName);
  if (length != entryLength || length >= MAX_PATH) return nullptr;
  char oem[MAX_PATH];
  memcpy(oem, name, length + 1);
  if (length > 0) CharToOemBuffA(oem, oem, static_cast<DWORD>(length));
  return memcmp(oem, item.FindData.cFileName, length) == 0 ? name : nullptr;
}

void MELVOXPanel::PlayerName(const PluginPanelItem& item, char* buffer, size_t size) const {
  const char* name = CheckedPlayerName(item);
  if (name != nullptr) {
    CopyText(buffer, size, name);
    return;
  }
  CopyTextN(buffer, size, item.FindData.cFileName, sizeof item.FindData.cFileName);
  OemToCharA(buffer, buffer);
}

int MELVOXPanel::MakeWinAMPPlayList() {
  DebugLog << "\nMELVOXPanel::MakeWinAMPPlayList: handle=" << AsHandle(this) << " {" << LogFlush;
  if (!WaitForPlayer()) {
    DebugLog << "\nMELVOXPanel::MakeWinAMPPlayList: WinAMP not loaded or not online, "
                "Opt.NoWinAMPStartup="
             << Opt.NoWinAMPStartup << " }" << LogFlush;
    return 0;
  }
  {
    ScopedWaitMessage wait(MWaitWritingPlaylist);
    LoadWinAMP();
    // A player that ended during the rewrite holds none or part of it.
    if (!HandSongsToPlayer(0, true)) {
      DebugLog << "\nMELVOXPanel::MakeWinAMPPlayList: WinAMP ended during the rewrite }" << LogFlush;
      return 0;
    }
  }
  DebugLog << "\nMELVOXPanel::MakeWinAMPPlayList: }" << LogFlush;
  return 1;
}

int MELVOXPanel::MakeMELVOXPanelItems(bool fromOpenedFile) {
  DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: handle=" << AsHandle(this) << " {"
           << LogFlush;
  ScopedWaitMessage wait(MWaitReadingPlaylist);
  ClearItems();

  if (!LoadWinAMP()) {
    DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: WinAMP not loaded or not on line... }"
             << LogFlush;
    return 0;
  }
  // LoadWinAMP does not look for the player when it may not start one; a
  // running player must still be the one asked, or the panel would show
  // whatever playlist file was left from before.
  if (PlayerWindow == nullptr) FindPlayer();
  HWND asked = PlayerWindow;
  Song = SendPlayerIpc(PlayerWindow, IPC_WRITEPLAYLIST) + 1;
  DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: Create MELVOX panel items, curent song="
           << Song << LogFlush;
  LoadWinAMP();
  // The player asked ended and another was started since: the file is the
  // old one's, the list to show the new one's.
  if (PlayerWindow != nullptr && PlayerWindow != asked)
    Song = SendPlayerIpc(PlayerWindow, IPC_WRITEPLAYLIST) + 1;

  const char* playlist = fromOpenedFile ? OpenedPlaylist : PlaylistPath;
  ScopedFile file(CreateFileA(playlist, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.IsOpen()) {
    DebugLog << "\nMELVOXPanel::MakeMELVOXPanelIems: Can't open WinAMP playlist to read... }"
             << LogFlush;
    return 0;
  }
  ItemsVerified = 0;
  LARGE_INTEGER size = {};
  ScopedFileView view;
  if (!GetFileSizeEx(file.Get(), &size) ||
      !view.Map(file.Get(), static_cast<unsigned long long>(size.QuadPart))) {
    DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: Can't map WinAMP playlist... }"
             << LogFlush;
    return 0;
  }
  DWORD startTime = PanelClock();

  // One counting pass over the mapped bytes lets the store be sized once,
  // without the copies and spare room of step-by-step growth.
  int songLines = 0;
  {
    PlaylistLines count(view.Data(), view.Size());
    const unsigned char* line = nullptr;
    size_t length = 0;
    size_t pathLength = 0;
    while (count.Next(&line, &length) && songLines < INT_MAX - 1) {
      PlaylistLineKind kind = ClassifyPlaylistLine(line, length, &pathLength);
      if (kind == PlaylistTooLong) break;
      if (kind == PlaylistSong) ++songLines;
    }
  }
  ReserveItems(songLines, true);  // a failure shows again, and is logged, below

  PlaylistLines lines(view.Data(), view.Size());
  const unsigned char* line = nullptr;
  size_t length = 0;
  while (lines.Next(&line, &length)) {
    size_t pathLength = 0;
    PlaylistLineKind kind = ClassifyPlaylistLine(line, length, &pathLength);
    if (kind == PlaylistComment) continue;
    if (kind == PlaylistTooLong) {
      DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: WinAMP playlist format not valid?!! }"
               << LogFlush;
      return 0;
    }
    StoreResult grown = ReserveItems(ItemsNumber + 1);
    if (grown != StoreOk) {
      DWORD error = GetLastError();
      DebugLog << (grown == StoreNoMemory
                       ? "\nMELVOXPanel::MakeMELVOXPanelItems: Can't allocate memory to "
                         "playlist item..."
                       : "\nMELVOXPanel::MakeMELVOXPanelItems: Can't receive access to the "
                         "memory...")
               << "\nMELVOXPanel::MakeMELVOXPanelItems: Error code=" << error << " }"
               << LogFlush;
      return 0;
    }
    PluginPanelItem* item = &Items[ItemsNumber++];
    memset(item, 0, sizeof *item);
    char* name = item->FindData.cFileName;
    memcpy(name, line, pathLength);
    name[pathLength] = '\0';
    if (pathLength > 0) CharToOemBuffA(name, name, static_cast<DWORD>(pathLength));
    SetPlayerName(item, reinterpret_cast<const char*>(line), pathLength);
    if (Opt.ReadID3Tag) ReadTagColumns(item);
    DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: MELVOX panel item(" << ItemsNumber
             << ")=" << name << LogFlush;
  }
  view.Close();
  file.Close();

  if (TitlesCacheObject != nullptr) TitlesCacheObject->SortTitles();
  LoadWinAMP();
  // The player asked ended only after writing its file (its window lingered
  // above, answering nothing) and another was started just now: the songs
  // read are the old one's, the list to show the new one's. Read once more;
  // a player that ends in that reading too is left to the next listing.
  static bool relisting = false;
  if (PlayerWindow != nullptr && PlayerWindow != asked && !relisting) {
    DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: WinAMP was started again, reading its playlist }"
             << LogFlush;
    relisting = true;
    int listed = MakeMELVOXPanelItems(false);
    relisting = false;
    return listed;
  }
  if (Opt.ReadFileTitle && ItemsNumber > 0 && WaitForPlayer())
    FetchTitles(startTime);
  else
    TitlesFromCache();

  RedrawCountdown = kCursorAwaitsListing;
  return 1;
}

void MELVOXPanel::TitlesFromCache() {
  DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: Loading files titles from file titles cache "
              ":-))"
           << LogFlush;
  if (TitlesCacheObject == nullptr) return;
  for (int i = 0; i < ItemsNumber; ++i) {
    TitleEntry* cached = TitlesCacheObject->FindTitle(Items[i].FindData.cFileName);
    if (cached == nullptr) continue;
    Items[i].Description = cached->Title;
    Items[i].Owner = cached->Length;
    DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: file title[" << i + 1 << "]=\""
             << cached->Title << "\", " << cached->Length << LogFlush;
  }
}

void MELVOXPanel::FetchTitles(DWORD startTime) {
  DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: Create MELVOX Panel titles...";
  char progress[kProgressTextSize];
  const char* progressLabel = GetMsg(MProgressTitles);
  CopyText(progress, sizeof progress, progressLabel);
  int savedTime = -1;
  LRESULT savedState = 0;
  bool firstFetch = true;
  bool progressShown = false;

  for (int i = 0; i < ItemsNumber; ++i) {
    PluginPanelItem* item = &Items[i];
    TitleEntry* cached =
        TitlesCacheObject ? TitlesCacheObject->FindTitle(item->FindData.cFileName) : nullptr;
    if (cached != nullptr) {
      item->Description = cached->Title;
      item->Owner = cached->Length;
      DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: file title[" << i + 1 << "]=\""
               << cached->Title << "\", " << cached->Length << LogFlush;
      if (progressShown && HostInfo.Message != nullptr) {
        const char* lines[] = {"MELVOX", GetMsg(MWaitReadingPlaylist), GetMsg(MProgressFromCache)};
        HostInfo.Message(HostInfo.ModuleNumber, 0, nullptr, lines, 3, 0);
        progressShown = false;
      }
      continue;
    }
    if (!FindPlayer()) break;

    if (firstFetch) {
      savedState = SendPlayerIpc(PlayerWindow, IPC_ISPLAYING);
      savedTime = SendPlayerIpc(PlayerWindow, IPC_GETOUTPUTTIME, 0);
      SendPlayerCommand(PlayerWindow, WINAMP_BUTTON4);
      firstFetch = false;
      if (i == 0) {
        SendPlayerCommand(PlayerWindow, WINAMP_BUTTON1_CTRL);
      } else {
        SendPlayerIpc(PlayerWindow, IPC_SETPLAYLISTPOS, static_cast<WPARAM>(i - 1));
        SendPlayerCommand(PlayerWindow, WINAMP_BUTTON5);
      }
    } else {
      SendPlayerIpc(PlayerWindow, IPC_SETPLAYLISTPOS, static_cast<WPARAM>(i - 1));
      SendPlayerCommand(PlayerWindow, WINAMP_BUTTON5);
    }

    int captionLength = GetWindowTextLengthA(PlayerWindow);
    if (captionLength > 0 && static_cast<size_t>(captionLength) >= kStoppedCaptionSuffix) {
      int captionSize = captionLength + 2;
      char* caption = static_cast<char*>(malloc(static_cast<size_t>(captionSize)));
      int got = caption ? GetWindowTextA(PlayerWindow, caption, captionSize) : 0;
      size_t start = 0;
      size_t titleLength = 0;
      CaptionTitleKind kind =
          got > 0 ? FindCaptionTitle(caption, static_cast<size_t>(got), kStoppedCaptionSuffix,
                                     &start, &titleLength)
                  : CaptionNoTitle;
      if (kind == CaptionUnknown) {
        DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: file title(" << i + 1
                 << ")=unknown..." << LogFlush;
      } else if (kind == CaptionTitle) {
        char* title = nullptr;
        char* songLength = nullptr;
        if (AllocCaptionTitle(caption, start, titleLength, &title, &songLength)) {
          DebugLog << "\nMELVOXPanel::MakeMELVOXPanelItems: file title(" << i + 1 << ")=\""
                   << title << "\", " << songLength << LogFlush;
          KeepTitle(item, title, songLength);
        }
      }
      free(caption);
    }

    if (PanelClock() - startTime > kProgressDelay && HostInfo.Message != nullptr) {
      FormatText(progress, sizeof progress, "%s %i", progressLabel, i + 1);
      const char* lines[] = {"MELVOX", GetMsg(MWaitReadingPlaylist), progress};
      HostInfo.Message(HostInfo.ModuleNumber, progressShown ? static_cast<DWORD>(FMSG_KEEPBACKGROUND) : 0u, nullptr,
                       lines, 3, 0);
      progressShown = true;
    }
  }

  // Back on its song, in its state: a paused player stays paused at its
  // position (the user hears nothing start), a stopped one stays stopped. A
  // player that keeps its state to itself but had a position was playing.
  if (!firstFetch && WaitForPlayer()) {
    SendPlayerIpc(PlayerWindow, IPC_SETPLAYLISTPOS, static_cast<WPARAM>(Song - 1));
    bool paused = savedState == PLAYER_PAUSED;
    bool playing = savedState == PLAYER_PLAYING || (!paused && savedTime > 0);
    if (playing || paused) {
      SendPlayerCommand(PlayerWindow, WINAMP_BUTTON2);
      if (savedTime > 0)
        SendPlayerIpc(PlayerWindow, IPC_JUMPTOTIME, static_cast<WPARAM>(savedTime));
      if (paused) SendPlayerCommand(PlayerWindow, WINAMP_BUTTON3);
      DebugLog << (paused ? "\nMELVOXPanel::MakeMELVOXPanelItems: Restore paused... Song="
                          : "\nMELVOXPanel::MakeMELVOXPanelItems: Restore playing... Song=")
               << Song << " SongPos=" << savedTime << LogFlush;
    }
  }
}

int MELVOXPanel::GetFindData(PluginPanelItem** pPanelItem, int* pItemsNumber, int /*OpMode*/) {
  DebugLog << "\nMELVOXPanel::GetFindData: Get current directory files list in MELVOX panel... {"
           << "\nMELVOXPanel::GetFindData: handle=" << AsHandle(this) << LogFlush;
  UpdateItems();
  InfoRefresh = 1;
  *pPanelItem = Items;
  *pItemsNumber = ItemsNumber;
  Listed = 1;
  ListedItems = ItemsNumber;
  if (RedrawCountdown == kCursorAwaitsListing) RedrawCountdown = kCursorAwaitsRedraw;
  FormatSongLength(InfoLines[kInfoLineSongLength].Data);
  DebugLog << "\nMELVOXPanel::GetFindData: }" << LogFlush;
  return 1;
}

void MELVOXPanel::UpdateItems() {
  DebugLog << "\nMELVOXPanel::UpdateItems: handle=" << AsHandle(this) << " {" << LogFlush;
  // A requested rebuild comes first: an empty or already verified store
  // must not swallow it (the rebuild marks its entries unverified).
  if (ReloadFromPlayer == 1) {
    ReloadFromPlayer = 0;
    MakeMELVOXPanelItems(false);
  }
  if (ItemsVerified == 1 || ItemsNumber == 0 || Items == nullptr) {
    DebugLog << "\nMELVOXPanel::UpdateItems: Not needed... }" << LogFlush;
    return;
  }

  // The song files decide what stays: an entry marked for the host's delete
  // or move whose file is still where it was (the host failed, or the user
  // cancelled in a way no key followed) stays in the panel and the player.
  bool dropped = false;
  {
    ScopedWaitMessage wait(MWaitCheckingFiles);
    for (int pass = 0; pass < 2; ++pass) {
      dropped = CheckSongFiles();
      // Dropping rewrites the player's playlist from the store: not over
      // songs the user changed in the player since the last listing. Then
      // the player's list is taken instead, and its files checked.
      if (!dropped || pass > 0 || CompareWithPlayer() != PlayerHoldsOther) break;
      DebugLog << "\nMELVOXPanel::UpdateItems: WinAMP playlist changed, rebuilt from WinAMP..."
               << LogFlush;
      MakeMELVOXPanelItems(false);
    }
    RemoveEmptyItems();
    for (int i = 0; i < ItemsNumber; ++i) Items[i].NumberOfLinks = static_cast<DWORD>(i + 1);
  }

  if (dropped) {
    MakeWinAMPPlayList();
    InfoRefresh = 1;
    PanelInfo other;
    memset(&other, 0, sizeof other);
    if (HostControl(this, FCTL_GETANOTHERPANELINFO, &other) && other.PanelType == PTYPE_INFOPANEL)
      HostControl(this, FCTL_REDRAWANOTHERPANEL, nullptr);
  }
  RemovePending = 0;
  ItemsVerified = 1;
  DebugLog << "\nMELVOXPanel::UpdateItems: Ok... }" << LogFlush;
}

namespace {

// The listing's check over the store: each entry is looked up by its
// player's name (when it still names the entry) and its own OEM name.
class EntryFileCheck : public SongFileCheck {
 public:
  explicit EntryFileCheck(MELVOXPanel* panel) : panel_(panel) {}

  const char* AnsiName(size_t song) override {
    return panel_->CheckedPlayerName(panel_->Items[song]);
  }
  void OemName(size_t song, char* buffer, size_t size) override {
    const FarFindData& data = panel_->Items[song].FindData;
    CopyTextN(buffer, size, data.cFileName, sizeof data.cFileName);
  }
  // An entry whose file is found takes the file's data under its own full
  // name and loses its EmptyMark; one whose file is gone gets it.
  void Take(size_t song, const WIN32_FIND_DATAA* found) override {
    PluginPanelItem* item = &panel_->Items[song];
    if (found == nullptr) {
      item->Flags |= EmptyMark;
      missing = true;
      return;
    }
    char path[MAX_PATH];
    CopyTextN(path, sizeof path, item->FindData.cFileName, sizeof item->FindData.cFileName);
    CopyFindData(&item->FindData, *found);
    CopyText(item->FindData.cFileName, sizeof item->FindData.cFileName, path);
    item->NumberOfLinks = static_cast<DWORD>(song + 1);
    item->Flags &= ~EmptyMark;
  }

  bool missing = false;

 private:
  MELVOXPanel* panel_;
};

}  // namespace

bool MELVOXPanel::CheckSongFiles() {
  if (Items == nullptr || ItemsNumber <= 0) return false;
  EntryFileCheck check(this);
  FindSongFiles(&check, static_cast<size_t>(ItemsNumber), true);
  return check.missing;
}

void MELVOXPanel::RemoveEmptyItems() {
  DebugLog << "\nMELVOXPanel::RemoveEmptyItems: handle=" << AsHandle(this) << " {" << LogFlush;
  if (ItemsNumber == 0 || Items == nullptr) {
    DebugLog << "\nMELVOXPanel::RemoveEmptyItems: Not needed... }" << LogFlush;
    return;
  }
  int empty = 0;
  for (int i = 0; i < ItemsNumber; ++i) {
    if (Items[i].Flags & EmptyMark) {
      ++empty;
      ReleaseColumns(&Items[i]);
    } else if (empty > 0) {
      Items[i - empty] = Items[i];
    }
  }
  DebugLog << "\nMELVOXPanel::RemoveEmptyItems: EmptyCount=" << empty << LogFlush;
  ItemsNumber -= empty;
  if (ItemsNumber == 0) PlayerNames.Clear();
  if (empty > 0) {
    // The vacated records become spare ones: zero, owning nothing.
    memset(Items + ItemsNumber, 0, static_cast<size_t>(empty) * sizeof(PluginPanelItem));
    // The removed entries' names go too once they outweigh the others: songs
    // removed and put back on a panel that stays open would grow the pool
    // without end. Short of memory, the pool stays as it is.
    static_assert(sizeof Items[0].UserData == sizeof(uintptr_t), "UserData holds a pool handle");
    if (ItemsNumber > 0)
      PlayerNames.Compact(&Items[0].UserData, static_cast<size_t>(ItemsNumber), sizeof(PluginPanelItem));
    int keep = ItemsNumber + 1;
    GlobalUnlock(ItemsMemory);
    Items = nullptr;
    HGLOBAL smaller = GlobalReAlloc(ItemsMemory, static_cast<size_t>(keep) *
                                                     sizeof(PluginPanelItem),
                                    GMEM_MOVEABLE);
    if (smaller != nullptr) {
      ItemsMemory = smaller;
      ItemsCapacity = keep;
    }
    if (ItemsNumber > 0) Items = static_cast<PluginPanelItem*>(GlobalLock(ItemsMemory));
  }
  DebugLog << "\nMELVOXPanel::RemoveEmptyItems: }" << LogFlush;
}
