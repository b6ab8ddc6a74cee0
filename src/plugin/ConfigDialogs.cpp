#include "plugin/ConfigDialogs.h"

#include "plugin/ConfigText.h"
#include "plugin/DialogTemplate.h"
#include "plugin/EntryPoints.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/Settings.h"
#include "plugin/TextBuffer.h"
#include "plugin/ViewModes.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char kNoText[] = "";
constexpr DWORD kSeparator = DIF_BOXCOLOR | DIF_SEPARATOR;
// Room for any int in decimal.
constexpr size_t kNumberTextSize = 16;

// --- options dialog ---

enum OptionItem {
  kOptAddToDisksMenu = 1,
  kOptDisksMenuDigit = 2,
  kOptWaitTime = 6,
  kOptLogFile = 7,
  kOptReadFileTitle = 8,
  kOptAddDots = 9,
  kOptToTmpPanel = 10,
  kOptReadID3Tag = 11,
  kOptNoWinAMPStartup = 12,
  kOptOk = 14,
  kOptItemCount = 16,
};
constexpr int kOptWidth = 76;
constexpr int kOptHeight = 16;

const DialogItemTemplate kOptionItems[kOptItemCount] = {
    {DI_DOUBLEBOX, 3, 1, 72, 14, 0, 0, 0, 0, MOptTitle},
    {DI_CHECKBOX, 5, 2, 0, 0, 0, 0, 0, 0, MOptAddToDisksMenu},
    {DI_FIXEDIT, 7, 3, 7, 3, 1, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 9, 3, 0, 0, 0, 0, 0, 0, MOptDisksMenuDigit},
    {DI_TEXT, 0, 4, 0, 0, 0, 0, kSeparator, 0, TemplateText(kNoText)},
    {DI_TEXT, 9, 5, 0, 0, 0, 0, 0, 0, MWaitSeconds},
    {DI_FIXEDIT, 6, 5, 7, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_CHECKBOX, 5, 6, 0, 0, 0, 0, 0, 0, MOptLogFile},
    {DI_CHECKBOX, 5, 7, 0, 0, 0, 0, 0, 0, MOptReadFileTitle},
    {DI_CHECKBOX, 5, 8, 0, 0, 0, 0, 0, 0, MOptAddDots},
    {DI_CHECKBOX, 5, 9, 0, 0, 0, 0, 0, 0, MOptToTmpPanel},
    {DI_CHECKBOX, 5, 10, 0, 0, 0, 0, 0, 0, MOptReadID3Tag},
    {DI_CHECKBOX, 5, 11, 0, 0, 0, 0, 0, 0, MOptNoWinAMPStartup},
    {DI_TEXT, 0, 12, 0, 0, 0, 0, kSeparator, 0, TemplateText(kNoText)},
    {DI_BUTTON, 0, 13, 0, 0, 0, 0, DIF_CENTERGROUP, 1, MOk},
    {DI_BUTTON, 0, 13, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MCancel},
};

// --- view modes ---

enum ViewItem {
  kViewFrame = 0,
  kViewColumnTypes = 2,
  kViewColumnWidths = 4,
  kViewStatusColumnTypes = 6,
  kViewStatusColumnWidths = 8,
  kViewFullScreen = 10,
  kViewAlignExtensions = 11,
  kViewCaseConversion = 12,
  kViewStartMode = 13,
  kViewOk = 15,
  kViewItemCount = 17,
};
constexpr int kViewWidth = 76;
constexpr int kViewHeight = 15;
constexpr size_t kViewTitleSize = 80;
constexpr size_t kModeSubkeySize = 32;
const char kViewHelp[] = "MELVOXCfgView";

const DialogItemTemplate kViewItems[kViewItemCount] = {
    {DI_DOUBLEBOX, 3, 1, 72, 13, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 5, 2, 0, 0, 0, 0, 0, 0, MViewColumnTypes},
    {DI_EDIT, 5, 3, 34, 3, 1, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 38, 2, 0, 0, 0, 0, 0, 0, MViewColumnWidths},
    {DI_EDIT, 38, 3, 70, 3, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 5, 4, 0, 0, 0, 0, 0, 0, MViewStatusColumnTypes},
    {DI_EDIT, 5, 5, 34, 5, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 38, 4, 0, 0, 0, 0, 0, 0, MViewStatusColumnWidths},
    {DI_EDIT, 38, 5, 70, 5, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 0, 6, 0, 0, 0, 0, kSeparator, 0, TemplateText(kNoText)},
    {DI_CHECKBOX, 5, 7, 0, 0, 0, 0, 0, 0, MViewFullScreen},
    {DI_CHECKBOX, 5, 8, 0, 0, 0, 0, 0, 0, MViewAlignExtensions},
    {DI_CHECKBOX, 5, 9, 0, 0, 0, 0, 0, 0, MViewCaseConversion},
    {DI_CHECKBOX, 5, 10, 0, 0, 0, 0, 0, 0, MViewStartMode},
    {DI_TEXT, 0, 11, 0, 0, 0, 0, kSeparator, 0, TemplateText(kNoText)},
    {DI_BUTTON, 0, 12, 0, 0, 0, 0, DIF_CENTERGROUP, 1, MOk},
    {DI_BUTTON, 0, 12, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MCancel},
};

// A mode's texts in the order they are compared and stored, with their items.
struct ModeText {
  int Item;
  const char* Name;
  char* PanelMode::*Field;
};
const ModeText kModeTexts[] = {
    {kViewColumnTypes, "ColumnTypes", &PanelMode::ColumnTypes},
    {kViewColumnWidths, "ColumnWidths", &PanelMode::ColumnWidths},
    {kViewStatusColumnTypes, "StatusColumnTypes", &PanelMode::StatusColumnTypes},
    {kViewStatusColumnWidths, "StatusColumnWidths", &PanelMode::StatusColumnWidths},
};
struct ModeFlag {
  int Item;
  const char* Name;
  int PanelMode::*Field;
};
const ModeFlag kModeFlags[] = {
    {kViewFullScreen, "FullScreen", &PanelMode::FullScreen},
    {kViewAlignExtensions, "AlignExtensions", &PanelMode::AlignExtensions},
    {kViewCaseConversion, "CaseConversion", &PanelMode::CaseConversion},
};

int Checked(int value) { return value != 0 ? 1 : 0; }

// The host writes its state back into every item; what it wrote is read only
// up to the end of the item's buffer.
void EndTexts(FarDialogItem* items, int count) {
  for (int i = 0; i < count; ++i) items[i].Data[sizeof items[i].Data - 1] = '\0';
}

int RunDialog(int width, int height, const char* help, FarDialogItem* items, int count) {
  int result = HostInfo.Dialog(HostInfo.ModuleNumber, -1, -1, width, height, help, items, count);
  EndTexts(items, count);
  return result;
}

void StoreOption(int* field, const char* name, int value) {
  *field = value;
  WriteSettingDword(HKEY_CURRENT_USER, "", name, static_cast<DWORD>(value));
}

// The menu of the ten modes, item 0 selected: the chosen mode, or -1.
int ChooseViewMode() {
  FarMenuItem items[kPanelModesNumber];
  memset(items, 0, sizeof items);
  for (size_t d = 0; d < kPanelModesNumber; ++d)
    FormatText(items[d].Text, sizeof items[d].Text, "&%u. %s", static_cast<unsigned>(d),
               GetMsg(MViewMode0 + static_cast<int>(d)));
  items[0].Selected = 1;
  return HostInfo.Menu(HostInfo.ModuleNumber, -1, -1, 0, FMENU_WRAPMODE, GetMsg(MViewMenuTitle),
                       nullptr, kViewHelp, nullptr, nullptr, items,
                       static_cast<int>(kPanelModesNumber));
}

// The dialog of mode n; OK stores what differs from what it showed.
void EditViewMode(int n) {
  PanelMode& mode = PanelModes[n];
  char title[kViewTitleSize];
  FormatText(title, sizeof title, "%s %s", GetMsg(MViewTitle), GetMsg(MViewMode0 + n));

  DialogItemTemplate templates[kViewItemCount];
  memcpy(templates, kViewItems, sizeof templates);
  templates[kViewFrame].Data = TemplateText(title);
  for (const ModeText& text : kModeTexts) {
    const char* shown = mode.*text.Field;
    templates[text.Item].Data = TemplateText(shown != nullptr ? shown : kNoText);
  }
  for (const ModeFlag& flag : kModeFlags) templates[flag.Item].Selected = Checked(mode.*flag.Field);
  templates[kViewStartMode].Selected = StartModeNumber(Opt.StartPanelMode) == n ? 1 : 0;

  FarDialogItem items[kViewItemCount];
  memset(items, 0, sizeof items);
  ExpandDialogItems(templates, items, kViewItemCount);
  if (RunDialog(kViewWidth, kViewHeight, kViewHelp, items, kViewItemCount) != kViewOk) return;

  char subkey[kModeSubkeySize];
  FormatText(subkey, sizeof subkey, "ViewModes\\Mode%d", n);
  for (const ModeText& text : kModeTexts) {
    char*& current = mode.*text.Field;
    const char* edited = items[text.Item].Data;
    if (strcmp(current != nullptr ? current : kNoText, edited) == 0) continue;
    // Without memory for the copy the mode keeps its text, and the registry
    // keeps the value that goes with it.
    char* copy = DupText(edited);
    if (copy == nullptr) continue;
    free(current);
    current = copy;
    WriteSettingString(HKEY_CURRENT_USER, subkey, text.Name, copy);
  }
  for (const ModeFlag& flag : kModeFlags) {
    int checked = Checked(items[flag.Item].Selected);
    if (checked == templates[flag.Item].Selected) continue;
    mode.*flag.Field = checked;
    WriteSettingDword(HKEY_CURRENT_USER, subkey, flag.Name, static_cast<DWORD>(checked));
  }
  // Either change of the box makes this mode the start mode: clearing it on
  // the start mode leaves no other mode to start in.
  if (Checked(items[kViewStartMode].Selected) != templates[kViewStartMode].Selected) {
    Opt.StartPanelMode = '0' + n;
    WriteSettingDword(HKEY_CURRENT_USER, "ViewModes", "StartPanelMode",
                      static_cast<DWORD>(Opt.StartPanelMode));
  }
  BuildColumnTitles();
}

}  // namespace

int ConfigureOptions() {
  if (HostInfo.Dialog == nullptr) return 0;
  char digit[kNumberTextSize] = "";
  if (Opt.DisksMenuDigit != 0) FormatText(digit, sizeof digit, "%d", Opt.DisksMenuDigit);
  char waitTime[kNumberTextSize];
  FormatText(waitTime, sizeof waitTime, "%d", Opt.WaitTime);
  // The stored switch, which may already differ from the one in effect.
  int storedLogFile = Checked(GetSettingDword(HKEY_CURRENT_USER, "", "LogFile", 0));

  DialogItemTemplate templates[kOptItemCount];
  memcpy(templates, kOptionItems, sizeof templates);
  templates[kOptDisksMenuDigit].Data = TemplateText(digit);
  templates[kOptWaitTime].Data = TemplateText(waitTime);
  templates[kOptAddToDisksMenu].Selected = Checked(Opt.AddToDisksMenu);
  templates[kOptLogFile].Selected = storedLogFile;
  templates[kOptReadFileTitle].Selected = Checked(Opt.ReadFileTitle);
  templates[kOptAddDots].Selected = Checked(Opt.AddDots);
  // Find File lists go to TmpPanel unasked only for exactly 1.
  templates[kOptToTmpPanel].Selected = Opt.ToTmpPanel == 1 ? 1 : 0;
  templates[kOptReadID3Tag].Selected = Checked(Opt.ReadID3Tag);
  templates[kOptNoWinAMPStartup].Selected = Checked(Opt.NoWinAMPStartup);

  FarDialogItem items[kOptItemCount];
  memset(items, 0, sizeof items);
  ExpandDialogItems(templates, items, kOptItemCount);
  if (RunDialog(kOptWidth, kOptHeight, "MELVOXCfg", items, kOptItemCount) != kOptOk) return 0;

  const FarDialogItem& digitField = items[kOptDisksMenuDigit];
  StoreOption(&Opt.DisksMenuDigit, "DisksMenuDigit", FieldNumber(digitField.Data, sizeof digitField.Data));
  // Stored once, as corrected: an empty or out-of-range entry becomes 10.
  const FarDialogItem& waitField = items[kOptWaitTime];
  Opt.WaitTime = FieldNumber(waitField.Data, sizeof waitField.Data);
  NormalizeWaitTime(true);
  StoreOption(&Opt.AddDots, "AddDots", Checked(items[kOptAddDots].Selected));
  StoreOption(&Opt.AddToDisksMenu, "AddToDisksMenu", Checked(items[kOptAddToDisksMenu].Selected));
  StoreOption(&Opt.ToTmpPanel, "ToTmpPanel", Checked(items[kOptToTmpPanel].Selected));
  // The log opens only at start-up: Opt.LogFile keeps the switch in effect.
  int logFile = Checked(items[kOptLogFile].Selected);
  WriteSettingDword(HKEY_CURRENT_USER, "", "LogFile", static_cast<DWORD>(logFile));
  StoreOption(&Opt.ReadFileTitle, "ReadFileTitle", Checked(items[kOptReadFileTitle].Selected));
  StoreOption(&Opt.ReadID3Tag, "ReadID3Tag", Checked(items[kOptReadID3Tag].Selected));
  StoreOption(&Opt.NoWinAMPStartup, "NoWinAMPStartup", Checked(items[kOptNoWinAMPStartup].Selected));

  if (logFile != Checked(Opt.LogFile) && HostInfo.Message != nullptr) {
    const char* notice[] = {"MELVOX", GetMsg(MOptLogRestart), GetMsg(MOk)};
    HostInfo.Message(HostInfo.ModuleNumber, 0, nullptr, notice, 3, 1);
  }
  return 1;
}

int ConfigureViewModes() {
  // The host holds the modes' texts while a panel is open.
  if (StartCount != 0) return 0;
  if (HostInfo.Menu == nullptr || HostInfo.Dialog == nullptr) return 0;
  for (;;) {
    int n = ChooseViewMode();
    if (n < 0 || n >= static_cast<int>(kPanelModesNumber)) return 1;
    EditViewMode(n);
  }
}
