// The user flows that drive a plug-in panel, and the panel state a test
// sets and reads.
#include "HostImpl.h"

#include <string.h>

#include <algorithm>

namespace farhost {

namespace {

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

namespace {

// Opens with a text as the OpenPlugin item (command line, shortcut data); the
// text lives in the host's own buffer for the call.
bool OpenWithText(Host::Impl& h, int openFrom, const char* originName, const std::string& value,
                  const char* what) {
  std::vector<char> text(value.begin(), value.end());
  text.push_back('\0');
  return h.OpenPanel(CallOpenPlugin(h, openFrom, reinterpret_cast<INT_PTR>(text.data()),
                                    std::string(originName) + " " + Quote(value.c_str())),
                     what);
}

}  // namespace

bool Host::OpenFromCommandLine(const std::string& command) {
  return OpenWithText(*impl_, OPEN_COMMANDLINE, "OPEN_COMMANDLINE", command, "command line");
}

bool Host::OpenFromShortcut(const std::string& shortcutData) {
  return OpenWithText(*impl_, OPEN_SHORTCUT, "OPEN_SHORTCUT", shortcutData, "shortcut");
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

int Host::Impl::SendKey(Panel& panel, int vk, unsigned state) {
  if (panel.kind != Panel::Plugin) return 0;
  // A plug-in that acts on the advance notice has taken the key.
  if (options.preprocessKeys) {
    int early = CallProcessKey(panel, vk | static_cast<int>(PKF_PREPROCESS), state);
    if (early) return early;
  }
  return CallProcessKey(panel, vk, state);
}

int Host::PressKey(int vk, unsigned state) {
  Impl& h = *impl_;
  Panel& panel = h.ActivePanel();
  int handled = h.SendKey(panel, vk, state);
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
  if (!h.SendKey(panel, VK_F6, 0)) h.HostMove(panel, targetDir);
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
