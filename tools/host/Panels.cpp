// The two panels: listing, sorting and filtering, the Control service and the
// user flows that drive a plug-in panel.
#include "HostImpl.h"

#include <string.h>

#include <algorithm>
#include <set>

namespace farhost {

namespace {

// Marks ".." so that a plug-in that maps it to a store entry by
// NumberOfLinks picks a real entry and the fault shows in its tests.
const DWORD kDotsNumberOfLinks = 1;
// FCTL_GETCMDLINE's buffer: the size hosts of this ABI document for it.
const size_t kCmdLineBuffer = 1024;
// OpenFilePlugin gets this many first bytes of the file.
const DWORD kFileHeadBytes = 128;

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

PanelRow RowFromItem(const PluginPanelItem& item) {
  PanelRow r;
  const FarFindData& f = item.FindData;
  r.name.assign(f.cFileName, strnlen(f.cFileName, sizeof f.cFileName));
  r.attributes = f.dwFileAttributes;
  r.size = (static_cast<unsigned long long>(f.nFileSizeHigh) << 32) | f.nFileSizeLow;
  r.lastWrite = f.ftLastWriteTime;
  r.numberOfLinks = item.NumberOfLinks;
  r.flags = item.Flags;
  r.selected = (item.Flags & PPIF_SELECTED) != 0;
  r.userData = item.UserData;
  if (item.Description) r.description = item.Description;
  if (item.Owner) r.owner = item.Owner;
  for (int i = 0; item.CustomColumnData && i < item.CustomColumnNumber; ++i)
    r.customColumns.push_back(item.CustomColumnData[i] ? item.CustomColumnData[i] : "");
  return r;
}

PanelRow DotsRow() {
  PanelRow r;
  r.dots = true;
  r.name = "..";
  r.attributes = FILE_ATTRIBUTE_DIRECTORY;
  r.numberOfLinks = kDotsNumberOfLinks;
  return r;
}

bool WildMatch(const char* mask, const char* name) {
  for (; *mask; ++mask, ++name) {
    if (*mask == '*') {
      for (const char* rest = name;; ++rest) {
        if (WildMatch(mask + 1, rest)) return true;
        if (!*rest) return false;
      }
    }
    if (!*name) return false;
    if (*mask != '?' && tolower(static_cast<unsigned char>(*mask)) != tolower(static_cast<unsigned char>(*name)))
      return false;
  }
  return *name == 0;
}

bool MatchesFilter(const std::string& filter, const std::string& name) {
  std::string base = BaseName(name);
  size_t pos = 0;
  while (pos <= filter.size()) {
    size_t end = filter.find_first_of(",;", pos);
    if (end == std::string::npos) end = filter.size();
    std::string mask = filter.substr(pos, end - pos);
    if (!mask.empty() && WildMatch(mask.c_str(), base.c_str())) return true;
    pos = end + 1;
  }
  return false;
}

int CompareText(const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()); }

std::string Extension(const std::string& name) {
  std::string base = BaseName(name);
  size_t dot = base.find_last_of('.');
  return dot == std::string::npos ? std::string() : base.substr(dot + 1);
}

// <0, 0, >0 as rows a and b compare in this sort mode; 0 keeps the given order.
int CompareRows(int mode, const PanelRow& a, const PanelRow& b) {
  switch (mode) {
    case SM_NAME: return CompareText(a.name, b.name);
    case SM_EXT: {
      int c = CompareText(Extension(a.name), Extension(b.name));
      return c ? c : CompareText(a.name, b.name);
    }
    case SM_MTIME: case SM_CTIME: case SM_ATIME:
      return CompareFileTime(&a.lastWrite, &b.lastWrite);
    case SM_SIZE: return a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
    case SM_DESCR: return CompareText(a.description, b.description);
    case SM_OWNER: return CompareText(a.owner, b.owner);
    case SM_NUMLINKS:
      return a.numberOfLinks < b.numberOfLinks ? -1 : a.numberOfLinks > b.numberOfLinks ? 1 : 0;
    default: return 0;  // SM_DEFAULT, SM_UNSORTED: the plug-in's order
  }
}

const char* EventName(int event) {
  switch (event) {
    case FE_CHANGEVIEWMODE: return "FE_CHANGEVIEWMODE";
    case FE_REDRAW: return "FE_REDRAW";
    case FE_IDLE: return "FE_IDLE";
    case FE_CLOSE: return "FE_CLOSE";
  }
  return "event";
}

// Keeps the current folder set for the life of a PutFiles call.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) {
    DWORD n = GetCurrentDirectoryA(sizeof saved_, saved_);
    ok_ = n > 0 && n < sizeof saved_ && SetCurrentDirectoryA(folder.c_str());
  }
  ~CurrentFolder() {
    if (ok_) SetCurrentDirectoryA(saved_);
  }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  char saved_[MAX_PATH] = {};
  bool ok_ = false;
};

}  // namespace

const char* SortName(int mode) {
  static const char* const names[] = {"default", "unsorted", "name", "ext", "mtime", "ctime",
                                      "atime", "size", "descr", "owner", "packed", "links"};
  return mode >= 0 && mode < 12 ? names[mode] : "?";
}

const char* ControlName(int command) {
  static const char* const names[] = {
      "FCTL_CLOSEPLUGIN", "FCTL_GETPANELINFO", "FCTL_GETANOTHERPANELINFO", "FCTL_UPDATEPANEL",
      "FCTL_UPDATEANOTHERPANEL", "FCTL_REDRAWPANEL", "FCTL_REDRAWANOTHERPANEL",
      "FCTL_SETANOTHERPANELDIR", "FCTL_GETCMDLINE", "FCTL_SETCMDLINE", "FCTL_SETSELECTION"};
  return command >= 0 && command <= FCTL_SETSELECTION ? names[command] : "FCTL_?";
}

// --- export calls ---------------------------------------------------------------------

int Host::Impl::CallProcessEvent(Panel& panel, int event, void* param) {
  if (panel.kind != Panel::Plugin || !exports.ProcessEvent) return 0;
  Record(true, "ProcessEvent", EventName(event));
  ++pluginDepth;
  int r = exports.ProcessEvent(panel.handle, event, param);
  LeavePlugin();
  return r;
}

int Host::Impl::CallProcessKey(Panel& panel, int key, unsigned state) {
  if (panel.kind != Panel::Plugin || !exports.ProcessKey) return 0;
  Record(true, "ProcessKey", Hex(static_cast<unsigned>(key)) + " state=" + std::to_string(state));
  ++pluginDepth;
  int r = exports.ProcessKey(panel.handle, key, state);
  LeavePlugin();
  return r;
}

// --- listing --------------------------------------------------------------------------

Panel* Host::Impl::PanelOf(HANDLE hPlugin) {
  if (hPlugin == INVALID_HANDLE_VALUE) return &panels[active];
  for (Panel& p : panels)
    if (p.kind == Panel::Plugin && p.handle == hPlugin) return &p;
  return nullptr;
}

void Host::Impl::ReadOpenInfo(Panel& panel) {
  if (panel.kind != Panel::Plugin || !exports.GetOpenPluginInfo) return;
  OpenPluginInfo opi;
  memset(&opi, 0, sizeof opi);  // StructSize 0: the plug-in sets it
  Record(true, "GetOpenPluginInfo", "");
  ++pluginDepth;
  exports.GetOpenPluginInfo(panel.handle, &opi);
  LeavePlugin();
  OpenInfoCopy c;
  c.structSize = opi.StructSize;
  c.flags = opi.Flags;
  if (opi.CurDir) c.curDir = opi.CurDir;
  if (opi.Format) c.format = opi.Format;
  if (opi.PanelTitle) c.title = opi.PanelTitle;
  for (int i = 0; opi.InfoLines && i < opi.InfoLinesNumber; ++i) c.infoLines.push_back(opi.InfoLines[i]);
  for (int i = 0; opi.PanelModesArray && i < opi.PanelModesNumber; ++i) {
    const PanelMode& m = opi.PanelModesArray[i];
    ModeCopy mc;
    if (m.ColumnTypes) mc.types = m.ColumnTypes;
    if (m.ColumnWidths) mc.widths = m.ColumnWidths;
    if (m.StatusColumnTypes) mc.statusTypes = m.StatusColumnTypes;
    if (m.StatusColumnWidths) mc.statusWidths = m.StatusColumnWidths;
    mc.fullScreen = m.FullScreen != 0;
    std::vector<std::string> columns;
    size_t n = ModeColumns(mc.types, &columns);
    for (size_t k = 0; m.ColumnTitles && k < n; ++k)
      mc.titles.push_back(m.ColumnTitles[k] ? m.ColumnTitles[k] : "");
    c.modes.push_back(mc);
  }
  c.startPanelMode = opi.StartPanelMode;
  c.startSortMode = opi.StartSortMode;
  c.startSortOrder = opi.StartSortOrder;
  if (opi.KeyBar) {
    c.hasKeyBar = true;
    char* const* groups[4] = {opi.KeyBar->Titles, opi.KeyBar->CtrlTitles, opi.KeyBar->AltTitles,
                              opi.KeyBar->ShiftTitles};
    for (int g = 0; g < 4; ++g)
      for (int k = 0; k < 12; ++k)
        if (groups[g][k]) {
          c.keyBar[g][k].set = true;
          c.keyBar[g][k].text = groups[g][k];
        }
  }
  panel.info = std::move(c);
}

void Host::Impl::ReadDirectory(Panel& panel) {
  std::set<std::string> selected;
  for (const PanelRow& r : panel.rows)
    if (r.selected) selected.insert(r.name);
  panel.listed.clear();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((panel.directory + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
      PluginPanelItem item = {};
      CopyFindData(&item.FindData, found);
      PanelRow r = RowFromItem(item);
      r.selected = selected.count(r.name) != 0;
      panel.listed.push_back(r);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  Arrange(panel);
}

void Host::Impl::ListPanel(Panel& panel, bool keepSelection) {
  if (panel.kind == Panel::Files) {
    if (!keepSelection)
      for (PanelRow& r : panel.rows) r.selected = false;
    ReadDirectory(panel);
    return;
  }
  if (panel.kind != Panel::Plugin) return;
  std::set<std::string> selected;
  if (keepSelection)
    for (const PanelRow& r : panel.rows)
      if (r.selected && !r.dots) selected.insert(r.name);
  panel.listed.clear();
  if (exports.GetFindData) {
    PluginPanelItem* items = nullptr;
    int count = 0;
    Record(true, "GetFindData", "");
    ++pluginDepth;
    int ok = exports.GetFindData(panel.handle, &items, &count, 0);
    LeavePlugin();
    if (ok && items && count > 0) {
      // The host reads the plug-in's array in place and keeps its own copies.
      for (int i = 0; i < count; ++i) {
        PanelRow r = RowFromItem(items[i]);
        if (selected.count(r.name)) r.selected = true;
        panel.listed.push_back(r);
      }
    }
    if (!ok) Record(false, "GetFindData failed", "");
  }
  ReadOpenInfo(panel);
  Arrange(panel);
}

void Host::Impl::Arrange(Panel& panel) {
  std::string cursorName;
  bool cursorOnDots = false;
  if (panel.cursor >= 0 && static_cast<size_t>(panel.cursor) < panel.rows.size()) {
    cursorName = panel.rows[static_cast<size_t>(panel.cursor)].name;
    cursorOnDots = panel.rows[static_cast<size_t>(panel.cursor)].dots;
  }
  std::vector<PanelRow> rows;
  bool useFilter = !panel.filter.empty() &&
                   (panel.kind == Panel::Files || (panel.info.flags & OPIF_USEFILTER));
  for (const PanelRow& r : panel.listed)
    if (!useFilter || (r.attributes & FILE_ATTRIBUTE_DIRECTORY) || MatchesFilter(panel.filter, r.name))
      rows.push_back(r);
  int mode = panel.sortMode;
  bool reverse = panel.reverse;
  bool foldersFirst = panel.kind == Panel::Files;
  std::stable_sort(rows.begin(), rows.end(), [&](const PanelRow& a, const PanelRow& b) {
    if (foldersFirst) {
      bool da = (a.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      bool db = (b.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (da != db) return da;
    }
    int c = CompareRows(mode, a, b);
    return reverse ? c > 0 : c < 0;
  });
  bool dots = panel.kind == Panel::Plugin ? (panel.info.flags & OPIF_ADDDOTS) != 0
                                          : panel.directory.size() > 3;
  if (dots) rows.insert(rows.begin(), DotsRow());
  panel.rows = std::move(rows);
  int cursor = -1;
  for (size_t i = 0; i < panel.rows.size() && !cursorName.empty(); ++i)
    if (panel.rows[i].dots == cursorOnDots && panel.rows[i].name == cursorName) cursor = static_cast<int>(i);
  if (cursor < 0) cursor = std::min(panel.cursor, static_cast<int>(panel.rows.size()) - 1);
  panel.cursor = std::max(cursor, 0);
}

void Host::Impl::RedrawPanel(Panel& panel) {
  if (screens.empty()) visibleMessages.clear();
  if (panel.kind != Panel::Plugin) return;
  // The plug-in hears of every redraw first, and may veto it.
  if (CallProcessEvent(panel, FE_REDRAW, nullptr)) return;
  if (panel.kind == Panel::Plugin) ReadOpenInfo(panel);
}

void Host::Impl::ClosePanelNow(Panel& panel, const std::string& dir) {
  panel.closePending = false;
  if (panel.kind != Panel::Plugin) return;
  HANDLE handle = panel.handle;
  panel.kind = Panel::Files;  // first, so nothing reaches the closed instance
  panel.handle = nullptr;
  if (exports.ClosePlugin) {
    Record(true, "ClosePlugin", "");
    ++pluginDepth;
    exports.ClosePlugin(handle);
    LeavePlugin();
  }
  DWORD attributes = dir.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(dir.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    panel.directory = dir;
  panel.sortMode = SM_NAME;
  panel.reverse = false;
  panel.rows.clear();
  panel.cursor = 0;
  panel.info = OpenInfoCopy();
  ReadDirectory(panel);
}

bool Host::Impl::OpenPanel(HANDLE handle, const char* how) {
  Record(false, "opened", std::string(how) + (handle == INVALID_HANDLE_VALUE || !handle ? " -> none" : " -> panel"));
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;
  Panel& panel = ActivePanel();
  if (panel.kind == Panel::Plugin) ClosePanelNow(panel, panel.directory);
  panel.kind = Panel::Plugin;
  panel.handle = handle;
  panel.rows.clear();
  panel.listed.clear();
  panel.cursor = 0;
  panel.top = 0;
  panel.filter.clear();
  panel.sortMode = SM_NAME;
  panel.reverse = false;
  ListPanel(panel, false);
  if (panel.kind != Panel::Plugin) return false;
  const OpenInfoCopy& info = panel.info;
  if (info.startPanelMode >= '0' && info.startPanelMode <= '9') panel.viewMode = info.startPanelMode - '0';
  if (info.startSortMode > 0) {
    panel.sortMode = info.startSortMode;
    panel.reverse = info.startSortOrder != 0;
  }
  Arrange(panel);
  panel.cursor = 0;
  RedrawPanel(panel);
  return panel.kind == Panel::Plugin;
}

// --- Control ----------------------------------------------------------------------------

int Host::Impl::FillPanelInfo(Panel& panel, PanelInfo* info) {
  memset(info, 0, sizeof *info);
  switch (panel.kind) {
    case Panel::Info: info->PanelType = PTYPE_INFOPANEL; break;
    case Panel::QuickView: info->PanelType = PTYPE_QVIEWPANEL; break;
    default: info->PanelType = PTYPE_FILEPANEL; break;
  }
  info->Plugin = panel.kind == Panel::Plugin;
  int half = options.screenWidth / 2;
  bool left = &panel == &panels[0];
  bool full = panel.kind == Panel::Plugin && panel.viewMode < static_cast<int>(panel.info.modes.size()) &&
              panel.info.modes[static_cast<size_t>(panel.viewMode)].fullScreen;
  info->PanelRect.left = full || left ? 0 : half;
  info->PanelRect.right = full || !left ? options.screenWidth - 1 : half - 1;
  info->PanelRect.top = 0;
  info->PanelRect.bottom = options.screenHeight - 3;
  info->Visible = 1;
  info->Focus = &panel == &panels[active];
  info->ViewMode = panel.viewMode;
  info->SortMode = panel.sortMode;
  info->CurrentItem = panel.cursor;
  info->TopPanelItem = panel.top;
  CopyField(info->CurDir, sizeof info->CurDir,
            panel.kind == Panel::Plugin ? panel.info.curDir : panel.kind == Panel::Files ? panel.directory : "");
  if (panel.kind == Panel::Plugin && panel.viewMode < static_cast<int>(panel.info.modes.size())) {
    const ModeCopy& m = panel.info.modes[static_cast<size_t>(panel.viewMode)];
    CopyField(info->ColumnTypes, sizeof info->ColumnTypes, m.types);
    CopyField(info->ColumnWidths, sizeof info->ColumnWidths, m.widths);
  } else {
    CopyField(info->ColumnTypes, sizeof info->ColumnTypes, "N,S,D,T");
    CopyField(info->ColumnWidths, sizeof info->ColumnWidths, "0,10,0,5");
  }
  if (panel.kind == Panel::Info || panel.kind == Panel::QuickView) return 1;

  panel.infoItems.assign(panel.rows.size(), PluginPanelItem());
  panel.infoColumns.assign(panel.rows.size(), std::vector<char*>());
  panel.infoSelected.clear();
  for (size_t i = 0; i < panel.rows.size(); ++i) {
    PanelRow& r = panel.rows[i];
    PluginPanelItem& item = panel.infoItems[i];
    memset(&item, 0, sizeof item);
    item.FindData.dwFileAttributes = r.attributes;
    item.FindData.ftLastWriteTime = r.lastWrite;
    item.FindData.nFileSizeHigh = static_cast<DWORD>(r.size >> 32);
    item.FindData.nFileSizeLow = static_cast<DWORD>(r.size);
    CopyField(item.FindData.cFileName, sizeof item.FindData.cFileName, r.name);
    item.NumberOfLinks = r.numberOfLinks;
    item.Flags = (r.flags & ~PPIF_SELECTED) | (r.selected ? static_cast<DWORD>(PPIF_SELECTED) : 0u);
    item.UserData = r.userData;
    if (!r.dots) {
      item.Description = r.description.empty() ? nullptr : &r.description[0];
      item.Owner = r.owner.empty() ? nullptr : &r.owner[0];
      for (std::string& c : r.customColumns) panel.infoColumns[i].push_back(&c[0]);
      item.CustomColumnNumber = static_cast<int>(r.customColumns.size());
      item.CustomColumnData = panel.infoColumns[i].empty() ? nullptr : panel.infoColumns[i].data();
    }
    if (r.selected) panel.infoSelected.push_back(item);
  }
  if (panel.infoSelected.empty() && panel.cursor >= 0 &&
      static_cast<size_t>(panel.cursor) < panel.rows.size() &&
      !panel.rows[static_cast<size_t>(panel.cursor)].dots) {
    PluginPanelItem current = panel.infoItems[static_cast<size_t>(panel.cursor)];
    current.Flags = 0;
    panel.infoSelected.push_back(current);
  }
  info->PanelItems = panel.infoItems.empty() ? nullptr : panel.infoItems.data();
  info->ItemsNumber = static_cast<int>(panel.infoItems.size());
  info->SelectedItems = panel.infoSelected.empty() ? nullptr : panel.infoSelected.data();
  info->SelectedItemsNumber = static_cast<int>(panel.infoSelected.size());
  return 1;
}

int Host::Impl::SetSelection(Panel& panel, const PanelInfo* info) {
  if (!info || (info->ItemsNumber > 0 && !info->PanelItems)) {
    Fail("FCTL_SETSELECTION without a PanelInfo and its items");
    return 0;
  }
  if (static_cast<size_t>(info->ItemsNumber) != panel.rows.size()) {
    Fail("FCTL_SETSELECTION with " + std::to_string(info->ItemsNumber) + " items; the panel has " +
         std::to_string(panel.rows.size()));
    return 0;
  }
  for (size_t i = 0; i < panel.rows.size(); ++i)
    panel.rows[i].selected = !panel.rows[i].dots && (info->PanelItems[i].Flags & PPIF_SELECTED);
  // The selection lives on in the listed rows, so a later sort keeps it.
  for (PanelRow& l : panel.listed) {
    l.selected = false;
    for (const PanelRow& r : panel.rows)
      if (!r.dots && r.name == l.name && r.selected) l.selected = true;
  }
  return 1;
}

int Host::Impl::Control(HANDLE hPlugin, int command, void* param) {
  std::string detail = ControlName(command);
  if (hPlugin == INVALID_HANDLE_VALUE) detail += " active";
  if (command == FCTL_REDRAWPANEL || command == FCTL_REDRAWANOTHERPANEL) {
    const PanelRedrawInfo* r = static_cast<const PanelRedrawInfo*>(param);
    detail += r ? " CurrentItem=" + std::to_string(r->CurrentItem) + " TopPanelItem=" +
                      std::to_string(r->TopPanelItem)
                : std::string(" null");
  } else if (command == FCTL_UPDATEPANEL || command == FCTL_UPDATEANOTHERPANEL) {
    detail += param ? " keep-selection" : " null";
  } else if ((command == FCTL_CLOSEPLUGIN || command == FCTL_SETANOTHERPANELDIR ||
              command == FCTL_SETCMDLINE)) {
    detail += " " + Quote(static_cast<const char*>(param));
  }
  Record(false, "Control", detail);
  Panel* self = PanelOf(hPlugin);
  if (!self) {
    Fail(std::string("Control ") + ControlName(command) + " with a handle that is no open plug-in panel");
    return 0;
  }
  Panel& other = OtherPanel(*self);
  switch (command) {
    case FCTL_GETPANELINFO:
    case FCTL_GETANOTHERPANELINFO:
      if (!param) {
        Fail(std::string(ControlName(command)) + " without a PanelInfo");
        return 0;
      }
      return FillPanelInfo(command == FCTL_GETPANELINFO ? *self : other, static_cast<PanelInfo*>(param));
    case FCTL_UPDATEPANEL:
    case FCTL_UPDATEANOTHERPANEL:
      ListPanel(command == FCTL_UPDATEPANEL ? *self : other, param != nullptr);
      return 1;
    case FCTL_REDRAWPANEL:
    case FCTL_REDRAWANOTHERPANEL: {
      Panel& target = command == FCTL_REDRAWPANEL ? *self : other;
      if (param) {
        const PanelRedrawInfo* r = static_cast<const PanelRedrawInfo*>(param);
        int last = static_cast<int>(target.rows.size()) - 1;
        target.cursor = std::max(0, std::min(r->CurrentItem, last));
        target.top = std::max(0, std::min(r->TopPanelItem, last));
      }
      RedrawPanel(target);
      return 1;
    }
    case FCTL_SETANOTHERPANELDIR:
      if (!param || other.kind != Panel::Files) return 0;
      other.directory = static_cast<const char*>(param);
      other.rows.clear();
      other.cursor = 0;
      ReadDirectory(other);
      return 1;
    case FCTL_GETCMDLINE:
      if (!param) return 0;
      CopyField(static_cast<char*>(param), kCmdLineBuffer, commandLine);
      return 1;
    case FCTL_SETCMDLINE:
      commandLine = param ? static_cast<const char*>(param) : "";
      return 1;
    case FCTL_SETSELECTION:
      return SetSelection(*self, static_cast<const PanelInfo*>(param));
    case FCTL_CLOSEPLUGIN:
      if (self->kind != Panel::Plugin) return 0;
      self->closePending = true;
      self->closeDir = param ? static_cast<const char*>(param) : self->directory;
      if (pluginDepth == 0) ClosePanelNow(*self, self->closeDir);
      return 1;
    default:
      Fail("Control with unknown command " + std::to_string(command));
      return 0;
  }
}

// --- the host's own file operations -------------------------------------------------

bool Host::Impl::HostConfirm(const std::string& title, const std::string& text, const char* button) {
  const char* items[] = {title.c_str(), text.c_str(), button, "Cancel"};
  return Message(0, nullptr, items, 4, 2, true) == 0;
}

std::vector<const PanelRow*> Host::Impl::Targets(const Panel& panel) const {
  std::vector<const PanelRow*> out;
  for (const PanelRow& r : panel.rows)
    if (r.selected && !r.dots) out.push_back(&r);
  if (out.empty() && panel.cursor >= 0 && static_cast<size_t>(panel.cursor) < panel.rows.size() &&
      !panel.rows[static_cast<size_t>(panel.cursor)].dots)
    out.push_back(&panel.rows[static_cast<size_t>(panel.cursor)]);
  return out;
}

// --- Host: flows ---------------------------------------------------------------------

namespace {

bool PluginInfoOf(Host::Impl& h, PluginInfo* info) {
  memset(info, 0, sizeof *info);
  if (!h.exports.GetPluginInfo) return false;
  h.Record(true, "GetPluginInfo", "");
  ++h.pluginDepth;
  h.exports.GetPluginInfo(info);
  h.LeavePlugin();
  return true;
}

HANDLE CallOpenPlugin(Host::Impl& h, int openFrom, INT_PTR item, const std::string& detail) {
  if (!h.exports.OpenPlugin) {
    h.Fail("the plug-in exports no OpenPlugin");
    return INVALID_HANDLE_VALUE;
  }
  h.Record(true, "OpenPlugin", detail);
  ++h.pluginDepth;
  HANDLE r = h.exports.OpenPlugin(openFrom, item);
  h.LeavePlugin();
  return r;
}

}  // namespace

bool Host::OpenFromDisksMenu(int item) {
  Impl& h = *impl_;
  PluginInfo info;
  if (PluginInfoOf(h, &info) && item >= info.DiskMenuStringsNumber)
    h.Fail("disks menu item " + std::to_string(item) + ": the plug-in offers " +
           std::to_string(info.DiskMenuStringsNumber));
  return h.OpenPanel(CallOpenPlugin(h, OPEN_DISKMENU, item, "OPEN_DISKMENU " + std::to_string(item)),
                     "disks menu");
}

bool Host::OpenFromPluginsMenu(int item) {
  Impl& h = *impl_;
  PluginInfo info;
  if (PluginInfoOf(h, &info) && item >= info.PluginMenuStringsNumber)
    h.Fail("plug-ins menu item " + std::to_string(item) + ": the plug-in offers " +
           std::to_string(info.PluginMenuStringsNumber));
  return h.OpenPanel(CallOpenPlugin(h, OPEN_PLUGINSMENU, item, "OPEN_PLUGINSMENU " + std::to_string(item)),
                     "plug-ins menu");
}

bool Host::OpenFromCommandLine(const std::string& command) {
  Impl& h = *impl_;
  std::vector<char> text(command.begin(), command.end());
  text.push_back('\0');
  return h.OpenPanel(CallOpenPlugin(h, OPEN_COMMANDLINE, reinterpret_cast<INT_PTR>(text.data()),
                                    "OPEN_COMMANDLINE " + Quote(command.c_str())),
                     "command line");
}

bool Host::OpenFromShortcut(const std::string& shortcutData) {
  Impl& h = *impl_;
  std::vector<char> text(shortcutData.begin(), shortcutData.end());
  text.push_back('\0');
  return h.OpenPanel(CallOpenPlugin(h, OPEN_SHORTCUT, reinterpret_cast<INT_PTR>(text.data()),
                                    "OPEN_SHORTCUT " + Quote(shortcutData.c_str())),
                     "shortcut");
}

bool Host::OpenFindList(const std::vector<std::string>& files) {
  Impl& h = *impl_;
  HANDLE handle = CallOpenPlugin(h, OPEN_FINDLIST, 0, "OPEN_FINDLIST");
  if (handle == INVALID_HANDLE_VALUE || !handle) return h.OpenPanel(handle, "find list");
  std::vector<PluginPanelItem> items;
  for (const std::string& path : files) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    FindClose(search);
    PluginPanelItem item = {};
    CopyFindData(&item.FindData, found);
    CopyField(item.FindData.cFileName, sizeof item.FindData.cFileName, path);
    items.push_back(item);
  }
  int ok = 0;
  if (h.exports.SetFindList) {
    h.Record(true, "SetFindList", std::to_string(items.size()) + " items");
    ++h.pluginDepth;
    ok = h.exports.SetFindList(handle, items.empty() ? nullptr : items.data(), static_cast<int>(items.size()));
    h.LeavePlugin();
  }
  if (!ok) {
    // The panel is not shown; the instance is closed again.
    if (h.exports.ClosePlugin) {
      h.Record(true, "ClosePlugin", "");
      ++h.pluginDepth;
      h.exports.ClosePlugin(handle);
      h.LeavePlugin();
    }
    return false;
  }
  return h.OpenPanel(handle, "find list");
}

bool Host::OpenFile(const std::string& path) {
  Impl& h = *impl_;
  unsigned char head[kFileHeadBytes];
  DWORD got = 0;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    h.Fail("OpenFile: cannot read " + path);
    return false;
  }
  if (!ReadFile(file, head, sizeof head, &got, nullptr)) got = 0;
  CloseHandle(file);
  if (!h.exports.OpenFilePlugin) return false;
  char name[MAX_PATH];
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  CopyField(name, sizeof name, (n > 0 && n < sizeof full) ? std::string(full) : path);
  h.Record(true, "OpenFilePlugin", Quote(name) + " " + std::to_string(got) + " bytes");
  ++h.pluginDepth;
  HANDLE handle = h.exports.OpenFilePlugin(name, head, static_cast<int>(got));
  h.LeavePlugin();
  return h.OpenPanel(handle, "file");
}

bool Host::Configure(int item) {
  Impl& h = *impl_;
  if (!h.exports.Configure) return false;
  h.Record(true, "Configure", std::to_string(item));
  ++h.pluginDepth;
  int r = h.exports.Configure(item);
  h.LeavePlugin();
  return r != 0;
}

int Host::PressKey(int vk, unsigned state) {
  Impl& h = *impl_;
  Panel& panel = h.ActivePanel();
  int handled = 0;
  if (panel.kind == Panel::Plugin) {
    if (!h.options.preprocessKeys || !h.CallProcessKey(panel, vk | static_cast<int>(PKF_PREPROCESS), state))
      handled = h.CallProcessKey(panel, vk, state);
  }
  if (!handled && state == 0) {
    int last = static_cast<int>(panel.rows.size()) - 1;
    switch (vk) {
      case VK_UP: panel.cursor = std::max(0, panel.cursor - 1); break;
      case VK_DOWN: panel.cursor = std::max(0, std::min(last, panel.cursor + 1)); break;
      case VK_HOME: panel.cursor = 0; break;
      case VK_END: panel.cursor = std::max(0, last); break;
      case VK_INSERT:
        if (panel.cursor <= last) {
          PanelRow& r = panel.rows[static_cast<size_t>(panel.cursor)];
          if (!r.dots) Select(panel.cursor, !r.selected);
          panel.cursor = std::max(0, std::min(last, panel.cursor + 1));
        }
        break;
      case VK_F8: h.HostDelete(panel); break;
      case VK_F6: {
        Panel& other = h.OtherPanel(panel);
        if (other.kind == Panel::Files) h.HostMove(panel, other.directory);
        break;
      }
      default: break;
    }
  }
  h.RedrawPanel(h.ActivePanel());
  return handled;
}

int Host::DeleteSelected() {
  impl_->hostHandled = 0;
  PressKey(VK_F8, 0);
  return impl_->hostHandled;
}

int Host::MoveSelected(const std::string& targetDir) {
  Impl& h = *impl_;
  h.hostHandled = 0;
  Panel& panel = h.ActivePanel();
  int handled = 0;
  if (panel.kind == Panel::Plugin) {
    if (!h.options.preprocessKeys || !h.CallProcessKey(panel, VK_F6 | static_cast<int>(PKF_PREPROCESS), 0))
      handled = h.CallProcessKey(panel, VK_F6, 0);
  }
  if (!handled) h.HostMove(panel, targetDir);
  h.RedrawPanel(h.ActivePanel());
  return h.hostHandled;
}

void Host::Impl::HostDelete(Panel& panel) {
  if (panel.kind == Panel::Plugin && !(panel.info.flags & OPIF_REALNAMES)) return;
  std::vector<std::string> names;
  for (const PanelRow* r : Targets(panel)) names.push_back(r->name);
  if (names.empty()) return;
  if (!HostConfirm("Delete", "Do you wish to delete " + std::to_string(names.size()) + " item(s)?", "Delete"))
    return;
  for (const std::string& name : names) {
    std::string path = panel.kind == Panel::Files ? panel.directory + "\\" + name : name;
    bool ok = DeleteFileA(path.c_str()) || RemoveDirectoryA(path.c_str());
    Record(false, "host delete", Quote(path.c_str()) + (ok ? "" : " failed"));
    if (ok) ++hostHandled;
  }
  ListPanel(panel, false);
}

void Host::Impl::HostMove(Panel& panel, const std::string& targetDir) {
  if (panel.kind == Panel::Plugin && !(panel.info.flags & OPIF_REALNAMES)) return;
  std::vector<std::string> names;
  for (const PanelRow* r : Targets(panel)) names.push_back(r->name);
  if (names.empty()) return;
  if (!HostConfirm("Rename/Move", "Move " + std::to_string(names.size()) + " item(s) to " + targetDir, "Move"))
    return;
  for (const std::string& name : names) {
    std::string from = panel.kind == Panel::Files ? panel.directory + "\\" + name : name;
    std::string to = targetDir + "\\" + BaseName(name);
    bool ok = MoveFileA(from.c_str(), to.c_str()) != 0;
    Record(false, "host move", Quote(from.c_str()) + " -> " + Quote(to.c_str()) + (ok ? "" : " failed"));
    if (ok) ++hostHandled;
  }
  ListPanel(panel, false);
  Panel& other = OtherPanel(panel);
  if (other.kind == Panel::Files) ReadDirectory(other);
}

int Host::CopyToPanel(const std::vector<std::string>& paths, bool move) {
  Impl& h = *impl_;
  Panel* target = h.OtherPanel(h.ActivePanel()).kind == Panel::Plugin ? &h.OtherPanel(h.ActivePanel())
                                                                      : &h.ActivePanel();
  if (target->kind != Panel::Plugin || paths.empty()) {
    h.Fail("CopyToPanel: no plug-in panel to copy onto");
    return 0;
  }
  if (!h.HostConfirm(move ? "Rename/Move" : "Copy",
                     std::string(move ? "Move " : "Copy ") + std::to_string(paths.size()) +
                         " item(s) to the plug-in panel",
                     move ? "Move" : "Copy"))
    return 0;
  std::vector<PluginPanelItem> items;
  for (const std::string& path : paths) {
    PluginPanelItem item = {};
    std::string name = BaseName(path);
    if (name == "..") {
      item.FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    } else {
      WIN32_FIND_DATAA found;
      HANDLE search = FindFirstFileA(path.c_str(), &found);
      if (search == INVALID_HANDLE_VALUE) {
        h.Fail("CopyToPanel: no file " + path);
        continue;
      }
      FindClose(search);
      CopyFindData(&item.FindData, found);
    }
    CopyField(item.FindData.cFileName, sizeof item.FindData.cFileName, name);
    items.push_back(item);
  }
  int r = 0;
  if (h.exports.PutFiles && !items.empty()) {
    std::string folder = FolderOf(paths.front());
    CurrentFolder inSource(folder);
    h.Record(true, "PutFiles", std::to_string(items.size()) + " items move=" + std::to_string(move ? 1 : 0));
    ++h.pluginDepth;
    r = h.exports.PutFiles(target->handle, items.data(), static_cast<int>(items.size()), move ? 1 : 0, 0);
    h.LeavePlugin();
  }
  h.ListPanel(*target, true);
  h.RedrawPanel(*target);
  return r;
}

void Host::Idle() {
  Impl& h = *impl_;
  for (Panel& p : h.panels) h.CallProcessEvent(p, FE_IDLE, nullptr);
}

void Host::Redraw() {
  Impl& h = *impl_;
  for (Panel& p : h.panels) h.RedrawPanel(p);
}

void Host::Update(bool keepSelection) {
  Impl& h = *impl_;
  h.ListPanel(h.ActivePanel(), keepSelection);
  h.RedrawPanel(h.ActivePanel());
}

void Host::ClosePanel() {
  Impl& h = *impl_;
  h.ClosePanelNow(h.ActivePanel(), h.ActivePanel().directory);
}

void Host::SwitchPanels() { impl_->active = 1 - impl_->active; }

// --- Host: panel state ------------------------------------------------------------------

void Host::SetPassivePanel(const PassivePanel& passive) {
  Impl& h = *impl_;
  Panel& p = h.panels[1 - h.active];
  if (p.kind == Panel::Plugin) h.ClosePanelNow(p, p.directory);
  p.rows.clear();
  p.listed.clear();
  p.cursor = 0;
  switch (passive.kind) {
    case PassivePanel::Files:
      p.kind = Panel::Files;
      if (!passive.directory.empty()) p.directory = passive.directory;
      h.ReadDirectory(p);
      break;
    case PassivePanel::Info: p.kind = Panel::Info; break;
    case PassivePanel::QuickView: p.kind = Panel::QuickView; break;
  }
}

bool Host::IsPluginPanel(Side side) const {
  const Impl& h = *impl_;
  return h.panels[side == Side::Active ? h.active : 1 - h.active].kind == Panel::Plugin;
}

HANDLE Host::PluginHandle(Side side) const {
  const Impl& h = *impl_;
  return h.panels[side == Side::Active ? h.active : 1 - h.active].handle;
}

const std::vector<PanelRow>& Host::Rows(Side side) const {
  const Impl& h = *impl_;
  return h.panels[side == Side::Active ? h.active : 1 - h.active].rows;
}

int Host::Cursor(Side side) const {
  const Impl& h = *impl_;
  return h.panels[side == Side::Active ? h.active : 1 - h.active].cursor;
}

void Host::SetCursor(int index) {
  Impl& h = *impl_;
  Panel& p = h.ActivePanel();
  int last = static_cast<int>(p.rows.size()) - 1;
  p.cursor = std::max(0, std::min(index, last));
  h.RedrawPanel(p);
}

void Host::SetCursorByName(const std::string& name) {
  Impl& h = *impl_;
  const std::vector<PanelRow>& rows = h.ActivePanel().rows;
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].name == name || (!rows[i].dots && BaseName(rows[i].name) == name))
      return SetCursor(static_cast<int>(i));
  h.Fail("SetCursorByName: no item " + Quote(name.c_str()));
}

void Host::Select(int index, bool on) {
  Impl& h = *impl_;
  Panel& p = h.ActivePanel();
  if (index < 0 || static_cast<size_t>(index) >= p.rows.size()) {
    h.Fail("Select: no item " + std::to_string(index));
    return;
  }
  PanelRow& r = p.rows[static_cast<size_t>(index)];
  if (r.dots) return;
  r.selected = on;
  for (PanelRow& l : p.listed)
    if (l.name == r.name) l.selected = on;
}

void Host::SelectAll(bool on) {
  Impl& h = *impl_;
  Panel& p = h.ActivePanel();
  for (size_t i = 0; i < p.rows.size(); ++i) Select(static_cast<int>(i), on);
  h.RedrawPanel(p);
}

void Host::SetSort(int sortMode, bool reverse) {
  Impl& h = *impl_;
  Panel& p = h.ActivePanel();
  p.sortMode = sortMode;
  p.reverse = reverse;
  h.Arrange(p);
  h.RedrawPanel(p);
}

void Host::SetFilter(const std::string& mask) {
  Impl& h = *impl_;
  Panel& p = h.ActivePanel();
  p.filter = mask;
  h.Arrange(p);
  h.RedrawPanel(p);
}

void Host::SetViewMode(int mode) {
  Impl& h = *impl_;
  Panel& p = h.ActivePanel();
  if (mode < 0 || mode > 9) {
    h.Fail("SetViewMode: no mode " + std::to_string(mode));
    return;
  }
  p.viewMode = mode;
  std::string types = mode < static_cast<int>(p.info.modes.size()) ? p.info.modes[static_cast<size_t>(mode)].types
                                                                   : std::string();
  std::vector<char> text(types.begin(), types.end());
  text.push_back('\0');
  h.CallProcessEvent(p, FE_CHANGEVIEWMODE, text.data());
  h.RedrawPanel(p);
}

std::string Host::CommandLine() const { return impl_->commandLine; }

}  // namespace farhost
