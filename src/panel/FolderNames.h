// Whether one read of a folder can stand for the search of a song path in it:
// which paths such a read decides, and how a path's last name is looked up
// among the names the read gave as the file system's own search by that name
// would find it. Text logic only, on UTF-16 code units as the wide file
// functions pass them.
#pragma once

#include <stddef.h>

// A UTF-16 code unit: wchar_t where that is one (Windows), else char16_t.
#ifdef _WIN32
typedef wchar_t NameUnit;
#else
typedef char16_t NameUnit;
#endif

// The length of the folder part of a path (without its last backslash) when
// a read of "<folder>\*" decides whether the path names a file, else 0 and
// the path is searched by itself. A read decides plain absolute paths only:
// "X:\..." or "\\server\share\...", backslashes, no "." or ".." step, no
// doubled backslash, no wildcard ("*", "?", "<", ">", '"') or control
// character anywhere; and a last name the search would take literally: not
// ending in "." or " " (the search drops those), without "~" (it may be a
// short name the file system makes up), ":" (a stream) or "|", and not a
// device name (CON, NUL, COM1, ...; any extension).
size_t DecidableFolderLength(const NameUnit* path, size_t length);

// One name a folder read gave: an entry's long name or its short name.
// Units are lent by the caller; Entry is the caller's number of the entry.
struct FolderName {
  const NameUnit* Units;
  size_t Length;
  size_t Entry;
};

enum FolderAnswer {
  FolderFound,      // the search finds exactly entry *entry
  FolderMissing,    // the search finds nothing
  FolderUndecided,  // the read cannot say: search by the name itself
};

// Orders a folder's names for FindFolderName.
void SortFolderNames(FolderName* names, size_t count);

// What a search by name (a last name DecidableFolderLength accepts) finds
// among the sorted names of a whole folder. File systems compare names
// without regard to case, and not all fold letters beyond ASCII alike (nor
// alike each other: a dotless i may match "I"), so a name is taken to match
// when every unit is equal, or ASCII and equal but for case, or not ASCII on
// either side. Found needs exactly one entry that may match, matching for
// certain (units equal or ASCII letters differing in case only); Missing
// needs none that may.
FolderAnswer FindFolderName(const FolderName* names, size_t count, const NameUnit* name,
                            size_t length, size_t* entry);

// A song path a listing checks: its units (lent), their number, where its
// folder part ends (DecidableFolderLength, not 0) and the caller's number of
// the song.
struct FolderSong {
  const NameUnit* Path;
  size_t Length;
  size_t FolderLength;
  size_t Song;
};

// Orders songs so that those of one folder (the same folder units) follow
// each other, each folder's by their numbers.
void SortSongsByFolder(FolderSong* songs, size_t count);

// How many songs from `from` on lie in the folder of songs[from].
size_t FolderRun(const FolderSong* songs, size_t count, size_t from);

// The most names a read of a folder that holds `songs` of the songs may
// give before the read is given up and those songs are searched one by one;
// 0 when such a folder is not read at all.
size_t FolderReadLimit(size_t songs);
