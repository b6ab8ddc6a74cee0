// The Host's state, shared by its source files (services, panels, printing).
#pragma once

#include "FarHost.h"

#include <array>
#include <deque>
#include <map>
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
  int structSize = 0;
  DWORD flags = 0;
  std::string curDir, format, title;
  std::vector<InfoPanelLine> infoLines;
  std::vector<ModeCopy> modes;
  int startPanelMode = 0, startSortMode = 0, startSortOrder = 0;
  bool hasKeyBar = false;
  std::array<std::array<LabelCopy, 12>, 4> keyBar;  // plain, Ctrl, Alt, Shift
};

struct Panel {
  enum Kind { Files, Info, QuickView, Plugin } kind = Files;
  std::string directory;  // Files: the folder shown
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
  bool closePending = false;
  std::string closeDir;
  // Host-owned records handed out by FCTL_GETPANELINFO, with their own copies
  // of the texts; valid until the next FCTL_GETPANELINFO of this panel, even
  // across FCTL_UPDATEPANEL.
  std::vector<PluginPanelItem> infoItems, infoSelected;
  std::vector<std::vector<char*>> infoColumns;
  std::deque<std::string> infoTexts;
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

struct Host::Impl {
  explicit Impl(Options o);

  Options options;
  PluginStartupInfo startup = {};
  std::string rootKey;
  std::string ownedKeyTree;  // deleted at the end; empty when rootKey was given
  Exports exports;
  HMODULE module = nullptr;
  bool attached = false;
  bool checked = false;

  std::deque<Answer> answers;
  std::vector<Call> calls;
  std::vector<MessageRecord> messages;
  std::vector<DialogRecord> dialogs;
  std::vector<MenuRecord> menus;
  std::vector<std::string> failures;

  // Language file, loaded on first use; texts stay put until the Host dies.
  bool lngLoaded = false;
  std::vector<std::string> lngMessages;
  std::map<int, std::string> missingMarkers;
  std::vector<std::vector<std::string>> retiredMessages;  // of an earlier LoadPlugin

  std::vector<SavedScreen> screens;
  UINT_PTR nextScreen = 1;
  std::vector<MessageRecord> visibleMessages;
  // Lists handed out by GetDirList: item count and storage (never empty).
  std::map<const PluginPanelItem*, std::pair<int, std::vector<PluginPanelItem>>> dirLists;

  std::array<Panel, 2> panels;  // [0] left, [1] right
  int active = 0;
  std::string commandLine;
  int pluginDepth = 0;

  // --- bookkeeping (Host.cpp) ---
  void Record(bool toPlugin, const std::string& name, const std::string& detail);
  void Fail(const std::string& text);
  bool TakeAnswer(AnswerKind kind, const std::string& what, Answer* out);
  void Show(const std::string& text);
  void LoadLanguage();
  void LeavePlugin();

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

  // --- panels (Panels.cpp) ---
  Panel& ActivePanel() { return panels[active]; }
  Panel& OtherPanel(const Panel& p) { return &p == &panels[0] ? panels[1] : panels[0]; }
  Panel* PanelOf(HANDLE hPlugin);
  bool OpenPanel(HANDLE handle, const char* how);
  // Lists the panel again; false when the plug-in's GetFindData failed.
  bool ListPanel(Panel& panel, bool keepSelection);
  void ReadOpenInfo(Panel& panel);
  void ReadDirectory(Panel& panel);
  void Arrange(Panel& panel);  // sort + filter listed into rows, keep cursor
  void RedrawPanel(Panel& panel);
  void ClosePanelNow(Panel& panel, const std::string& dir);
  int FillPanelInfo(Panel& panel, PanelInfo* info);
  int SetSelection(Panel& panel, const PanelInfo* info);
  // The host's own F8 / F6 on the real files the items name.
  void HostDelete(Panel& panel);
  void HostMove(Panel& panel, const std::string& targetDir);
  int hostHandled = 0;  // files the last HostDelete / HostMove handled
  bool HostConfirm(const std::string& title, const std::string& text, const char* button);
  std::vector<const PanelRow*> Targets(const Panel& panel) const;

  // Export calls: record, count depth, run deferred closes afterwards.
  int CallProcessEvent(Panel& panel, int event, void* param);
  int CallProcessKey(Panel& panel, int key, unsigned state);
  // A user's key: with Options::preprocessKeys the advance notice first.
  int SendKey(Panel& panel, int vk, unsigned state);
};

// Shared text helpers.
// Copies src into a fixed field of dstSize bytes, cut to fit, always terminated.
void CopyField(char* dst, size_t dstSize, const std::string& src);
std::string Hex(unsigned long long value);
std::string Quote(const char* text);
size_t ModeColumns(const std::string& list, std::vector<std::string>* out);
const char* SortName(int mode);
const char* ControlName(int command);

}  // namespace farhost
