#include "plugin/ViewModes.h"

#include "plugin/ColumnTitles.h"
#include "plugin/DebugLog.h"
#include "plugin/HostInfo.h"
#include "plugin/Settings.h"
#include "plugin/TextBuffer.h"

#include <stdlib.h>
#include <string.h>

PanelMode PanelModes[kPanelModesNumber];

namespace {

// Strings are read into this many bytes; a longer value counts as missing.
constexpr DWORD kModeStringSize = 512;
constexpr size_t kSubkeySize = 32;

// Reads one string value of a mode into a private copy, logging the read.
char* ReadModeString(const char* subkey, const char* name, const char* defaultText, char* buffer) {
  int found = ReadSettingString(HKEY_CURRENT_USER, subkey, name, buffer, defaultText, kModeStringSize);
  DebugLog << "\nSetStartupInfo: " << name << " " << found;
  char* copy = DupText(buffer);
  DebugLog << " " << (copy != nullptr ? copy : "");
  return copy;
}

int ReadModeNumber(const char* subkey, const char* name, int defaultValue) {
  int value = GetSettingDword(HKEY_CURRENT_USER, subkey, name, defaultValue);
  DebugLog << "\nSetStartupInfo: " << name << " " << value;
  return value;
}

void FreeTitles(PanelMode* mode) {
  free(mode->ColumnTitles);
  mode->ColumnTitles = nullptr;
}

}  // namespace

void LoadPanelModes() {
  memset(PanelModes, 0, sizeof PanelModes);
  char* buffer = static_cast<char*>(malloc(kModeStringSize));
  for (size_t d = 0; d < kPanelModesNumber; ++d) {
    PanelMode& mode = PanelModes[d];
    const PanelModeDefault& defaults = DefaultPanelModes[d];
    char subkey[kSubkeySize];
    FormatText(subkey, sizeof subkey, "ViewModes\\Mode%u", static_cast<unsigned>(d));
    DebugLog << "\nSetStartupInfo: " << subkey << LogFlush;
    // Without a buffer no string can be read: the modes keep no strings of
    // their own (the host shows its default columns) rather than a block
    // being written that is not there.
    if (buffer != nullptr) {
      mode.ColumnTypes = ReadModeString(subkey, "ColumnTypes", defaults.ColumnTypes, buffer);
      mode.ColumnWidths = ReadModeString(subkey, "ColumnWidths", defaults.ColumnWidths, buffer);
      mode.StatusColumnTypes =
          ReadModeString(subkey, "StatusColumnTypes", defaults.StatusColumnTypes, buffer);
      mode.StatusColumnWidths =
          ReadModeString(subkey, "StatusColumnWidths", defaults.StatusColumnWidths, buffer);
    }
    mode.FullScreen = ReadModeNumber(subkey, "FullScreen", defaults.FullScreen);
    mode.AlignExtensions = ReadModeNumber(subkey, "AlignExtensions", defaults.AlignExtensions);
    mode.CaseConversion = ReadModeNumber(subkey, "CaseConversion", defaults.CaseConversion);
    DebugLog << LogFlush;
  }
  free(buffer);
}

void BuildColumnTitles() {
  for (PanelMode& mode : PanelModes) {
    FreeTitles(&mode);
    size_t columns = ColumnTitleMessages(mode.ColumnTypes, nullptr, 0);
    if (columns == 0) continue;
    int* messages = static_cast<int*>(calloc(columns, sizeof(int)));
    char** titles = static_cast<char**>(calloc(columns, sizeof(char*)));
    if (messages != nullptr && titles != nullptr) {
      ColumnTitleMessages(mode.ColumnTypes, messages, columns);
      // The host only reads the titles; the record's type asks for writable texts.
      for (size_t i = 0; i < columns; ++i) titles[i] = const_cast<char*>(GetMsg(messages[i]));
      mode.ColumnTitles = titles;
      titles = nullptr;
    }
    free(titles);
    free(messages);
  }
}

void FreePanelModes() {
  for (PanelMode& mode : PanelModes) {
    free(mode.ColumnTypes);
    free(mode.ColumnWidths);
    free(mode.StatusColumnTypes);
    free(mode.StatusColumnWidths);
    FreeTitles(&mode);
  }
  memset(PanelModes, 0, sizeof PanelModes);
}
