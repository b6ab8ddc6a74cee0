#include "plugin/DialogTemplate.h"

#include "plugin/HostInfo.h"
#include "plugin/TextBuffer.h"

#include <string.h>

void ExpandDialogItems(const DialogItemTemplate* templates, FarDialogItem* items, int count) {
  for (int i = 0; i < count; ++i) {
    const DialogItemTemplate& from = templates[i];
    FarDialogItem& to = items[i];
    to.Type = from.Type;
    to.X1 = from.X1;
    to.Y1 = from.Y1;
    to.X2 = from.X2;
    to.Y2 = from.Y2;
    to.Focus = from.Focus;
    // The union's widest member takes all of Selected, so a history name's
    // address survives on the 64-bit build and a check state reads back as
    // Selected.
    static_assert(sizeof(to.History) == sizeof(from.Selected), "Selected fills the union");
    intptr_t selected = from.Selected;
    memcpy(&to.History, &selected, sizeof selected);
    to.Flags = from.Flags;
    to.DefaultButton = from.DefaultButton;
    uintptr_t data = from.Data;
    if (data < kFirstTextAddress) {
      CopyText(to.Data, sizeof to.Data, GetMsg(static_cast<int>(data)));
    } else {
      CopyText(to.Data, sizeof to.Data, reinterpret_cast<const char*>(data));
    }
  }
}
