// Names of files put onto the panel: which become songs, and their full
// paths. Text logic only.
#pragma once

#include <stddef.h>

// Whether name ends in ".m3u" or ".pls", letter case ignored: a playlist,
// which is not added as a song (".m3u8" is).
bool IsPlaylistFileName(const char* name);

// Whether the size bytes at name hold "." or ".." (up to a NUL): the host
// hands ".." over when the user copies it from the other panel.
bool IsDotsName(const char* name, size_t size);

// path = directory (ending in "\" or empty) followed by name. False, with
// path empty, when that is longer than kMaxSongPathLength characters or does
// not fit size bytes: a cut name would name another file.
constexpr size_t kMaxSongPathLength = 259;
bool JoinSongPath(const char* directory, const char* name, char* path, size_t size);
