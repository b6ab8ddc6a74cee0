// Column titles of the view modes: which language message titles each column
// of a ColumnTypes text. Text logic only; the host layer turns the numbers
// into message texts.
#pragma once

#include <stddef.h>

// Number of columns in a ColumnTypes text: one per comma-separated field,
// empty fields included ("LN,,Z" has three), so the title list is never
// shorter than the columns the host counts. A text of nothing but blanks
// (or null) has none.
size_t CountColumnFields(const char* columnTypes);

// The title message of one column type (its bytes, blanks around it ignored):
// the longest of the eighteen titled types N S P D T DM DC DA A Z O LN C0..C5
// that begins the field, compared without regard to ASCII letter case, so
// "DM" is DM, "NOR" is N and "c3" is C3. An empty or unknown field gives
// MUnknownColumn.
int ColumnTitleMessage(const char* field, size_t length);

// Fills messages with the title message of every field of columnTypes, in
// order, at most capacity of them. Returns CountColumnFields(columnTypes);
// a result above capacity means the list was cut.
size_t ColumnTitleMessages(const char* columnTypes, int* messages, size_t capacity);
