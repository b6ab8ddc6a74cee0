// The moving lower-case letter in the title of the information panel: text
// logic only.
#pragma once

#include <stddef.h>

// Line 0's title and the same text with every letter after the first in
// lower case (the texts agree at positions 0 and 1).
#define kMarqueeText " MELVOX "
#define kMarqueeLowerText " Melvox"

// One step: the character at *position goes back to its kMarqueeText form,
// the position moves on (to 2 after 6 or more, else by one) and the
// character there takes its kMarqueeLowerText form. A position outside 0..7
// is taken as 0. text (size bytes) is written only within its first
// min(size - 1, 8) characters and stays terminated.
void MarqueeStep(char* text, size_t size, int* position);
