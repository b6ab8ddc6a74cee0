// Headless stand-in for the file manager that hosts 1.x plug-ins.
//
// A Host owns a PluginStartupInfo whose services (Menu, Dialog, Message,
// GetMsg, Control, SaveScreen, RestoreScreen, GetDirList, FreeDirList) are
// answered without a console: interactive calls take their answers from a
// scripted queue, every call is recorded for assertions, and what a user
// would see (panels, key bar, info panel, message boxes, dialogs, menus) is
// printed as stable plain text.
//
// Two ways to attach a plug-in:
//   - LoadPlugin(path): LoadLibrary, resolve the thirteen undecorated exports,
//     ModuleName = the DLL's path, SetStartupInfo first; ExitFAR and
//     FreeLibrary when the Host dies (or UnloadPlugin()).
//   - direct link: the plug-in code is linked into the test program. Take
//     StartupInfo() and hand it to the plug-in yourself, or AttachPlugin()
//     with the addresses of the linked entry points so that the user flows
//     (OpenFromDisksMenu, PressKey, ...) work as well.
//
// Only one Host may exist at a time: the services are plain WINAPI functions
// that dispatch to the current Host, as the plug-in keeps the service pointers
// in a global. Constructing a second Host throws std::logic_error.
//
// The Host behaves as the 1.x host was recorded to behave (see
// ../shared/platform-notes.md and README.md); Options::laterHost switches to
// the later host's differences. In 1.x mode the process's file APIs use the
// OEM code page while the Host lives, as in the real host.
//
// Beside the plug-in the Host holds a built-in temporary panel plug-in
// ("TmpPanel.dll") that takes the Find File lists the plug-in refuses.
//
// Failures (an interactive call with no answer queued, an answer of the wrong
// kind, a screen restored twice, a dir list freed twice, an unknown message
// number, a help topic the help file lacks, a call that reaches a closed
// instance, ...) never hang or crash: they are recorded in Failures(), passed to
// Options::onFailure at once, and the call returns its "cancelled" value.
// CheckBalanced() adds the end-of-test checks (screens never restored, dir
// lists never freed, answers never used). The destructor runs CheckBalanced()
// when nobody did and reports what it finds through onFailure (default: stderr).
#pragma once

#include "host/FarApi.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace farhost {

// The plug-in's entry points; null ones are treated as absent (the host then
// does what a real host does without them, e.g. no ProcessKey = key not handled).
struct Exports {
  void(WINAPI* SetStartupInfo)(const PluginStartupInfo* Info) = nullptr;
  void(WINAPI* GetPluginInfo)(PluginInfo* Info) = nullptr;
  HANDLE(WINAPI* OpenPlugin)(int OpenFrom, INT_PTR Item) = nullptr;
  HANDLE(WINAPI* OpenFilePlugin)(char* Name, const unsigned char* Data, int DataSize) = nullptr;
  void(WINAPI* ClosePlugin)(HANDLE hPlugin) = nullptr;
  void(WINAPI* ExitFAR)(void) = nullptr;
  int(WINAPI* Configure)(int ItemNumber) = nullptr;
  int(WINAPI* GetFindData)(HANDLE hPlugin, PluginPanelItem** pPanelItem, int* pItemsNumber,
                           int OpMode) = nullptr;
  void(WINAPI* GetOpenPluginInfo)(HANDLE hPlugin, OpenPluginInfo* Info) = nullptr;
  int(WINAPI* PutFiles)(HANDLE hPlugin, PluginPanelItem* PanelItem, int ItemsNumber, int Move,
                        int OpMode) = nullptr;
  int(WINAPI* SetFindList)(HANDLE hPlugin, const PluginPanelItem* PanelItem,
                           int ItemsNumber) = nullptr;
  int(WINAPI* ProcessEvent)(HANDLE hPlugin, int Event, void* Param) = nullptr;
  int(WINAPI* ProcessKey)(HANDLE hPlugin, int Key, unsigned int ControlState) = nullptr;
};

struct Options {
  // Path given to the plug-in as ModuleName; the .lng and .hlf files are
  // looked up in its folder. LoadPlugin() replaces it with the DLL's path.
  std::string moduleName = "C:\\melvox-test\\melvox.dll";
  // Interface language: the .lng and .hlf files whose ".Language=" name
  // matches are used, else the English ones (a .lng: else the first found).
  std::string language = "English";
  // HKCU key handed as RootKey. Empty: a fresh "Software\MelvoxTest\<id>\Plugins",
  // whose "Software\MelvoxTest\<id>" tree is deleted when the Host dies.
  std::string rootKey;
  int screenWidth = 80;   // a panel is half of it, or all of it in a full-screen mode
  int screenHeight = 25;  // two lines go to the command line and the key bar
  // The later host that runs 1.x plug-ins through a compatibility layer
  // instead of the 1.x host itself (see README.md for what differs).
  bool laterHost = false;
  // NumberOfLinks of the host's ".." item: 0 as both real hosts give it; 1
  // makes a plug-in that maps ".." to an entry by NumberOfLinks pick a real one.
  DWORD dotsNumberOfLinks = 0;
  // Navigation keys reach ProcessKey as numpad codes (Down 0x62, Up 0x68, Home
  // 0x67, End 0x61, Ins 0x60, Del 0x109), as with some host settings.
  bool numpadKeys = false;
  // The host's temporary panel ("TmpPanel.dll") is loaded beside the plug-in
  // and takes the Find File lists that the plug-in refuses.
  bool temporaryPanel = true;
  // A message box, dialog or menu for which the next scripted answer is not
  // meant (none queued, or one of another kind) is closed with Esc instead of
  // failing: for tests whose boxes depend on when a player fails.
  bool escapeUnscripted = false;
  // A GetMsg number that the language file lacks counts as a failure.
  bool failOnMissingMessage = true;
  // Called with the text of every failure as it happens (and from the
  // destructor). Default: write it to stderr. See FarHostGtest.h.
  std::function<void(const std::string&)> onFailure;
  // When set, every message box, dialog and menu is printed here as it is
  // shown, followed by the answer given ("-> ...").
  std::function<void(const std::string&)> transcript;
};

// One recorded call. toPlugin: an export the host called; byHost: something
// the host did itself ("host delete", "host opened its viewer", ...);
// otherwise a service the plug-in called. plugin: the DLL file name of the
// plug-in called (exports only). detail: the arguments as readable text, e.g.
// name "Control", detail "FCTL_REDRAWPANEL active CurrentItem=2 TopPanelItem=0".
struct Call {
  bool toPlugin = false;
  bool byHost = false;
  std::string plugin;
  std::string name;
  std::string detail;
};

// "-> OpenPlugin OPEN_DISKMENU 0", "<- Control ...", "   host delete ...";
// exports of another plug-in than the one under test carry its name.
std::string RenderCall(const Call& call, const std::string& pluginUnderTest);

struct MessageRecord {
  bool fromHost = false;  // the host's own confirmation, not the plug-in's
  DWORD flags = 0;
  std::string helpTopic;
  std::string title;
  std::vector<std::string> lines;
  std::vector<std::string> buttons;
  int result = -1;
};

// A dialog item as shown (before) and as written back (after the answer).
struct DialogItemState {
  int type = 0;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool focus = false;
  int selected = 0;  // check box / radio state
  DWORD flags = 0;
  bool defaultButton = false;
  std::string data;
  std::string mask;  // a masked DI_FIXEDIT's input mask
};

struct DialogRecord {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::string helpTopic;
  std::vector<DialogItemState> shown;   // as the plug-in passed them
  std::vector<DialogItemState> closed;  // as written back
  int result = -1;
};

struct MenuRecord {
  DWORD flags = 0;
  std::string title, bottom, helpTopic;
  struct Item {
    std::string text;
    bool selected = false, checked = false, separator = false;
  };
  std::vector<Item> items;
  std::vector<int> breakKeys;
  int result = -1;
  int breakCode = -1;
};

// What the "user" does in the next dialog. Item indexes are the plug-in's.
struct DialogAnswer {
  int button = -1;  // index of the item that closes the dialog; -1 = Esc
  std::vector<std::pair<int, std::string>> typed;  // replace the text of an edit field
  std::vector<std::pair<int, bool>> checks;        // set a check box / pick a radio button
  std::vector<int> toggles;                        // flip a check box

  DialogAnswer& Type(int item, std::string text) { typed.emplace_back(item, std::move(text)); return *this; }
  DialogAnswer& Check(int item, bool on = true) { checks.emplace_back(item, on); return *this; }
  DialogAnswer& Toggle(int item) { toggles.push_back(item); return *this; }
  DialogAnswer& Press(int item) { button = item; return *this; }
};

enum class Side { Active, Passive };

// What the panel that is not the plug-in's shows.
struct PassivePanel {
  enum Kind { Files, Info, QuickView } kind = Files;
  std::string directory;  // Files: a real folder, listed from disk
};

// One row of a panel as the host holds it (host-owned copy of the plug-in's item).
struct PanelRow {
  bool dots = false;  // the host's own ".."
  bool selected = false;
  std::string name;   // cFileName as given
  std::string description, owner;
  DWORD attributes = 0;
  unsigned long long size = 0;
  DWORD numberOfLinks = 0;
  DWORD flags = 0;
  DWORD_PTR userData = 0;
  std::vector<std::string> customColumns;
  FILETIME lastWrite = {};
};

class Host {
 public:
  explicit Host(Options options = Options());
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The record to hand to the plug-in; valid for the Host's lifetime.
  const PluginStartupInfo* StartupInfo() const;
  const std::string& RootKey() const;

  // --- Attaching a plug-in ---------------------------------------------------
  // Loads the DLL, calls SetStartupInfo. False (and a failure) when the DLL or
  // SetStartupInfo is missing.
  bool LoadPlugin(const std::string& dllPath);
  // Direct link: uses these entry points; calls SetStartupInfo when given.
  void AttachPlugin(const Exports& exports);
  // Quitting: closes open plug-in panels (FE_CLOSE, ClosePlugin), calls
  // ExitFAR, frees a loaded DLL. Idempotent.
  void UnloadPlugin();
  const Exports& PluginExports() const;

  // --- Scripted answers (one FIFO queue; the kind must match the next call) --
  void AnswerMessage(int button);  // -1 = Esc
  void AnswerDialog(DialogAnswer answer);
  void AnswerMenu(int item, int breakCode = -1);  // item -1 = Esc; breakCode: index in BreakKeys
  size_t PendingAnswers() const;
  // Withdraws the answers no call has taken (a test whose next boxes depend on
  // when a player died queues more than may be asked); returns how many.
  size_t DropAnswers();

  // --- User flows on the active side -----------------------------------------
  // Each returns true when a plug-in panel is open afterwards (open flows) or
  // the plug-in handled the action. A panel opened by OpenPlugin gets
  // FE_GOTFOCUS, is listed (GetOpenPluginInfo x7, GetFindData) and redrawn
  // twice; a plug-in panel already on the side is closed first.
  bool OpenFromDisksMenu(int item = 0);
  bool OpenFromPluginsMenu(int item);
  bool OpenFromCommandLine(const std::string& command);  // text after the prefix
  bool OpenFromShortcut(const std::string& shortcutData);
  // The plug-ins menu (F11) inside the editor or the viewer: OpenPlugin with
  // OPEN_EDITOR / OPEN_VIEWER and the item. No panel can open there: a
  // handle the plug-in returns is a failure (and is closed again). True when
  // the plug-in returned INVALID_HANDLE_VALUE.
  bool OpenFromEditor(int item = 0);
  bool OpenFromViewer(int item = 0);
  // Find File's "Panel" button: OpenPlugin(OPEN_FINDLIST) of each plug-in that
  // exports SetFindList, in DLL file-name order, until one returns a handle;
  // then SetFindList with these real files (full paths) before the listing.
  bool OpenFindList(const std::vector<std::string>& files);
  // Enter on a real file in a file panel: OpenFilePlugin of each plug-in with
  // the full name and the file's first bytes (the whole file up to 128 KB)
  // until one returns a handle.
  bool OpenFile(const std::string& path);
  bool Configure(int item);
  // A key as the user presses it on the active side. Returns what the
  // plug-in's ProcessKey returned. The plug-in gets the key twice, first with
  // PKF_PREPROCESS, then plainly (keys the host keeps, such as Tab or Ctrl+L,
  // only with PKF_PREPROCESS; Ctrl+F1 not at all); the 1.x host adds its
  // "no key" pair (0x81001, 0x1001) after the key and before Ctrl/Alt keys.
  // When the plug-in returns 0 the host does its own command: cursor keys and
  // Ins, Enter (".." closes the panel, a real file goes to OpenFilePlugin),
  // Ctrl+PgUp, Ctrl+R, Tab, Ctrl+L, and on real names F5/F6/F8/Alt+Del (a
  // confirmation answered like a message, 0 = go, then the real copy, move,
  // delete or wipe and a listing); F3, F4, F7, Alt+F6, Shift+F5 are only
  // recorded as "host opened its ..." calls. See README.md.
  int PressKey(int vk, unsigned state = 0);
  // F5/F6 of real files from a file panel onto the plug-in panel: the host's
  // confirmation (answered like a message: 0 = go; none for ".." alone), then
  // PutFiles with names without a path while the current folder is the files'
  // folder (PPIF_SELECTED when more than one), Move 1 for F6 (the source stays);
  // then a listing. Returns PutFiles' result (0 if cancelled).
  int CopyToPanel(const std::vector<std::string>& paths, bool move = false);
  // F8 / F6 on the plug-in panel (PressKey); for F6 the target folder may be
  // given (else the other panel's folder). Returns the number of files the
  // host deleted or moved itself.
  int DeleteSelected();
  int MoveSelected(const std::string& targetDir);
  // The next GetDirList fails, as when the user stops the host's scan of the
  // folder with Esc.
  void InterruptNextDirList();
  // FE_IDLE to every plug-in panel, as the 1.x host sends about once a second
  // (the later host never does).
  void Idle();
  // Real time passing: one second at a time, with Idle() after each.
  void Wait(int seconds);
  void Redraw();  // one redraw of each plug-in panel: FE_REDRAW, GetOpenPluginInfo
  void Update(bool keepSelection = true);  // as FCTL_UPDATEPANEL, then a redraw
  // The host closes the active plug-in panel (FE_CLOSE, ClosePlugin); the side
  // shows the panel below it or a file panel.
  void ClosePanel();
  void SwitchPanels();  // the Tab key

  // --- Panel state -------------------------------------------------------------
  void SetPassivePanel(const PassivePanel& panel);
  bool IsPluginPanel(Side side = Side::Active) const;
  HANDLE PluginHandle(Side side = Side::Active) const;
  const std::vector<PanelRow>& Rows(Side side = Side::Active) const;  // display order
  int Cursor(Side side = Side::Active) const;
  // Moves the cursor as the arrow keys do (one redraw, one FE_REDRAW).
  // Select and SelectAll change the selection without a redraw.
  void SetCursor(int index);
  void SetCursorByName(const std::string& name);
  void Select(int index, bool on = true);  // ".." cannot be selected
  void SelectAll(bool on = true);
  void SetSort(int sortMode, bool reverse = false);  // SM_*; ".." stays first
  void SetFilter(const std::string& mask);  // "*.mp3;*.txt"; empty = off; only with OPIF_USEFILTER
  void SetViewMode(int mode);  // 0..9, as Ctrl+0..9
  std::string CommandLine() const;

  // --- What the user sees ------------------------------------------------------
  // A plug-in panel shows what was painted at its last redraw: entries listed
  // again by FCTL_UPDATEPANEL appear only after the next redraw.
  std::string RenderPanel(Side side = Side::Active) const;
  std::string RenderTitle(Side side = Side::Active) const;
  std::string RenderKeyBar(unsigned state = 0) const;  // PKF_CONTROL/ALT/SHIFT group
  std::string RenderInfoPanel() const;  // info lines of the active plug-in panel
  // The plug-in's entries in the host's disks menu, plug-ins menu and
  // configuration menu, as GetPluginInfo gives them now, with its flags.
  std::string RenderPluginInfo();
  // What the last GetOpenPluginInfo of the active plug-in panel answered
  // besides the screen: flags, format, folder, start modes, counts.
  std::string RenderOpenInfo() const;
  // Message boxes still on screen (drawn without buttons, screen not yet restored).
  std::string RenderVisibleMessages() const;

  // --- Records -----------------------------------------------------------------
  const std::vector<Call>& Calls() const;
  int CountCalls(const std::string& name, const std::string& detailPrefix = std::string()) const;
  const std::vector<MessageRecord>& Messages() const;
  const std::vector<DialogRecord>& Dialogs() const;
  const std::vector<MenuRecord>& Menus() const;
  int OpenScreens() const;   // saved and not yet restored
  int OpenDirLists() const;  // returned by GetDirList and not yet freed
  void ClearRecords();       // calls, messages, dialogs, menus (not failures)

  // --- Failures ------------------------------------------------------------------
  const std::vector<std::string>& Failures() const;
  std::string FailureText() const;  // all failures, one per line
  // Records a failure for each unrestored screen, unfreed dir list and unused
  // answer; true when no failure was ever recorded.
  bool CheckBalanced();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Printing of recorded boxes, as the user saw them when they were shown.
std::string RenderMessage(const MessageRecord& message);
std::string RenderDialog(const DialogRecord& dialog);
std::string RenderMenu(const MenuRecord& menu);

// Parses the text of a help file: its language name and its topic names
// ("@Name" lines) in file order. False when the file has no ".Language=" line.
bool ParseHelpFile(const std::string& text, std::string* language, std::vector<std::string>* topics);

// Parses the text of a language file: its language name (first field of the
// ".Language=" line) and its messages in file order. False when the file has
// no ".Language=" line.
bool ParseLanguageFile(const std::string& text, std::string* language,
                       std::vector<std::string>* messages);

}  // namespace farhost
