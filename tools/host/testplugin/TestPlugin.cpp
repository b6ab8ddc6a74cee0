// A small plug-in for the host emulator's self-tests: a panel of a few items
// (or of the files of a real folder), one dialog, one message, and keys that
// exercise the services whose use the host checks.
//
// Keys: F2 menu that moves the cursor; F3 message with two buttons; F4 edit
// dialog, then a message; F7 message listing the SelectedItems; W wait box
// (balanced); U SaveScreen never restored; L dir list of the folder (freed);
// K dir list never freed; Ctrl+R removes the selected entries; Q closes the
// panel; F8 is left to the host. Every PKF_PREPROCESS notice is ignored.
#include "host/FarApi.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

PluginStartupInfo Info;

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
  Info.Message(Info.ModuleNumber, 0, nullptr, items.data(), static_cast<int>(items.size()), 1);
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
}

void WINAPI GetPluginInfo(PluginInfo* pi) {
  static const char* disk[1];
  static int diskNumbers[1] = {3};
  static const char* menu[2];
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
  return p;
}

HANDLE WINAPI OpenFilePlugin(char* name, const unsigned char* data, int size) {
  if (size < 4 || memcmp(data, "TPL\n", 4) != 0) return INVALID_HANDLE_VALUE;
  Panel* p = new Panel;
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

void WINAPI ClosePlugin(HANDLE h) { delete static_cast<Panel*>(h); }

void WINAPI ExitFAR() {}

int WINAPI Configure(int) {
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

int WINAPI GetFindData(HANDLE h, PluginPanelItem** items, int* count, int) {
  Panel* p = static_cast<Panel*>(h);
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
  static char types0[] = "N", widths0[] = "0";
  static char types1[] = "LN,NO,Z", widths1[] = "3,0,0";
  static char types2[] = "NOR,C0", widths2[] = "0,5";
  static char types9[] = "LN,N,Z", widths9[] = "3,0,0";
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

int WINAPI PutFiles(HANDLE h, PluginPanelItem* items, int count, int move, int) {
  Panel* p = static_cast<Panel*>(h);
  char cwd[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  std::string folder = n > 0 && n < sizeof cwd ? cwd : "?";
  for (int i = 0; i < count; ++i) {
    bool dir = (items[i].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    p->entries.push_back({folder + "\\" + items[i].FindData.cFileName, move ? "moved" : "copied", dir});
  }
  return 1;
}

int WINAPI SetFindList(HANDLE h, const PluginPanelItem* items, int count) {
  Panel* p = static_cast<Panel*>(h);
  p->entries.clear();
  for (int i = 0; i < count; ++i) p->entries.push_back({items[i].FindData.cFileName, "found", false});
  return 1;
}

int WINAPI ProcessEvent(HANDLE h, int event, void*) {
  Panel* p = static_cast<Panel*>(h);
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
  if (key & PKF_PREPROCESS) return 0;
  if (state == PKF_CONTROL && key == 'R') return RemoveSelected(p), 1;
  if (state != 0) return 0;
  switch (key) {
    case VK_F2: MenuMove(); return 1;
    case VK_F3: {
      const char* lines[] = {"Play", "Play this song?", M(MOk), M(MCancel)};
      Info.Message(Info.ModuleNumber, 0, nullptr, lines, 4, 2);
      return 1;
    }
    case VK_F4: EditDialog(p); return 1;
    case VK_F7: ShowSelected(); return 1;
    case 'W': {
      HANDLE screen = Info.SaveScreen(0, 0, -1, -1);
      const char* lines[] = {"Test", M(MWorking)};
      Info.Message(Info.ModuleNumber, 0, nullptr, lines, 2, 0);
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
    case 'Q': Info.Control(h, FCTL_CLOSEPLUGIN, const_cast<char*>(p->folder.c_str())); return 1;
    default: return 0;
  }
}

}  // extern "C"
