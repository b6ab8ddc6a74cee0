// The thirteen entry points the host calls, by their undecorated names
// (melvox.def). Each turns the handle back into the panel, forwards and
// returns; the work is in EntryPoints.cpp and in the panel instance.
#include "panel/MELVOXPanel.h"
#include "plugin/CallDepth.h"
#include "plugin/EntryPoints.h"

namespace {

// The instance behind a handle the host got from OpenPlugin or
// OpenFilePlugin; null for the two values no instance has.
MELVOXPanel* PanelOf(HANDLE hPlugin) {
  if (hPlugin == nullptr || hPlugin == INVALID_HANDLE_VALUE) return nullptr;
  return static_cast<MELVOXPanel*>(hPlugin);
}

}  // namespace

extern "C" {

void WINAPI SetStartupInfo(const PluginStartupInfo* Info) {
  ExportCall call;
  StartPlugin(Info);
}

void WINAPI GetPluginInfo(PluginInfo* Info) {
  ExportCall call;
  DescribePlugin(Info);
}

HANDLE WINAPI OpenPlugin(int OpenFrom, INT_PTR Item) {
  ExportCall call;
  return OpenPanel(OpenFrom, Item);
}

HANDLE WINAPI OpenFilePlugin(char* Name, const unsigned char* /*Data*/, int /*DataSize*/) {
  ExportCall call;
  return OpenPlaylistFile(Name);
}

void WINAPI ClosePlugin(HANDLE hPlugin) {
  ExportCall call;
  if (PanelOf(hPlugin) != nullptr) ClosePanel(hPlugin);
}

void WINAPI ExitFAR(void) {
  ExportCall call;
  StopPlugin();
}

int WINAPI Configure(int ItemNumber) {
  ExportCall call;
  return ConfigurePlugin(ItemNumber);
}

int WINAPI GetFindData(HANDLE hPlugin, PluginPanelItem** pPanelItem, int* pItemsNumber, int OpMode) {
  ExportCall call;
  MELVOXPanel* panel = PanelOf(hPlugin);
  return panel != nullptr ? panel->GetFindData(pPanelItem, pItemsNumber, OpMode) : 0;
}

void WINAPI GetOpenPluginInfo(HANDLE hPlugin, OpenPluginInfo* Info) {
  ExportCall call;
  MELVOXPanel* panel = PanelOf(hPlugin);
  if (panel != nullptr) panel->GetOpenPluginInfo(Info);
}

int WINAPI PutFiles(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber, int Move, int OpMode) {
  ExportCall call;
  MELVOXPanel* panel = PanelOf(hPlugin);
  return panel != nullptr ? panel->PutFiles(PanelItem, ItemsNumber, Move, OpMode) : 0;
}

int WINAPI SetFindList(HANDLE hPlugin, const PluginPanelItem* PanelItem, int ItemsNumber) {
  ExportCall call;
  MELVOXPanel* panel = PanelOf(hPlugin);
  return panel != nullptr ? panel->SetFindList(PanelItem, ItemsNumber) : 0;
}

int WINAPI ProcessEvent(HANDLE hPlugin, int Event, void* Param) {
  ExportCall call;
  MELVOXPanel* panel = PanelOf(hPlugin);
  return panel != nullptr ? panel->ProcessEvent(Event, Param) : 0;
}

int WINAPI ProcessKey(HANDLE hPlugin, int Key, unsigned int ControlState) {
  ExportCall call;
  MELVOXPanel* panel = PanelOf(hPlugin);
  return panel != nullptr ? panel->ProcessKey(Key, ControlState) : 0;
}

}  // extern "C"
