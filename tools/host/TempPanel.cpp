// The host's temporary panel, built in: a plug-in that takes the Find File
// lists other plug-ins refuse and shows them as real files (by their names;
// the items keep the full paths).
// It calls no services, so it needs no language file.
#include "HostImpl.h"

#include <string.h>

#include <vector>

namespace farhost {

namespace {

struct TemporaryPanel {
  std::vector<PluginPanelItem> items;
};

HANDLE WINAPI TmpOpenPlugin(int openFrom, INT_PTR) {
  if (openFrom != OPEN_FINDLIST) return INVALID_HANDLE_VALUE;
  return new TemporaryPanel;
}

void WINAPI TmpClosePlugin(HANDLE panel) { delete static_cast<TemporaryPanel*>(panel); }

int WINAPI TmpSetFindList(HANDLE panel, const PluginPanelItem* items, int count) {
  TemporaryPanel* p = static_cast<TemporaryPanel*>(panel);
  p->items.clear();
  for (int i = 0; items && i < count; ++i) {
    PluginPanelItem item = {};
    item.FindData = items[i].FindData;
    p->items.push_back(item);
  }
  return 1;
}

int WINAPI TmpGetFindData(HANDLE panel, PluginPanelItem** items, int* count, int) {
  TemporaryPanel* p = static_cast<TemporaryPanel*>(panel);
  *items = p->items.empty() ? nullptr : p->items.data();
  *count = static_cast<int>(p->items.size());
  return 1;
}

void WINAPI TmpGetOpenPluginInfo(HANDLE, OpenPluginInfo* info) {
  memset(info, 0, sizeof *info);
  info->StructSize = sizeof *info;
  info->Flags = OPIF_ADDDOTS | OPIF_REALNAMES | OPIF_SHOWNAMESONLY;
  info->PanelTitle = " Temporary panel ";
  info->CurDir = "";
}

}  // namespace

Exports TemporaryPanelExports() {
  Exports e;
  e.OpenPlugin = TmpOpenPlugin;
  e.ClosePlugin = TmpClosePlugin;
  e.SetFindList = TmpSetFindList;
  e.GetFindData = TmpGetFindData;
  e.GetOpenPluginInfo = TmpGetOpenPluginInfo;
  return e;
}

}  // namespace farhost
