// Texts of the control dialog from the player's answers: byte logic only.
#pragma once

#include <stddef.h>

// The language message of the frame title for an IPC_ISPLAYING answer:
// stopped (0), playing (1), paused (3), anything else "state unknown".
int ControlStatusMessage(long isPlaying);

// The song line from the player's caption (length bytes, no NUL needed) for
// its IPC_ISPLAYING answer: a caption whose text before the player's suffix
// is longer than 45 characters shows its first 42 characters (48 while
// stopped) and " ... "; any other loses its last 8 characters (18 while
// stopped, 17 while paused, so the paused suffix " - Winamp [Paused]" goes
// as the playing one does), which leaves nothing of a caption not longer
// than that. Written into out (cut to its size, terminated); returns the
// line's length. At most 53 characters.
size_t CutControlSongLine(const char* caption, size_t length, long isPlaying, char* out,
                          size_t outSize);
