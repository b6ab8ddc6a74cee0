// Song lengths as the panel, the titles cache and exported playlists show them.
#pragma once

#include <stddef.h>

// Text for a length the player does not know (it answers -1): it cannot be
// mistaken for a real length, and LengthTextToSeconds reads it back as -1.
#define UNKNOWN_LENGTH_TEXT "--:--"

// seconds as "m:ss" below an hour ("0:59", "10:00"), "h:mm:ss" from an hour
// on ("1:00:01"); a negative value gives UNKNOWN_LENGTH_TEXT. Returns the
// length of the text; 15 bytes hold any int.
size_t FormatLengthText(int seconds, char* buf, size_t size);

// The seconds a length text stands for, as exported playlists write them:
// "m:ss" and "mm:ss" are minutes and seconds, "h:mm:ss" (any number of hour
// digits) hours, minutes and seconds. Every other text (UNKNOWN_LENGTH_TEXT,
// none, an empty one, anything that is not one of those digit forms, or a
// length beyond the int range) gives -1, which playlist readers take for
// "unknown". Reads no more than 17 bytes of text, whatever it holds.
int LengthTextToSeconds(const char* text);
