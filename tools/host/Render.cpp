// Plain-text pictures of what a user would see: panels, key bar, info panel,
// message boxes, dialogs and menus. ASCII frames only, no addresses or
// timings, so tests can compare whole screens.
#include "HostImpl.h"

#include <stdio.h>

#include <algorithm>

namespace farhost {

namespace {

const char* const kDefaultLabels[4][12] = {
    {"Help", "UserMn", "View", "Edit", "Copy", "RenMov", "MkFold", "Delete", "ConfMn", "Quit", "Plugin", "Screen"},
    {"Left", "Right", "Name", "Extens", "Modifn", "Size", "Unsort", "Creatn", "Access", "Descr", "Owner", "Sort"},
    {"Left", "Right", "View", "Edit", "Print", "MkLink", "Find", "Histry", "Video", "Tree", "ViewHs", "FoldHs"},
    {"", "", "", "Edit..", "Copy", "Rename", "", "Delete", "Save", "Last", "Group", "SelUp"},
};

// Frame line: corner, fill with a centered caption, corner.
std::string Edge(int width, const std::string& caption, char fill = '-') {
  if (width < 2) return std::string();
  std::string line(static_cast<size_t>(width), fill);
  line.front() = '+';
  line.back() = '+';
  if (!caption.empty()) {
    // Captions that bring their own padding (" Title ") keep it as given.
    std::string c = (caption.front() == ' ' ? "" : " ") + caption + (caption.back() == ' ' ? "" : " ");
    if (c.size() > static_cast<size_t>(width - 2)) c.resize(static_cast<size_t>(width - 2));
    line.replace((static_cast<size_t>(width) - c.size()) / 2, c.size(), c);
  }
  return line;
}

std::string Fit(const std::string& text, int width, bool right = false, bool keepTail = false) {
  if (width <= 0) return std::string();
  size_t w = static_cast<size_t>(width);
  std::string t = text;
  if (t.size() > w) t = keepTail ? t.substr(t.size() - w) : t.substr(0, w);
  return right ? std::string(w - t.size(), ' ') + t : t + std::string(w - t.size(), ' ');
}

std::string Center(const std::string& text, int width) {
  if (width <= 0) return std::string();
  std::string t = text.substr(0, static_cast<size_t>(width));
  size_t left = (static_cast<size_t>(width) - t.size()) / 2;
  return std::string(left, ' ') + t + std::string(static_cast<size_t>(width) - left - t.size(), ' ');
}

std::string NoAmpersand(const std::string& text) {
  std::string t = text;
  size_t amp = t.find('&');
  if (amp != std::string::npos) t.erase(amp, 1);
  return t;
}

std::vector<int> Widths(const std::string& widthList, size_t columns, int room) {
  std::vector<std::string> texts;
  ModeColumns(widthList, &texts);
  std::vector<int> widths(columns, 0);
  int fixed = 0, shared = 0;
  for (size_t i = 0; i < columns; ++i) {
    widths[i] = i < texts.size() ? atoi(texts[i].c_str()) : 0;
    if (widths[i] > 0) fixed += widths[i]; else ++shared;
  }
  int rest = room - fixed;
  for (size_t i = 0, seen = 0; i < columns; ++i) {
    if (widths[i] > 0) continue;
    ++seen;
    int share = shared > 0 ? rest / shared : 0;
    if (static_cast<int>(seen) == shared) share = rest - share * (shared - 1);  // the last takes the remainder
    widths[i] = std::max(1, share);
  }
  return widths;
}

std::string ColumnTitle(const std::string& type) {
  if (type.empty()) return std::string();
  if (type[0] == 'N') return "Name";
  if (type == "Z") return "Description";
  if (type == "O") return "Owner";
  if (type == "S") return "Size";
  if (type == "LN") return "Links";
  if (type == "D") return "Date";
  if (type == "T") return "Time";
  if (type == "DM") return "Modified";
  return std::string();
}

std::string Cell(const PanelRow& r, const std::string& type, int width, bool namesOnly) {
  if (type.empty()) return Fit("", width);
  if (type[0] == 'N') {
    bool stripPath = namesOnly || type.find('O', 1) != std::string::npos;
    bool tail = type.find('R', 1) != std::string::npos;
    std::string name = stripPath && !r.dots ? BaseName(r.name) : r.name;
    return Fit(name, width, false, tail);
  }
  if (r.dots) return Fit("", width);
  if (type == "Z") return Fit(r.description, width);
  if (type == "O") return Fit(r.owner, width);
  if (type == "S")
    return Fit((r.attributes & FILE_ATTRIBUTE_DIRECTORY) ? std::string("<DIR>") : std::to_string(r.size), width, true);
  if (type == "LN") return Fit(std::to_string(r.numberOfLinks), width, true);
  if (type.size() == 2 && type[0] == 'C' && type[1] >= '0' && type[1] <= '9') {
    size_t k = static_cast<size_t>(type[1] - '0');
    return Fit(k < r.customColumns.size() ? r.customColumns[k] : std::string(), width);
  }
  if (type == "D" || type == "T" || type == "DM") {
    SYSTEMTIME t;
    char text[32] = "";
    if ((r.lastWrite.dwLowDateTime || r.lastWrite.dwHighDateTime) && FileTimeToSystemTime(&r.lastWrite, &t)) {
      if (type == "D") snprintf(text, sizeof text, "%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
      else if (type == "T") snprintf(text, sizeof text, "%02u:%02u", t.wHour, t.wMinute);
      else snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    }
    return Fit(text, width);
  }
  return Fit("", width);
}

// One line of cells separated by '|', framed by '|'.
std::string CellLine(const PanelRow* r, const std::vector<std::string>& types, const std::vector<int>& widths,
                     bool namesOnly) {
  std::string line = "|";
  for (size_t i = 0; i < types.size(); ++i) {
    if (i) line += '|';
    line += r ? Cell(*r, types[i], widths[i], namesOnly) : Fit("", widths[i]);
  }
  return line + "|";
}

}  // namespace

size_t ModeColumns(const std::string& list, std::vector<std::string>* out) {
  out->clear();
  // The host makes one column of every comma-separated field, an empty one
  // too ("LN,,Z" is three columns, the middle one blank); blanks around a
  // field are not part of it. A list of nothing but blanks has no columns.
  if (list.find_first_not_of(" \t") == std::string::npos) return 0;
  size_t pos = 0;
  for (;;) {
    size_t end = list.find(',', pos);
    std::string field = list.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    size_t first = field.find_first_not_of(" \t");
    size_t last = field.find_last_not_of(" \t");
    out->push_back(first == std::string::npos ? std::string() : field.substr(first, last - first + 1));
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return out->size();
}

// --- panels ----------------------------------------------------------------------------

namespace {

// What a panel shows: a plug-in panel what its last redraw painted.
struct Shown {
  const std::vector<PanelRow>* rows;
  int cursor, top;
  const OpenInfoCopy* info;
};

Shown ShownOf(const Panel& p) {
  if (p.kind == Panel::Plugin && p.painted) return {&p.paintedRows, p.paintedCursor, p.paintedTop, &p.paintedInfo};
  static const std::vector<PanelRow> none;
  static const OpenInfoCopy noInfo;
  if (p.kind == Panel::Plugin) return {&none, 0, 0, &noInfo};  // listed, never painted
  return {&p.rows, p.cursor, p.top, &p.info};
}

}  // namespace

std::string Host::RenderTitle(Side side) const {
  const Impl& h = *impl_;
  const Panel& p = h.panels[side == Side::Active ? h.active : 1 - h.active];
  switch (p.kind) {
    case Panel::Plugin: return ShownOf(p).info->title;
    case Panel::Info: return "Information";
    case Panel::QuickView: return "Quick view";
    default: return p.directory;
  }
}

std::string Host::RenderPanel(Side side) const {
  const Impl& h = *impl_;
  const Panel& p = h.panels[side == Side::Active ? h.active : 1 - h.active];
  if (p.kind == Panel::Info) return RenderInfoPanel();
  Shown shown = ShownOf(p);
  const std::vector<PanelRow>& rows = *shown.rows;
  const ModeCopy* mode = nullptr;
  if (p.kind == Panel::Plugin && p.viewMode < static_cast<int>(shown.info->modes.size()))
    mode = &shown.info->modes[static_cast<size_t>(p.viewMode)];
  int width = (mode && mode->fullScreen) ? h.options.screenWidth : h.options.screenWidth / 2;
  std::string prefix = "  ";
  std::string out = prefix + Edge(width, RenderTitle(side)) + "\n";
  if (p.kind == Panel::QuickView) return out + prefix + Edge(width, "") + "\n";

  std::vector<std::string> types, statusTypes;
  ModeColumns(mode ? mode->types : std::string("N,S"), &types);
  if (types.empty()) types.push_back("N");
  std::vector<int> widths = Widths(mode ? mode->widths : std::string("0,10"), types.size(),
                                   width - 2 - static_cast<int>(types.size() - 1));
  bool namesOnly = p.kind == Panel::Plugin && (shown.info->flags & OPIF_SHOWNAMESONLY);

  std::string header = "|";
  for (size_t i = 0; i < types.size(); ++i) {
    if (i) header += '|';
    std::string title = mode && i < mode->titles.size() ? mode->titles[i] : ColumnTitle(types[i]);
    header += Center(title, widths[i]);
  }
  out += prefix + header + "|\n";

  int visible = std::max(1, h.options.screenHeight - 2 - 5);
  int count = static_cast<int>(rows.size());
  int cursorAt = shown.cursor;
  int top = std::max(0, std::min(shown.top, count - 1));
  if (cursorAt < top) top = cursorAt;
  if (cursorAt >= top + visible) top = cursorAt - visible + 1;
  for (int i = top; i < top + visible; ++i) {
    const PanelRow* r = i < count ? &rows[static_cast<size_t>(i)] : nullptr;
    std::string mark = "  ";
    if (r && i == cursorAt) mark[0] = '>';
    if (r && r->selected) mark[1] = '*';
    out += mark + CellLine(r, types, widths, namesOnly) + "\n";
  }
  out += prefix + "|" + std::string(static_cast<size_t>(width - 2), '-') + "|\n";

  // Status line: the item under the cursor in the mode's status columns.
  ModeColumns(mode && !mode->statusTypes.empty() ? mode->statusTypes : std::string("N"), &statusTypes);
  std::vector<int> statusWidths = Widths(mode ? mode->statusWidths : std::string("0"), statusTypes.size(),
                                         width - 2 - static_cast<int>(statusTypes.size() - 1));
  const PanelRow* current = cursorAt < count ? &rows[static_cast<size_t>(cursorAt)] : nullptr;
  out += prefix + CellLine(current, statusTypes, statusWidths, namesOnly) + "\n";

  int selected = 0;
  for (const PanelRow& r : rows) selected += r.selected ? 1 : 0;
  out += prefix + Edge(width, selected ? std::to_string(selected) + " selected" : std::string()) + "\n";
  return out;
}

std::string Host::RenderKeyBar(unsigned state) const {
  const Impl& h = *impl_;
  int group = (state & PKF_CONTROL) ? 1 : (state & PKF_ALT) ? 2 : (state & PKF_SHIFT) ? 3 : 0;
  const Panel& p = h.panels[static_cast<size_t>(h.active)];
  const OpenInfoCopy& info = *ShownOf(p).info;
  std::string line;
  for (int k = 0; k < 12; ++k) {
    std::string label = kDefaultLabels[group][k];
    if (p.kind == Panel::Plugin && info.hasKeyBar && info.keyBar[static_cast<size_t>(group)][static_cast<size_t>(k)].set)
      label = info.keyBar[static_cast<size_t>(group)][static_cast<size_t>(k)].text;
    if (k) line += ' ';
    line += std::to_string(k + 1) + Fit(label, 6);
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line + "\n";
}

std::string Host::RenderInfoPanel() const {
  const Impl& h = *impl_;
  int width = h.options.screenWidth / 2;
  int inner = width - 2;
  std::string out = "  " + Edge(width, "Information") + "\n";
  const Panel* plugin = nullptr;
  for (const Panel& p : h.panels)
    if (p.kind == Panel::Plugin && (!plugin || &p == &h.panels[static_cast<size_t>(h.active)])) plugin = &p;
  if (plugin) {
    for (const InfoPanelLine& line : ShownOf(*plugin).info->infoLines) {
      std::string text(line.Text, strnlen(line.Text, sizeof line.Text));
      std::string data(line.Data, strnlen(line.Data, sizeof line.Data));
      if (line.Separator) {
        std::string edge = Edge(width, text);
        edge.front() = edge.back() = '|';
        out += "  " + edge + "\n";
      } else {
        int room = std::max(0, inner - 2 - static_cast<int>(text.size()));
        out += "  | " + Fit(text + Fit(data, room, true), inner - 2) + " |\n";
      }
    }
  }
  return out + "  " + Edge(width, "") + "\n";
}

std::string Host::RenderVisibleMessages() const {
  std::string out;
  for (const MessageRecord& m : impl_->visibleMessages) out += RenderMessage(m);
  return out;
}

// --- boxes -------------------------------------------------------------------------------

std::string RenderMessage(const MessageRecord& m) {
  std::string buttons;
  for (const std::string& b : m.buttons) buttons += (buttons.empty() ? "[ " : " [ ") + NoAmpersand(b) + " ]";
  size_t inner = std::max(m.title.size() + 4, buttons.size());
  for (const std::string& l : m.lines) inner = std::max(inner, l.size());
  int width = static_cast<int>(inner) + 4;
  std::string out = std::string(m.flags & FMSG_WARNING ? "Warning" : "Message") +
                    (m.fromHost ? " (host)" : "") +
                    (m.helpTopic.empty() ? std::string() : " help " + Quote(m.helpTopic.c_str())) + "\n";
  out += Edge(width, m.title) + "\n";
  for (const std::string& l : m.lines)
    out += "| " + ((m.flags & FMSG_LEFTALIGN) ? Fit(l, width - 4) : Center(l, width - 4)) + " |\n";
  if (!buttons.empty()) out += "| " + Center(buttons, width - 4) + " |\n";
  return out + Edge(width, "") + "\n";
}

std::string RenderDialog(const DialogRecord& d) {
  const int maxSide = 200;
  int w = DialogWidth(d);
  int hgt = std::min(maxSide, std::max(1, d.y1 < 0 ? d.y2 : d.y2 - d.y1 + 1));
  std::vector<std::string> grid(static_cast<size_t>(hgt), std::string(static_cast<size_t>(w), ' '));
  auto put = [&](int x, int y, const std::string& text) {
    if (y < 0 || y >= hgt) return;
    for (size_t i = 0; i < text.size(); ++i) {
      int col = x + static_cast<int>(i);
      if (col >= 0 && col < w) grid[static_cast<size_t>(y)][static_cast<size_t>(col)] = text[i];
    }
  };
  const std::vector<DialogItemState>& items = d.shown;
  std::vector<PlacedItem> placed = PlaceDialogItems(items, w);
  for (size_t i = 0; i < items.size(); ++i) {
    const DialogItemState& it = items[i];
    const PlacedItem& at = placed[i];
    switch (it.type) {
      case DI_SINGLEBOX:
      case DI_DOUBLEBOX: {
        int bw = it.x2 - it.x1 + 1;
        std::string edge = Edge(bw, NoAmpersand(it.data), it.type == DI_DOUBLEBOX ? '=' : '-');
        put(it.x1, it.y1, edge);
        put(it.x1, it.y2, Edge(bw, "", it.type == DI_DOUBLEBOX ? '=' : '-'));
        for (int y = it.y1 + 1; y < it.y2; ++y) {
          put(it.x1, y, "|");
          put(it.x2, y, "|");
        }
        break;
      }
      case DI_TEXT:
        // A separator spans the frame that dialogs draw three columns in from the edge.
        if (it.flags & DIF_SEPARATOR) put(3, it.y1, Edge(w - 6, NoAmpersand(it.data)));
        else put(at.x1, it.y1, at.label);
        break;
      case DI_VTEXT:
        for (size_t k = 0; k < it.data.size(); ++k) put(it.x1, it.y1 + static_cast<int>(k), it.data.substr(k, 1));
        break;
      case DI_EDIT:
      case DI_PSWEDIT:
      case DI_FIXEDIT: {
        int fw = std::max(1, it.x2 - it.x1 + 1);
        std::string t = it.type == DI_PSWEDIT ? std::string(it.data.size(), '*') : at.label;
        if (t.size() > static_cast<size_t>(fw)) t.resize(static_cast<size_t>(fw));
        put(it.x1, it.y1, t + std::string(static_cast<size_t>(fw) - t.size(), '_'));
        break;
      }
      case DI_BUTTON:
      case DI_CHECKBOX:
      case DI_RADIOBUTTON:
        put(at.x1, it.y1, at.label);
        break;
      default:
        break;
    }
  }
  std::string out = "Dialog" + (d.helpTopic.empty() ? std::string() : " help " + Quote(d.helpTopic.c_str())) + "\n";
  for (std::string& line : grid)
    while (!line.empty() && line.back() == ' ') line.pop_back();
  while (!grid.empty() && grid.back().empty()) grid.pop_back();
  for (const std::string& line : grid) out += line + "\n";
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].focus) out += "focus: item " + std::to_string(i) + " " + Quote(NoAmpersand(items[i].data).c_str()) + "\n";
  return out;
}

std::string RenderMenu(const MenuRecord& m) {
  size_t inner = std::max(m.title.size(), m.bottom.size()) + 4;
  for (const MenuRecord::Item& it : m.items) inner = std::max(inner, NoAmpersand(it.text).size() + 4);
  int width = static_cast<int>(inner) + 2;
  std::string out = "Menu" + (m.helpTopic.empty() ? std::string() : " help " + Quote(m.helpTopic.c_str())) + "\n";
  out += Edge(width, m.title) + "\n";
  for (const MenuRecord::Item& it : m.items) {
    if (it.separator) {
      out += "|" + std::string(inner, '-') + "|\n";
      continue;
    }
    std::string line = std::string(it.selected ? ">" : " ") + (it.checked ? "*" : " ") + " " + NoAmpersand(it.text);
    out += "|" + Fit(line, static_cast<int>(inner)) + "|\n";
  }
  return out + Edge(width, m.bottom) + "\n";
}

}  // namespace farhost
