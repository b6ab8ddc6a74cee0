// The configuration dialogs the host's configuration menu opens. Every
// accepted change goes to Opt or PanelModes and to the registry at once, so
// it holds for everything the plug-in does next (the debug log switch alone
// waits for the next load).
#pragma once

// The options dialog. OK stores every value it shows, in Opt and the
// registry, and tells the user when the stored log switch no longer matches
// the one in effect; returns 1. Esc or Cancel changes nothing; returns 0.
int ConfigureOptions();

// The view modes: while a panel is open nothing is shown and the result is 0
// (the host holds the modes' texts then). Otherwise the menu of the ten
// modes, and for a chosen mode its dialog; OK stores what was changed and
// builds the column titles again, and the menu comes back after every
// dialog. Returns 1 when the user leaves the menu.
int ConfigureViewModes();
