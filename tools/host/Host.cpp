// The Host's life cycle, plug-in loading, the services that need no panel,
// language and help files, and the bookkeeping behind the failure checks.
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

// ModuleNumber values of the later host, which hands out opaque numbers, for
// plug-ins without a module of their own (direct link, the built-in panel).
const INT_PTR kDirectModuleNumber = 0x4D58;
const INT_PTR kBuiltInModuleNumber = 0x4D59;
// The 1.x host numbers its plug-ins in load order. A real installation loads
// the host's own plug-ins too, so the one under test is never number 0: a
// plug-in that passes 0 instead of its ModuleNumber shows.
const INT_PTR kFirstModuleNumber = 1;
#if defined(_WIN64)
// The 1.x host's x64 build declares ModuleNumber as an int: the field's upper
// half is padding holding whatever its memory held, and the services read
// back only the int. A plug-in relying on the upper half shows.
const INT_PTR kModuleNumberPadding = static_cast<INT_PTR>(0xA5A5A5A500000000ull);
#else
const INT_PTR kModuleNumberPadding = 0;
#endif

const char kTemporaryPanelName[] = "TmpPanel.dll";
const char kTemporaryPanelModule[] = "C:\\Far\\Plugins\\TmpPanel\\TmpPanel.dll";

void NoHost(const char* service) {
  fprintf(stderr, "farhost: %s called while no Host exists\n", service);
}

int WINAPI SvcMenu(INT_PTR number, int x, int y, int maxHeight, DWORD flags, const char* title,
                   const char* bottom, const char* helpTopic, const int* breakKeys,
                   int* breakCode, const FarMenuItem* item, int itemsNumber) {
  if (!g_current) return NoHost("Menu"), -1;
  g_current->CheckCaller("Menu");
  g_current->CheckNumber("Menu", number);
  return g_current->Menu(x, y, maxHeight, flags, title, bottom, helpTopic, breakKeys, breakCode,
                         item, itemsNumber);
}

int WINAPI SvcDialog(INT_PTR number, int x1, int y1, int x2, int y2, const char* helpTopic,
                     FarDialogItem* item, int itemsNumber) {
  if (!g_current) return NoHost("Dialog"), -1;
  g_current->CheckCaller("Dialog");
  g_current->CheckNumber("Dialog", number);
  return g_current->Dialog(x1, y1, x2, y2, helpTopic, item, itemsNumber);
}

int WINAPI SvcMessage(INT_PTR number, DWORD flags, const char* helpTopic,
                      const char* const* items, int itemsNumber, int buttonsNumber) {
  if (!g_current) return NoHost("Message"), -1;
  g_current->CheckCaller("Message");
  g_current->CheckNumber("Message", number);
  return g_current->Message(flags, helpTopic, items, itemsNumber, buttonsNumber, false);
}

const char* WINAPI SvcGetMsg(INT_PTR number, int msgId) {
  if (!g_current) return NoHost("GetMsg"), "";
  g_current->CheckCaller("GetMsg");
  g_current->CheckNumber("GetMsg", number);
  return g_current->GetMsg(msgId);
}

int WINAPI SvcControl(HANDLE hPlugin, int command, void* param) {
  if (!g_current) return NoHost("Control"), 0;
  g_current->CheckCaller("Control");
  return g_current->Control(hPlugin, command, param);
}

HANDLE WINAPI SvcSaveScreen(int x1, int y1, int x2, int y2) {
  if (!g_current) return NoHost("SaveScreen"), nullptr;
  g_current->CheckCaller("SaveScreen");
  return g_current->SaveScreen(x1, y1, x2, y2);
}

void WINAPI SvcRestoreScreen(HANDLE screen) {
  if (!g_current) return NoHost("RestoreScreen");
  g_current->CheckCaller("RestoreScreen");
  g_current->RestoreScreen(screen);
}

int WINAPI SvcGetDirList(const char* dir, PluginPanelItem** items, int* count) {
  if (!g_current) return NoHost("GetDirList"), 0;
  g_current->CheckCaller("GetDirList");
  return g_current->GetDirList(dir, items, count);
}

void WINAPI SvcFreeDirList(const PluginPanelItem* items) {
  if (!g_current) return NoHost("FreeDirList");
  g_current->CheckCaller("FreeDirList");
  g_current->FreeDirList(items);
}

// Services the plug-in must not use: a call is a fault, not a crash.
void WINAPI SvcUnsupported() {
  if (g_current) g_current->Fail("a service this host does not offer was called");
#if defined(__i386__)
  // A WINAPI callee removes its arguments; this stub cannot know how many the
  // plug-in pushed, so returning would leave the caller's stack wrong.
  fprintf(stderr, "farhost: a service this host does not offer was called; the process ends\n");
  fflush(nullptr);
  ExitProcess(3);
#endif
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

bool HasExtension(const char* name, const char* extension) {
  size_t n = strlen(name), e = strlen(extension);
  return n > e && _stricmp(name + n - e, extension) == 0;
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

// The files with this extension beside the module, parsed: (lower-case
// language, file name, contents) sorted by language.
struct LanguageFile {
  std::string language, name;
  std::vector<std::string> entries;
};

std::vector<LanguageFile> ReadLanguageFiles(const std::string& moduleName, const char* extension,
                                            bool (*parse)(const std::string&, std::string*,
                                                          std::vector<std::string>*)) {
  std::vector<LanguageFile> files;
  std::string folder = FolderOf(moduleName);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*" + extension).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    // The pattern also matches longer extensions through their short names.
    if (!HasExtension(found.cFileName, extension)) continue;
    LanguageFile f;
    std::string text;
    f.name = found.cFileName;
    if (ReadWholeFile(folder + "\\" + found.cFileName, &text) && parse(text, &f.language, &f.entries)) {
      f.language = Lower(f.language);
      files.push_back(std::move(f));
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end(),
            [](const LanguageFile& a, const LanguageFile& b) { return a.language < b.language; });
  return files;
}

// The file of the wanted language, else the English one, else the first.
LanguageFile* PickLanguage(std::vector<LanguageFile>& files, const std::string& wanted) {
  for (const std::string& language : {Lower(wanted), std::string("english")})
    for (LanguageFile& f : files)
      if (f.language == language) return &f;
  return files.empty() ? nullptr : &files.front();
}

const char* KindName(AnswerKind kind) {
  switch (kind) {
    case AnswerKind::Message: return "message";
    case AnswerKind::Dialog: return "dialog";
    case AnswerKind::Menu: return "menu";
  }
  return "?";
}

// Splits text into lines without their line ends and trailing blanks.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.pop_back();
    lines.push_back(line);
    if (end == text.size()) break;
    pos = end + 1;
  }
  return lines;
}

bool LanguageLine(const std::string& line, std::string* language) {
  if (line.compare(0, 10, ".Language=") != 0) return false;
  std::string value = line.substr(10);
  *language = value.substr(0, value.find(','));
  return true;
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

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool ParseLanguageFile(const std::string& text, std::string* language,
                       std::vector<std::string>* messages) {
  bool found = false;
  messages->clear();
  for (const std::string& line : Lines(text)) {
    if (!found && LanguageLine(line, language)) {
      found = true;
    } else if (!line.empty() && line[0] == '"') {
      // The text runs to the last quote; hosts of this ABI keep backslashes.
      size_t close = line.find_last_of('"');
      messages->push_back(close > 0 ? line.substr(1, close - 1) : line.substr(1));
    }
  }
  return found;
}

bool ParseHelpFile(const std::string& text, std::string* language, std::vector<std::string>* topics) {
  bool found = false;
  topics->clear();
  for (const std::string& line : Lines(text)) {
    if (!found && LanguageLine(line, language)) {
      found = true;
    } else if (line.size() > 1 && line[0] == '@' && line[1] != '-' && line[1] != '+' && line[1] != '@' &&
               line[1] != ' ') {
      // "@-" and "@+" switch line wrapping; "@@" is a literal at-sign.
      topics->push_back(line.substr(1));
    }
  }
  return found;
}

// --- life cycle ------------------------------------------------------------------

Host::Impl::Impl(Options o) : options(std::move(o)) {}

namespace {

void FillStartup(PluginSlot& slot, const std::string& rootKey) {
  PluginStartupInfo& s = slot.startup;
  memset(&s, 0, sizeof s);
  s.StructSize = sizeof(PluginStartupInfo);
  CopyField(s.ModuleName, sizeof s.ModuleName, slot.moduleName);
  s.RootKey = rootKey.c_str();
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
}

}  // namespace

std::vector<PluginSlot*> Host::Impl::InLoadOrder() {
  std::vector<PluginSlot*> order;
  for (auto& p : plugins) order.push_back(p.get());
  std::stable_sort(order.begin(), order.end(), [](const PluginSlot* a, const PluginSlot* b) {
    return _stricmp(a->fileName.c_str(), b->fileName.c_str()) < 0;
  });
  return order;
}

void Host::Impl::NumberPlugins() {
  std::vector<PluginSlot*> order = InLoadOrder();
  for (size_t i = 0; i < order.size(); ++i) {
    PluginSlot& p = *order[i];
    if (!Later())
      p.startup.ModuleNumber = (kFirstModuleNumber + static_cast<INT_PTR>(i)) | kModuleNumberPadding;
    else if (p.module)
      p.startup.ModuleNumber = reinterpret_cast<INT_PTR>(p.module);
    else
      p.startup.ModuleNumber = p.builtIn ? kBuiltInModuleNumber : kDirectModuleNumber;
  }
}

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
  if (!h.Later()) {
    // The 1.x host works in the console's code page: plug-ins hand it OEM
    // names, and the file APIs of the whole process take them so.
    h.restoreAnsiFileApis = AreFileApisANSI() != 0;
    SetFileApisToOEM();
  }
  auto primary = std::make_unique<PluginSlot>();
  primary->moduleName = h.options.moduleName;
  primary->fileName = BaseName(primary->moduleName);
  FillStartup(*primary, h.rootKey);
  h.plugins.push_back(std::move(primary));
  if (h.options.temporaryPanel) {
    auto temporary = std::make_unique<PluginSlot>();
    temporary->builtIn = true;
    temporary->fileName = kTemporaryPanelName;
    temporary->moduleName = kTemporaryPanelModule;
    temporary->exports = TemporaryPanelExports();
    FillStartup(*temporary, h.rootKey);
    h.plugins.push_back(std::move(temporary));
  }
  h.NumberPlugins();
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
  if (h.restoreAnsiFileApis) SetFileApisToANSI();
  g_current = nullptr;
}

const PluginStartupInfo* Host::StartupInfo() const { return &impl_->Primary().startup; }
const std::string& Host::RootKey() const { return impl_->rootKey; }
const Exports& Host::PluginExports() const { return impl_->Primary().exports; }

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
  // The slot of the earlier plug-in stays alive: texts it handed out remain valid.
  auto slot = std::make_unique<PluginSlot>();
  slot->module = module;
  slot->moduleName = path;
  slot->fileName = BaseName(path);
  FillStartup(*slot, h.rootKey);
  h.retired.push_back(std::move(h.plugins[0]));
  h.plugins[0] = std::move(slot);
  h.options.moduleName = path;
  h.NumberPlugins();
  AttachPlugin(e);
  return true;
}

void Host::AttachPlugin(const Exports& exports) {
  Impl& h = *impl_;
  PluginSlot& p = h.Primary();
  p.exports = exports;
  h.attached = true;
  if (exports.SetStartupInfo) {
    p.started = true;
    h.Enter(p, nullptr, "SetStartupInfo", p.startup.ModuleName);
    exports.SetStartupInfo(&p.startup);
    h.Leave();
  }
}

void Host::UnloadPlugin() {
  Impl& h = *impl_;
  for (Panel& p : h.panels)
    while (p.kind == Panel::Plugin) h.ClosePanelNow(p, p.directory, true);
  if (!h.attached) return;
  for (PluginSlot* p : h.InLoadOrder()) {
    if (!p->started || !p->exports.ExitFAR) continue;
    p->started = false;
    h.Enter(*p, nullptr, "ExitFAR", "");
    p->exports.ExitFAR();
    h.Leave();
  }
  h.attached = false;
  PluginSlot& primary = h.Primary();
  primary.exports = Exports();
  primary.started = false;
  if (primary.module) {
    FreeLibrary(primary.module);
    primary.module = nullptr;
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
size_t Host::DropAnswers() {
  size_t dropped = impl_->answers.size();
  impl_->answers.clear();
  return dropped;
}
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

std::string RenderCall(const Call& call, const std::string& pluginUnderTest) {
  std::string text = call.toPlugin ? "-> " : call.byHost ? "   " : "<- ";
  if (call.toPlugin && !call.plugin.empty() && _stricmp(call.plugin.c_str(), pluginUnderTest.c_str()) != 0)
    text += call.plugin + ": ";
  text += call.name;
  if (!call.detail.empty()) text += " " + call.detail;
  return text;
}

void Host::Impl::Record(bool toPlugin, const std::string& name, const std::string& detail,
                        const std::string& plugin) {
  Call c;
  c.toPlugin = toPlugin;
  c.plugin = plugin;
  c.name = name;
  c.detail = detail;
  calls.push_back(std::move(c));
}

void Host::Impl::RecordHost(const std::string& name, const std::string& detail) {
  Call c;
  c.byHost = true;
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
  if (options.escapeUnscripted && (answers.empty() || answers.front().kind != kind)) return false;
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

// --- export calls and their callers ------------------------------------------------

void Host::Impl::Enter(PluginSlot& plugin, HANDLE handle, const std::string& name,
                       const std::string& detail) {
  if (handle && handle != INVALID_HANDLE_VALUE && plugin.closed.count(handle))
    Fail(name + " called with the handle of an instance that ClosePlugin closed");
  Record(true, name, detail, plugin.fileName);
  Frame f;
  f.plugin = &plugin;
  f.handle = handle;
  f.call = name == "ProcessEvent" ? name + " " + detail : name;
  frames.push_back(std::move(f));
}

void Host::Impl::Leave() {
  if (!frames.empty()) frames.pop_back();
  if (!frames.empty()) return;
  // The 1.x host acts on FCTL_CLOSEPLUGIN once the plug-in is back in the host.
  for (Panel& p : panels)
    if (p.closePending) ClosePanelNow(p, p.closeDir);
}

PluginSlot& Host::Impl::Caller() { return frames.empty() ? Primary() : *frames.back().plugin; }

void Host::Impl::CheckCaller(const char* service) {
  if (!frames.empty() && frames.back().closed)
    Fail(std::string(service) + " called from " + frames.back().call +
         " of an instance that was closed during that call");
}

void Host::Impl::CheckNumber(const char* service, INT_PTR number) {
  INT_PTR expected = Caller().startup.ModuleNumber;
  bool same = Later() ? number == expected : static_cast<int>(number) == static_cast<int>(expected);
  if (!same)
    Fail(std::string(service) + ": PluginNumber is not the ModuleNumber");
}

// --- language and help files ------------------------------------------------------------

void Host::Impl::LoadLanguage(PluginSlot& plugin) {
  plugin.lngLoaded = true;
  std::vector<LanguageFile> files = ReadLanguageFiles(plugin.moduleName, ".lng", ParseLanguageFile);
  if (LanguageFile* f = PickLanguage(files, options.language)) plugin.lngMessages = std::move(f->entries);
}

void Host::Impl::LoadHelp(PluginSlot& plugin) {
  plugin.helpLoaded = true;
  std::vector<LanguageFile> files = ReadLanguageFiles(plugin.moduleName, ".hlf", ParseHelpFile);
  if (LanguageFile* f = PickLanguage(files, options.language)) {
    plugin.helpFile = f->name;
    plugin.helpTopics.insert(f->entries.begin(), f->entries.end());
  }
}

void Host::Impl::CheckHelpTopic(const char* service, const char* topic) {
  if (!topic || !*topic) return;
  PluginSlot& plugin = Caller();
  if (!plugin.helpLoaded) LoadHelp(plugin);
  if (plugin.helpFile.empty())
    Fail(std::string(service) + " names help topic " + Quote(topic) + ", but no .hlf help file lies beside " +
         plugin.moduleName);
  else if (!plugin.helpTopics.count(topic))
    Fail(std::string(service) + " names help topic " + Quote(topic) + ", which " + plugin.helpFile + " lacks");
}

const char* Host::Impl::GetMsg(int msgId) {
  PluginSlot& plugin = Caller();
  if (!plugin.lngLoaded) LoadLanguage(plugin);
  Record(false, "GetMsg", std::to_string(msgId));
  if (msgId >= 0 && static_cast<size_t>(msgId) < plugin.lngMessages.size())
    return plugin.lngMessages[static_cast<size_t>(msgId)].c_str();
  if (options.failOnMissingMessage)
    Fail("GetMsg " + std::to_string(msgId) + ": no such message in the language file beside " +
         plugin.moduleName);
  // The real host answers a number its language file lacks with an empty
  // text, never null, so a plug-in shows nothing there rather than crashing.
  return "";
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
  // The 1.x host's order: the folder's files first, then each subfolder
  // followed by its contents.
  for (int folders = 0; folders < 2; ++folders) {
    for (const WIN32_FIND_DATAA& e : entries) {
      bool folder = (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (folder != (folders == 1)) continue;
      PluginPanelItem item = {};
      CopyFindData(&item.FindData, e);
      std::string name = relative + "\\" + e.cFileName;
      CopyField(item.FindData.cFileName, sizeof item.FindData.cFileName, name);
      out->push_back(item);
      if (folder) ListFolder(full + "\\" + e.cFileName, name, out);
    }
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
  if (interruptDirList) {
    // The user pressed Esc while the host scanned the folder.
    interruptDirList = false;
    RecordHost("scan interrupted", Quote(dir));
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
