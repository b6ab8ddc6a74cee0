// Song lengths as the panel, the titles cache and exported playlists show them.
#pragma once

#include <stddef.h>

// Text for a length the player does not know (it answers -1): it cannot be
// mistaken for a real length, and reading it back as a length gives 0.
#define UNKNOWN_LENGTH_TEXT "--:--"

// seconds as "m:ss" below an hour ("0:59", "10:00"), "h:mm:ss" from an hour
// on ("1:00:01"); a negative value gives UNKNOWN_LENGTH_TEXT. Returns the
// length of the text; 15 bytes hold any int.
size_t FormatLengthText(int seconds, char* buf, size_t size);
