// Keys on the panel: the dispatch, playing the entry under the cursor, stop
// and pause, the copy key and the tag editor. Removal and reordering are in
// Removal.cpp, saving the playlist in SavePlaylist.cpp.
#include "commands/CommandSteps.h"

#include "link/PlayState.h"
#include "link/PlayerMessages.h"
#include "panel/TitlesCache.h"
#include "plugin/DebugLog.h"
#include "plugin/EntryPoints.h"
#include "plugin/Options.h"
#include "plugin/TextBuffer.h"
#include "tags/TagEditor.h"

#include <stdlib.h>
#include <string.h>

namespace {

// The 1.x host's "no key", sent after most keys and before Ctrl and Alt
// combinations.
constexpr int kNoKey = 0x1001;
// Del from the numeric keypad, as the 1.x host sends it under some consoles.
constexpr int kNumpadDelete = 0x109;

const char* KeyName(int key) { return key == VK_F3 ? "VK_F3" : "VK_F4"; }

}  // namespace

int MELVOXPanel::ProcessKey(int Key, unsigned int ControlState) {
  // Notices, not keys: each key comes first with PKF_PREPROCESS, and the 1.x
  // host's "no key" follows most keys (a F8 the host then cancels, too).
  // Acting on them would act twice, or withdraw F8's marks before the host's
  // own listing.
  if ((static_cast<unsigned>(Key) & PKF_PREPROCESS) != 0 || Key == kNoKey) return 0;

  // Marks that F6, F8 or Alt+Del left for the host's listing, when a real
  // key comes first: the host did not go on (its dialog was cancelled).
  if (RemovePending == 1) {
    for (int i = 0; i < ItemsNumber && Items != nullptr; ++i) Items[i].Flags &= ~EmptyMark;
    ItemsVerified = 1;
    RemovePending = 0;
  }
  if (ItemsMemory == nullptr) return 0;

  int key = Key == kNumpadDelete ? VK_DELETE : Key;
  if (ControlState == PKF_ALT) {
    if (key == VK_F6) return EditTags();
    if (key == VK_DELETE) return MarkForHost(key, true);
    return 0;
  }
  if (ControlState == PKF_SHIFT) {
    if (key == VK_F5) return SavePlaylist();
    if (key == VK_F1) return ReorderFromPanel();
    return 0;
  }
  if (ControlState != 0) return 0;
  switch (key) {
    case VK_F5:
      DebugLog << "\nMELVOXPanel::ProcessKey: Key=VK_F5, handle=" << AsHandle(this) << " {";
      // The host copies the songs to the other panel; when that is a panel
      // of this plug-in it adds them to the same player, so this one shows
      // them too after its next listing.
      if (StartCount > 1) {
        ReloadFromPlayer = 1;
        ItemsVerified = 0;
      }
      DebugLog << "\nMELVOXPanel::ProcessKey: Key=VK_F5 }" << LogFlush;
      return 0;
    case VK_F6:
    case VK_F8:
      return MarkForHost(key, false);
    case VK_F7:
    case VK_DELETE:
      return RemoveSelected(key);
    case VK_F3:
    case VK_F4:
      return StopOrPause(key);
    case VK_RETURN:
      return PlayUnderCursor(key);
    default:
      return 0;
  }
}

int MELVOXPanel::StopOrPause(int Key) {
  DebugLog << "\nMELVOXPanel::ProcessKey: Key=" << KeyName(Key) << ", handle=" << AsHandle(this)
           << " {" << LogFlush;
  ReachPlayer();
  if (SendPlayerIpc(PlayerWindow, IPC_ISPLAYING) == PLAYER_STOPPED) return PlayUnderCursor(Key);
  SendPlayerCommand(PlayerWindow, Key == VK_F3 ? WINAMP_BUTTON4 : WINAMP_BUTTON3);
  InfoRefresh = 1;
  RefreshPassiveInfo(this, false, false);
  DebugLog << "\nMELVOXPanel::ProcessKey: Key=" << KeyName(Key) << " }" << LogFlush;
  return 1;
}

int MELVOXPanel::PlayUnderCursor(int Key) {
  DebugLog << "\nMELVOXPanel::ProcessKey: Key=VK_RETURN, handle=" << AsHandle(this) << " {";
  if (ItemsNumber == 0 || Items == nullptr) {
    DebugLog << "VK_RETURN !!!! }" << LogFlush;
    return 0;
  }
  PanelInfo info;
  ActivePanelInfo(&info);
  const PluginPanelItem* current = CursorItem(info);
  int index = current != nullptr ? StoreIndexOf(*current) : -1;
  if (index < 0) {
    // "..": Enter closes the panel back to where it was opened; F3 and F4
    // have nothing to play.
    if (Key == VK_RETURN && info.CurrentItem == 0 && Opt.AddDots) {
      DebugLog << "\nMELVOXPanel::ProcessKey: Close plug-in }" << LogFlush;
      // The later host closes the instance inside this call: nothing of it
      // may be touched afterwards.
      HostControl(this, FCTL_CLOSEPLUGIN, StartDir[0] != '\0' ? StartDir : nullptr);
      return 1;
    }
    DebugLog << "\nMELVOXPanel::ProcessKey: no entry under the cursor }" << LogFlush;
    return 1;
  }
  if (!StoreStillCurrent("ProcessKey")) return 1;

  PluginPanelItem* entry = &Items[index];
  Song = index + 1;
  DebugLog << "\nMELVOXPanel::ProcessKey: PlayFile(" << Song << ")=" << entry->FindData.cFileName
           << LogFlush;
  // From a pause the play button would resume; Enter starts the song anew.
  if (SendPlayerIpc(PlayerWindow, IPC_ISPLAYING) == PLAYER_PAUSED)
    SendPlayerCommand(PlayerWindow, WINAMP_BUTTON4);
  SendPlayerIpc(PlayerWindow, IPC_SETPLAYLISTPOS, static_cast<WPARAM>(index));
  SendPlayerCommand(PlayerWindow, WINAMP_BUTTON2);

  bool changed = false;
  if (entry->Description == nullptr || entry->Description[0] == '\0') {
    char* title = nullptr;
    char* length = nullptr;
    if (AllocSongTitleFromCaption(Song, &title, &length)) {
      DebugLog << "\nMELVOXPanel::ProcessKey: Play file title: \"" << title << "\", " << length
               << LogFlush;
      changed = KeepTitle(entry, title, length);
    }
  }
  if (entry->CustomColumnNumber != 6 && Opt.ReadID3Tag) {
    ReadTagColumns(entry);
    changed = changed || entry->CustomColumnNumber == 6;
  }
  // Listed again only when the entry shows more now; the selection stays
  // the user's (the host keeps it by name, whatever the sort). The listing
  // asks for new information lines itself: asked for before it too, they
  // would be fetched from the player twice.
  if (changed)
    HostControl(this, FCTL_UPDATEPANEL, KeepSelection());
  else
    InfoRefresh = 1;
  HostControl(this, FCTL_REDRAWPANEL, nullptr);
  RefreshPassiveInfo(this, false, false);
  DebugLog << "\nMELVOXPanel::ProcessKey: Key=VK_RETURN }" << LogFlush;
  return 1;
}

int MELVOXPanel::EditTags() {
  PanelInfo info;
  if (!ActivePanelInfo(&info) || info.SelectedItemsNumber <= 0 || info.SelectedItems == nullptr)
    return 1;
  int count = info.SelectedItemsNumber;
  // The editor gets names of its own: the host's copies live only until its
  // next report, and the editor's dialogs make the host report and redraw.
  char** names = static_cast<char**>(calloc(static_cast<size_t>(count), sizeof(char*)));
  if (names == nullptr) return 1;
  int named = 0;
  char name[MAX_PATH];
  for (int i = 0; i < count; ++i) {
    const FarFindData& data = info.SelectedItems[i].FindData;
    CopyTextN(name, sizeof name, data.cFileName, sizeof data.cFileName);
    char* copy = DupText(name);
    if (copy != nullptr) names[named++] = copy;
  }
  const char** changed = named > 0 ? DoID3Tag(names, named) : nullptr;
  if (changed != nullptr) {
    // The player reads the new tags when it gets its songs again; over a
    // playlist the user changed in the player meanwhile, its own is taken.
    // A player that did not take them keeps the old titles: that is told.
    bool sent = true;
    if (CompareWithPlayer() == PlayerHoldsOther)
      MakeMELVOXPanelItems(false);
    else if (MakeWinAMPPlayList())
      MakeMELVOXPanelItems(false);
    else
      sent = false;
    InfoRefresh = 1;
    HostControl(this, FCTL_UPDATEPANEL, KeepSelection());
    HostControl(this, FCTL_REDRAWPANEL, nullptr);
    HostControl(this, FCTL_UPDATEANOTHERPANEL, nullptr);
    HostControl(this, FCTL_REDRAWANOTHERPANEL, nullptr);
    if (!sent) ReportPlaylistNotSent();
    free(changed);
  }
  for (int i = 0; i < named; ++i) free(names[i]);
  free(names);
  return 1;
}
