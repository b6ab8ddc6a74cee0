// Steps the panel's commands share: the host's reports on the two panels,
// redraws of the panel beside, and the plug-in's own message boxes.
#pragma once

#include "panel/MELVOXPanel.h"
#include "plugin/HostInfo.h"

#include <string.h>

// FCTL_UPDATEPANEL's parameter that keeps the user's selection (any non-null
// value does, in both hosts).
inline void* KeepSelection() { return reinterpret_cast<void*>(1); }

// The active panel's report: the host's copies of its items in display
// order, valid until the next report. False (info zeroed) when there is none.
inline bool ActivePanelInfo(PanelInfo* info) {
  memset(info, 0, sizeof *info);
  return HostControl(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, info) != 0;
}

// The report on the panel beside self's. False (info zeroed) when there is none.
inline bool PassivePanelInfo(HANDLE self, PanelInfo* info) {
  memset(info, 0, sizeof *info);
  return HostControl(self, FCTL_GETANOTHERPANELINFO, info) != 0;
}

// The item under the cursor in a report, or null when the report holds none.
inline const PluginPanelItem* CursorItem(const PanelInfo& info) {
  if (info.PanelItems == nullptr || info.CurrentItem < 0 || info.CurrentItem >= info.ItemsNumber)
    return nullptr;
  return &info.PanelItems[info.CurrentItem];
}

// The panel beside self, when it shows the information panel (or, with
// quickView, the quick view too), listed again when asked and redrawn, so
// what it shows of the player follows.
inline void RefreshPassiveInfo(HANDLE self, bool quickView, bool update) {
  PanelInfo other;
  if (!PassivePanelInfo(self, &other)) return;
  if (other.PanelType != PTYPE_INFOPANEL && !(quickView && other.PanelType == PTYPE_QVIEWPANEL))
    return;
  if (update) HostControl(self, FCTL_UPDATEANOTHERPANEL, nullptr);
  HostControl(self, FCTL_REDRAWANOTHERPANEL, nullptr);
}

// The host's Message (flags, no help topic) or -1 when the host gave none.
inline int ShowMessage(DWORD flags, const char* const* items, int itemsNumber, int buttons) {
  if (HostInfo.Message == nullptr) return -1;
  return HostInfo.Message(HostInfo.ModuleNumber, flags, nullptr, items, itemsNumber, buttons);
}

inline const void* AsHandle(const void* p) { return p; }

// ReplaceFileA, by which Shift+F5 puts a written playlist in place of the
// old one. Tests put a stand-in here for failures only Windows produces.
extern BOOL(WINAPI* ReplacePlaylistFile)(LPCSTR replaced, LPCSTR replacement, LPCSTR backup,
                                         DWORD flags, LPVOID exclude, LPVOID reserved);
