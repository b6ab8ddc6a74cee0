// How deep the host has called into the plug-in. The host calls back from
// inside its services: GetOpenPluginInfo during FCTL_UPDATEPANEL and
// FCTL_GETPANELINFO, FE_REDRAW during FCTL_REDRAWPANEL and while dialogs are
// open. Work that must not run inside another call of the plug-in (listing
// the panel again from GetOpenPluginInfo) asks NestedInPluginCall first.
#pragma once

// One export call under way; every export holds one for its whole run.
class ExportCall {
 public:
  ExportCall() { ++Depth; }
  ~ExportCall() { --Depth; }
  ExportCall(const ExportCall&) = delete;
  ExportCall& operator=(const ExportCall&) = delete;

  static inline int Depth = 0;
};

// True while this call runs inside another export call of the plug-in.
inline bool NestedInPluginCall() { return ExportCall::Depth > 1; }
