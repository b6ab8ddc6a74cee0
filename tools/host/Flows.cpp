// The user flows that open a plug-in panel, idle time, and the panel state a
// test sets and reads.
#include "HostImpl.h"

#include <string.h>

#include <algorithm>

namespace farhost {

namespace {

// What the later host announces in GetPluginInfo's StructSize: its own,
// longer record.
const int kLaterPluginInfoSize = kPluginInfoSizes[1];

bool PluginInfoOf(Host::Impl& h, PluginInfo* info) {
  memset(info, 0, sizeof *info);
  PluginSlot& p = h.Primary();
  if (!p.exports.GetPluginInfo) return false;
  // The later host's record is longer than the 1.70 form: room for a
  // plug-in that fills what StructSize announces.
  union {
    PluginInfo record;
    unsigned char bytes[sizeof(PluginInfo) + 16];
  } given;
  // The host's bytes, StructSize 0 from the 1.x host: the plug-in sets it.
  FillWithHostBytes(&given, sizeof given);
  given.record.StructSize = h.Later() ? kLaterPluginInfoSize : 0;
  // The size itself differs between the 32-bit and the x64 host: the log
  // says only whether the host announced its record.
  h.Enter(p, nullptr, "GetPluginInfo", given.record.StructSize ? "StructSize=full" : "StructSize=0");
  p.exports.GetPluginInfo(&given.record);
  h.Leave();
  CheckFilled(h, "GetPluginInfo", &given.record, kPluginInfoFields,
              sizeof kPluginInfoFields / sizeof kPluginInfoFields[0]);
  CheckStructSize(h, "GetPluginInfo", given.record.StructSize, kPluginInfoSizes);
  *info = given.record;
  return true;
}

bool OpenFromMenu(Host::Impl& h, int openFrom, int item, const char* originName, const char* what) {
  PluginSlot& p = h.Primary();
  if (!p.exports.OpenPlugin) {
    h.Fail("the plug-in exports no OpenPlugin");
    return false;
  }
  HANDLE handle = h.CallOpenPlugin(p, openFrom, item, std::string(originName) + " " + std::to_string(item));
  return h.OpenPanel(&p, handle, what, true);
}

// Opens with a text as the OpenPlugin item (command line, shortcut data); the
// text lives in the host's own buffer for the call.
bool OpenWithText(Host::Impl& h, int openFrom, const char* originName, const std::string& value,
                  const char* what) {
  std::vector<char> text(value.begin(), value.end());
  text.push_back('\0');
  PluginSlot& p = h.Primary();
  if (!p.exports.OpenPlugin) {
    h.Fail("the plug-in exports no OpenPlugin");
    return false;
  }
  HANDLE handle = h.CallOpenPlugin(p, openFrom, reinterpret_cast<INT_PTR>(text.data()),
                                   std::string(originName) + " " + Quote(value.c_str()));
  return h.OpenPanel(&p, handle, what, true);
}

}  // namespace

// Each disks-menu or plug-ins-menu choice asks the plug-in for its entries first.
bool Host::OpenFromDisksMenu(int item) {
  Impl& h = *impl_;
  PluginInfo info;
  if (PluginInfoOf(h, &info) && item >= info.DiskMenuStringsNumber)
    h.Fail("disks menu item " + std::to_string(item) + ": the plug-in offers " +
           std::to_string(info.DiskMenuStringsNumber));
  return OpenFromMenu(h, OPEN_DISKMENU, item, "OPEN_DISKMENU", "disks menu");
}

bool Host::OpenFromPluginsMenu(int item) {
  Impl& h = *impl_;
  PluginInfo info;
  if (PluginInfoOf(h, &info) && item >= info.PluginMenuStringsNumber)
    h.Fail("plug-ins menu item " + std::to_string(item) + ": the plug-in offers " +
           std::to_string(info.PluginMenuStringsNumber));
  return OpenFromMenu(h, OPEN_PLUGINSMENU, item, "OPEN_PLUGINSMENU", "plug-ins menu");
}

bool Host::OpenFromCommandLine(const std::string& command) {
  return OpenWithText(*impl_, OPEN_COMMANDLINE, "OPEN_COMMANDLINE", command, "command line");
}

bool Host::OpenFromShortcut(const std::string& shortcutData) {
  return OpenWithText(*impl_, OPEN_SHORTCUT, "OPEN_SHORTCUT", shortcutData, "shortcut");
}

namespace {

bool OpenOutsidePanels(Host::Impl& h, int openFrom, int item, const char* originName) {
  PluginSlot& p = h.Primary();
  if (!p.exports.OpenPlugin) {
    h.Fail("the plug-in exports no OpenPlugin");
    return false;
  }
  HANDLE handle = h.CallOpenPlugin(p, openFrom, item, std::string(originName) + " " + std::to_string(item));
  if (handle == INVALID_HANDLE_VALUE) return true;
  h.Fail(std::string("OpenPlugin ") + originName + " returned a panel handle; no panel opens there");
  if (handle) h.CallClosePlugin(p, handle);
  return false;
}

std::string Joined(const char* const* texts, int count) {
  std::string line;
  for (int i = 0; texts && i < count; ++i) line += std::string(i ? " | " : "") + (texts[i] ? texts[i] : "(null)");
  return line;
}

}  // namespace

bool Host::OpenFromEditor(int item) { return OpenOutsidePanels(*impl_, OPEN_EDITOR, item, "OPEN_EDITOR"); }
bool Host::OpenFromViewer(int item) { return OpenOutsidePanels(*impl_, OPEN_VIEWER, item, "OPEN_VIEWER"); }

std::string Host::RenderPluginInfo() {
  Impl& h = *impl_;
  PluginInfo info;
  if (!PluginInfoOf(h, &info)) return "no GetPluginInfo\n";
  std::string out = "flags";
  static const struct { DWORD flag; const char* name; } flags[] = {
      {PF_PRELOAD, "PF_PRELOAD"}, {PF_DISABLEPANELS, "PF_DISABLEPANELS"}, {PF_EDITOR, "PF_EDITOR"}, {PF_VIEWER, "PF_VIEWER"}};
  for (const auto& f : flags)
    if (info.Flags & f.flag) out += std::string(" ") + f.name;
  out += "\ndisks menu:";
  for (int i = 0; info.DiskMenuStrings && i < info.DiskMenuStringsNumber; ++i) {
    int digit = info.DiskMenuNumbers ? info.DiskMenuNumbers[i] : 0;
    out += std::string(" ") + (digit > 0 && digit <= 9 ? std::to_string(digit) : std::string("-")) + " " +
           (info.DiskMenuStrings[i] ? info.DiskMenuStrings[i] : "(null)");
  }
  out += "\nplug-ins menu: " + Joined(info.PluginMenuStrings, info.PluginMenuStringsNumber);
  out += "\nconfiguration menu: " + Joined(info.PluginConfigStrings, info.PluginConfigStringsNumber);
  out += std::string("\ncommand prefix: ") + (info.CommandPrefix ? info.CommandPrefix : "none") + "\n";
  return out;
}

std::string Host::RenderOpenInfo() const {
  const Impl& h = *impl_;
  const Panel& p = h.panels[static_cast<size_t>(h.active)];
  if (p.kind != Panel::Plugin) return "no plug-in panel\n";
  const OpenInfoCopy& info = p.info;
  std::string out = "flags";
  static const struct { DWORD flag; const char* name; } flags[] = {
      {OPIF_USEFILTER, "USEFILTER"}, {OPIF_USESORTGROUPS, "USESORTGROUPS"}, {OPIF_USEHIGHLIGHTING, "USEHIGHLIGHTING"},
      {OPIF_ADDDOTS, "ADDDOTS"}, {OPIF_RAWSELECTION, "RAWSELECTION"}, {OPIF_REALNAMES, "REALNAMES"},
      {OPIF_SHOWNAMESONLY, "SHOWNAMESONLY"}, {OPIF_USEATTRHIGHLIGHTING, "USEATTRHIGHLIGHTING"}};
  for (const auto& f : flags)
    if (info.flags & f.flag) out += std::string(" ") + f.name;
  out += "\nformat " + Quote(info.format.c_str()) + ", folder " + Quote(info.curDir.c_str()) + ", title " +
         Quote(info.title.c_str());
  std::string startMode = info.startPanelMode >= '0' && info.startPanelMode <= '9'
                              ? std::string(1, static_cast<char>(info.startPanelMode))
                              : std::to_string(info.startPanelMode);
  out += "\nstart view mode " + startMode + ", sort " + SortName(info.startSortMode) +
         (info.startSortOrder ? " reversed" : "") + ", " + std::to_string(info.infoLines.size()) + " info lines, " +
         std::to_string(info.modes.size()) + " view modes\n";
  return out;
}

bool Host::OpenFindList(const std::vector<std::string>& files) {
  Impl& h = *impl_;
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
  // Offered without asking, in load order, to the plug-ins that take lists.
  for (PluginSlot* p : h.InLoadOrder()) {
    if (!p->exports.SetFindList || !p->exports.OpenPlugin) continue;
    HANDLE handle = h.CallOpenPlugin(*p, OPEN_FINDLIST, 0, "OPEN_FINDLIST");
    if (handle == INVALID_HANDLE_VALUE || !handle) continue;
    h.Enter(*p, handle, "SetFindList", std::to_string(items.size()) + " items");
    int ok = p->exports.SetFindList(handle, items.empty() ? nullptr : items.data(), static_cast<int>(items.size()));
    h.Leave();
    if (!ok) {
      // The panel is not shown; the instance is closed again.
      h.CallClosePlugin(*p, handle);
      h.RecordHost("opened", "find list -> none");
      return false;
    }
    return h.OpenPanel(p, handle, "find list", true);
  }
  h.RecordHost("opened", "find list -> none");
  return false;
}

bool Host::OpenFile(const std::string& path) {
  // A panel already on the side makes way only for a plug-in that takes the file.
  return impl_->EnterFile(path, false);
}

bool Host::Configure(int item) {
  Impl& h = *impl_;
  PluginSlot& p = h.Primary();
  if (!p.exports.Configure) return false;
  h.Enter(p, nullptr, "Configure", std::to_string(item));
  int r = p.exports.Configure(item);
  h.Leave();
  return r != 0;
}

void Host::Idle() {
  Impl& h = *impl_;
  if (h.Later()) return;  // the later host never sends FE_IDLE
  for (Panel& p : h.panels) h.CallProcessEvent(p, FE_IDLE, nullptr);
}

void Host::Wait(int seconds) {
  for (int i = 0; i < seconds; ++i) {
    Sleep(1000);
    Idle();
  }
}

void Host::Redraw() {
  Impl& h = *impl_;
  for (Panel& p : h.panels) h.RedrawPanel(p);
}

void Host::Update(bool keepSelection) {
  Impl& h = *impl_;
  if (h.ListPanel(h.ActivePanel(), keepSelection)) h.RedrawPanel(h.ActivePanel());
}

void Host::ClosePanel() {
  Impl& h = *impl_;
  h.ClosePanelNow(h.ActivePanel(), h.ActivePanel().directory);
}

// --- Host: panel state ------------------------------------------------------------------

void Host::SetPassivePanel(const PassivePanel& passive) {
  Impl& h = *impl_;
  Panel& p = h.panels[1 - h.active];
  while (p.kind == Panel::Plugin && !p.closing) h.ClosePanelNow(p, p.directory, true);
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
