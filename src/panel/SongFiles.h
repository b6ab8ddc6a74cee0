// Finding the song files of the panel's entries for the listing: each by a
// search of its own name, or, for folders that hold several of the songs, by
// one read of the folder, with the same answer entry by entry.
#pragma once

#include <windows.h>

#include <stddef.h>

// The songs a check looks up, and where their answers go.
class SongFileCheck {
 public:
  // The song's player's (ANSI) name, or null when it has none; lent until
  // the next call.
  virtual const char* AnsiName(size_t song) = 0;
  // The song's OEM name into buffer (size bytes).
  virtual void OemName(size_t song, char* buffer, size_t size) = 0;
  // The song's file data (names OEM), or null when no file answers its name.
  // Called once for every song.
  virtual void Take(size_t song, const WIN32_FIND_DATAA* found) = 0;

 protected:
  ~SongFileCheck() = default;
};

// Looks one song file up: by its exact ANSI name when there is one, through
// the wide search (right whatever code page the host set for the file
// functions), else by its OEM name. found gets the file's data, names in OEM.
bool FindSongFile(const char* ansiName, const char* oemName, WIN32_FIND_DATAA* found);

// Looks count songs up, each with FindSongFile's answer. With readFolders, a
// folder that holds several of the songs (FolderReadLimit) is read once and
// its songs looked up among its names (FindFolderName) wherever that decides
// as the search would; every other song is searched by itself. Returns how
// many songs folder reads answered.
size_t FindSongFiles(SongFileCheck* check, size_t count, bool readFolders);
