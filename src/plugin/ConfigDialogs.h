// The configuration dialogs the host's configuration menu opens.
#pragma once

// The options dialog: every changed setting is written to the registry at
// once. Returns 1 when settings were changed, 0 when none were (Esc).
int ConfigureOptions();

// The view modes: a menu of the ten modes, then the dialog of the chosen
// one; an accepted change is written to the registry and the column titles
// are built again. Returns 1 when a mode was changed, 0 otherwise.
int ConfigureViewModes();
