// A small plug-in for the host emulator's self-tests: a panel of a few items
// (or of the files of a real folder), one dialog, one message, and keys that
// exercise the services whose use the host checks.
//
// It is also the probe: with TESTPLUGIN_LOG naming a file, every call it gets
// is appended there as one line, with the arguments as it sees them, and so
// are the answers of the services it asks ("  Message -> 0").
//
// Keys: F2 menu that moves the cursor; F3 message with two buttons; F4 edit
// dialog, then a message; F7 message listing the SelectedItems; W wait box
// (balanced); U SaveScreen never restored; L dir list of the folder (freed);
// K dir list never freed; Ctrl+R removes the selected entries (not on a
// folder's real files); Q closes the
// panel; P logs the panel information; D shows one dialog twice from the same
// items; N adds an entry and lists the panel again without redrawing it; X
// closes the panel and asks for a message afterwards; F5, F6, F8, Enter and
// the rest are left to the host. PKF_PREPROCESS notices and the "no key" code
// are ignored. Find File lists are taken after a question (button 1 passes
// them on); files that start with "TPL" and a line end open as panels.
#include "host/FarApi.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

PluginStartupInfo Info;
char LogPath[MAX_PATH];  // empty: no log
int Instances = 0;       // numbers the panels in the log: #1, #2, ...

// The host's "no key" code, and its flag for a masked DI_FIXEDIT.
const int kNoKey = 0x1001;
const DWORD kMaskEdit = 0x01000000;
// Bit 0 of an item's Flags is the plug-in's own; set on every item, so what
// the host hands back in SelectedItems shows.
const DWORD kOwnFlag = 0x1;

void Log(const char* format, ...) {
  if (!LogPath[0]) return;
  char line[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  FILE* file = fopen(LogPath, "ab");
  if (!file) return;
  fprintf(file, "%s\n", line);
  fclose(file);
}

const char* EventName(int event, char* buffer, size_t size) {
  static const char* const names[] = {"FE_CHANGEVIEWMODE", "FE_REDRAW", "FE_IDLE", "FE_CLOSE",
                                      "FE_BREAK", "FE_COMMAND", "FE_GOTFOCUS", "FE_KILLFOCUS"};
  if (event >= 0 && event < 8) return names[event];
  snprintf(buffer, size, "event %d", event);
  return buffer;
}

enum Msg {
  MTitle, MDisk, MPlugin, MControl, MEditTitle, MName, MCode, MLoud, MOk, MCancel, MSaved,
  MWorking, MColName, MColNotes, MState, MIdle, MEditKey
};

const char* M(int id) { return Info.GetMsg(Info.ModuleNumber, id); }

struct Entry {
  std::string name, notes;
  bool directory = false;
};

struct Panel {
  int number = ++Instances;
  std::vector<Entry> entries;
  std::string folder;  // opened from the command line: a real folder
  std::vector<PluginPanelItem> items;
  std::vector<std::vector<char*>> columns;
  std::string title, countText, redrawText;
  InfoPanelLine lines[3];
  int redraws = 0, idles = 0;
};

PanelMode Modes[10];
char* Titles1[3];
char* Titles2[2];
KeyBarTitles Keys;

void Copy(char* dst, size_t size, const std::string& src) {
  snprintf(dst, size, "%s", src.c_str());
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

Panel* NewDefaultPanel() {
  Panel* p = new Panel;
  p->entries = {{"C:\\songs\\alpha.mp3", "First", false},
                {"C:\\songs\\beta.mp3", "Second", false},
                {"C:\\songs\\gamma.mp3", "Third", false}};
  return p;
}

void ListFolder(Panel* p) {
  p->entries.clear();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((p->folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) p->entries.push_back({p->folder + "\\" + n, "file", false});
}

// The entry under the cursor, or null on "..".
Entry* CurrentEntry(Panel* p) {
  PanelInfo pi;
  if (!Info.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi) || pi.CurrentItem >= pi.ItemsNumber) return nullptr;
  const PluginPanelItem& item = pi.PanelItems[pi.CurrentItem];
  if (strcmp(item.FindData.cFileName, "..") == 0) return nullptr;
  for (Entry& e : p->entries)
    if (e.name == item.FindData.cFileName) return &e;
  return nullptr;
}

void ShowLines(const char* title, const std::vector<std::string>& lines) {
  std::vector<const char*> items;
  items.push_back(title);
  for (const std::string& l : lines) items.push_back(l.c_str());
  items.push_back(M(MOk));
  int r = Info.Message(Info.ModuleNumber, 0, nullptr, items.data(), static_cast<int>(items.size()), 1);
  Log("  Message \"%s\" -> %d", title, r);
}

void EditDialog(Panel* p) {
  Entry* e = CurrentEntry(p);
  if (!e) return;
  std::string name = BaseName(e->name);
  FarDialogItem d[9];
  memset(d, 0, sizeof d);
  const struct { int type, x1, y1, x2, y2; DWORD flags; const char* data; } t[9] = {
      {DI_DOUBLEBOX, 3, 1, 36, 8, 0, M(MEditTitle)},
      {DI_TEXT, 5, 2, 0, 0, 0, M(MName)},
      {DI_EDIT, 5, 3, 34, 0, 0, name.c_str()},
      {DI_TEXT, 5, 4, 0, 0, 0, M(MCode)},
      {DI_FIXEDIT, 11, 4, 14, 0, 0, "ab"},
      {DI_CHECKBOX, 5, 5, 0, 0, 0, M(MLoud)},
      {DI_TEXT, 5, 6, 0, 0, DIF_SEPARATOR, ""},
      {DI_BUTTON, 0, 7, 0, 0, DIF_CENTERGROUP, M(MOk)},
      {DI_BUTTON, 0, 7, 0, 0, DIF_CENTERGROUP, M(MCancel)},
  };
  for (int i = 0; i < 9; ++i) {
    d[i].Type = t[i].type;
    d[i].X1 = t[i].x1;
    d[i].Y1 = t[i].y1;
    d[i].X2 = t[i].x2;
    d[i].Y2 = t[i].y2;
    d[i].Flags = t[i].flags;
    Copy(d[i].Data, sizeof d[i].Data, t[i].data);
  }
  d[2].Focus = 1;
  d[7].DefaultButton = 1;
  if (Info.Dialog(Info.ModuleNumber, -1, -1, 40, 10, "Edit", d, 9) != 7) return;
  e->notes = std::string(d[2].Data) + " " + d[4].Data + (d[5].Selected ? " loud" : "");
  ShowLines(M(MSaved), {std::string(M(MName)) + " " + d[2].Data, std::string(M(MCode)) + " " + d[4].Data});
}

void ShowSelected() {
  PanelInfo pi;
  std::vector<std::string> names;
  if (Info.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi))
    for (int i = 0; i < pi.SelectedItemsNumber; ++i)
      names.push_back(BaseName(pi.SelectedItems[i].FindData.cFileName) +
                      ((pi.SelectedItems[i].Flags & PPIF_SELECTED) ? " (selected)" : " (cursor)"));
  if (names.empty()) names.push_back("none");
  ShowLines("Selected", names);
}

void ShowDirList(Panel* p, bool free) {
  PluginPanelItem* items = nullptr;
  int n = 0;
  std::vector<std::string> names;
  if (Info.GetDirList(p->folder.c_str(), &items, &n)) {
    for (int i = 0; i < n; ++i) names.push_back(items[i].FindData.cFileName);
    if (free) Info.FreeDirList(items);
  }
  ShowLines("Dir list", names);
}

void MenuMove() {
  FarMenuItem items[4];
  memset(items, 0, sizeof items);
  Copy(items[0].Text, sizeof items[0].Text, "&First");
  Copy(items[1].Text, sizeof items[1].Text, "Second");
  items[1].Selected = 1;
  items[2].Separator = 1;
  Copy(items[3].Text, sizeof items[3].Text, "Third");
  items[3].Checked = 1;
  int chosen = Info.Menu(Info.ModuleNumber, -1, -1, 0, FMENU_WRAPMODE, "Go to", "Enter", nullptr,
                         nullptr, nullptr, items, 4);
  if (chosen < 0) return;
  PanelRedrawInfo r = {chosen == 3 ? 3 : chosen + 1, 0};  // ".." is item 0
  Info.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, &r);
}

// P: what FCTL_GETPANELINFO hands the plug-in.
void LogPanelInfo() {
  PanelInfo pi;
  if (!Info.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi)) return Log("  FCTL_GETPANELINFO failed");
  Log("  PanelInfo Flags=0x%lx SortMode=%d ViewMode=%d CurrentItem=%d ItemsNumber=%d SelectedItemsNumber=%d",
      static_cast<unsigned long>(pi.Flags), pi.SortMode, pi.ViewMode, pi.CurrentItem, pi.ItemsNumber,
      pi.SelectedItemsNumber);
  for (int i = 0; i < pi.ItemsNumber; ++i) {
    const PluginPanelItem& it = pi.PanelItems[i];
    Log("  item %d \"%s\" short=\"%s\" attributes=0x%lx links=%lu flags=0x%lx description=%s", i,
        it.FindData.cFileName, it.FindData.cAlternateFileName, static_cast<unsigned long>(it.FindData.dwFileAttributes),
        static_cast<unsigned long>(it.NumberOfLinks), static_cast<unsigned long>(it.Flags),
        it.Description ? it.Description : "null");
  }
  for (int i = 0; i < pi.SelectedItemsNumber; ++i)
    Log("  selected %d \"%s\" flags=0x%lx", i, pi.SelectedItems[i].FindData.cFileName,
        static_cast<unsigned long>(pi.SelectedItems[i].Flags));
}

// D: one set of items shown twice, as a plug-in that forgets to build them
// afresh would; the second showing has the host's decorations in it.
void ReusedDialog() {
  FarDialogItem d[6];
  memset(d, 0, sizeof d);
  const struct { int type, x1, y1, x2; DWORD flags; const char* data; } t[6] = {
      {DI_DOUBLEBOX, 3, 1, 30, 0, "Reused"},
      {DI_TEXT, -1, 2, 0, 0, "Centred"},
      {DI_FIXEDIT, 5, 3, 9, kMaskEdit, "1234"},
      {DI_CHECKBOX, 5, 4, 0, 0, "&Loud"},
      {DI_BUTTON, 0, 5, 0, DIF_CENTERGROUP, "&OK"},
      {DI_BUTTON, 0, 5, 0, DIF_CENTERGROUP, "Cancel"},
  };
  for (int i = 0; i < 6; ++i) {
    d[i].Type = t[i].type;
    d[i].X1 = t[i].x1;
    d[i].Y1 = t[i].y1;
    d[i].X2 = t[i].x2;
    d[i].Y2 = i == 0 ? 6 : 0;
    d[i].Flags = t[i].flags;
    Copy(d[i].Data, sizeof d[i].Data, t[i].data);
  }
  d[2].Mask = "99:99";
  d[3].Focus = 1;
  d[4].DefaultButton = 1;
  for (int round = 1; round <= 2; ++round) {
    int r = Info.Dialog(Info.ModuleNumber, -1, -1, 34, 8, nullptr, d, 6);
    Log("  Dialog -> %d", r);
    for (int i = 1; i < 6; ++i)
      Log("  item %d X1=%d X2=%d Focus=%d Selected=%d Data=\"%s\"", i, d[i].X1, d[i].X2, d[i].Focus,
          i == 2 ? 0 : d[i].Selected, d[i].Data);
  }
}

void RemoveSelected(Panel* p) {
  PanelInfo pi;
  if (!Info.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi)) return;
  for (int i = 0; i < pi.SelectedItemsNumber; ++i)
    for (size_t k = 0; k < p->entries.size(); ++k)
      if (p->entries[k].name == pi.SelectedItems[i].FindData.cFileName) {
        p->entries.erase(p->entries.begin() + static_cast<long>(k));
        break;
      }
  Info.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr);
  Info.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr);
}

}  // namespace

extern "C" {

void WINAPI SetStartupInfo(const PluginStartupInfo* info) {
  memset(&Info, 0, sizeof Info);
  memcpy(&Info, info, info->StructSize < static_cast<int>(sizeof Info) ? info->StructSize : sizeof Info);
  DWORD n = GetEnvironmentVariableA("TESTPLUGIN_LOG", LogPath, sizeof LogPath);
  if (n == 0 || n >= sizeof LogPath) LogPath[0] = '\0';
  Instances = 0;
  // Sizes differ between the 32-bit and the x64 build; small numbers are the
  // 1.x host's (an int: the x64 host's upper half is padding), large ones the
  // later host's opaque values.
  Log("SetStartupInfo StructSize=%s ModuleNumber=%s",
      info->StructSize == static_cast<int>(sizeof(PluginStartupInfo)) ? "sizeof" : "other",
      static_cast<int>(info->ModuleNumber) > 0 && static_cast<int>(info->ModuleNumber) < 100
          ? std::to_string(static_cast<int>(info->ModuleNumber)).c_str()
          : "opaque");
}

void WINAPI GetPluginInfo(PluginInfo* pi) {
  static const char* disk[1];
  static int diskNumbers[1] = {3};
  static const char* menu[2];
  // Sizes differ between the builds: only their relation to ours is logged.
  Log("GetPluginInfo StructSize=%s", pi->StructSize == 0 ? "0"
                                     : pi->StructSize == static_cast<int>(sizeof *pi) ? "sizeof"
                                                                                      : "full");
  memset(pi, 0, sizeof *pi);
  disk[0] = M(MDisk);
  menu[0] = M(MPlugin);
  menu[1] = M(MControl);
  pi->StructSize = sizeof *pi;
  pi->Flags = 0;
  pi->DiskMenuStrings = disk;
  pi->DiskMenuNumbers = diskNumbers;
  pi->DiskMenuStringsNumber = 1;
  pi->PluginMenuStrings = menu;
  pi->PluginMenuStringsNumber = 2;
  pi->PluginConfigStrings = menu;
  pi->PluginConfigStringsNumber = 1;
  pi->CommandPrefix = "tp";
}

HANDLE WINAPI OpenPlugin(int openFrom, INT_PTR item) {
  bool text = openFrom == OPEN_COMMANDLINE || openFrom == OPEN_SHORTCUT;
  Log("OpenPlugin OpenFrom=%d Item=%s", openFrom,
      text ? (std::string("\"") + reinterpret_cast<const char*>(item) + "\"").c_str() : std::to_string(item).c_str());
  if (openFrom == OPEN_FINDLIST) {
    const char* lines[] = {"Find File", "Show the files here?", "Test panel", "Temporary panel"};
    int r = Info.Message(Info.ModuleNumber, 0, nullptr, lines, 4, 2);
    Log("  Message \"Find File\" -> %d", r);
    if (r == 1) return INVALID_HANDLE_VALUE;
  }
  if (openFrom == OPEN_PLUGINSMENU && item == 1) {
    const char* lines[] = {M(MControl), "No panel today", M(MOk), M(MCancel)};
    Info.Message(Info.ModuleNumber, FMSG_WARNING, "Control", lines, 4, 2);
    return INVALID_HANDLE_VALUE;
  }
  Panel* p = NewDefaultPanel();
  if (openFrom == OPEN_FINDLIST) p->entries.clear();
  if (openFrom == OPEN_COMMANDLINE) {
    p->folder = reinterpret_cast<const char*>(item);
    ListFolder(p);
  }
  Log("  -> #%d", p->number);
  return p;
}

HANDLE WINAPI OpenFilePlugin(char* name, const unsigned char* data, int size) {
  Log("OpenFilePlugin Name=%s DataSize=%d", name ? (std::string("\"") + name + "\"").c_str() : "null", size);
  if (!name || size < 4 || memcmp(data, "TPL\n", 4) != 0) return INVALID_HANDLE_VALUE;
  Panel* p = new Panel;
  Log("  -> #%d", p->number);
  std::string text(reinterpret_cast<const char*>(data) + 4, static_cast<size_t>(size - 4));
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    if (end > pos) p->entries.push_back({text.substr(pos, end - pos), BaseName(name), false});
    pos = end + 1;
  }
  return p;
}

void WINAPI ClosePlugin(HANDLE h) {
  Log("ClosePlugin #%d", static_cast<Panel*>(h)->number);
  delete static_cast<Panel*>(h);
}

void WINAPI ExitFAR() { Log("ExitFAR"); }

int WINAPI Configure(int item) {
  Log("Configure %d", item);
  FarMenuItem items[2];
  memset(items, 0, sizeof items);
  Copy(items[0].Text, sizeof items[0].Text, "Colours");
  Copy(items[1].Text, sizeof items[1].Text, "Sounds");
  int breakKeys[] = {VK_F4, 0};
  int breakCode = -1;
  int chosen = Info.Menu(Info.ModuleNumber, -1, -1, 0, 0, "Settings", nullptr, "Config", breakKeys,
                         &breakCode, items, 2);
  return chosen >= 0 && breakCode < 0;
}

int WINAPI GetFindData(HANDLE h, PluginPanelItem** items, int* count, int opMode) {
  Panel* p = static_cast<Panel*>(h);
  Log("GetFindData #%d OpMode=%d", p->number, opMode);
  if (!p->folder.empty()) ListFolder(p);  // the folder may have changed
  p->items.assign(p->entries.size(), PluginPanelItem());
  p->columns.assign(p->entries.size(), std::vector<char*>());
  for (size_t i = 0; i < p->entries.size(); ++i) {
    Entry& e = p->entries[i];
    PluginPanelItem& it = p->items[i];
    memset(&it, 0, sizeof it);
    Copy(it.FindData.cFileName, sizeof it.FindData.cFileName, e.name);
    it.FindData.dwFileAttributes = e.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    it.FindData.nFileSizeLow = static_cast<DWORD>(100 * (i + 1));
    it.NumberOfLinks = static_cast<DWORD>(i + 1);
    it.Flags = kOwnFlag;
    it.Description = &e.notes[0];
    p->columns[i].push_back(const_cast<char*>(e.directory ? "dir" : "file"));
    it.CustomColumnData = p->columns[i].data();
    it.CustomColumnNumber = 1;
  }
  *items = p->items.empty() ? nullptr : p->items.data();
  *count = static_cast<int>(p->items.size());
  return 1;
}

void WINAPI GetOpenPluginInfo(HANDLE h, OpenPluginInfo* info) {
  Panel* p = static_cast<Panel*>(h);
  Log("GetOpenPluginInfo #%d StructSize=%d", p->number, info->StructSize);
  memset(info, 0, sizeof *info);
  static char types0[] = "N", widths0[] = "0";
  static char types1[] = "LN,NO,Z", widths1[] = "3,0,0";
  static char types2[] = "NOR,C0", widths2[] = "0,5";
  static char types9[] = "LN,N,Z", widths9[] = "3,0,0";
  // An empty field is a column of its own, as the host counts them.
  static char types3[] = "LN,,Z", widths3[] = "3,4,0";
  static char statusTypes[] = "NO,Z", statusWidths[] = "0,0";
  for (PanelMode& m : Modes) {
    m.ColumnTypes = types0;
    m.ColumnWidths = widths0;
  }
  Titles1[0] = const_cast<char*>("#");
  Titles1[1] = const_cast<char*>(M(MColName));
  Titles1[2] = const_cast<char*>(M(MColNotes));
  Modes[1] = {types1, widths1, Titles1, 0, 0, 0, 0, statusTypes, statusWidths, {0, 0}};
  Modes[2] = {types2, widths2, nullptr, 0, 0, 0, 0, nullptr, nullptr, {0, 0}};
  Modes[9] = {types9, widths9, Titles1, 1, 0, 0, 0, nullptr, nullptr, {0, 0}};
  Modes[3] = {types3, widths3, Titles1, 0, 0, 0, 0, nullptr, nullptr, {0, 0}};
  (void)Titles2;
  Keys.Titles[3] = const_cast<char*>(M(MEditKey));
  Keys.Titles[7] = const_cast<char*>("");
  Keys.AltTitles[5] = const_cast<char*>("Tags");
  p->title = std::string(" ") + M(MTitle) + " ";
  p->countText = std::to_string(p->entries.size());
  p->redrawText = std::to_string(p->redraws);
  memset(p->lines, 0, sizeof p->lines);
  Copy(p->lines[0].Text, sizeof p->lines[0].Text, " Test ");
  p->lines[0].Separator = 1;
  Copy(p->lines[1].Text, sizeof p->lines[1].Text, M(MState));
  Copy(p->lines[1].Data, sizeof p->lines[1].Data, p->idles ? "Busy" : M(MIdle));
  Copy(p->lines[2].Text, sizeof p->lines[2].Text, "Items");
  Copy(p->lines[2].Data, sizeof p->lines[2].Data, p->countText);
  info->StructSize = sizeof *info;
  info->Flags = OPIF_ADDDOTS | OPIF_SHOWNAMESONLY | OPIF_USEFILTER | (p->folder.empty() ? 0u : static_cast<DWORD>(OPIF_REALNAMES));
  info->CurDir = "";
  info->Format = "Test";
  info->PanelTitle = p->title.c_str();
  info->InfoLines = p->lines;
  info->InfoLinesNumber = 3;
  info->PanelModesArray = Modes;
  info->PanelModesNumber = 10;
  info->StartPanelMode = '1';
  info->StartSortMode = SM_UNSORTED;
  info->KeyBar = &Keys;
}

int WINAPI PutFiles(HANDLE h, PluginPanelItem* items, int count, int move, int opMode) {
  Panel* p = static_cast<Panel*>(h);
  char cwd[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  std::string folder = n > 0 && n < sizeof cwd ? cwd : "?";
  Log("PutFiles #%d ItemsNumber=%d Move=%d OpMode=%d current folder \"%s\"", p->number, count, move, opMode,
      folder.c_str());
  for (int i = 0; i < count; ++i) {
    bool dir = (items[i].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    Log("  \"%s\" %s flags=0x%lx", items[i].FindData.cFileName, dir ? "directory" : "file",
        static_cast<unsigned long>(items[i].Flags));
    p->entries.push_back({folder + "\\" + items[i].FindData.cFileName, move ? "moved" : "copied", dir});
  }
  return 1;
}

int WINAPI SetFindList(HANDLE h, const PluginPanelItem* items, int count) {
  Panel* p = static_cast<Panel*>(h);
  Log("SetFindList #%d ItemsNumber=%d", p->number, count);
  p->entries.clear();
  for (int i = 0; i < count; ++i) {
    Log("  \"%s\"", items[i].FindData.cFileName);
    p->entries.push_back({items[i].FindData.cFileName, "found", false});
  }
  return 1;
}

int WINAPI ProcessEvent(HANDLE h, int event, void* param) {
  Panel* p = static_cast<Panel*>(h);
  char name[24];
  if (event == FE_CHANGEVIEWMODE)
    Log("ProcessEvent #%d FE_CHANGEVIEWMODE \"%s\"", p->number, param ? static_cast<const char*>(param) : "");
  else
    Log("ProcessEvent #%d %s", p->number, EventName(event, name, sizeof name));
  if (event == FE_REDRAW) ++p->redraws;
  if (event == FE_IDLE) {
    ++p->idles;
    Info.Control(h, FCTL_UPDATEPANEL, reinterpret_cast<void*>(1));
    Info.Control(h, FCTL_REDRAWPANEL, nullptr);
  }
  return 0;
}

int WINAPI ProcessKey(HANDLE h, int key, unsigned int state) {
  Panel* p = static_cast<Panel*>(h);
  Log("ProcessKey #%d 0x%x state=%u", p->number, static_cast<unsigned>(key), state);
  if ((key & PKF_PREPROCESS) || key == kNoKey) return 0;
  // On real names Ctrl+R is left to the host, which lists the panel again.
  if (state == PKF_CONTROL && key == 'R' && p->folder.empty()) return RemoveSelected(p), 1;
  if (state != 0) return 0;
  switch (key) {
    case VK_F2: MenuMove(); return 1;
    case VK_F3: {
      const char* lines[] = {"Play", "Play this song?", M(MOk), M(MCancel)};
      Log("  Message \"Play\" -> %d", Info.Message(Info.ModuleNumber, 0, nullptr, lines, 4, 2));
      return 1;
    }
    case VK_F4: EditDialog(p); return 1;
    case VK_F7: ShowSelected(); return 1;
    case 'W': {
      HANDLE screen = Info.SaveScreen(0, 0, -1, -1);
      const char* lines[] = {"Test", M(MWorking)};
      Log("  Message \"Test\" without buttons -> %d", Info.Message(Info.ModuleNumber, 0, nullptr, lines, 2, 0));
      Info.RestoreScreen(screen);
      return 1;
    }
    case 'U': {
      Info.SaveScreen(0, 0, -1, -1);
      const char* lines[] = {"Test", M(MWorking)};
      Info.Message(Info.ModuleNumber, 0, nullptr, lines, 2, 0);
      return 1;
    }
    case 'L': ShowDirList(p, true); return 1;
    case 'K': ShowDirList(p, false); return 1;
    case 'Q': {
      // Nothing of the instance is touched after the call: the later host has closed it.
      int r = Info.Control(h, FCTL_CLOSEPLUGIN, const_cast<char*>(p->folder.c_str()));
      Log("  Control FCTL_CLOSEPLUGIN -> %d", r);
      return 1;
    }
    case 'X': {
      // Wrong: after FCTL_CLOSEPLUGIN the later host has already closed the instance.
      Info.Control(h, FCTL_CLOSEPLUGIN, nullptr);
      Info.GetMsg(Info.ModuleNumber, MTitle);
      return 1;
    }
    case 'P': LogPanelInfo(); return 1;
    case 'D': ReusedDialog(); return 1;
    case 'N':
      // Wrong: listed again, but the panel is not redrawn.
      p->entries.push_back({"C:\\songs\\new.mp3", "New", false});
      Info.Control(h, FCTL_UPDATEPANEL, nullptr);
      return 1;
    default: return 0;
  }
}

}  // extern "C"
