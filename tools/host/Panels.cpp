// The two panels: listing, sorting and filtering, and the Control service.
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
std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

bool Host::Impl::ListPanel(Panel& panel, bool keepSelection) {
  if (panel.kind == Panel::Files) {
    if (!keepSelection)
      for (PanelRow& r : panel.rows) r.selected = false;
    ReadDirectory(panel);
    return true;
  }
  if (panel.kind != Panel::Plugin) return true;
  int ok = 1;
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
    ok = exports.GetFindData(panel.handle, &items, &count, 0);
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
  return ok != 0;
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
  if (!ListPanel(panel, false)) {
    // A panel whose first listing fails is not shown.
    ClosePanelNow(panel, panel.directory);
    return false;
  }
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
  panel.infoTexts.clear();
  auto Keep = [&panel](const std::string& text) {
    panel.infoTexts.push_back(text);
    return &panel.infoTexts.back()[0];
  };
  for (size_t i = 0; i < panel.rows.size(); ++i) {
    const PanelRow& r = panel.rows[i];
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
      item.Description = r.description.empty() ? nullptr : Keep(r.description);
      item.Owner = r.owner.empty() ? nullptr : Keep(r.owner);
      for (const std::string& c : r.customColumns) panel.infoColumns[i].push_back(Keep(c));
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
      {
        Panel& target = command == FCTL_GETPANELINFO ? *self : other;
        ReadOpenInfo(target);  // hosts ask the plug-in afresh for every panel info
        return FillPanelInfo(target, static_cast<PanelInfo*>(param));
      }
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

}  // namespace farhost
