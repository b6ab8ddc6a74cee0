// Saving panel entries as an M3U or PLS playlist: the bytes of the file and
// the path it goes to; and the lines of the playlist file that hands songs
// to the player. Byte logic only; the command layer reads the existing
// file once, builds the new content here and writes it in one go.
#pragma once

#include <stddef.h>

enum PlaylistForm { PlaylistM3U, PlaylistPLS };

struct ExportEntry {
  const char* Name;     // the song's path as it is to be written; NameLength bytes
  size_t NameLength;
  const char* Title;    // null or TitleLength 0: the entry has no title
  size_t TitleLength;
  int Seconds;          // the song's length in whole seconds; below 0 = unknown, written as -1
};

struct ExportRequest {
  PlaylistForm Form;
  bool ExtInfo;                   // "SaveExtInfo": titles and lengths are written
  bool AddToFile;                 // "AddToFile": the entries go after what the file holds
  bool Existed;                   // the file was there before the save
  const unsigned char* Existing;  // its bytes (ExistingSize of them; null when none)
  size_t ExistingSize;
  const ExportEntry* Entries;     // in the order they are written
  size_t EntriesNumber;
};

struct ExportResult {
  unsigned char* Bytes;  // the file's whole new content; malloc'd, the caller frees it
  size_t Size;
  // Leading bytes equal to the existing file: a writer may leave those in
  // place and write only from there on (then cut the file at Size).
  size_t KeptBytes;
  // Bytes of the existing file are not carried over: saving without "add",
  // or adding to a file that is not a PLS playlist. The command layer asks
  // before it writes such a result over a file that holds something.
  bool ReplacesContent;
};

// Builds the complete new content of the playlist file:
//  M3U: with "add" the existing bytes stay (a last line without its line
//  end gets CR LF), and "#EXTM3U" goes in front when titles are written and
//  the file does not start with "#" (a UTF-8 byte-order mark stays first).
//  PLS: with "add" to a file that starts with "[playlist]" (any letter case,
//  after a byte-order mark) every line stays except its "NumberOfEntries="
//  and "Version=" lines; the new entries follow the last line, numbered
//  after the highest FileN of the file (or after the count of a trailer that
//  no File line follows, when that is higher), and one trailer ends the file.
// Line breaks inside names and titles are written as blanks. False, with
// *result emptied, when memory is short (or Entries is null with a count).
bool AllocPlaylistFile(const ExportRequest& request, ExportResult* result);

// The first line of an extended M3U playlist.
constexpr char kExtM3UHeader[] = "#EXTM3U\r\n";

// One song's lines of an extended M3U as AllocPlaylistFile writes them with
// titles ("#EXTINF:<seconds>,<title>" when it has a title, then its name,
// each CR LF ended) into out; their length, or 0 when they do not fit
// capacity bytes.
size_t WriteM3UEntryText(const ExportEntry& entry, unsigned char* out, size_t capacity);

// Whether a player that loads an M3U line holding path takes the song it
// takes for an IPC_PLAYFILE of path itself: an absolute path ("X:\..." or
// "\\..."; others are read against the playlist's own folder), nothing a
// line reader drops or splits at (control characters, a blank at the end),
// and no playlist file (.m3u, .m3u8, .pls, any case), which a player may
// open instead of listing it.
bool M3ULineCarriesPath(const char* path, size_t length);

// Longest path a playlist is saved under (the Windows path buffer less its NUL).
constexpr size_t kMaxPlaylistPath = 259;

// path = directory, a "\" unless it ends in "\" or "/" (an empty directory
// gets one too), name, then ".pls" or ".m3u" (always added). False, with path
// empty, when that is longer than kMaxPlaylistPath or does not fit size bytes:
// a cut path would name another file.
bool ComposePlaylistPath(const char* directory, const char* name, PlaylistForm form, char* path,
                         size_t size);
