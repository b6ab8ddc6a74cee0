// The Host's state, shared by its source files (services, dialogs, panels,
// keys, printing).
#pragma once

#include "FarHost.h"

#include <array>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace farhost {

// Deep copy of what GetOpenPluginInfo answered: the plug-in may change or free
// its texts between calls.
struct ModeCopy {
  std::string types, widths, statusTypes, statusWidths;
  std::vector<std::string> titles;  // empty: the host's own column names
  bool fullScreen = false;
};

struct LabelCopy {
  bool set = false;  // null pointer: the host's own label
  std::string text;
};

struct OpenInfoCopy {
  DWORD flags = 0;
  std::string curDir, format, title;
  std::vector<InfoPanelLine> infoLines;
  std::vector<ModeCopy> modes;
  int startPanelMode = 0, startSortMode = 0, startSortOrder = 0;
  bool hasKeyBar = false;
  std::array<std::array<LabelCopy, 12>, 4> keyBar;  // plain, Ctrl, Alt, Shift
};

// One plug-in the host has loaded (or the built-in temporary panel).
struct PluginSlot {
  std::string fileName;    // DLL file name: Find File lists are offered in this order
  std::string moduleName;  // full path, the folder of its .lng and .hlf files
  Exports exports;
  HMODULE module = nullptr;
  bool builtIn = false;
  bool started = false;  // SetStartupInfo was called: ExitFAR is due
  PluginStartupInfo startup = {};
  // Language file, loaded on first use; texts stay put while the slot lives.
  bool lngLoaded = false;
  std::vector<std::string> lngMessages;
  // Help file, loaded on first use.
  bool helpLoaded = false;
  std::string helpFile;  // empty: no .hlf beside the module
  std::set<std::string> helpTopics;
  // Instances this plug-in handed to the host and that ClosePlugin destroyed;
  // a handle leaves the set when an open call returns it again.
  std::set<HANDLE> closed;
};

// A panel as the user sees it. Plugin: the instance `handle` of `plugin`.
struct Panel {
  enum Kind { Files, Info, QuickView, Plugin } kind = Files;
  std::string directory;  // Files: the folder shown
  PluginSlot* plugin = nullptr;
  HANDLE handle = nullptr;
  std::vector<PanelRow> listed;  // Plugin: items as GetFindData gave them
  std::vector<PanelRow> rows;    // display order after sort and filter
  int cursor = 0;
  int top = 0;
  int sortMode = SM_NAME;
  bool reverse = false;
  std::string filter;
  int viewMode = 2;
  OpenInfoCopy info;
  bool closePending = false;  // FCTL_CLOSEPLUGIN waits for the plug-in to return (1.x)
  bool closing = false;       // FE_CLOSE / ClosePlugin under way
  std::string closeDir;
  // What the last redraw painted: printing shows this, not the latest listing.
  bool painted = false;
  std::vector<PanelRow> paintedRows;
  int paintedCursor = 0, paintedTop = 0;
  OpenInfoCopy paintedInfo;
  // Host-owned records handed out by FCTL_GETPANELINFO, with their own copies
  // of the texts; valid until the next FCTL_GETPANELINFO of this panel, even
  // across FCTL_UPDATEPANEL.
  std::vector<PluginPanelItem> infoItems, infoSelected;
  std::vector<std::vector<char*>> infoColumns;
  std::deque<std::string> infoTexts;
  // Plug-in panels this one was opened on top of (Enter on a file that a
  // plug-in took); closing this one shows the last of them again.
  std::vector<Panel> below;
};

enum class AnswerKind { Message, Dialog, Menu };

struct Answer {
  AnswerKind kind = AnswerKind::Message;
  int index = -1;
  int breakCode = -1;
  DialogAnswer dialog;
};

struct SavedScreen {
  UINT_PTR id = 0;
  size_t messagesBefore = 0;  // visible messages drawn before this save
};

// An export call in progress. closed: the instance was closed before the
// call returned (FCTL_CLOSEPLUGIN in the later host).
struct Frame {
  PluginSlot* plugin = nullptr;
  HANDLE handle = nullptr;
  std::string call;  // "ProcessKey", "ProcessEvent FE_REDRAW", ...
  bool closed = false;
};

struct Host::Impl {
  explicit Impl(Options o);

  Options options;
  std::string rootKey;
  std::string ownedKeyTree;  // deleted at the end; empty when rootKey was given
  bool restoreAnsiFileApis = false;
  // [0] is the plug-in under test; then the built-in temporary panel. Slots
  // replaced by LoadPlugin stay alive in `retired` (texts handed out before).
  std::vector<std::unique_ptr<PluginSlot>> plugins;
  std::vector<std::unique_ptr<PluginSlot>> retired;
  bool attached = false;
  bool checked = false;

  std::deque<Answer> answers;
  std::vector<Call> calls;
  std::vector<MessageRecord> messages;
  std::vector<DialogRecord> dialogs;
  std::vector<MenuRecord> menus;
  std::vector<std::string> failures;

  std::vector<SavedScreen> screens;
  UINT_PTR nextScreen = 1;
  std::vector<MessageRecord> visibleMessages;
  // Lists handed out by GetDirList: item count and storage (never empty).
  std::map<const PluginPanelItem*, std::pair<int, std::vector<PluginPanelItem>>> dirLists;

  std::array<Panel, 2> panels;  // [0] left, [1] right
  int active = 0;
  std::string commandLine;
  std::vector<Frame> frames;
  int hostHandled = 0;  // files the last host delete / move handled
  bool interruptDirList = false;  // the next GetDirList fails as if Esc stopped its scan

  PluginSlot& Primary() { return *plugins[0]; }
  bool Later() const { return options.laterHost; }
  // Loaded plug-ins in DLL file-name order (the order a real host loads them).
  std::vector<PluginSlot*> InLoadOrder();
  void NumberPlugins();

  // --- bookkeeping (Host.cpp) ---
  void Record(bool toPlugin, const std::string& name, const std::string& detail,
              const std::string& plugin = std::string());
  void RecordHost(const std::string& name, const std::string& detail);
  void Fail(const std::string& text);
  bool TakeAnswer(AnswerKind kind, const std::string& what, Answer* out);
  void Show(const std::string& text);
  // Export calls: Enter records the call and pushes its frame; Leave pops it
  // and, back at the host, runs the FCTL_CLOSEPLUGIN that waited for it.
  void Enter(PluginSlot& plugin, HANDLE handle, const std::string& name, const std::string& detail);
  void Leave();
  // The plug-in that is running now: the innermost export call's, else the
  // plug-in under test (direct-link tests call services themselves).
  PluginSlot& Caller();
  // A service call: fails when it comes from an instance already closed.
  void CheckCaller(const char* service);
  void CheckNumber(const char* service, INT_PTR number);
  void LoadLanguage(PluginSlot& plugin);
  void LoadHelp(PluginSlot& plugin);
  void CheckHelpTopic(const char* service, const char* topic);

  // --- services ---
  int Menu(int x, int y, int maxHeight, DWORD flags, const char* title, const char* bottom,
           const char* helpTopic, const int* breakKeys, int* breakCode, const FarMenuItem* item,
           int itemsNumber);
  int Dialog(int x1, int y1, int x2, int y2, const char* helpTopic, FarDialogItem* item,
             int itemsNumber);
  int Message(DWORD flags, const char* helpTopic, const char* const* items, int itemsNumber,
              int buttonsNumber, bool fromHost);
  const char* GetMsg(int msgId);
  int Control(HANDLE hPlugin, int command, void* param);
  HANDLE SaveScreen(int x1, int y1, int x2, int y2);
  void RestoreScreen(HANDLE screen);
  int GetDirList(const char* dir, PluginPanelItem** items, int* count);
  void FreeDirList(const PluginPanelItem* items);
  // The panels are redrawn behind a box: while it is open (later host) and
  // after a dialog or menu closes.
  void RedrawBehindBox();

  // --- panels (Panels.cpp) ---
  Panel& ActivePanel() { return panels[active]; }
  Panel& OtherPanel(const Panel& p) { return &p == &panels[0] ? panels[1] : panels[0]; }
  Panel* PanelOf(HANDLE hPlugin);
  static bool IsOpen(const Panel& panel, HANDLE handle) {
    return panel.kind == Panel::Plugin && panel.handle == handle;
  }
  // Shows a new instance on the active side (see Host::OpenFromDisksMenu).
  // onTop: keep the plug-in panel there below the new one.
  bool OpenPanel(PluginSlot* plugin, HANDLE handle, const char* how, bool gotFocus, bool onTop = false);
  // GetOpenPluginInfo `infoBefore` times, GetFindData, GetOpenPluginInfo once
  // more when infoAfter (the later host adds events 9 and 10 around it).
  // False when the plug-in's GetFindData failed.
  bool ListPanel(Panel& panel, bool keepSelection, int infoBefore = 2, bool infoAfter = true);
  void ReadOpenInfo(Panel& panel);
  void ReadDirectory(Panel& panel);
  void Arrange(Panel& panel);  // sort + filter listed into rows, keep cursor
  // FE_REDRAW (a non-zero answer: the plug-in drew itself), GetOpenPluginInfo
  // (3 times, later host 4), then the panel is painted.
  void RedrawPanel(Panel& panel);
  void RedrawInfoPanel(Panel& panel);
  void Paint(Panel& panel);
  // FE_CLOSE, ClosePlugin; the side then shows the panel below or the folder.
  void ClosePanelNow(Panel& panel, const std::string& dir, bool quitting = false);
  int FillPanelInfo(Panel& panel, PanelInfo* info);
  int SetSelection(Panel& panel, const PanelInfo* info);
  std::vector<const PanelRow*> Targets(const Panel& panel) const;

  // Export calls on a panel's instance.
  int CallProcessEvent(Panel& panel, int event, void* param);
  int CallProcessKey(Panel& panel, int key, unsigned state);
  void CallClosePlugin(PluginSlot& plugin, HANDLE handle);
  HANDLE CallOpenPlugin(PluginSlot& plugin, int openFrom, INT_PTR item, const std::string& detail);
  // OpenFilePlugin of each plug-in in load order until one takes the file.
  HANDLE OfferFile(const char* name, const unsigned char* data, int size, PluginSlot** taker);

  // --- keys and the host's own commands (Keys.cpp) ---
  int Key(int vk, unsigned state, const std::string* moveTarget);
  void NoKey();
  void HostCommand(Panel& panel, int vk, unsigned state, const std::string* moveTarget);
  void FilesCommand(Panel& panel, int vk, unsigned state);
  bool MoveCursor(Panel& panel, int vk);
  void SwitchSides();
  bool HostConfirm(const std::string& title, const std::string& text, const char* button);
  void HostDelete(Panel& panel, bool wipe = false);
  void HostMove(Panel& panel, const std::string& targetDir);
  void HostCopy(Panel& panel);
  // Files from `folder` onto the plug-in panel `target` (F5/F6 from a file panel).
  int PutOntoPanel(Panel& target, const std::string& folder, std::vector<PluginPanelItem> items, bool move);
  // Enter on a real file: OpenFilePlugin of each plug-in; onTop keeps the
  // plug-in panel on the active side below the new one.
  bool EnterFile(const std::string& path, bool onTop);
};

// The StructSize a plug-in may give the records it fills, as the hosts of
// this build's ABI take them: the 1.70 form, or the later one with its
// reserved field (which the later host itself announces for PluginInfo). A
// plug-in declaring them with another layout (say, packed to 2 bytes on x64)
// says so here, and every field after the first difference would be read at
// the wrong place.
#if defined(_WIN64)
const int kPluginInfoSizes[] = {72, 80};
const int kOpenPluginInfoSizes[] = {112, 120};
#else
const int kPluginInfoSizes[] = {40, 44};
const int kOpenPluginInfoSizes[] = {68, 72};
#endif
// A failure unless size is one of the two.
void CheckStructSize(Host::Impl& h, const char* call, int size, const int (&sizes)[2]);

// Records the host hands to the plug-in to fill (GetPluginInfo,
// GetOpenPluginInfo) come with the host's own bytes in them, this one
// repeated; a field still holding them afterwards was left unset.
const unsigned char kHostByte = 0xA5;
struct RecordField {
  const char* name;
  size_t offset, size;
};
#define FARHOST_FIELD(Record, name) {#name, offsetof(Record, name), sizeof(static_cast<Record*>(nullptr)->name)}
const RecordField kOpenInfoFields[] = {
    FARHOST_FIELD(OpenPluginInfo, StructSize), FARHOST_FIELD(OpenPluginInfo, Flags),
    FARHOST_FIELD(OpenPluginInfo, HostFile), FARHOST_FIELD(OpenPluginInfo, CurDir),
    FARHOST_FIELD(OpenPluginInfo, Format), FARHOST_FIELD(OpenPluginInfo, PanelTitle),
    FARHOST_FIELD(OpenPluginInfo, InfoLines), FARHOST_FIELD(OpenPluginInfo, InfoLinesNumber),
    FARHOST_FIELD(OpenPluginInfo, DescrFiles), FARHOST_FIELD(OpenPluginInfo, DescrFilesNumber),
    FARHOST_FIELD(OpenPluginInfo, PanelModesArray), FARHOST_FIELD(OpenPluginInfo, PanelModesNumber),
    FARHOST_FIELD(OpenPluginInfo, StartPanelMode), FARHOST_FIELD(OpenPluginInfo, StartSortMode),
    FARHOST_FIELD(OpenPluginInfo, StartSortOrder), FARHOST_FIELD(OpenPluginInfo, KeyBar),
    FARHOST_FIELD(OpenPluginInfo, ShortcutData),
};
const RecordField kPluginInfoFields[] = {
    FARHOST_FIELD(PluginInfo, StructSize), FARHOST_FIELD(PluginInfo, Flags),
    FARHOST_FIELD(PluginInfo, DiskMenuStrings), FARHOST_FIELD(PluginInfo, DiskMenuNumbers),
    FARHOST_FIELD(PluginInfo, DiskMenuStringsNumber), FARHOST_FIELD(PluginInfo, PluginMenuStrings),
    FARHOST_FIELD(PluginInfo, PluginMenuStringsNumber), FARHOST_FIELD(PluginInfo, PluginConfigStrings),
    FARHOST_FIELD(PluginInfo, PluginConfigStringsNumber), FARHOST_FIELD(PluginInfo, CommandPrefix),
};
#undef FARHOST_FIELD
void FillWithHostBytes(void* record, size_t size);
bool LeftAsHostBytes(const void* field, size_t size);
// A failure for every field of record still holding the host's bytes; such a
// field is zeroed, so the host reads it as none.
void CheckFilled(Host::Impl& h, const char* call, void* record, const RecordField* fields, size_t count);

// Shared text helpers.
// Copies src into a fixed field of dstSize bytes, cut to fit, always terminated.
void CopyField(char* dst, size_t dstSize, const std::string& src);
std::string Hex(unsigned long long value);
std::string Quote(const char* text);
std::string BaseName(const std::string& path);
std::string FolderOf(const std::string& path);
size_t ModeColumns(const std::string& list, std::vector<std::string>* out);
const char* SortName(int mode);
const char* ControlName(int command);
std::string EventName(int event);
// The host's own 8.3 name for cAlternateFileName ("ALPHA.MP3", "ALONGN~1.MP3").
std::string ShortName(const std::string& name);

// Where the items of a dialog stand once the host has placed them: centred
// texts (X1 -1) and DIF_CENTERGROUP rows get their columns. width: the
// dialog's inner width. Also used to print the dialog.
struct PlacedItem {
  int x1 = 0, x2 = 0;
  std::string label;  // as shown: "[ OK ]", "{ OK }", "[x] Loud", "( ) One"
};
std::vector<PlacedItem> PlaceDialogItems(const std::vector<DialogItemState>& items, int width);
int DialogWidth(const DialogRecord& dialog);

// The built-in temporary panel plug-in (TempPanel.cpp).
Exports TemporaryPanelExports();

}  // namespace farhost
