// The ten view modes of the panel: their column layouts (built-in defaults,
// overridden from the registry under "ViewModes\ModeN") and column titles,
// handed to the host by GetOpenPluginInfo.
#pragma once

#include "host/FarApi.h"
#include "plugin/PanelModeDefaults.h"

// Index = view mode 0 to 9. The four strings of every mode and its title
// list are owned here; the titles point at language-file texts. A string
// whose copy could not be had stays null (the host then shows its own).
extern PanelMode PanelModes[kPanelModesNumber];

// Start-up: clears the modes and reads each from the registry, every value
// that is missing (or a string of more than 511 characters) taking the
// mode's default; logs every read.
void LoadPanelModes();

// Gives every mode one title per comma-separated field of its ColumnTypes
// (ColumnTitles.h), replacing and releasing the previous lists. A mode
// without columns, or whose list cannot be allocated, has no title list.
void BuildColumnTitles();

// Exit: releases every string and title list; the modes are cleared.
void FreePanelModes();
