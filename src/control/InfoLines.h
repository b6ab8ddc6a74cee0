// The information lines and the key bar the host shows for a plug-in panel:
// global records shared by every panel (the values are those of the panel
// refreshed last), handed to the host by GetOpenPluginInfo and read by it
// after the call returns. Labels are filled at start-up; panels fill values.
#pragma once

#include "host/FarApi.h"

constexpr int kInfoLinesNumber = 10;
// Lines whose values the panel writes.
constexpr int kInfoLineTitle = 0;  // the separator line with the marquee
constexpr int kInfoLinePluginVersion = 1;
constexpr int kInfoLinePlayerVersion = 2;
constexpr int kInfoLineStatus = 3;
constexpr int kInfoLineListLength = 4;
constexpr int kInfoLinePosition = 5;
constexpr int kInfoLineSongLength = 6;
constexpr int kInfoLineChannels = 7;
constexpr int kInfoLineSampleRate = 8;
constexpr int kInfoLineBitRate = 9;

// The plug-in's version as the information panel shows it.
#define MELVOX_VERSION_TEXT "1.06a"

extern InfoPanelLine InfoLines[kInfoLinesNumber];
extern KeyBarTitles KeyBar;
// Position of the lower-case letter in line 0 (MarqueeStep); 0 at load.
extern int InfoMarquee;

// Start-up: clears InfoLines and KeyBar and fills their fixed texts (line 0's
// title, line 1, the labels of lines 3 to 9, the key-bar labels). Line 2 is
// the panel's. Texts longer than a line's field are cut.
void FillFixedInfoTexts();
