// The two panels: listing, sorting and filtering, and the Control service.
#include "HostImpl.h"

#include <string.h>

#include <algorithm>
#include <set>

namespace farhost {

namespace {

// FCTL_GETCMDLINE's buffer: the size hosts of this ABI document for it.
const size_t kCmdLineBuffer = 1024;
// GetOpenPluginInfo calls per redraw: the 1.x host makes 3, the later 4 or 5.
const int kRedrawInfoCalls = 3;
const int kLaterRedrawInfoCalls = 4;
// Before the first GetFindData of a new panel both hosts ask 7 times.
const int kOpeningInfoCalls = 7;
// FE_REDRAW events of one panel nested this deep mean the plug-in redraws
// from its own redraw event without end.
const int kRedrawNesting = 4;
// PanelInfo.Flags bits as the 1.x host sets them (0xa1 was recorded for a
// left plug-in panel with real names).
const DWORD kPanelShowsHidden = 0x01;
const DWORD kPanelReverseSort = 0x04;
const DWORD kPanelRealNames = 0x20;
const DWORD kPanelLeft = 0x80;
// The later host's events around every listing.
const int kEventBeforeListing = 9;
const int kEventAfterListing = 10;

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

PanelRow DotsRow(DWORD numberOfLinks) {
  PanelRow r;
  r.dots = true;
  r.name = "..";
  r.attributes = FILE_ATTRIBUTE_DIRECTORY;
  r.numberOfLinks = numberOfLinks;
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

}  // namespace

void FillWithHostBytes(void* record, size_t size) { memset(record, kHostByte, size); }

bool LeftAsHostBytes(const void* field, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(field);
  for (size_t i = 0; i < size; ++i)
    if (bytes[i] != kHostByte) return false;
  return size > 0;
}

void CheckFilled(Host::Impl& h, const char* call, void* record, const RecordField* fields, size_t count) {
  unsigned char* bytes = static_cast<unsigned char*>(record);
  for (size_t i = 0; i < count; ++i) {
    if (!LeftAsHostBytes(bytes + fields[i].offset, fields[i].size)) continue;
    h.Fail(std::string(call) + " left " + fields[i].name + " as the host's bytes");
    // Read as none from here on: the host would have followed garbage.
    memset(bytes + fields[i].offset, 0, fields[i].size);
  }
}

void CheckStructSize(Host::Impl& h, const char* call, int size, const int (&sizes)[2]) {
  if (size == sizes[0] || size == sizes[1]) return;
  h.Fail(std::string(call) + ": StructSize " + std::to_string(size) + " is no record this host knows (" +
         std::to_string(sizes[0]) + " or " + std::to_string(sizes[1]) + ")");
}

const char* SortName(int mode) {
  static const char* const names[] = {"default", "unsorted", "name", "ext", "mtime", "ctime",
                                      "atime", "size", "descr", "owner", "packed", "links"};
  return mode >= 0 && mode < 12 ? names[mode] : "?";
}

std::string EventName(int event) {
  static const char* const names[] = {"FE_CHANGEVIEWMODE", "FE_REDRAW", "FE_IDLE", "FE_CLOSE",
                                      "FE_BREAK", "FE_COMMAND", "FE_GOTFOCUS", "FE_KILLFOCUS"};
  return event >= 0 && event <= FE_KILLFOCUS ? names[event] : "event " + std::to_string(event);
}

namespace {

// One part of an 8.3 name: upper case, without the characters it cannot hold.
std::string ShortPart(const std::string& part) {
  std::string out;
  for (char c : part)
    if (!strchr(" .+,;=[]", c)) out += static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::string ShortName(const std::string& name) {
  std::string base = BaseName(name);
  size_t dot = base.find_last_of('.');
  bool hasExt = dot != std::string::npos && dot > 0;
  std::string stem = ShortPart(hasExt ? base.substr(0, dot) : base);
  std::string ext = hasExt ? ShortPart(base.substr(dot + 1)) : std::string();
  std::string upper;
  for (char c : base) upper += static_cast<char>(toupper(static_cast<unsigned char>(c)));
  bool fits = !stem.empty() && stem.size() <= 8 && ext.size() <= 3 && upper == stem + (hasExt ? "." + ext : "");
  if (!fits) stem = stem.substr(0, 6) + "~1";
  if (ext.size() > 3) ext.resize(3);
  return ext.empty() ? stem : stem + "." + ext;
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
  if (panel.kind != Panel::Plugin || !panel.plugin->exports.ProcessEvent) return 0;
  PluginSlot& plugin = *panel.plugin;
  HANDLE handle = panel.handle;
  std::string detail = EventName(event);
  if (event == FE_CHANGEVIEWMODE) detail += " " + Quote(static_cast<const char*>(param));
  Enter(plugin, handle, "ProcessEvent", detail);
  int r = plugin.exports.ProcessEvent(handle, event, param);
  Leave();
  return r;
}

int Host::Impl::CallProcessKey(Panel& panel, int key, unsigned state) {
  if (panel.kind != Panel::Plugin || !panel.plugin->exports.ProcessKey) return 0;
  PluginSlot& plugin = *panel.plugin;
  HANDLE handle = panel.handle;
  Enter(plugin, handle, "ProcessKey", Hex(static_cast<unsigned>(key)) + " state=" + std::to_string(state));
  int r = plugin.exports.ProcessKey(handle, key, state);
  Leave();
  return r;
}

void Host::Impl::CallClosePlugin(PluginSlot& plugin, HANDLE handle) {
  if (plugin.exports.ClosePlugin) {
    Enter(plugin, handle, "ClosePlugin", "");
    plugin.exports.ClosePlugin(handle);
    Leave();
  }
  plugin.closed.insert(handle);
}

HANDLE Host::Impl::CallOpenPlugin(PluginSlot& plugin, int openFrom, INT_PTR item, const std::string& detail) {
  if (!plugin.exports.OpenPlugin) return INVALID_HANDLE_VALUE;
  Enter(plugin, nullptr, "OpenPlugin", detail);
  HANDLE r = plugin.exports.OpenPlugin(openFrom, item);
  Leave();
  if (r && r != INVALID_HANDLE_VALUE) plugin.closed.erase(r);
  return r;
}

HANDLE Host::Impl::OfferFile(const char* name, const unsigned char* data, int size, PluginSlot** taker) {
  std::vector<char> buffer;
  if (name) buffer.assign(name, name + strlen(name) + 1);
  for (PluginSlot* p : InLoadOrder()) {
    if (!p->exports.OpenFilePlugin) continue;
    Enter(*p, nullptr, "OpenFilePlugin", Quote(name) + " " + std::to_string(size) + " bytes");
    // The plug-in may write into the name; it gets the host's own copy.
    HANDLE r = p->exports.OpenFilePlugin(name ? buffer.data() : nullptr, data, size);
    Leave();
    if (r && r != INVALID_HANDLE_VALUE) {
      p->closed.erase(r);
      *taker = p;
      return r;
    }
    if (name) buffer.assign(name, name + strlen(name) + 1);
  }
  *taker = nullptr;
  return INVALID_HANDLE_VALUE;
}

// --- listing --------------------------------------------------------------------------

Panel* Host::Impl::PanelOf(HANDLE hPlugin) {
  if (hPlugin == INVALID_HANDLE_VALUE || (hPlugin == nullptr && Later())) return &panels[active];
  for (Panel& p : panels)
    if (p.kind == Panel::Plugin && p.handle == hPlugin) return &p;
  return nullptr;
}

void Host::Impl::ReadOpenInfo(Panel& panel) {
  if (panel.kind != Panel::Plugin || !panel.plugin->exports.GetOpenPluginInfo) return;
  PluginSlot& plugin = *panel.plugin;
  HANDLE handle = panel.handle;
  OpenPluginInfo opi;
  // The record holds whatever the host's memory held (StructSize 0): a field
  // the plug-in leaves alone is garbage to the host.
  FillWithHostBytes(&opi, sizeof opi);
  opi.StructSize = 0;
  Enter(plugin, handle, "GetOpenPluginInfo", "");
  plugin.exports.GetOpenPluginInfo(handle, &opi);
  Leave();
  if (!IsOpen(panel, handle)) return;
  CheckFilled(*this, "GetOpenPluginInfo", &opi, kOpenInfoFields,
              sizeof kOpenInfoFields / sizeof kOpenInfoFields[0]);
  CheckStructSize(*this, "GetOpenPluginInfo", opi.StructSize, kOpenPluginInfoSizes);
  OpenInfoCopy c;
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

bool Host::Impl::ListPanel(Panel& panel, bool keepSelection, int infoBefore, bool infoAfter) {
  if (panel.kind == Panel::Files) {
    if (!keepSelection)
      for (PanelRow& r : panel.rows) r.selected = false;
    ReadDirectory(panel);
    return true;
  }
  if (panel.kind != Panel::Plugin) return true;
  PluginSlot& plugin = *panel.plugin;
  HANDLE handle = panel.handle;
  std::set<std::string> selected;
  if (keepSelection)
    for (const PanelRow& r : panel.rows)
      if (r.selected && !r.dots) selected.insert(r.name);
  if (Later()) CallProcessEvent(panel, kEventBeforeListing, nullptr);
  for (int i = 0; i < infoBefore && IsOpen(panel, handle); ++i) ReadOpenInfo(panel);
  if (!IsOpen(panel, handle)) return false;
  int ok = 1;
  if (plugin.exports.GetFindData) {
    PluginPanelItem* items = nullptr;
    int count = 0;
    Enter(plugin, handle, "GetFindData", "OpMode=0");
    ok = plugin.exports.GetFindData(handle, &items, &count, 0);
    Leave();
    // An instance closed meanwhile has freed its items.
    if (!IsOpen(panel, handle)) return false;
    panel.listed.clear();
    if (ok && items && count > 0) {
      // The host reads the plug-in's array in place and keeps its own copies.
      for (int i = 0; i < count; ++i) {
        PanelRow r = RowFromItem(items[i]);
        if (selected.count(r.name)) r.selected = true;
        panel.listed.push_back(r);
      }
    }
    if (!ok) RecordHost("GetFindData failed", "");
  } else {
    panel.listed.clear();
  }
  if (infoAfter) ReadOpenInfo(panel);
  if (Later() && IsOpen(panel, handle)) CallProcessEvent(panel, kEventAfterListing, nullptr);
  if (!IsOpen(panel, handle)) return false;
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
  if (dots) rows.insert(rows.begin(), DotsRow(options.dotsNumberOfLinks));
  panel.rows = std::move(rows);
  int cursor = -1;
  for (size_t i = 0; i < panel.rows.size() && !cursorName.empty(); ++i)
    if (panel.rows[i].dots == cursorOnDots && panel.rows[i].name == cursorName) cursor = static_cast<int>(i);
  if (cursor < 0) cursor = std::min(panel.cursor, static_cast<int>(panel.rows.size()) - 1);
  panel.cursor = std::max(cursor, 0);
}

void Host::Impl::Paint(Panel& panel) {
  panel.painted = true;
  panel.paintedRows = panel.rows;
  panel.paintedCursor = panel.cursor;
  panel.paintedTop = panel.top;
  panel.paintedInfo = panel.info;
}

void Host::Impl::RedrawPanel(Panel& panel) {
  if (screens.empty()) visibleMessages.clear();
  if (panel.kind == Panel::Info) return RedrawInfoPanel(panel);
  if (panel.kind != Panel::Plugin) return;
  HANDLE handle = panel.handle;
  int nesting = 0;
  for (const Frame& f : frames)
    if (f.handle == handle && f.call == "ProcessEvent FE_REDRAW") ++nesting;
  if (nesting >= kRedrawNesting) {
    Fail("FE_REDRAW nested " + std::to_string(nesting) +
         " deep: the plug-in redraws its panel from its own redraw event");
    return;
  }
  // The plug-in hears of every redraw first; non-zero: it drew the panel itself.
  if (CallProcessEvent(panel, FE_REDRAW, nullptr) || !IsOpen(panel, handle)) return;
  int calls = Later() ? kLaterRedrawInfoCalls : kRedrawInfoCalls;
  for (int i = 0; i < calls && IsOpen(panel, handle); ++i) ReadOpenInfo(panel);
  if (IsOpen(panel, handle)) Paint(panel);
}

void Host::Impl::RedrawInfoPanel(Panel& panel) {
  // The information panel shows the lines of the plug-in panel beside it,
  // asked for afresh whenever it is drawn.
  Panel& other = OtherPanel(panel);
  if (other.kind != Panel::Plugin || !other.painted) return;
  HANDLE handle = other.handle;
  ReadOpenInfo(other);
  if (IsOpen(other, handle)) other.paintedInfo.infoLines = other.info.infoLines;
}

void Host::Impl::ClosePanelNow(Panel& panel, const std::string& dir, bool quitting) {
  panel.closePending = false;
  if (panel.kind != Panel::Plugin || panel.closing) return;
  PluginSlot& plugin = *panel.plugin;
  HANDLE handle = panel.handle;
  panel.closing = true;
  CallProcessEvent(panel, FE_CLOSE, nullptr);
  if (!IsOpen(panel, handle)) return;
  // The side forgets the instance first, so nothing reaches it any more; calls
  // under way in it are flagged, so what it does after the close shows.
  std::vector<Panel> below = std::move(panel.below);
  panel.below.clear();
  panel.kind = Panel::Files;
  panel.plugin = nullptr;
  panel.handle = nullptr;
  panel.closing = false;
  for (Frame& f : frames)
    if (f.plugin == &plugin && f.handle == handle) f.closed = true;
  CallClosePlugin(plugin, handle);
  if (!below.empty()) {
    // Back to the plug-in panel this one was opened on.
    Panel restored = std::move(below.back());
    below.pop_back();
    restored.below = std::move(below);
    panel = std::move(restored);
    if (!quitting && ListPanel(panel, true)) RedrawPanel(panel);
    return;
  }
  DWORD attributes = dir.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(dir.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    panel.directory = dir;
  panel.sortMode = SM_NAME;
  panel.reverse = false;
  panel.rows.clear();
  panel.cursor = 0;
  panel.top = 0;
  panel.info = OpenInfoCopy();
  panel.painted = false;
  ReadDirectory(panel);
}

bool Host::Impl::OpenPanel(PluginSlot* plugin, HANDLE handle, const char* how, bool gotFocus, bool onTop) {
  bool valid = plugin && handle != INVALID_HANDLE_VALUE && handle != nullptr;
  RecordHost("opened", std::string(how) + (valid ? " -> panel" : " -> none"));
  if (!valid) return false;
  Panel& panel = ActivePanel();
  if (onTop && panel.kind == Panel::Plugin) {
    Panel old = std::move(panel);
    panel = Panel();
    panel.directory = old.directory;
    panel.viewMode = old.viewMode;
    panel.below = std::move(old.below);
    old.below.clear();
    panel.below.push_back(std::move(old));
  }
  while (panel.kind == Panel::Plugin) ClosePanelNow(panel, panel.directory, true);
  panel.kind = Panel::Plugin;
  panel.plugin = plugin;
  panel.handle = handle;
  panel.rows.clear();
  panel.listed.clear();
  panel.cursor = 0;
  panel.top = 0;
  panel.filter.clear();
  panel.sortMode = SM_NAME;
  panel.reverse = false;
  panel.info = OpenInfoCopy();
  panel.painted = false;
  if (gotFocus) CallProcessEvent(panel, FE_GOTFOCUS, nullptr);
  if (!IsOpen(panel, handle)) return false;
  if (!ListPanel(panel, false, kOpeningInfoCalls, false)) {
    // A panel whose first listing fails is not shown.
    if (IsOpen(panel, handle)) ClosePanelNow(panel, panel.directory);
    return false;
  }
  const OpenInfoCopy& info = panel.info;
  if (info.startPanelMode >= '0' && info.startPanelMode <= '9') panel.viewMode = info.startPanelMode - '0';
  if (info.startSortMode > 0) {
    panel.sortMode = info.startSortMode;
    panel.reverse = info.startSortOrder != 0;
  }
  Arrange(panel);
  panel.cursor = 0;
  RedrawPanel(panel);
  if (IsOpen(panel, handle)) RedrawPanel(panel);
  return IsOpen(panel, handle);
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
  bool realNames = panel.kind == Panel::Files || (panel.kind == Panel::Plugin && (panel.info.flags & OPIF_REALNAMES));
  info->Flags = kPanelShowsHidden | (panel.reverse ? kPanelReverseSort : 0u) | (realNames ? kPanelRealNames : 0u) |
                (left ? kPanelLeft : 0u);
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
      // The host makes its own short name; the plug-in's is not kept.
      CopyField(item.FindData.cAlternateFileName, sizeof item.FindData.cAlternateFileName, ShortName(r.name));
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
    // The cursor item stands in for the selection: 1.x clears its flags, the
    // later host keeps them (without PPIF_SELECTED).
    current.Flags = Later() ? (current.Flags & ~PPIF_SELECTED) : 0u;
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
  if (hPlugin && hPlugin != INVALID_HANDLE_VALUE && Caller().closed.count(hPlugin)) {
    Fail(std::string("Control ") + ControlName(command) + " with the handle of an instance that ClosePlugin closed");
    return 0;
  }
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
      // Listed again, not repainted: the panel shows the change after a redraw.
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
      if (self->closing) return 1;
      self->closeDir = param ? static_cast<const char*>(param) : self->directory;
      if (Later() || frames.empty()) {
        // The later host closes the instance inside this very call.
        ClosePanelNow(*self, self->closeDir);
      } else {
        self->closePending = true;
      }
      return 1;
    default:
      Fail("Control with unknown command " + std::to_string(command));
      return 0;
  }
}

// --- the host's own file operations --------------------------------------------------

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
