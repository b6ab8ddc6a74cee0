// Path-text helpers shared by the dialogs and commands.
#pragma once

#include <stddef.h>

// The position just after the last "\", "/" or ":" of path; the start of the
// text when it holds none of them. Points into path.
const char* NameAfterPath(const char* path);
char* NameAfterPath(char* path);

// Appends "\" unless the text already ends in one; an empty text becomes "\".
// Bounded by the buffer's size.
void AppendBackslash(char* path, size_t size);
