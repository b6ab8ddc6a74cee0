// Message boxes, dialogs and menus: answered from the script queue, written
// back into the plug-in's items as the real host does, and followed by the
// redraw of the panels behind them.
#include "HostImpl.h"

#include <string.h>

#include <algorithm>

namespace farhost {

namespace {

// The 1.x host's flag for a DI_FIXEDIT whose union field holds an input mask.
const DWORD kMaskEditFlag = 0x01000000;
// Dialogs wider than this are printed cut.
const int kMaxDialogSide = 200;

bool IsEdit(int type) { return type == DI_EDIT || type == DI_PSWEDIT || type == DI_FIXEDIT; }

// An answer fits a dialog whose items it names: its button, its edit
// fields and its check boxes exist there.
bool DialogAnswerFits(const DialogAnswer& answer, const FarDialogItem* item, int itemsNumber) {
  auto within = [itemsNumber](int index) { return index >= 0 && index < itemsNumber; };
  if (answer.button >= itemsNumber) return false;
  for (const auto& t : answer.typed)
    if (!within(t.first) || !IsEdit(item[t.first].Type)) return false;
  for (const auto& c : answer.checks)
    if (!within(c.first)) return false;
  for (int toggle : answer.toggles)
    if (!within(toggle)) return false;
  return true;
}

bool TakesFocus(int type) {
  return IsEdit(type) || type == DI_BUTTON || type == DI_CHECKBOX || type == DI_RADIOBUTTON;
}

// Mask characters that stand for one typed character; every other mask
// character is shown as it is.
bool IsMaskPlaceholder(char c) { return c == '9' || c == 'N' || c == 'A' || c == 'X' || c == '#'; }

// The text as a masked field holds it: typed characters fill the
// placeholders in order, the mask's own characters stand between them (a
// typed copy of one is taken as that character), unfilled places are blank.
std::string FormatByMask(const std::string& mask, const std::string& text) {
  std::string out;
  size_t k = 0;
  for (char m : mask) {
    if (IsMaskPlaceholder(m)) {
      out += k < text.size() ? text[k++] : ' ';
    } else {
      out += m;
      if (k < text.size() && text[k] == m) ++k;
    }
  }
  return out;
}

DialogItemState StateOf(const FarDialogItem& item) {
  DialogItemState s;
  s.type = item.Type;
  s.x1 = item.X1;
  s.y1 = item.Y1;
  s.x2 = item.X2;
  s.y2 = item.Y2;
  s.focus = item.Focus != 0;
  s.selected = (item.Type == DI_CHECKBOX || item.Type == DI_RADIOBUTTON) ? item.Selected : 0;
  s.flags = item.Flags;
  s.defaultButton = item.DefaultButton != 0;
  s.data.assign(item.Data, strnlen(item.Data, sizeof item.Data));
  if (item.Type == DI_FIXEDIT && (item.Flags & kMaskEditFlag) && !(item.Flags & DIF_HISTORY) && item.Mask)
    s.mask.assign(item.Mask, strnlen(item.Mask, sizeof item.Data));
  return s;
}

std::string NoAmpersand(const std::string& text) {
  std::string t = text;
  size_t amp = t.find('&');
  if (amp != std::string::npos) t.erase(amp, 1);
  return t;
}

std::string MessageDetail(const MessageRecord& m) {
  std::string d = Quote(m.title.c_str());
  for (const std::string& line : m.lines) d += " " + Quote(line.c_str());
  d += " buttons=" + std::to_string(m.buttons.size());
  return d;
}

}  // namespace

int DialogWidth(const DialogRecord& d) {
  // -1 for X1 centres the dialog; X2 is then its width.
  return std::min(kMaxDialogSide, std::max(1, d.x1 < 0 ? d.x2 : d.x2 - d.x1 + 1));
}

std::vector<PlacedItem> PlaceDialogItems(const std::vector<DialogItemState>& items, int width) {
  std::vector<PlacedItem> placed(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    const DialogItemState& it = items[i];
    std::string t = NoAmpersand(it.data);
    std::string& label = placed[i].label;
    switch (it.type) {
      case DI_BUTTON:
        label = (it.flags & DIF_NOBRACKETS) ? t : it.defaultButton ? "{ " + t + " }" : "[ " + t + " ]";
        break;
      case DI_CHECKBOX: label = std::string(it.selected ? "[x] " : "[ ] ") + t; break;
      case DI_RADIOBUTTON: label = std::string(it.selected ? "(*) " : "( ) ") + t; break;
      case DI_TEXT: label = t; break;
      default: label = it.mask.empty() ? it.data : FormatByMask(it.mask, it.data); break;
    }
    placed[i].x1 = it.x1;
    placed[i].x2 = it.x2;
    int len = static_cast<int>(label.size());
    if (it.type == DI_TEXT && it.x1 < 0 && !(it.flags & DIF_SEPARATOR)) {
      placed[i].x1 = (width - len) / 2;
      placed[i].x2 = placed[i].x1 + len - 1;
    }
  }
  // Each DIF_CENTERGROUP row is centred as a whole, one blank between items.
  for (size_t i = 0; i < items.size(); ++i) {
    if (!(items[i].flags & DIF_CENTERGROUP)) continue;
    bool first = true;
    for (size_t k = 0; k < i; ++k)
      if ((items[k].flags & DIF_CENTERGROUP) && items[k].y1 == items[i].y1) first = false;
    if (!first) continue;
    int rowLength = -1;
    for (size_t k = i; k < items.size(); ++k)
      if ((items[k].flags & DIF_CENTERGROUP) && items[k].y1 == items[i].y1)
        rowLength += static_cast<int>(placed[k].label.size()) + 1;
    int x = (width - rowLength) / 2;
    for (size_t k = i; k < items.size(); ++k) {
      if (!(items[k].flags & DIF_CENTERGROUP) || items[k].y1 != items[i].y1) continue;
      placed[k].x1 = x;
      placed[k].x2 = x + static_cast<int>(placed[k].label.size()) - 1;
      x = placed[k].x2 + 2;
    }
  }
  return placed;
}

void Host::Impl::RedrawBehindBox() {
  for (Panel& p : panels)
    if (p.kind == Panel::Plugin) RedrawPanel(p);
}

int Host::Impl::Message(DWORD flags, const char* helpTopic, const char* const* items,
                        int itemsNumber, int buttonsNumber, bool fromHost) {
  MessageRecord m;
  m.fromHost = fromHost;
  m.flags = flags;
  m.helpTopic = helpTopic ? helpTopic : "";
  if (!items || itemsNumber < 1 || buttonsNumber < 0 || buttonsNumber > itemsNumber - 1) {
    Fail("Message with " + std::to_string(itemsNumber) + " items and " +
         std::to_string(buttonsNumber) + " buttons: needs a title and its buttons");
    return -1;
  }
  if (!fromHost) CheckHelpTopic("Message", helpTopic);
  m.title = items[0] ? items[0] : "";
  for (int i = 1; i < itemsNumber; ++i) {
    std::string text = items[i] ? items[i] : "";
    if (i < itemsNumber - buttonsNumber)
      m.lines.push_back(text);
    else
      m.buttons.push_back(text);
  }
  Record(false, fromHost ? "HostMessage" : "Message", MessageDetail(m));
  if (buttonsNumber == 0) {
    // Drawn and left on screen until the screen saved before it comes back.
    m.result = Later() ? -1 : 0;
    messages.push_back(m);
    visibleMessages.push_back(m);
    Show(RenderMessage(m) + "-> drawn without buttons, stays on screen\n");
    return m.result;
  }
  if (Later() && !fromHost) RedrawBehindBox();
  Answer a;
  if (TakeAnswer(AnswerKind::Message, "message box " + Quote(m.title.c_str()), &a)) {
    if (a.index < -1 || a.index >= buttonsNumber)
      Fail("scripted message answer " + std::to_string(a.index) + " is not a button of " +
           Quote(m.title.c_str()));
    else
      m.result = a.index;
  }
  messages.push_back(m);
  Show(RenderMessage(m) + (m.result < 0 ? std::string("-> Esc\n")
                                        : "-> button " + std::to_string(m.result) + " " +
                                              Quote(m.buttons[static_cast<size_t>(m.result)].c_str()) + "\n"));
  return m.result;
}

int Host::Impl::Dialog(int x1, int y1, int x2, int y2, const char* helpTopic,
                       FarDialogItem* item, int itemsNumber) {
  DialogRecord d;
  d.x1 = x1;
  d.y1 = y1;
  d.x2 = x2;
  d.y2 = y2;
  d.helpTopic = helpTopic ? helpTopic : "";
  if (!item || itemsNumber <= 0) {
    Fail("Dialog without items");
    return -1;
  }
  CheckHelpTopic("Dialog", helpTopic);
  for (int i = 0; i < itemsNumber; ++i) d.shown.push_back(StateOf(item[i]));
  std::string title = d.shown[0].data;
  Record(false, "Dialog", Quote(title.c_str()) + " items=" + std::to_string(itemsNumber));
  std::string what = "dialog " + Quote(title.c_str());
  if (Later()) RedrawBehindBox();
  Answer a;
  // Where boxes may come unasked, an answer this dialog has no items for
  // is meant for a later one: this one is closed with Esc.
  bool fits = !options.escapeUnscripted || answers.empty() || answers.front().kind != AnswerKind::Dialog ||
              DialogAnswerFits(answers.front().dialog, item, itemsNumber);
  if (fits && TakeAnswer(AnswerKind::Dialog, what, &a)) {
    for (const auto& t : a.dialog.typed) {
      if (t.first < 0 || t.first >= itemsNumber || !IsEdit(item[t.first].Type)) {
        Fail(what + ": item " + std::to_string(t.first) + " is not an edit field");
        continue;
      }
      FarDialogItem& field = item[t.first];
      std::string text = t.second;
      // A fixed field takes no more characters than it is wide.
      if (field.Type == DI_FIXEDIT && d.shown[static_cast<size_t>(t.first)].mask.empty()) {
        int width = field.X2 - field.X1 + 1;
        if (width > 0 && text.size() > static_cast<size_t>(width)) text.resize(static_cast<size_t>(width));
      }
      CopyField(field.Data, sizeof field.Data, text);
    }
    auto setCheck = [&](int index, bool on, bool toggle) {
      if (index < 0 || index >= itemsNumber ||
          (item[index].Type != DI_CHECKBOX && item[index].Type != DI_RADIOBUTTON)) {
        Fail(what + ": item " + std::to_string(index) + " is not a check box or radio button");
        return;
      }
      FarDialogItem& box = item[index];
      if (toggle) on = box.Selected == 0;
      if (box.Type == DI_RADIOBUTTON) {
        if (!on) return;  // a radio button is cleared only by picking another
        int first = index;
        while (first > 0 && !(item[first].Flags & DIF_GROUP) && item[first - 1].Type == DI_RADIOBUTTON) --first;
        for (int i = first; i < itemsNumber && item[i].Type == DI_RADIOBUTTON; ++i) {
          if (i > first && (item[i].Flags & DIF_GROUP)) break;
          item[i].Selected = 0;
        }
      }
      box.Selected = on ? 1 : 0;
    };
    for (const auto& c : a.dialog.checks) setCheck(c.first, c.second, false);
    for (int t : a.dialog.toggles) setCheck(t, false, true);
    if (a.index < -1 || a.index >= itemsNumber)
      Fail(what + ": scripted button " + std::to_string(a.index) + " is not an item");
    else
      d.result = a.index;
  }

  // The host writes its whole state back, on Esc too: masked texts as the
  // field shows them, the focus, bracketed button texts, placed coordinates.
  int focus = d.result >= 0 && TakesFocus(item[d.result].Type) ? d.result : -1;
  for (int i = 0; i < itemsNumber && focus < 0; ++i)
    if (d.shown[static_cast<size_t>(i)].focus && TakesFocus(item[i].Type)) focus = i;
  for (int i = 0; i < itemsNumber && focus < 0; ++i)
    if (TakesFocus(item[i].Type)) focus = i;
  std::vector<PlacedItem> placed = PlaceDialogItems(d.shown, DialogWidth(d));
  for (int i = 0; i < itemsNumber; ++i) {
    FarDialogItem& it = item[i];
    const DialogItemState& shown = d.shown[static_cast<size_t>(i)];
    if (!shown.mask.empty()) CopyField(it.Data, sizeof it.Data, FormatByMask(shown.mask, it.Data));
    it.Focus = i == focus ? 1 : 0;
    if ((it.Type == DI_TEXT && shown.x1 < 0 && !(it.Flags & DIF_SEPARATOR)) ||
        ((it.Flags & DIF_CENTERGROUP) && (it.Type == DI_BUTTON || it.Type == DI_CHECKBOX ||
                                          it.Type == DI_RADIOBUTTON || it.Type == DI_TEXT))) {
      it.X1 = placed[static_cast<size_t>(i)].x1;
      it.X2 = placed[static_cast<size_t>(i)].x2;
    }
    if (it.Type == DI_BUTTON && !(it.Flags & DIF_NOBRACKETS)) {
      bool curly = Later() && it.DefaultButton;
      CopyField(it.Data, sizeof it.Data, (curly ? "{ " : "[ ") + shown.data + (curly ? " }" : " ]"));
    }
  }
  for (int i = 0; i < itemsNumber; ++i) d.closed.push_back(StateOf(item[i]));
  dialogs.push_back(d);
  std::string answer = d.result < 0 ? std::string("Esc")
                                    : "item " + std::to_string(d.result) + " " +
                                          Quote(d.shown[static_cast<size_t>(d.result)].data.c_str());
  Show(RenderDialog(d) + "-> " + answer + "\n");
  RedrawBehindBox();
  return d.result;
}

int Host::Impl::Menu(int, int, int, DWORD flags, const char* title, const char* bottom,
                     const char* helpTopic, const int* breakKeys, int* breakCode,
                     const FarMenuItem* item, int itemsNumber) {
  MenuRecord m;
  m.flags = flags;
  m.title = title ? title : "";
  m.bottom = bottom ? bottom : "";
  m.helpTopic = helpTopic ? helpTopic : "";
  CheckHelpTopic("Menu", helpTopic);
  for (int i = 0; item && i < itemsNumber; ++i) {
    MenuRecord::Item it;
    it.text.assign(item[i].Text, strnlen(item[i].Text, sizeof item[i].Text));
    it.selected = item[i].Selected != 0;
    it.checked = item[i].Checked != 0;
    it.separator = item[i].Separator != 0;
    m.items.push_back(it);
  }
  for (int i = 0; breakKeys && breakKeys[i] != 0; ++i) m.breakKeys.push_back(breakKeys[i]);
  if (breakCode) *breakCode = -1;
  Record(false, "Menu", Quote(m.title.c_str()) + " items=" + std::to_string(itemsNumber));
  std::string what = "menu " + Quote(m.title.c_str());
  if (Later()) RedrawBehindBox();
  Answer a;
  if (TakeAnswer(AnswerKind::Menu, what, &a)) {
    if (a.index < -1 || a.index >= static_cast<int>(m.items.size()) ||
        (a.index >= 0 && m.items[static_cast<size_t>(a.index)].separator)) {
      Fail(what + ": scripted item " + std::to_string(a.index) + " cannot be chosen");
    } else if (a.breakCode >= 0 &&
               (!breakCode || a.breakCode >= static_cast<int>(m.breakKeys.size()))) {
      Fail(what + ": scripted break key " + std::to_string(a.breakCode) + " is not one of its keys");
    } else {
      m.result = a.index;
      m.breakCode = a.breakCode;
      if (breakCode) *breakCode = a.breakCode;
    }
  }
  menus.push_back(m);
  std::string answer = m.result < 0 ? std::string("Esc") : "item " + std::to_string(m.result);
  if (m.breakCode >= 0) answer += " with break key " + std::to_string(m.breakCode);
  Show(RenderMenu(m) + "-> " + answer + "\n");
  RedrawBehindBox();
  return m.result;
}

}  // namespace farhost
