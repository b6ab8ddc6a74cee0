// The in-memory table of the titles cache and its file format, without any
// Windows call: song titles and length texts kept by song file name (OEM),
// loaded from and saved to a flat file of NUL-ended texts, three per entry:
// FileName, Length, Title.
#pragma once

#include <stddef.h>

enum TitleState {
  TITLE_LOADED = 0,   // read from the file
  TITLE_ADDED = 1,    // added since the plug-in was loaded
  TITLE_DROPPED = 2,  // emptied; never written again
};

// The texts belong to the table: those read from a cache file live in the
// one block holding that file's bytes, those added later are allocations of
// their own; Release frees each kind its way.
struct TitleEntry {
  char* FileName;  // the table's; the key, compared byte by byte (case matters)
  char* Title;     // the table's; null only when AddTitle was given none
  char* Length;    // the table's; likewise
  int State;       // TitleState
};

// The texts the cache holds for a song, as AddTitle hands them back. A panel
// entry points at them (Description = Title, Owner = Length) and never frees
// them; they stay valid and in place until the cache is destroyed, however
// the cache grows or sorts. Both null when nothing was kept.
struct CachedTitle {
  char* Title;
  char* Length;
  int Added;  // 1 = a new entry was made; 0 = the name was known, or nothing kept
};

class TitlesTable {
 public:
  TitlesTable() = default;
  ~TitlesTable() { Release(); }
  TitlesTable(const TitlesTable&) = delete;
  TitlesTable& operator=(const TitlesTable&) = delete;

  // The entry whose FileName equals name, or null. Binary search when Sorted,
  // else a scan for the first match.
  TitleEntry* FindTitle(const char* name);

  // Hands over a title fetched for name (copied). title and length must come
  // from malloc (or be null) and belong to the table from this call on, in
  // every case; the caller keeps no pointer to them. Returns the texts the
  // table now holds for name, which the caller stores in its entry:
  //   - name new: a new entry with the offered texts (Added 1);
  //   - name already present: the existing entry's texts, which stay as they
  //     were (the first title wins); the offered ones are freed (Added 0);
  //   - name null or memory short: none; the offered texts are freed.
  // So the same song twice in a playlist, or in two panels, gives two panel
  // entries pointing at one cache entry's texts.
  CachedTitle AddTitle(const char* name, char* title, char* length);

  // Empties the entry's texts in place and marks it dropped; the next save
  // rewrites the file. Pointers to its texts stay valid (they become "").
  void DropTitle(const char* name);

  // Sorts by FileName unless already sorted. Equal names keep their order
  // (but in the slow sort used when memory is short), so the sort gives one
  // order whichever way it goes. Only the records move; every text stays
  // where it is.
  void SortTitles();

  // Appends the entries of a cache file's bytes as TITLE_LOADED, logging
  // every text read. The bytes are copied once into a block the table keeps
  // until Release, and the entries' texts point into it. When the bytes end inside an entry (a last group of
  // fewer than three texts, or bytes after the last NUL), that entry is
  // dropped with a log line and Rewrite set, so the next save rewrites the
  // file instead of appending behind the damage. False when memory ran short
  // (the whole entries read so far stay).
  bool LoadFrom(const unsigned char* bytes, size_t size);

  // The same without the copy, for a file read whole: FileBuffer gives room
  // for size bytes, kept by the table until Release (null when memory is
  // short or size is 0); the caller reads the file into it and hands the
  // number of bytes read (at most size) to LoadFileBuffer, which loads them
  // as LoadFrom does.
  unsigned char* FileBuffer(size_t size);
  bool LoadFileBuffer(size_t size);

  // The bytes a save writes (malloc'd; the caller frees them; null with size
  // 0 when there is nothing to write). *fromStart: true = the file is
  // rewritten from its start (Rewrite: every loaded and added entry,
  // sorted), false = appended (only the added entries). False when
  // memory is short.
  bool SaveBytes(unsigned char** bytes, size_t* size, bool* fromStart);

  // Frees every text and the array; the table is empty afterwards.
  void Release();

  TitleEntry* Entries = nullptr;  // null until the first entry exists
  int Count = 0;                  // entries, dropped ones included
  int Sorted = 0;                 // 1 = Entries in FileName order
  int Rewrite = 0;                // 1 = the next save rewrites the file: an entry
                                  // was dropped, or the file ended inside one

 private:
  struct TextBlock;  // a loaded file's bytes; the texts follow the header

  // A new zeroed entry at the end (state TITLE_LOADED), or null when memory
  // is short. Capacity grows geometrically so loading stays linear.
  TitleEntry* AppendEntry();
  // Room for entries records in all; false when memory is short.
  bool Reserve(size_t entries);
  // Forgets the last entry and frees its texts.
  void DropLastEntry();
  // Frees text unless it lies in a loaded block (those go with the block).
  void FreeText(char* text) const;
  // Sorts Entries with a radix sort on the names' bytes; false (nothing
  // moved) when memory for its work arrays is short.
  bool SortByName();
  // Sorts Entries[sorted..Count) alone and merges them into the sorted
  // Entries[0..sorted) before them, equal names after those already there;
  // false (nothing moved) when memory for the tail is short.
  bool MergeTail(size_t sorted);
  size_t capacity_ = 0;
  TextBlock* blocks_ = nullptr;  // owned; a list, newest first
};

// AddTitle on cache; without a cache (null) the offered texts are freed and
// none are returned, as nothing else could release them: the entry then stays
// without a title. This is how the panel build, the key handlers and the title
// query keep a title fetched from the player: they call it with
// TitlesCacheObject and store exactly the texts it returns.
CachedTitle CacheTitle(TitlesTable* cache, const char* name, char* title, char* length);

// The cache file's name for a module: the module's path with its last three
// characters replaced by "fc0" (melvox.dll -> melvox.fc0). Malloc'd; the
// caller frees it. Null when memory is short.
char* TitlesCacheFileName(const char* moduleName);
