// Text logic of the configuration dialogs: what a field the user typed into
// means, and which view mode a start-mode setting names.
#pragma once

#include <stddef.h>

// The decimal number an edit field holds as the host hands it back: blanks
// before it are skipped, then an optional sign and the digits up to the
// first other character. A field without digits ("", "x", "-") reads as 0;
// a number beyond the int range reads as the nearest int. Never reads past
// size bytes, so a field whose text lacks its NUL ends there.
int FieldNumber(const char* text, size_t size);

// The view mode (0 to 9) that a StartPanelMode value names: the character
// codes '0' to '9' name their digit, every other value names mode 0.
int StartModeNumber(int startPanelMode);
