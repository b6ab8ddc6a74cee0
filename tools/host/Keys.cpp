// Keys as the user presses them: what the plug-in hears of each key, and the
// host's own command when the plug-in leaves the key to it.
#include "HostImpl.h"

#include <string.h>

#include <algorithm>

namespace farhost {

namespace {

// The 1.x host's "no key" code; it comes after most keys and before Ctrl and
// Alt combinations, first with PKF_PREPROCESS like every key.
const int kNoKey = 0x1001;
// Enter on a file hands OpenFilePlugin at most this many first bytes.
const DWORD kFileHeadLimit = 128 * 1024;

// Who gets a key: the plug-in twice (notice, then the key), the plug-in only
// as a notice because the host keeps the key, or the host alone.
enum class KeyRoute { Plugin, KeptByHost, HostOnly };

KeyRoute RouteOf(int vk, unsigned state) {
  if (state == PKF_CONTROL && vk == VK_F1) return KeyRoute::HostOnly;
  if (state == 0 && (vk == VK_TAB || vk == VK_F9 || vk == VK_F12)) return KeyRoute::KeptByHost;
  if (state == PKF_ALT && vk == VK_F7) return KeyRoute::KeptByHost;
  if (state == PKF_CONTROL) {
    switch (vk) {
      case 'L': case 'B': case 'O': case 'T': case 'U': case VK_F2:
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        return KeyRoute::KeptByHost;
      default: break;
    }
  }
  return KeyRoute::Plugin;
}

// The code ProcessKey gets: with Options::numpadKeys the navigation keys come
// as the numpad's codes.
int SentCode(int vk, unsigned state, bool numpad) {
  if (!numpad || state != 0) return vk;
  switch (vk) {
    case VK_DOWN: return 0x62;
    case VK_UP: return 0x68;
    case VK_HOME: return 0x67;
    case VK_END: return 0x61;
    case VK_INSERT: return 0x60;
    case VK_DELETE: return 0x109;
    default: return vk;
  }
}

std::string Joined(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
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

// The first bytes of a file, as the host hands them to OpenFilePlugin.
bool ReadHead(const std::string& path, std::vector<unsigned char>* head) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  DWORD want = GetFileSizeEx(file, &size) ? static_cast<DWORD>(std::min<LONGLONG>(size.QuadPart, kFileHeadLimit)) : 0;
  head->assign(want, 0);
  DWORD got = 0;
  if (want > 0 && !ReadFile(file, head->data(), want, &got, nullptr)) got = 0;
  head->resize(got);
  CloseHandle(file);
  return true;
}

}  // namespace

// --- the key flow ------------------------------------------------------------------------

void Host::Impl::NoKey() {
  Panel& panel = ActivePanel();
  HANDLE handle = panel.handle;
  if (panel.kind != Panel::Plugin) return;
  if (!CallProcessKey(panel, kNoKey | static_cast<int>(PKF_PREPROCESS), 0) && IsOpen(panel, handle))
    CallProcessKey(panel, kNoKey, 0);
}

int Host::Impl::Key(int vk, unsigned state, const std::string* moveTarget) {
  if (!Later() && (state & (PKF_CONTROL | PKF_ALT))) NoKey();
  KeyRoute route = RouteOf(vk, state);
  Panel& panel = ActivePanel();
  int handled = 0;
  if (route != KeyRoute::HostOnly && panel.kind == Panel::Plugin) {
    HANDLE handle = panel.handle;
    int code = SentCode(vk, state, options.numpadKeys);
    // A plug-in that acts on the advance notice has taken the key.
    handled = CallProcessKey(panel, code | static_cast<int>(PKF_PREPROCESS), state);
    if (!handled && route == KeyRoute::Plugin && IsOpen(panel, handle))
      handled = CallProcessKey(panel, code, state);
  }
  if (!handled) HostCommand(ActivePanel(), vk, state, moveTarget);
  if (!Later()) NoKey();
  return handled;
}

int Host::PressKey(int vk, unsigned state) { return impl_->Key(vk, state, nullptr); }

int Host::DeleteSelected() {
  impl_->hostHandled = 0;
  impl_->Key(VK_F8, 0, nullptr);
  return impl_->hostHandled;
}

void Host::InterruptNextDirList() { impl_->interruptDirList = true; }

int Host::MoveSelected(const std::string& targetDir) {
  impl_->hostHandled = 0;
  impl_->Key(VK_F6, 0, &targetDir);
  return impl_->hostHandled;
}

void Host::SwitchPanels() { impl_->Key(VK_TAB, 0, nullptr); }

// --- the host's own commands ---------------------------------------------------------------

bool Host::Impl::MoveCursor(Panel& panel, int vk) {
  int last = static_cast<int>(panel.rows.size()) - 1;
  int before = panel.cursor;
  int page = std::max(1, options.screenHeight - 7);
  switch (vk) {
    case VK_UP: panel.cursor = panel.cursor - 1; break;
    case VK_DOWN: panel.cursor = panel.cursor + 1; break;
    case VK_HOME: panel.cursor = 0; break;
    case VK_END: panel.cursor = last; break;
    case VK_PRIOR: panel.cursor = panel.cursor - page; break;
    case VK_NEXT: panel.cursor = panel.cursor + page; break;
    default: return false;
  }
  panel.cursor = std::max(0, std::min(last, panel.cursor));
  return panel.cursor != before;
}

void Host::Impl::SwitchSides() {
  Panel& from = ActivePanel();
  active = 1 - active;
  Panel& to = ActivePanel();
  CallProcessEvent(from, FE_KILLFOCUS, nullptr);
  CallProcessEvent(to, FE_GOTFOCUS, nullptr);
}

void Host::Impl::HostCommand(Panel& panel, int vk, unsigned state, const std::string* moveTarget) {
  if (state == 0 && vk == VK_TAB) return SwitchSides();
  if (state == PKF_CONTROL && vk == 'L') {
    // The information panel on the other side, or back to its folder.
    Panel& other = OtherPanel(panel);
    if (other.kind == Panel::Files) other.kind = Panel::Info;
    else if (other.kind == Panel::Info) other.kind = Panel::Files, ReadDirectory(other);
    return;
  }
  if (panel.kind == Panel::Files) return FilesCommand(panel, vk, state);
  if (panel.kind != Panel::Plugin) return;
  HANDLE handle = panel.handle;
  bool realNames = (panel.info.flags & OPIF_REALNAMES) != 0;
  std::vector<const PanelRow*> targets = Targets(panel);
  const PanelRow* current = panel.cursor >= 0 && static_cast<size_t>(panel.cursor) < panel.rows.size()
                                ? &panel.rows[static_cast<size_t>(panel.cursor)]
                                : nullptr;
  bool onFile = current && !current->dots && !(current->attributes & FILE_ATTRIBUTE_DIRECTORY);
  auto opened = [&](const char* what, const std::string& name) {
    RecordHost(std::string("host opened its ") + what, Quote(name.c_str()));
  };
  if (state == 0) {
    if (MoveCursor(panel, vk)) return RedrawPanel(panel);
    switch (vk) {
      case VK_INSERT:
        if (current && !current->dots) {
          PanelRow& r = panel.rows[static_cast<size_t>(panel.cursor)];
          r.selected = !r.selected;
          for (PanelRow& l : panel.listed)
            if (l.name == r.name) l.selected = r.selected;
        }
        MoveCursor(panel, VK_DOWN);
        RedrawPanel(panel);
        if (Later() && IsOpen(panel, handle)) RedrawPanel(panel);
        return;
      case VK_RETURN:
        if (current && current->dots) return ClosePanelNow(panel, panel.directory);
        if (onFile && realNames) {
          std::string name = current->name;
          if (!EnterFile(name, true) && Later()) RecordHost("host executes", Quote(name.c_str()));
        }
        return;
      case VK_F3: if (realNames && onFile) opened("viewer", current->name); return;
      case VK_F4: if (realNames && onFile) opened("editor", current->name); return;
      case VK_F7: if (realNames) opened("make-folder dialog", panel.info.curDir); return;
      case VK_F5: if (realNames) HostCopy(panel); return;
      case VK_F6:
        if (realNames) {
          Panel& other = OtherPanel(panel);
          if (moveTarget) HostMove(panel, *moveTarget);
          else if (other.kind == Panel::Files) HostMove(panel, other.directory);
        }
        return;
      case VK_F8: if (realNames) HostDelete(panel); return;
      default: return;
    }
  }
  if (state == PKF_CONTROL && vk == 'R') {
    if (ListPanel(panel, true, 2, false)) RedrawPanel(panel);
    return;
  }
  if (state == PKF_CONTROL && vk == VK_PRIOR) return ClosePanelNow(panel, panel.directory);
  if (state == PKF_SHIFT && vk == VK_F1) {
    if (!Later()) return;
    // The later host offers the plug-ins a file without a name here.
    PluginSlot* taker = nullptr;
    HANDLE h = OfferFile(nullptr, nullptr, 0, &taker);
    if (taker) OpenPanel(taker, h, "file", false, true);
    return;
  }
  if (!realNames || targets.empty()) return;
  if (state == PKF_ALT && vk == VK_DELETE) return HostDelete(panel, true);
  if (state == PKF_ALT && vk == VK_F6) return opened("link dialog", targets.front()->name);
  if (state == PKF_SHIFT && vk == VK_F5 && onFile) return opened("copy dialog", current->name);
}

void Host::Impl::FilesCommand(Panel& panel, int vk, unsigned state) {
  if (state != 0) return;
  if (MoveCursor(panel, vk)) return;
  const PanelRow* current = panel.cursor >= 0 && static_cast<size_t>(panel.cursor) < panel.rows.size()
                                ? &panel.rows[static_cast<size_t>(panel.cursor)]
                                : nullptr;
  switch (vk) {
    case VK_INSERT:
      if (current && !current->dots) {
        PanelRow& r = panel.rows[static_cast<size_t>(panel.cursor)];
        r.selected = !r.selected;
      }
      MoveCursor(panel, VK_DOWN);
      return;
    case VK_RETURN: {
      if (!current) return;
      if (current->dots || (current->attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        panel.directory = current->dots ? FolderOf(panel.directory) : Joined(panel.directory, current->name);
        if (panel.directory.size() == 2) panel.directory += "\\";
        panel.rows.clear();
        panel.cursor = 0;
        ReadDirectory(panel);
        return;
      }
      std::string path = Joined(panel.directory, current->name);
      if (!EnterFile(path, false) && Later()) RecordHost("host executes", Quote(path.c_str()));
      return;
    }
    case VK_F5:
    case VK_F6: {
      Panel& other = OtherPanel(panel);
      if (other.kind != Panel::Plugin || !current) return;
      std::vector<PluginPanelItem> items;
      std::vector<const PanelRow*> targets = Targets(panel);
      if (targets.empty() && current->dots) targets.push_back(current);
      for (const PanelRow* r : targets) {
        PluginPanelItem item = {};
        item.FindData.dwFileAttributes = r->attributes;
        item.FindData.ftLastWriteTime = r->lastWrite;
        item.FindData.nFileSizeHigh = static_cast<DWORD>(r->size >> 32);
        item.FindData.nFileSizeLow = static_cast<DWORD>(r->size);
        CopyField(item.FindData.cFileName, sizeof item.FindData.cFileName, r->name);
        item.Flags = r->selected ? static_cast<DWORD>(PPIF_SELECTED) : 0u;
        items.push_back(item);
      }
      PutOntoPanel(other, panel.directory, std::move(items), vk == VK_F6);
      return;
    }
    default:
      return;
  }
}

bool Host::Impl::EnterFile(const std::string& path, bool onTop) {
  std::vector<unsigned char> head;
  if (!ReadHead(path, &head)) {
    Fail("Enter on " + path + ": the file cannot be read");
    return false;
  }
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string name = (n > 0 && n < sizeof full) ? std::string(full) : path;
  PluginSlot* taker = nullptr;
  HANDLE handle = OfferFile(name.c_str(), head.empty() ? nullptr : head.data(), static_cast<int>(head.size()), &taker);
  if (!taker) return false;
  return OpenPanel(taker, handle, "file", false, onTop);
}

bool Host::Impl::HostConfirm(const std::string& title, const std::string& text, const char* button) {
  const char* items[] = {title.c_str(), text.c_str(), button, "Cancel"};
  return Message(0, nullptr, items, 4, 2, true) == 0;
}

void Host::Impl::HostDelete(Panel& panel, bool wipe) {
  std::vector<std::string> names;
  for (const PanelRow* r : Targets(panel)) names.push_back(r->name);
  if (names.empty()) return;
  const char* verb = wipe ? "wipe" : "delete";
  if (!HostConfirm(wipe ? "Wipe" : "Delete",
                   std::string("Do you wish to ") + verb + " " + std::to_string(names.size()) + " item(s)?",
                   wipe ? "Wipe" : "Delete"))
    return;
  for (const std::string& name : names) {
    std::string path = panel.kind == Panel::Files ? Joined(panel.directory, name) : name;
    // A wipe overwrites the file before it deletes it; what the plug-in sees
    // is the same: the file is gone, or stayed where it was.
    bool ok = DeleteFileA(path.c_str()) || (!wipe && RemoveDirectoryA(path.c_str()));
    RecordHost(std::string("host ") + verb, Quote(path.c_str()) + (ok ? "" : " failed"));
    if (ok) ++hostHandled;
  }
  // No key reaches the plug-in before this listing.
  if (ListPanel(panel, false, 2, false)) RedrawPanel(panel);
}

void Host::Impl::HostMove(Panel& panel, const std::string& targetDir) {
  std::vector<std::string> names;
  for (const PanelRow* r : Targets(panel)) names.push_back(r->name);
  if (names.empty()) return;
  // The folder's own name only: printed boxes stay the same wherever the folder is.
  if (!HostConfirm("Rename/Move", "Move " + std::to_string(names.size()) + " item(s) to " + BaseName(targetDir),
                   "Move"))
    return;
  for (const std::string& name : names) {
    std::string from = panel.kind == Panel::Files ? Joined(panel.directory, name) : name;
    std::string to = Joined(targetDir, BaseName(name));
    bool ok = MoveFileA(from.c_str(), to.c_str()) != 0;
    RecordHost("host move", Quote(from.c_str()) + " -> " + Quote(to.c_str()) + (ok ? "" : " failed"));
    if (ok) ++hostHandled;
  }
  if (ListPanel(panel, false, 2, false)) RedrawPanel(panel);
  Panel& other = OtherPanel(panel);
  if (other.kind == Panel::Files) ReadDirectory(other);
}

void Host::Impl::HostCopy(Panel& panel) {
  Panel& other = OtherPanel(panel);
  std::vector<std::string> names;
  for (const PanelRow* r : Targets(panel)) names.push_back(r->name);
  if (names.empty() || other.kind != Panel::Files) return;
  if (!HostConfirm("Copy", "Copy " + std::to_string(names.size()) + " item(s) to " + BaseName(other.directory),
                   "Copy"))
    return;
  for (const std::string& name : names) {
    std::string to = Joined(other.directory, BaseName(name));
    bool ok = CopyFileA(name.c_str(), to.c_str(), TRUE) != 0;
    RecordHost("host copy", Quote(name.c_str()) + " -> " + Quote(to.c_str()) + (ok ? "" : " failed"));
    if (ok) ++hostHandled;
  }
  ReadDirectory(other);
  if (ListPanel(panel, false, 2, false)) RedrawPanel(panel);
}

// --- files put onto the panel ----------------------------------------------------------------

int Host::Impl::PutOntoPanel(Panel& target, const std::string& folder, std::vector<PluginPanelItem> items,
                             bool move) {
  if (target.kind != Panel::Plugin || items.empty()) return 0;
  bool dotsOnly = items.size() == 1 && strcmp(items[0].FindData.cFileName, "..") == 0;
  // ".." goes to the plug-in at once; everything else after the host's dialog.
  if (!dotsOnly && !HostConfirm(move ? "Rename/Move" : "Copy",
                                std::string(move ? "Move " : "Copy ") + std::to_string(items.size()) +
                                    " item(s) to the plug-in panel",
                                move ? "Move" : "Copy"))
    return 0;
  PluginSlot& plugin = *target.plugin;
  HANDLE handle = target.handle;
  int r = 0;
  if (plugin.exports.PutFiles) {
    CurrentFolder inSource(folder);
    Enter(plugin, handle, "PutFiles",
          std::to_string(items.size()) + " items Move=" + std::to_string(move ? 1 : 0) + " OpMode=0");
    r = plugin.exports.PutFiles(handle, items.data(), static_cast<int>(items.size()), move ? 1 : 0, 0);
    Leave();
  }
  // The host leaves moved files where they were: the plug-in took them.
  if (IsOpen(target, handle) && ListPanel(target, true, 2, false)) RedrawPanel(target);
  return r;
}

int Host::CopyToPanel(const std::vector<std::string>& paths, bool move) {
  Impl& h = *impl_;
  Panel* target = h.OtherPanel(h.ActivePanel()).kind == Panel::Plugin ? &h.OtherPanel(h.ActivePanel())
                                                                      : &h.ActivePanel();
  if (target->kind != Panel::Plugin || paths.empty()) {
    h.Fail("CopyToPanel: no plug-in panel to copy onto");
    return 0;
  }
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
    memset(item.FindData.cAlternateFileName, 0, sizeof item.FindData.cAlternateFileName);
    // Several files are the source panel's selection; one is the cursor's.
    item.Flags = paths.size() > 1 ? static_cast<DWORD>(PPIF_SELECTED) : 0u;
    items.push_back(item);
  }
  return h.PutOntoPanel(*target, FolderOf(paths.front()), std::move(items), move);
}

}  // namespace farhost
