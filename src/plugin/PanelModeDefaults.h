// The built-in layouts of the ten view modes, as plain texts and flags; the
// host layer copies them into the PanelMode records where the registry holds
// nothing for a mode.
#pragma once

#include <stddef.h>

constexpr size_t kPanelModesNumber = 10;

struct PanelModeDefault {
  const char* ColumnTypes;
  const char* ColumnWidths;
  const char* StatusColumnTypes;
  const char* StatusColumnWidths;
  int FullScreen;
  int AlignExtensions;
  int CaseConversion;
};

// Index = view mode 0 to 9. DetailedStatus is 0 and no mode has titles of its own.
extern const PanelModeDefault DefaultPanelModes[kPanelModesNumber];
