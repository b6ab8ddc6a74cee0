// Host items back to store entries, and whether the player still holds what
// the store shows: the panel never polls the player, so songs the user added,
// removed or moved in the player since the last listing are found here,
// before a command rewrites the player's playlist from the store or acts on
// a position in it, and after songs were handed to it in a playlist file.
#include "commands/CommandSteps.h"

#include "link/PlayerMessages.h"
#include "panel/PlaylistText.h"
#include "plugin/DebugLog.h"
#include "plugin/LangMessages.h"
#include "plugin/ScopedHandles.h"
#include "plugin/TextBuffer.h"

#include <string.h>

namespace {

// The player's playlist file (or any file) opened and mapped whole.
bool MapWholeFile(const char* path, ScopedFile* file, ScopedFileView* view) {
  file->Reset(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size = {};
  return file->IsOpen() && GetFileSizeEx(file->Get(), &size) &&
         view->Map(file->Get(), static_cast<unsigned long long>(size.QuadPart));
}

}  // namespace

int MELVOXPanel::StoreIndexOf(const PluginPanelItem& hostItem) const {
  DWORD links = hostItem.NumberOfLinks;
  if (Items == nullptr || links < 1 || links > static_cast<DWORD>(ItemsNumber)) return -1;
  const char* entryName = Items[links - 1].FindData.cFileName;
  if (strncmp(entryName, hostItem.FindData.cFileName, sizeof hostItem.FindData.cFileName) != 0)
    return -1;
  return static_cast<int>(links - 1);
}

bool MELVOXPanel::ReachPlayer() {
  LoadWinAMP();
  // LoadWinAMP does not look when the plug-in may not start the player.
  if (PlayerWindow == nullptr || !IsWindow(PlayerWindow)) FindPlayer();
  return PlayerWindow != nullptr && PlayerVersion != 0;
}

MELVOXPanel::PlayerCheck MELVOXPanel::CompareWithPlayer() {
  if (!ReachPlayer()) return PlayerUnknown;
  int length = 0;
  return MatchPlayerList(0, 0, &length);
}

MELVOXPanel::PlayerCheck MELVOXPanel::MatchPlayerList(int held, int from, int* length) {
  *length = SendPlayerIpc(PlayerWindow, IPC_GETLISTLENGTH);
  if (*length != held + (ItemsNumber - from)) {
    DebugLog << "\nMELVOXPanel::CompareWithPlayer: WinAMP holds " << *length
             << " songs, the panel " << ItemsNumber - from + held << LogFlush;
    return PlayerHoldsOther;
  }
  // Same length is not the same list (another album, a sort or shuffle in
  // the player): the player's own file says which songs, in which order.
  int position = SendPlayerIpc(PlayerWindow, IPC_WRITEPLAYLIST);
  ScopedFile file;
  ScopedFileView view;
  if (!MapWholeFile(PlaylistPath, &file, &view)) {
    DebugLog << "\nMELVOXPanel::CompareWithPlayer: Can't read WinAMP playlist, lengths agree"
             << LogFlush;
    return PlayerUnknown;
  }
  PlaylistLines lines(view.Data(), view.Size());
  const unsigned char* line = nullptr;
  size_t lineLength = 0;
  int listed = 0;
  int song = from;
  char name[MAX_PATH];
  while (lines.Next(&line, &lineLength)) {
    size_t pathLength = 0;
    PlaylistLineKind kind = ClassifyPlaylistLine(line, lineLength, &pathLength);
    if (kind == PlaylistComment) continue;
    // The songs it held before are its own affair.
    if (listed++ < held) continue;
    if (kind == PlaylistTooLong || song >= ItemsNumber) return PlayerHoldsOther;
    const char* known = CheckedPlayerName(Items[song]);
    if (known == nullptr) {
      PlayerName(Items[song], name, sizeof name);
      known = name;
    }
    if (strlen(known) != pathLength || memcmp(known, line, pathLength) != 0) {
      DebugLog << "\nMELVOXPanel::CompareWithPlayer: WinAMP song " << song + 1 << " is another"
               << LogFlush;
      return PlayerHoldsOther;
    }
    ++song;
  }
  if (song != ItemsNumber) return PlayerHoldsOther;
  Song = position + 1;
  return PlayerHoldsStore;
}

bool MELVOXPanel::ResendPlayerHead(int held) {
  SendPlayerIpc(PlayerWindow, IPC_WRITEPLAYLIST);
  ScopedFile file;
  ScopedFileView view;
  if (!MapWholeFile(PlaylistPath, &file, &view)) return false;
  SendPlayerIpc(PlayerWindow, IPC_DELETE);
  PlaylistLines lines(view.Data(), view.Size());
  const unsigned char* line = nullptr;
  size_t lineLength = 0;
  char path[MAX_PATH];
  for (int sent = 0; sent < held && lines.Next(&line, &lineLength);) {
    size_t pathLength = 0;
    PlaylistLineKind kind = ClassifyPlaylistLine(line, lineLength, &pathLength);
    if (kind == PlaylistComment) continue;
    if (kind == PlaylistTooLong) return false;
    CopyTextN(path, sizeof path, reinterpret_cast<const char*>(line), pathLength);
    SendPlayerPlayFile(PlayerWindow, path);
    ++sent;
  }
  return true;
}

bool MELVOXPanel::StoreStillCurrent(const char* scope) {
  if (CompareWithPlayer() != PlayerHoldsOther) return true;
  DebugLog << "\nMELVOXPanel::" << scope
           << ": WinAMP playlist changed since the listing, rebuilt from WinAMP }" << LogFlush;
  MakeMELVOXPanelItems(false);
  InfoRefresh = 1;
  HostControl(this, FCTL_UPDATEPANEL, KeepSelection());
  HostControl(this, FCTL_REDRAWPANEL, nullptr);
  const char* items[] = {"MELVOX", GetMsg(MPlaylistChanged), GetMsg(MPlaylistShownAgain),
                         GetMsg(MOk)};
  ShowMessage(0, items, 4, 1);
  return false;
}
