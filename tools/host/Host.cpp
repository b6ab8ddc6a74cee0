// The Host's life cycle, plug-in loading, the scripted services and the
// bookkeeping behind the failure checks.
#include "HostImpl.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <stdexcept>

namespace farhost {

namespace {

// The plug-in keeps the service pointers in a global, so the services are
// plain functions that reach the one Host alive.
Host::Impl* g_current = nullptr;

// Value handed as ModuleNumber in direct-link mode, where there is no module.
const INT_PTR kDirectModuleNumber = 0x4D58;

void NoHost(const char* service) {
  fprintf(stderr, "farhost: %s called while no Host exists\n", service);
}

int WINAPI SvcMenu(INT_PTR number, int x, int y, int maxHeight, DWORD flags, const char* title,
                   const char* bottom, const char* helpTopic, const int* breakKeys,
                   int* breakCode, const FarMenuItem* item, int itemsNumber) {
  if (!g_current) return NoHost("Menu"), -1;
  if (number != g_current->startup.ModuleNumber) g_current->Fail("Menu: PluginNumber is not the ModuleNumber");
  return g_current->Menu(x, y, maxHeight, flags, title, bottom, helpTopic, breakKeys, breakCode,
                         item, itemsNumber);
}

int WINAPI SvcDialog(INT_PTR number, int x1, int y1, int x2, int y2, const char* helpTopic,
                     FarDialogItem* item, int itemsNumber) {
  if (!g_current) return NoHost("Dialog"), -1;
  if (number != g_current->startup.ModuleNumber) g_current->Fail("Dialog: PluginNumber is not the ModuleNumber");
  return g_current->Dialog(x1, y1, x2, y2, helpTopic, item, itemsNumber);
}

int WINAPI SvcMessage(INT_PTR number, DWORD flags, const char* helpTopic,
                      const char* const* items, int itemsNumber, int buttonsNumber) {
  if (!g_current) return NoHost("Message"), -1;
  if (number != g_current->startup.ModuleNumber) g_current->Fail("Message: PluginNumber is not the ModuleNumber");
  return g_current->Message(flags, helpTopic, items, itemsNumber, buttonsNumber, false);
}

const char* WINAPI SvcGetMsg(INT_PTR number, int msgId) {
  if (!g_current) return NoHost("GetMsg"), "";
  if (number != g_current->startup.ModuleNumber) g_current->Fail("GetMsg: PluginNumber is not the ModuleNumber");
  return g_current->GetMsg(msgId);
}

int WINAPI SvcControl(HANDLE hPlugin, int command, void* param) {
  if (!g_current) return NoHost("Control"), 0;
  return g_current->Control(hPlugin, command, param);
}

HANDLE WINAPI SvcSaveScreen(int x1, int y1, int x2, int y2) {
  if (!g_current) return NoHost("SaveScreen"), nullptr;
  return g_current->SaveScreen(x1, y1, x2, y2);
}

void WINAPI SvcRestoreScreen(HANDLE screen) {
  if (!g_current) return NoHost("RestoreScreen");
  g_current->RestoreScreen(screen);
}

int WINAPI SvcGetDirList(const char* dir, PluginPanelItem** items, int* count) {
  if (!g_current) return NoHost("GetDirList"), 0;
  return g_current->GetDirList(dir, items, count);
}

void WINAPI SvcFreeDirList(const PluginPanelItem* items) {
  if (!g_current) return NoHost("FreeDirList");
  g_current->FreeDirList(items);
}

// Services the plug-in must not use: a call is a fault, not a crash.
void WINAPI SvcUnsupported() {
  if (g_current) g_current->Fail("a service this host does not offer was called");
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool ReadWholeFile(const std::string& path, std::string* out) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  out->clear();
  char buffer[4096];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
    out->append(buffer, got);
  CloseHandle(file);
  return ok;
}

std::string MessageDetail(const MessageRecord& m) {
  std::string d = Quote(m.title.c_str());
  for (const std::string& line : m.lines) d += " " + Quote(line.c_str());
  d += " buttons=" + std::to_string(m.buttons.size());
  return d;
}

const char* KindName(AnswerKind kind) {
  switch (kind) {
    case AnswerKind::Message: return "message";
    case AnswerKind::Dialog: return "dialog";
    case AnswerKind::Menu: return "menu";
  }
  return "?";
}

bool IsEdit(int type) { return type == DI_EDIT || type == DI_PSWEDIT || type == DI_FIXEDIT; }

DialogItemState StateOf(const FarDialogItem& item) {
  DialogItemState s;
  s.type = item.Type;
  s.x1 = item.X1;
  s.y1 = item.Y1;
  s.x2 = item.X2;
  s.y2 = item.Y2;
  s.focus = item.Focus != 0;
  s.selected = (item.Type == DI_CHECKBOX || item.Type == DI_RADIOBUTTON) ? item.Selected : 0;
  s.flags = item.Flags;
  s.defaultButton = item.DefaultButton != 0;
  s.data.assign(item.Data, strnlen(item.Data, sizeof item.Data));
  return s;
}

}  // namespace

// --- shared helpers ------------------------------------------------------------

void CopyField(char* dst, size_t dstSize, const std::string& src) {
  if (dstSize == 0) return;
  size_t n = std::min(src.size(), dstSize - 1);
  memcpy(dst, src.data(), n);
  dst[n] = '\0';
}

std::string Hex(unsigned long long value) {
  char text[32];
  snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

std::string Quote(const char* text) {
  return text ? "\"" + std::string(text) + "\"" : std::string("null");
}

bool ParseLanguageFile(const std::string& text, std::string* language,
                       std::vector<std::string>* messages) {
  bool found = false;
  messages->clear();
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.pop_back();
    if (!found && line.compare(0, 10, ".Language=") == 0) {
      std::string value = line.substr(10);
      *language = value.substr(0, value.find(','));
      found = true;
    } else if (!line.empty() && line[0] == '"') {
      // The text runs to the last quote; hosts of this ABI keep backslashes.
      size_t close = line.find_last_of('"');
      messages->push_back(close > 0 ? line.substr(1, close - 1) : line.substr(1));
    }
    if (end == text.size()) break;
  }
  return found;
}

// --- life cycle ------------------------------------------------------------------

Host::Impl::Impl(Options o) : options(std::move(o)) {}

Host::Host(Options options) {
  if (g_current) throw std::logic_error("farhost: only one Host may exist at a time");
  impl_.reset(new Impl(std::move(options)));
  Impl& h = *impl_;
  g_current = &h;
  if (h.options.rootKey.empty()) {
    // Kept as short as a real host's "Software\Far\Plugins": the plug-in refuses
    // settings key paths longer than 79 characters, and its deepest subkey
    // ("...\Tessaryn Software\MELVOX\ViewModes\Mode9") must still fit.
    static unsigned counter = 0;
    char id[24];
    snprintf(id, sizeof id, "%lx-%x", GetCurrentProcessId(), ++counter);
    h.ownedKeyTree = std::string("Software\\MelvoxTest\\") + id;
    h.rootKey = h.ownedKeyTree + "\\Plugins";
    // A test program that crashed may have left a tree under a reused id.
    RegDeleteTreeA(HKEY_CURRENT_USER, h.ownedKeyTree.c_str());
  } else {
    h.rootKey = h.options.rootKey;
  }
  PluginStartupInfo& s = h.startup;
  s.StructSize = sizeof(PluginStartupInfo);
  CopyField(s.ModuleName, sizeof s.ModuleName, h.options.moduleName);
  s.ModuleNumber = kDirectModuleNumber;
  s.RootKey = h.rootKey.c_str();
  s.Menu = SvcMenu;
  s.Dialog = SvcDialog;
  s.Message = SvcMessage;
  s.GetMsg = SvcGetMsg;
  s.Control = SvcControl;
  s.SaveScreen = SvcSaveScreen;
  s.RestoreScreen = SvcRestoreScreen;
  s.GetDirList = SvcGetDirList;
  s.FreeDirList = SvcFreeDirList;
  FARAPIUNUSED unsupported = SvcUnsupported;
  s.GetPluginDirList = s.Viewer = s.Editor = s.CmpName = s.CharTable = s.Text = unsupported;
  s.EditorControl = s.ShowHelp = s.AdvControl = s.InputBox = s.DialogEx = unsupported;
  s.SendDlgMessage = s.DefDlgProc = s.ViewerControl = unsupported;
  s.FSF = nullptr;
  char cwd[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  for (Panel& p : h.panels) {
    p.kind = Panel::Files;
    p.directory = (n > 0 && n < sizeof cwd) ? std::string(cwd) : std::string("C:\\");
    h.ReadDirectory(p);
  }
}

Host::~Host() {
  Impl& h = *impl_;
  UnloadPlugin();
  if (!h.checked) CheckBalanced();
  if (!h.ownedKeyTree.empty()) {
    RegDeleteTreeA(HKEY_CURRENT_USER, h.ownedKeyTree.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, h.ownedKeyTree.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\MelvoxTest");  // only when empty
  }
  g_current = nullptr;
}

const PluginStartupInfo* Host::StartupInfo() const { return &impl_->startup; }
const std::string& Host::RootKey() const { return impl_->rootKey; }
const Exports& Host::PluginExports() const { return impl_->exports; }

bool Host::LoadPlugin(const std::string& dllPath) {
  Impl& h = *impl_;
  UnloadPlugin();
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(dllPath.c_str(), sizeof full, full, nullptr);
  std::string path = (n > 0 && n < sizeof full) ? std::string(full) : dllPath;
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    h.Fail("LoadPlugin: cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
    return false;
  }
  Exports e;
  auto get = [&](auto& slot, const char* name) {
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
        reinterpret_cast<void*>(GetProcAddress(module, name)));
  };
  get(e.SetStartupInfo, "SetStartupInfo");
  get(e.GetPluginInfo, "GetPluginInfo");
  get(e.OpenPlugin, "OpenPlugin");
  get(e.OpenFilePlugin, "OpenFilePlugin");
  get(e.ClosePlugin, "ClosePlugin");
  get(e.ExitFAR, "ExitFAR");
  get(e.Configure, "Configure");
  get(e.GetFindData, "GetFindData");
  get(e.GetOpenPluginInfo, "GetOpenPluginInfo");
  get(e.PutFiles, "PutFiles");
  get(e.SetFindList, "SetFindList");
  get(e.ProcessEvent, "ProcessEvent");
  get(e.ProcessKey, "ProcessKey");
  if (!e.SetStartupInfo) {
    h.Fail("LoadPlugin: " + path + " exports no SetStartupInfo (decorated names?)");
    FreeLibrary(module);
    return false;
  }
  h.module = module;
  h.options.moduleName = path;
  CopyField(h.startup.ModuleName, sizeof h.startup.ModuleName, path);
  h.startup.ModuleNumber = reinterpret_cast<INT_PTR>(module);
  h.lngLoaded = false;
  AttachPlugin(e);
  return true;
}

void Host::AttachPlugin(const Exports& exports) {
  Impl& h = *impl_;
  h.exports = exports;
  h.attached = true;
  if (exports.SetStartupInfo) {
    h.Record(true, "SetStartupInfo", h.startup.ModuleName);
    ++h.pluginDepth;
    exports.SetStartupInfo(&h.startup);
    h.LeavePlugin();
  }
}

void Host::UnloadPlugin() {
  Impl& h = *impl_;
  if (!h.attached) return;
  for (Panel& p : h.panels)
    if (p.kind == Panel::Plugin) h.ClosePanelNow(p, p.directory);
  if (h.exports.ExitFAR) {
    h.Record(true, "ExitFAR", "");
    ++h.pluginDepth;
    h.exports.ExitFAR();
    h.LeavePlugin();
  }
  h.attached = false;
  h.exports = Exports();
  if (h.module) {
    FreeLibrary(h.module);
    h.module = nullptr;
  }
}

// --- answers and records -----------------------------------------------------------

void Host::AnswerMessage(int button) {
  Answer a;
  a.kind = AnswerKind::Message;
  a.index = button;
  impl_->answers.push_back(a);
}

void Host::AnswerDialog(DialogAnswer answer) {
  Answer a;
  a.kind = AnswerKind::Dialog;
  a.index = answer.button;
  a.dialog = std::move(answer);
  impl_->answers.push_back(std::move(a));
}

void Host::AnswerMenu(int item, int breakCode) {
  Answer a;
  a.kind = AnswerKind::Menu;
  a.index = item;
  a.breakCode = breakCode;
  impl_->answers.push_back(a);
}

size_t Host::PendingAnswers() const { return impl_->answers.size(); }
const std::vector<Call>& Host::Calls() const { return impl_->calls; }
const std::vector<MessageRecord>& Host::Messages() const { return impl_->messages; }
const std::vector<DialogRecord>& Host::Dialogs() const { return impl_->dialogs; }
const std::vector<MenuRecord>& Host::Menus() const { return impl_->menus; }
const std::vector<std::string>& Host::Failures() const { return impl_->failures; }
int Host::OpenScreens() const { return static_cast<int>(impl_->screens.size()); }
int Host::OpenDirLists() const { return static_cast<int>(impl_->dirLists.size()); }

int Host::CountCalls(const std::string& name, const std::string& detailPrefix) const {
  int n = 0;
  for (const Call& c : impl_->calls)
    if (c.name == name && c.detail.compare(0, detailPrefix.size(), detailPrefix) == 0) ++n;
  return n;
}

void Host::ClearRecords() {
  impl_->calls.clear();
  impl_->messages.clear();
  impl_->dialogs.clear();
  impl_->menus.clear();
}

std::string Host::FailureText() const {
  std::string text;
  for (const std::string& f : impl_->failures) text += f + "\n";
  return text;
}

bool Host::CheckBalanced() {
  Impl& h = *impl_;
  h.checked = true;
  for (const SavedScreen& s : h.screens)
    h.Fail("screen #" + std::to_string(s.id) + " saved by SaveScreen was never restored");
  h.screens.clear();
  for (const auto& list : h.dirLists)
    h.Fail("dir list of " + std::to_string(list.second.first) +
           " items from GetDirList was never freed with FreeDirList");
  h.dirLists.clear();
  for (const Answer& a : h.answers)
    h.Fail(std::string("scripted ") + KindName(a.kind) + " answer was never used");
  h.answers.clear();
  return h.failures.empty();
}

void Host::Impl::Record(bool toPlugin, const std::string& name, const std::string& detail) {
  Call c;
  c.toPlugin = toPlugin;
  c.name = name;
  c.detail = detail;
  calls.push_back(std::move(c));
}

void Host::Impl::Fail(const std::string& text) {
  failures.push_back(text);
  if (options.onFailure)
    options.onFailure(text);
  else
    fprintf(stderr, "farhost failure: %s\n", text.c_str());
}

void Host::Impl::Show(const std::string& text) {
  if (options.transcript) options.transcript(text);
}

bool Host::Impl::TakeAnswer(AnswerKind kind, const std::string& what, Answer* out) {
  if (answers.empty()) {
    Fail("unexpected " + what + ": no answer was scripted");
    return false;
  }
  if (answers.front().kind != kind) {
    Fail(what + ": the next scripted answer is for a " + KindName(answers.front().kind));
    return false;
  }
  *out = std::move(answers.front());
  answers.pop_front();
  return true;
}

void Host::Impl::LeavePlugin() {
  if (--pluginDepth > 0) return;
  pluginDepth = 0;
  // FCTL_CLOSEPLUGIN takes effect once the plug-in has returned to the host,
  // so the instance is never destroyed under the plug-in's feet.
  for (Panel& p : panels)
    if (p.closePending) ClosePanelNow(p, p.closeDir);
}

// --- language file -------------------------------------------------------------------

void Host::Impl::LoadLanguage() {
  lngLoaded = true;
  // Texts handed out before stay valid until the Host dies.
  if (!lngMessages.empty()) retiredMessages.push_back(std::move(lngMessages));
  lngMessages.clear();
  std::string folder = FolderOf(options.moduleName);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.lng").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::pair<std::string, std::vector<std::string>>> files;
  do {
    std::string text, language;
    std::vector<std::string> texts;
    if (ReadWholeFile(folder + "\\" + found.cFileName, &text) &&
        ParseLanguageFile(text, &language, &texts))
      files.emplace_back(Lower(language), std::move(texts));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const std::string& wanted : {Lower(options.language), std::string("english")}) {
    for (auto& f : files) {
      if (f.first == wanted) {
        lngMessages = std::move(f.second);
        return;
      }
    }
  }
  if (!files.empty()) lngMessages = std::move(files.front().second);
}

const char* Host::Impl::GetMsg(int msgId) {
  if (!lngLoaded) LoadLanguage();
  Record(false, "GetMsg", std::to_string(msgId));
  if (msgId >= 0 && static_cast<size_t>(msgId) < lngMessages.size())
    return lngMessages[static_cast<size_t>(msgId)].c_str();
  auto it = missingMarkers.find(msgId);
  if (it == missingMarkers.end())
    it = missingMarkers.emplace(msgId, "<no message " + std::to_string(msgId) + ">").first;
  if (options.failOnMissingMessage)
    Fail("GetMsg " + std::to_string(msgId) + ": no such message in the language file beside " +
         options.moduleName);
  return it->second.c_str();
}

// --- message boxes, dialogs, menus -----------------------------------------------------

int Host::Impl::Message(DWORD flags, const char* helpTopic, const char* const* items,
                        int itemsNumber, int buttonsNumber, bool fromHost) {
  MessageRecord m;
  m.fromHost = fromHost;
  m.flags = flags;
  m.helpTopic = helpTopic ? helpTopic : "";
  if (!items || itemsNumber < 1 || buttonsNumber < 0 || buttonsNumber > itemsNumber - 1) {
    Fail("Message with " + std::to_string(itemsNumber) + " items and " +
         std::to_string(buttonsNumber) + " buttons: needs a title and its buttons");
    return -1;
  }
  m.title = items[0] ? items[0] : "";
  for (int i = 1; i < itemsNumber; ++i) {
    std::string text = items[i] ? items[i] : "";
    if (i < itemsNumber - buttonsNumber)
      m.lines.push_back(text);
    else
      m.buttons.push_back(text);
  }
  Record(false, fromHost ? "HostMessage" : "Message", MessageDetail(m));
  if (buttonsNumber == 0) {
    // Drawn and left on screen until the screen saved before it comes back.
    messages.push_back(m);
    visibleMessages.push_back(m);
    Show(RenderMessage(m) + "-> drawn without buttons, stays on screen\n");
    return -1;
  }
  Answer a;
  if (TakeAnswer(AnswerKind::Message, "message box " + Quote(m.title.c_str()), &a)) {
    if (a.index < -1 || a.index >= buttonsNumber)
      Fail("scripted message answer " + std::to_string(a.index) + " is not a button of " +
           Quote(m.title.c_str()));
    else
      m.result = a.index;
  }
  messages.push_back(m);
  Show(RenderMessage(m) + (m.result < 0 ? std::string("-> Esc\n")
                                        : "-> button " + std::to_string(m.result) + " " +
                                              Quote(m.buttons[static_cast<size_t>(m.result)].c_str()) + "\n"));
  return m.result;
}

int Host::Impl::Dialog(int x1, int y1, int x2, int y2, const char* helpTopic,
                       FarDialogItem* item, int itemsNumber) {
  DialogRecord d;
  d.x1 = x1;
  d.y1 = y1;
  d.x2 = x2;
  d.y2 = y2;
  d.helpTopic = helpTopic ? helpTopic : "";
  if (!item || itemsNumber <= 0) {
    Fail("Dialog without items");
    return -1;
  }
  for (int i = 0; i < itemsNumber; ++i) d.shown.push_back(StateOf(item[i]));
  std::string title = itemsNumber > 0 ? d.shown[0].data : std::string();
  Record(false, "Dialog", Quote(title.c_str()) + " items=" + std::to_string(itemsNumber));
  std::string what = "dialog " + Quote(title.c_str());
  Answer a;
  if (TakeAnswer(AnswerKind::Dialog, what, &a)) {
    for (const auto& t : a.dialog.typed) {
      if (t.first < 0 || t.first >= itemsNumber || !IsEdit(item[t.first].Type)) {
        Fail(what + ": item " + std::to_string(t.first) + " is not an edit field");
        continue;
      }
      FarDialogItem& field = item[t.first];
      std::string text = t.second;
      // A fixed field takes no more characters than it is wide.
      if (field.Type == DI_FIXEDIT) {
        int width = field.X2 - field.X1 + 1;
        if (width > 0 && text.size() > static_cast<size_t>(width)) text.resize(static_cast<size_t>(width));
      }
      CopyField(field.Data, sizeof field.Data, text);
    }
    auto setCheck = [&](int index, bool on, bool toggle) {
      if (index < 0 || index >= itemsNumber ||
          (item[index].Type != DI_CHECKBOX && item[index].Type != DI_RADIOBUTTON)) {
        Fail(what + ": item " + std::to_string(index) + " is not a check box or radio button");
        return;
      }
      FarDialogItem& box = item[index];
      if (toggle) on = box.Selected == 0;
      if (box.Type == DI_RADIOBUTTON) {
        if (!on) return;  // a radio button is cleared only by picking another
        int first = index;
        while (first > 0 && !(item[first].Flags & DIF_GROUP) && item[first - 1].Type == DI_RADIOBUTTON) --first;
        for (int i = first; i < itemsNumber && item[i].Type == DI_RADIOBUTTON; ++i) {
          if (i > first && (item[i].Flags & DIF_GROUP)) break;
          item[i].Selected = 0;
        }
      }
      box.Selected = on ? 1 : 0;
    };
    for (const auto& c : a.dialog.checks) setCheck(c.first, c.second, false);
    for (int t : a.dialog.toggles) setCheck(t, false, true);
    if (a.index < -1 || a.index >= itemsNumber)
      Fail(what + ": scripted button " + std::to_string(a.index) + " is not an item");
    else
      d.result = a.index;
  }
  for (int i = 0; i < itemsNumber; ++i) d.closed.push_back(StateOf(item[i]));
  dialogs.push_back(d);
  std::string answer = d.result < 0 ? std::string("Esc")
                                    : "item " + std::to_string(d.result) + " " +
                                          Quote(d.shown[static_cast<size_t>(d.result)].data.c_str());
  Show(RenderDialog(d) + "-> " + answer + "\n");
  return d.result;
}

int Host::Impl::Menu(int, int, int, DWORD flags, const char* title, const char* bottom,
                     const char* helpTopic, const int* breakKeys, int* breakCode,
                     const FarMenuItem* item, int itemsNumber) {
  MenuRecord m;
  m.flags = flags;
  m.title = title ? title : "";
  m.bottom = bottom ? bottom : "";
  m.helpTopic = helpTopic ? helpTopic : "";
  for (int i = 0; item && i < itemsNumber; ++i) {
    MenuRecord::Item it;
    it.text.assign(item[i].Text, strnlen(item[i].Text, sizeof item[i].Text));
    it.selected = item[i].Selected != 0;
    it.checked = item[i].Checked != 0;
    it.separator = item[i].Separator != 0;
    m.items.push_back(it);
  }
  for (int i = 0; breakKeys && breakKeys[i] != 0; ++i) m.breakKeys.push_back(breakKeys[i]);
  if (breakCode) *breakCode = -1;
  Record(false, "Menu", Quote(m.title.c_str()) + " items=" + std::to_string(itemsNumber));
  std::string what = "menu " + Quote(m.title.c_str());
  Answer a;
  if (TakeAnswer(AnswerKind::Menu, what, &a)) {
    if (a.index < -1 || a.index >= itemsNumber ||
        (a.index >= 0 && m.items[static_cast<size_t>(a.index)].separator)) {
      Fail(what + ": scripted item " + std::to_string(a.index) + " cannot be chosen");
    } else if (a.breakCode >= 0 &&
               (!breakCode || a.breakCode >= static_cast<int>(m.breakKeys.size()))) {
      Fail(what + ": scripted break key " + std::to_string(a.breakCode) + " is not one of its keys");
    } else {
      m.result = a.index;
      m.breakCode = a.breakCode;
      if (breakCode) *breakCode = a.breakCode;
    }
  }
  menus.push_back(m);
  std::string answer = m.result < 0 ? std::string("Esc") : "item " + std::to_string(m.result);
  if (m.breakCode >= 0) answer += " with break key " + std::to_string(m.breakCode);
  Show(RenderMenu(m) + "-> " + answer + "\n");
  return m.result;
}

// --- screens and dir lists -------------------------------------------------------------

HANDLE Host::Impl::SaveScreen(int x1, int y1, int x2, int y2) {
  SavedScreen s;
  s.id = nextScreen++;
  s.messagesBefore = visibleMessages.size();
  screens.push_back(s);
  Record(false, "SaveScreen",
         std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(x2) + "," +
             std::to_string(y2) + " -> #" + std::to_string(s.id));
  return reinterpret_cast<HANDLE>(s.id);
}

void Host::Impl::RestoreScreen(HANDLE screen) {
  UINT_PTR id = reinterpret_cast<UINT_PTR>(screen);
  if (id == 0) {
    // Null redraws the whole screen; nothing was saved for it.
    Record(false, "RestoreScreen", "null");
    return;
  }
  Record(false, "RestoreScreen", "#" + std::to_string(id));
  auto it = std::find_if(screens.begin(), screens.end(),
                         [id](const SavedScreen& s) { return s.id == id; });
  if (it == screens.end()) {
    Fail("RestoreScreen #" + std::to_string(id) +
         ": not a screen that SaveScreen returned, or restored already");
    return;
  }
  if (visibleMessages.size() > it->messagesBefore) visibleMessages.resize(it->messagesBefore);
  screens.erase(it);
}

namespace {

void ListFolder(const std::string& full, const std::string& relative,
                std::vector<PluginPanelItem>* out) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((full + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<WIN32_FIND_DATAA> entries;
  do {
    if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
      entries.push_back(found);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(entries.begin(), entries.end(), [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
    return _stricmp(a.cFileName, b.cFileName) < 0;
  });
  for (const WIN32_FIND_DATAA& e : entries) {
    PluginPanelItem item = {};
    CopyFindData(&item.FindData, e);
    std::string name = relative + "\\" + e.cFileName;
    CopyField(item.FindData.cFileName, sizeof item.FindData.cFileName, name);
    out->push_back(item);
    if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ListFolder(full + "\\" + e.cFileName, name, out);
  }
}

}  // namespace

int Host::Impl::GetDirList(const char* dir, PluginPanelItem** items, int* count) {
  Record(false, "GetDirList", Quote(dir));
  if (items) *items = nullptr;
  if (count) *count = 0;
  if (!dir || !items || !count) {
    Fail("GetDirList with a null argument");
    return 0;
  }
  std::string path = dir;
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  size_t slash = path.find_last_of("\\/");
  std::string own = slash == std::string::npos ? path : path.substr(slash + 1);
  std::vector<PluginPanelItem> list;
  ListFolder(path, own, &list);
  int n = static_cast<int>(list.size());
  // Even an empty list gets storage, so every successful call is one to free.
  if (list.empty()) list.resize(1);
  PluginPanelItem* data = list.data();
  dirLists.emplace(data, std::make_pair(n, std::move(list)));
  *items = data;
  *count = n;
  return 1;
}

void Host::Impl::FreeDirList(const PluginPanelItem* items) {
  Record(false, "FreeDirList", items ? "" : "null");
  if (!items) return;  // what a failed GetDirList gave
  auto it = dirLists.find(items);
  if (it == dirLists.end()) {
    Fail("FreeDirList with a list that GetDirList did not return, or freed already");
    return;
  }
  dirLists.erase(it);
}

}  // namespace farhost
