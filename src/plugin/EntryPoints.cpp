#include "plugin/EntryPoints.h"

#include "control/InfoLines.h"
#include "panel/MELVOXPanel.h"
#include "panel/TitlesCache.h"
#include "plugin/ConfigDialogs.h"
#include "plugin/DebugLog.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/Settings.h"
#include "plugin/ViewModes.h"
#include "tags/Id3Tag.h"

#include <new>

#include <string.h>

int StartCount = 0;

namespace {

// The host reads the menu arrays after GetPluginInfo returns.
const char* DiskMenuStrings[1];
int DiskMenuNumbers[1];
const char* PluginMenuStrings[2];
const char* PluginConfigStrings[2];

constexpr int kControlDialogItem = 0;  // the first plug-ins-menu entry

const void* AsHandle(const void* p) { return p; }

const char* OriginName(int openFrom) {
  switch (openFrom) {
    case OPEN_DISKMENU: return "disks menu";
    case OPEN_PLUGINSMENU: return "plugins menu";
    case OPEN_FINDLIST: return "\"Find File\" dialog";
    case OPEN_SHORTCUT: return "folders shortcut command";
    case OPEN_COMMANDLINE: return "FAR command line";
    case OPEN_EDITOR: return "FAR editor";
    case OPEN_VIEWER: return "FAR viewer";
    default: return "unknown !!! :((";
  }
}

bool OpensControlDialog(int openFrom, INT_PTR item) {
  return openFrom == OPEN_EDITOR || openFrom == OPEN_VIEWER ||
         (openFrom == OPEN_PLUGINSMENU && item == kControlDialogItem);
}

// The Find File question: true when the list is to become the playlist.
// Any other answer, Esc included, leaves the list to the next plug-in: the
// player's whole playlist is never replaced without a yes.
bool FindListToPanel() {
  if (Opt.ToTmpPanel == 1) return false;
  if (HostInfo.Message == nullptr) return false;
  const char* items[] = {"MELVOX", GetMsg(MFindListQuestion), GetMsg(MPlaylistPanel),
                         GetMsg(MFindListToTmpPanel)};
  return HostInfo.Message(HostInfo.ModuleNumber, 0, nullptr, items, 4, 2) == 0;
}

bool IsPlaylistName(const char* name) {
  if (name == nullptr) return false;
  size_t n = strlen(name);
  if (n < 4) return false;
  const char* extension = name + n - 4;
  return lstrcmpiA(extension, ".m3u") == 0 || lstrcmpiA(extension, ".pls") == 0;
}

}  // namespace

void StartPlugin(const PluginStartupInfo* Info) {
  TakeStartupInfo(Info);
  StartCount = 0;
  LoadLogSetting();
  StartDebugLog(HostInfo.ModuleName);
  DebugLog << "\nSetStartupInfo: Reading MELVOX configuration..." << LogFlush;
  LoadSettings();
  DebugLog << "\nSetStartupInfo: Loading srtings..." << LogFlush;
  FillFixedInfoTexts();
  DebugLog << "\nSetStartupInfo: Reading panels configuration...";
  FreePanelModes();
  LoadPanelModes();
  DebugLog << "\nSetStartupInfo: Loading columns titles..." << LogFlush;
  BuildColumnTitles();
  DebugLog << "\nSetStartupInfo: Loading genres..." << LogFlush;
  LoadGenreTable();
  DebugLog << "\nSetStartupInfo: Ok!" << LogFlush;
  // Without memory for the cache the plug-in runs without one.
  if (TitlesCacheObject == nullptr) TitlesCacheObject = new (std::nothrow) TitlesCache();
}

void DescribePlugin(PluginInfo* Info) {
  if (Info == nullptr) return;
  DiskMenuStrings[0] = GetMsg(MPlaylistPanel);
  DiskMenuNumbers[0] = Opt.DisksMenuDigit;
  PluginMenuStrings[0] = GetMsg(MControlDialog);
  PluginMenuStrings[1] = GetMsg(MPlaylistPanel);
  PluginConfigStrings[0] = GetMsg(MConfigOptions);
  PluginConfigStrings[1] = GetMsg(MConfigViewModes);
  memset(Info, 0, sizeof *Info);
  Info->StructSize = sizeof *Info;
  Info->Flags = PF_PRELOAD | PF_EDITOR | PF_VIEWER;
  Info->DiskMenuStrings = DiskMenuStrings;
  Info->DiskMenuNumbers = DiskMenuNumbers;
  Info->DiskMenuStringsNumber = Opt.AddToDisksMenu != 0 ? 1 : 0;
  Info->PluginMenuStrings = PluginMenuStrings;
  Info->PluginMenuStringsNumber = 2;
  Info->PluginConfigStrings = PluginConfigStrings;
  // The view modes cannot be changed under an open panel.
  Info->PluginConfigStringsNumber = StartCount <= 0 ? 2 : 1;
  Info->CommandPrefix = nullptr;
}

HANDLE OpenPanel(int OpenFrom, INT_PTR Item) {
  DebugLog << "\nOpenPlugin: {"
           << "\nOpenPlugin: Open from " << OriginName(OpenFrom) << LogFlush;
  if (OpenFrom == OPEN_FINDLIST && !FindListToPanel()) {
    DebugLog << "\nOpenPlugin: Send files to TmpPanel }" << LogFlush;
    return INVALID_HANDLE_VALUE;
  }
  MELVOXPanel* panel = new (std::nothrow) MELVOXPanel(OpenFrom, Item);
  if (panel == nullptr) {
    DebugLog << "\nOpenPlugin: Can't allocate memory for new instance... :(( }" << LogFlush;
    return INVALID_HANDLE_VALUE;
  }
  if (OpensControlDialog(OpenFrom, Item)) {
    // The control dialog ran during construction; no panel opens.
    delete panel;
    DebugLog << "\nOpenPlugin: }" << LogFlush;
    return INVALID_HANDLE_VALUE;
  }
  ++StartCount;
  DebugLog << "\nOpenPlugin: StartCount=" << StartCount << "\nOpenPlugin: handle=" << AsHandle(panel)
           << " }" << LogFlush;
  return panel;
}

HANDLE OpenPlaylistFile(const char* Name) {
  DebugLog << "\nOpenFilePlugin: File Name=" << Name << LogFlush;
  if (!IsPlaylistName(Name)) return INVALID_HANDLE_VALUE;
  DebugLog << "\nOpenFilePlugin: Loading playlist {" << LogFlush;
  MELVOXPanel* panel =
      new (std::nothrow) MELVOXPanel(OPEN_PLAYLISTFILE, reinterpret_cast<INT_PTR>(Name));
  if (panel == nullptr) {
    DebugLog << "\nOpenFilePlugin: Can't allocate memory for new instance... :(( }" << LogFlush;
    return INVALID_HANDLE_VALUE;
  }
  ++StartCount;
  DebugLog << "\nOpenFilePlugin: StartCount=" << StartCount
           << "\nOpenFilePlugin: handle=" << AsHandle(panel) << " }" << LogFlush;
  return panel;
}

void ClosePanel(HANDLE hPlugin) {
  DebugLog << "\nClosePlugin: handle=" << AsHandle(hPlugin) << " {" << LogFlush;
  delete static_cast<MELVOXPanel*>(hPlugin);
  --StartCount;
  DebugLog << "\nClosePlugin: StartCount=" << StartCount << "\nClosePlugin: handle=" << AsHandle(hPlugin)
           << " }" << LogFlush;
}

void StopPlugin() {
  // The cache writes its file back as it goes.
  delete TitlesCacheObject;
  TitlesCacheObject = nullptr;
  FreeGenreTable();
  FreePanelModes();
  DebugLog << "\nExitFAR: Exit from FAR... :((" << LogFlush;
  DebugLog.Close();
}

int ConfigurePlugin(int ItemNumber) {
  switch (ItemNumber) {
    case 0: return ConfigureOptions();
    case 1: return ConfigureViewModes();
    default: return 0;
  }
}
