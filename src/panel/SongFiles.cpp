#include "panel/SongFiles.h"

#include "host/FarApi.h"
#include "panel/FolderNames.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Only an empty name, or one holding "*" (no Windows file name does), cannot
// name a file. A "?" is what a code page conversion makes of a character it
// lacks; the search reads it as a one-character pattern and so finds the real
// file.
bool CanNameFile(const char* path) { return path[0] != '\0' && strchr(path, '*') == nullptr; }

// A wide search's record as the ANSI one, names in OEM.
void FromWideFindData(const WIN32_FIND_DATAW& data, WIN32_FIND_DATAA* found) {
  CopyFindNumbers(found, data);
  if (WideCharToMultiByte(CP_OEMCP, 0, data.cFileName, -1, found->cFileName,
                          sizeof found->cFileName, nullptr, nullptr) == 0)
    found->cFileName[0] = '\0';
  if (WideCharToMultiByte(CP_OEMCP, 0, data.cAlternateFileName, -1, found->cAlternateFileName,
                          sizeof found->cAlternateFileName, nullptr, nullptr) == 0)
    found->cAlternateFileName[0] = '\0';
}

// A malloc'd array that grows geometrically, freed with its holder; Number
// is the holder's count of the elements in use.
template <typename T>
class GrowingArray {
 public:
  GrowingArray() = default;
  ~GrowingArray() { free(data_); }
  GrowingArray(const GrowingArray&) = delete;
  GrowingArray& operator=(const GrowingArray&) = delete;

  // Room for at least needed elements; false, with nothing changed, when
  // memory is short.
  bool Reserve(size_t needed) {
    if (needed <= capacity_) return true;
    size_t grown = capacity_ < 64 ? 64 : capacity_;
    while (grown < needed) grown *= 2;
    if (grown > static_cast<size_t>(-1) / sizeof(T)) return false;
    T* bigger = static_cast<T*>(realloc(data_, grown * sizeof(T)));
    if (bigger == nullptr) return false;
    data_ = bigger;
    capacity_ = grown;
    return true;
  }
  T* Data() const { return data_; }
  T& operator[](size_t i) const { return data_[i]; }

  size_t Number = 0;

 private:
  T* data_ = nullptr;
  size_t capacity_ = 0;
};

// The names of one folder, read whole; the blocks are kept for the next
// folder.
class FolderRead {
 public:
  // Reads "<folder>\*"; false (nothing decided) when the read fails, stops
  // early, gives more than limit names or memory runs short.
  bool Read(const NameUnit* folder, size_t length, size_t limit) {
    entries_.Number = 0;
    names_.Number = 0;
    wchar_t pattern[MAX_PATH];
    if (length + 3 > MAX_PATH) return false;
    memcpy(pattern, folder, length * sizeof(wchar_t));
    memcpy(pattern + length, L"\\*", 3 * sizeof(wchar_t));
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern, &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool whole = true;
    do {
      if (entries_.Number >= limit || !entries_.Reserve(entries_.Number + 1)) {
        whole = false;
        break;
      }
      entries_[entries_.Number++] = data;
    } while (FindNextFileW(search, &data));
    // Only a read that went to the end can say a name is not there.
    if (whole && GetLastError() != ERROR_NO_MORE_FILES) whole = false;
    FindClose(search);
    if (!whole || !names_.Reserve(entries_.Number * 2)) return false;
    for (size_t i = 0; i < entries_.Number; ++i) {
      const WIN32_FIND_DATAW& entry = entries_[i];
      names_[names_.Number++] = {entry.cFileName, wcslen(entry.cFileName), i};
      size_t shortLength = wcslen(entry.cAlternateFileName);
      if (shortLength > 0) names_[names_.Number++] = {entry.cAlternateFileName, shortLength, i};
    }
    SortFolderNames(names_.Data(), names_.Number);
    return true;
  }

  // What a search by name finds in the folder read last; *data (lent) for
  // FolderFound.
  FolderAnswer Find(const NameUnit* name, size_t length, const WIN32_FIND_DATAW** data) const {
    size_t entry = 0;
    FolderAnswer answer = FindFolderName(names_.Data(), names_.Number, name, length, &entry);
    if (answer == FolderFound) *data = &entries_[entry];
    return answer;
  }

 private:
  GrowingArray<WIN32_FIND_DATAW> entries_;
  GrowingArray<FolderName> names_;
};

// The songs whose folder a read may decide: their wide paths in one block.
class FolderSongs {
 public:
  // Takes song when its ANSI name is one a folder read decides; false when
  // memory ran short.
  bool Add(size_t song, const char* ansiName) {
    if (!units_.Reserve(units_.Number + MAX_PATH) || !songs_.Reserve(songs_.Number + 1)) return false;
    wchar_t* path = units_.Data() + units_.Number;
    int converted = MultiByteToWideChar(CP_ACP, 0, ansiName, -1, path, MAX_PATH);
    if (converted <= 1) return true;
    size_t length = static_cast<size_t>(converted) - 1;
    size_t folderLength = DecidableFolderLength(path, length);
    if (folderLength == 0) return true;
    // The path's place, until every path is in: the block may still move.
    songs_[songs_.Number++] = {nullptr, length, folderLength, song};
    units_.Number += length;
    return true;
  }

  // The songs in folder order, paths in place.
  FolderSong* Sorted(size_t* number) {
    size_t at = 0;
    for (size_t i = 0; i < songs_.Number; ++i) {
      songs_[i].Path = units_.Data() + at;
      at += songs_[i].Length;
    }
    SortSongsByFolder(songs_.Data(), songs_.Number);
    *number = songs_.Number;
    return songs_.Data();
  }

 private:
  GrowingArray<wchar_t> units_;
  GrowingArray<FolderSong> songs_;
};

// The songs that folder reads decide are answered, and marked in answered;
// returns how many.
size_t FindByFolders(SongFileCheck* check, size_t count, unsigned char* answered) {
  FolderSongs paths;
  for (size_t i = 0; i < count; ++i) {
    const char* ansi = check->AnsiName(i);
    if (ansi != nullptr && !paths.Add(i, ansi)) return 0;
  }
  size_t decided = 0;
  size_t number = 0;
  FolderSong* songs = paths.Sorted(&number);
  FolderRead read;
  for (size_t from = 0, run = 0; from < number; from += run) {
    run = FolderRun(songs, number, from);
    size_t limit = FolderReadLimit(run);
    if (limit == 0 || !read.Read(songs[from].Path, songs[from].FolderLength, limit)) continue;
    for (size_t j = from; j < from + run; ++j) {
      const FolderSong& song = songs[j];
      size_t nameAt = song.FolderLength + 1;
      const WIN32_FIND_DATAW* data = nullptr;
      FolderAnswer answer = read.Find(song.Path + nameAt, song.Length - nameAt, &data);
      if (answer == FolderUndecided) continue;
      WIN32_FIND_DATAA found;
      if (answer == FolderFound) FromWideFindData(*data, &found);
      check->Take(song.Song, answer == FolderFound ? &found : nullptr);
      answered[song.Song] = 1;
      ++decided;
    }
  }
  return decided;
}

}  // namespace

bool FindSongFile(const char* ansiName, const char* oemName, WIN32_FIND_DATAA* found) {
  if (ansiName != nullptr) {
    if (!CanNameFile(ansiName)) return false;
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, ansiName, -1, wide, MAX_PATH) > 0) {
      WIN32_FIND_DATAW data;
      HANDLE search = FindFirstFileW(wide, &data);
      if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        FromWideFindData(data, found);
        return true;
      }
      // Only a system without the wide search gets the OEM one instead.
      if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    }
  }
  if (!CanNameFile(oemName)) return false;
  HANDLE search = FindFirstFileA(oemName, found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

size_t FindSongFiles(SongFileCheck* check, size_t count, bool readFolders) {
  // Short of memory, every song is searched by itself.
  unsigned char* answered =
      readFolders && count > 0 ? static_cast<unsigned char*>(calloc(count, 1)) : nullptr;
  size_t decided = answered != nullptr ? FindByFolders(check, count, answered) : 0;
  char oem[MAX_PATH];
  for (size_t i = 0; i < count; ++i) {
    if (answered != nullptr && answered[i] != 0) continue;
    check->OemName(i, oem, sizeof oem);
    WIN32_FIND_DATAA found;
    bool exists = FindSongFile(check->AnsiName(i), oem, &found);
    check->Take(i, exists ? &found : nullptr);
  }
  free(answered);
  return decided;
}
