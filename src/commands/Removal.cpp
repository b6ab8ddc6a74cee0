// Removing entries (F7, Del), marking them for the host's own move, delete
// or wipe (F6, F8, Alt+Del), and taking the panel's order (Shift+F1). The
// player cannot remove or move one song, so each change to the store is
// followed by a rewrite of the player's whole playlist.
#include "commands/CommandSteps.h"

#include "commands/StoreOrder.h"
#include "plugin/DebugLog.h"
#include "plugin/LangMessages.h"

#include <stdlib.h>
#include <string.h>

namespace {

// The removal question: a title, three lines, a separator, two buttons.
bool ConfirmRemoval() {
  const char separator[] = {1, 0};
  const char* items[] = {GetMsg(MRemoveTitle), GetMsg(MRemoveLine1), GetMsg(MRemoveLine2),
                         GetMsg(MRemoveLine3), separator,            GetMsg(MOk),
                         GetMsg(MCancel)};
  return ShowMessage(0, items, 7, 2) == 0;
}

const char* RemovalKeyName(int key) {
  switch (key) {
    case VK_F6: return "VK_F6";
    case VK_F8: return "VK_F8";
    default: return "VK_F7; VK_DELETE";
  }
}

}  // namespace

int MELVOXPanel::RemoveSelected(int Key) {
  DebugLog << "\nMELVOXPanel::ProcessKey: Key=" << RemovalKeyName(Key) << ", handle="
           << AsHandle(this) << " {" << LogFlush;
  PanelInfo info;
  ActivePanelInfo(&info);
  if (ItemsNumber == 0 || CountSelectedEntries(info) == 0) {
    DebugLog << "\nMELVOXPanel::ProcessKey: Selected? }" << LogFlush;
    return 1;
  }
  // The player's playlist is rewritten below: not over songs the user
  // changed in the player since the panel was listed.
  if (!StoreStillCurrent("ProcessKey")) return 1;
  if (Key == VK_F7 && !ConfirmRemoval()) {
    DebugLog << "\nMELVOXPanel::ProcessKey: Cancel... }" << LogFlush;
    return 1;
  }
  MarkSelectedEntries(info);
  RemoveEmptyItems();
  for (int i = 0; i < ItemsNumber; ++i) Items[i].NumberOfLinks = static_cast<DWORD>(i + 1);
  bool sent = MakeWinAMPPlayList() != 0;
  // The listing below checks the songs left: one deleted outside FAR since
  // the last check leaves the panel and the player now. It runs after the
  // rewrite, so it finds the player holding the store.
  ItemsVerified = 0;
  HostControl(this, FCTL_UPDATEPANEL, nullptr);
  HostControl(this, FCTL_REDRAWPANEL, nullptr);
  RefreshPassiveInfo(this, true, true);
  if (!sent) ReportPlaylistNotSent();
  DebugLog << "\nMELVOXPanel::ProcessKey: VK_F7, VK_DELETE }" << LogFlush;
  return 1;
}

int MELVOXPanel::MarkForHost(int Key, bool wipe) {
  DebugLog << "\nMELVOXPanel::ProcessKey: Key=" << RemovalKeyName(Key) << ", handle="
           << AsHandle(this) << " {" << LogFlush;
  if (Key == VK_F6) {
    PanelInfo other;
    if (PassivePanelInfo(this, &other) && other.Plugin != 0) {
      DebugLog << "\nMELVOXPanel::ProcessKey: VK_F6-->Plugin }" << LogFlush;
      return 1;
    }
  }
  PanelInfo info;
  ActivePanelInfo(&info);
  if (ItemsNumber == 0 || CountSelectedEntries(info) == 0) {
    DebugLog << "\nMELVOXPanel::ProcessKey: Selected? }" << LogFlush;
    // Alt+Del stays the host's, whatever the plug-in makes of it.
    return wipe ? 0 : 1;
  }
  if (!wipe && !ConfirmRemoval()) {
    DebugLog << "\nMELVOXPanel::ProcessKey: Cancel... }" << LogFlush;
    return 1;
  }
  // The store and the panel stay as they are: the host's own command works
  // on the files the user chose, under the cursor the user sees. Its listing
  // afterwards drops the entries whose files went away and rewrites the
  // player's playlist; a key before that withdraws the marks.
  MarkSelectedEntries(info);
  ItemsVerified = 0;
  RemovePending = 1;
  DebugLog << (wipe ? "\nMELVOXPanel::ProcessKey: ALT+VK_DELETE }"
                    : "\nMELVOXPanel::ProcessKey: VK_F6, VK_F8 }")
           << LogFlush;
  return 0;
}

int MELVOXPanel::ReorderFromPanel() {
  PanelInfo info;
  if (!ActivePanelInfo(&info) || ItemsNumber == 0 || Items == nullptr) return 1;
  size_t entries = static_cast<size_t>(ItemsNumber);
  size_t shownNumber = info.PanelItems != nullptr && info.ItemsNumber > 0
                           ? static_cast<size_t>(info.ItemsNumber)
                           : 0;
  int* shown = static_cast<int*>(malloc((shownNumber > 0 ? shownNumber : 1) * sizeof(int)));
  size_t* order = static_cast<size_t*>(malloc(entries * sizeof(size_t)));
  unsigned char* seen = static_cast<unsigned char*>(malloc(entries));
  bool reorder = false;
  if (shown != nullptr && order != nullptr && seen != nullptr) {
    for (size_t i = 0; i < shownNumber; ++i) shown[i] = StoreIndexOf(info.PanelItems[i]);
    // Entries a filter hides keep their order after the ones shown.
    reorder = OrderShownFirst(shown, shownNumber, entries, order, seen);
  } else {
    DebugLog << "\nMELVOXPanel::ReorderFromPanel: Can't allocate memory..." << LogFlush;
  }
  // The order the player already has needs no rewrite; nor may a playlist
  // the user changed in the player since the listing be overwritten.
  if (reorder && StoreStillCurrent("ReorderFromPanel")) {
    // The store's own records move, with the texts they own: in place, a
    // copy of the whole store would cost as much as the rest of the command.
    PluginPanelItem spare;
    ApplyOrder(Items, sizeof(PluginPanelItem), entries, order, seen, &spare);
    for (size_t j = 0; j < entries; ++j) Items[j].NumberOfLinks = static_cast<DWORD>(j + 1);
    InfoRefresh = 1;
    // The player first, and the song files are checked by the listing
    // after it, as after a removal: that listing drops a song deleted
    // outside FAR only from a player that holds the store.
    bool sent = MakeWinAMPPlayList() != 0;
    ItemsVerified = 0;
    HostControl(this, FCTL_UPDATEPANEL, KeepSelection());
    HostControl(this, FCTL_REDRAWPANEL, nullptr);
    if (!sent) ReportPlaylistNotSent();
  }
  free(shown);
  free(order);
  free(seen);
  return 1;
}

void MELVOXPanel::MarkSelectedEntries(const PanelInfo& info) {
  for (int i = 0; info.SelectedItems != nullptr && i < info.SelectedItemsNumber; ++i) {
    int index = StoreIndexOf(info.SelectedItems[i]);
    if (index >= 0) Items[index].Flags |= EmptyMark;
  }
  InfoRefresh = 1;
}

int MELVOXPanel::CountSelectedEntries(const PanelInfo& info) const {
  int selected = 0;
  for (int i = 0; info.SelectedItems != nullptr && i < info.SelectedItemsNumber; ++i)
    if (StoreIndexOf(info.SelectedItems[i]) >= 0) ++selected;
  return selected;
}
