// What the exports do: start-up and shutdown, the plug-in's menu entries, and
// the creation and destruction of panel instances. The exports themselves
// (Exports.cpp) only forward here and to the panel instance.
#pragma once

#include "host/FarApi.h"

// Panel instances the host holds: grows with every handle OpenPlugin or
// OpenFilePlugin hands out, shrinks with every ClosePlugin.
extern int StartCount;

// SetStartupInfo: takes the host's record, then builds the settings key,
// opens the debug log when enabled, reads the settings, fills the fixed
// info-line and key-bar texts, reads the view modes and their column titles,
// builds the genre table and loads the titles cache, in this order.
void StartPlugin(const PluginStartupInfo* Info);
// GetPluginInfo: the disks-menu entry (when enabled), the two plug-ins-menu
// entries and the configuration entries (two while no panel is open, one
// while any is). Info null is ignored.
void DescribePlugin(PluginInfo* Info);
// OpenPlugin: a panel instance, or INVALID_HANDLE_VALUE when none opens (the
// control-dialog origins, a Find File list the plug-in leaves to the next
// one, no memory).
HANDLE OpenPanel(int OpenFrom, INT_PTR Item);
// OpenFilePlugin: a panel on an .m3u or .pls file (any letter case), or
// INVALID_HANDLE_VALUE for any other name or none. The data is not looked at.
HANDLE OpenPlaylistFile(const char* Name);
// ClosePlugin: destroys the instance.
void ClosePanel(HANDLE hPlugin);
// ExitFAR: titles cache saved and released, genre table and view modes
// released, the debug log closed with its last line.
void StopPlugin();
// Configure: 0 the options, 1 the view modes; anything else returns 0.
int ConfigurePlugin(int ItemNumber);
