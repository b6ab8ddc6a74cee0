// Where the player lives, from the icon location its installer registers for
// its file type: "<program path>,<icon index>".
#pragma once

#include <stddef.h>

// The file the player writes its playlist to, in its own folder.
#define PLAYLIST_FILE_NAME "\\WINAMP.M3U"

// playerPath = the text before the last "," of the registry data (size bytes,
// which need not hold a NUL; the text ends at the first NUL). False, with
// playerPath empty, when there is no "," or nothing before it, or when the
// path does not fit playerPathSize.
bool ParsePlayerLocation(const char* data, size_t size, char* playerPath, size_t playerPathSize);

// out = the folder part of playerPath (before its last "\", nothing when it
// has none) followed by "\WINAMP.M3U". False, with out empty, when that does
// not fit size bytes: a cut path would name another file.
bool MakePlaylistPath(const char* playerPath, char* out, size_t size);
