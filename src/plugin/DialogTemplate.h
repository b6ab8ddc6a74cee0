// Compact constant tables for the plug-in's dialogs, widened into the host's
// dialog items just before the host's Dialog service is called.
#pragma once

#include "host/FarApi.h"

#include <stdint.h>

// Data values below this are message numbers of the language file; anything
// else is the address of a text.
constexpr uintptr_t kFirstTextAddress = 2000;

#pragma pack(push, 1)
// One dialog item as the tables hold it, packed without gaps. Selected and
// Data are pointer-sized: Selected carries a check state or, for an edit
// field with DIF_HISTORY, the address of the history name; Data a message
// number or a text's address. On the 32-bit plug-in that makes 19 bytes.
struct DialogItemTemplate {
  uint8_t Type;
  uint8_t X1, Y1, X2, Y2;
  uint8_t Focus;
  intptr_t Selected;
  uint32_t Flags;
  uint8_t DefaultButton;
  uintptr_t Data;
};
#pragma pack(pop)

#if !defined(_WIN64)
static_assert(sizeof(DialogItemTemplate) == 19, "the 32-bit template record is 19 bytes");
#endif
static_assert(sizeof(DialogItemTemplate) == 7 + 2 * sizeof(void*) + 4, "no gaps");

// Data or Selected value that points at a text known only at run time; the
// text must outlive the expansion.
inline uintptr_t TemplateText(const char* text) { return reinterpret_cast<uintptr_t>(text); }
inline intptr_t TemplateHistory(const char* name) { return reinterpret_cast<intptr_t>(name); }

// Fills count host items from count templates: the small fields widened,
// Selected and Flags copied, Data turned into the item's text (a copy of the
// message or of the text at the address, cut to the item's 511 characters).
// A count of 0 or less does nothing.
void ExpandDialogItems(const DialogItemTemplate* templates, FarDialogItem* items, int count);
