// The information lines the host shows beside a plug-in panel: one global
// array shared by every panel (the values are those of the panel refreshed
// last). Labels are filled at start-up; panels fill the values.
#pragma once

#include "host/FarApi.h"

constexpr int kInfoLinesNumber = 10;
// Lines whose values the panel instance writes.
constexpr int kInfoLinePlayerVersion = 2;
constexpr int kInfoLineSongLength = 6;

extern InfoPanelLine InfoLines[kInfoLinesNumber];
