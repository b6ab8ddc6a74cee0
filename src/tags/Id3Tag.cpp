#include "tags/Id3Tag.h"

#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/ScopedHandles.h"
#include "plugin/TextBuffer.h"

#include <stdlib.h>
#include <string.h>

GenreEntry* GenreTable = nullptr;
unsigned char GenreCount = 0;

namespace {

HANDLE OpenForRead(const char* path) {
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// A read-only file is the user's word that it stays as it is: it is never
// opened for writing, also where the file system would let a privileged
// process write it anyway (Wine run as root does).
bool IsReadOnly(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

HANDLE OpenForUpdate(const char* path) {
  if (IsReadOnly(path)) return INVALID_HANDLE_VALUE;
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr);
}

bool SeekTo(HANDLE file, long long offset, DWORD method) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return SetFilePointerEx(file, distance, nullptr, method) != 0;
}

bool FileLength(HANDLE file, long long* length) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return false;
  *length = size.QuadPart;
  return true;
}

// Reads exactly size bytes; false on a short read.
bool ReadExactly(HANDLE file, unsigned char* buffer, DWORD size) {
  DWORD got = 0;
  return ReadFile(file, buffer, size, &got, nullptr) && got == size;
}

bool WriteExactly(HANDLE file, const unsigned char* buffer, DWORD size) {
  DWORD put = 0;
  return WriteFile(file, buffer, size, &put, nullptr) && put == size;
}

// A field as a new text; converted to OEM unless it is the year.
char* FieldText(const unsigned char* record, TagField field, bool toOem) {
  size_t size = TagFieldWidth(field) + 1;
  char* text = static_cast<char*>(malloc(size));
  if (text == nullptr) return nullptr;
  TagFieldText(record, kTagRecordSize, field, text, size);
  if (toOem) CharToOemA(text, text);
  return text;
}

// OEM text converted to ANSI and cut to width characters (the record builder
// cuts again; the buffer only needs to hold one field).
void ToAnsiField(const char* oem, char* ansi, size_t size) {
  char source[64];
  CopyTextN(source, sizeof source, oem ? oem : "", size - 1);
  OemToCharA(source, ansi);
}

}  // namespace

bool IsTaggableFile(const char* path) {
  ScopedFile file(OpenForRead(path));
  if (!file.IsOpen()) return false;
  unsigned char head[kTagRecordSize];
  DWORD got = 0;
  if (!ReadFile(file.Get(), head, sizeof head, &got, nullptr)) return false;
  return IsTaggableHead(head, got);
}

unsigned char* ReadTagRecord(const char* path) {
  ScopedFile file(OpenForRead(path));
  if (!file.IsOpen()) return nullptr;
  long long length = 0;
  if (!FileLength(file.Get(), &length) || length < static_cast<long long>(kTagRecordSize))
    return nullptr;
  if (!SeekTo(file.Get(), -static_cast<long long>(kTagRecordSize), FILE_END)) return nullptr;
  unsigned char* record = static_cast<unsigned char*>(malloc(kTagRecordSize));
  if (record == nullptr) return nullptr;
  if (!ReadExactly(file.Get(), record, kTagRecordSize) || !HasTagMarker(record, kTagRecordSize)) {
    free(record);
    return nullptr;
  }
  return record;
}

char* TagTitle(const unsigned char* record) { return FieldText(record, TagFieldTitle, true); }
char* TagArtist(const unsigned char* record) { return FieldText(record, TagFieldArtist, true); }
char* TagAlbum(const unsigned char* record) { return FieldText(record, TagFieldAlbum, true); }
char* TagComment(const unsigned char* record) { return FieldText(record, TagFieldComment, true); }
char* TagYear(const unsigned char* record) { return FieldText(record, TagFieldYear, false); }

const char* TagGenreName(const unsigned char* record) {
  return GenreName(record[kTagGenreOffset]);
}

const char* GenreName(unsigned genre) {
  // A genre byte the table has no name for shows no name: the messages past
  // the genre names are other texts ("file not written" is no genre).
  int index = GenreNameIndex(genre, kGenreNamesNumber);
  if (index == kGenreNone) return GetMsg(MNoGenre);
  if (index == kGenreUnnamed) return "";
  return GetMsg(static_cast<int>(MGenreFirst + index));
}

void WriteTagFields(const char* path, const char* title, const char* artist, const char* album,
                    const char* year, const char* comment, unsigned genre) {
  ScopedFile file(OpenForUpdate(path));
  if (!file.IsOpen()) return;
  long long length = 0;
  if (!FileLength(file.Get(), &length)) return;
  bool overwrite = false;
  if (length >= static_cast<long long>(kTagRecordSize)) {
    unsigned char current[kTagRecordSize];
    if (!SeekTo(file.Get(), -static_cast<long long>(kTagRecordSize), FILE_END) ||
        !ReadExactly(file.Get(), current, kTagRecordSize))
      return;
    overwrite = HasTagMarker(current, kTagRecordSize);
  }
  if (!SeekTo(file.Get(), overwrite ? -static_cast<long long>(kTagRecordSize) : 0, FILE_END))
    return;

  char ansi[5][32];
  const char* texts[5] = {title, artist, album, year, comment};
  for (size_t i = 0; i < 5; ++i) ToAnsiField(texts[i], ansi[i], sizeof ansi[i]);
  unsigned char record[kTagRecordSize];
  BuildTagRecord(record, ansi[0], ansi[1], ansi[2], ansi[3], ansi[4], genre);
  WriteExactly(file.Get(), record, kTagRecordSize);
}

void WriteTagRecord(const char* path, const unsigned char* record) {
  ScopedFile file(OpenForUpdate(path));
  if (!file.IsOpen()) return;
  long long length = 0;
  if (!FileLength(file.Get(), &length)) return;
  long long position = length;
  if (length >= static_cast<long long>(kTagRecordSize)) {
    unsigned char current[kTagRecordSize];
    if (!SeekTo(file.Get(), -static_cast<long long>(kTagRecordSize), FILE_END) ||
        !ReadExactly(file.Get(), current, kTagRecordSize))
      return;
    if (memcmp(current, record, kTagRecordSize) == 0) return;
    if (HasTagMarker(current, kTagRecordSize)) position = length - kTagRecordSize;
  }
  if (!SeekTo(file.Get(), position, FILE_BEGIN)) return;
  WriteExactly(file.Get(), record, kTagRecordSize);
}

void RemoveTag(const char* path) {
  if (IsReadOnly(path)) return;
  ScopedFile file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_RANDOM_ACCESS, nullptr));
  if (!file.IsOpen()) return;
  long long length = 0;
  // Never cut into a file too short to hold a tag, whatever the caller thought.
  if (!FileLength(file.Get(), &length) || length < static_cast<long long>(kTagRecordSize)) return;
  if (!SeekTo(file.Get(), length - kTagRecordSize, FILE_BEGIN)) return;
  SetEndOfFile(file.Get());
}

void LoadGenreTable() {
  FreeGenreTable();
  unsigned count = GenreNamesCount(GetMsg(MGenreCount), kGenreNamesNumber);
  if (count == 0) return;
  GenreTable = static_cast<GenreEntry*>(malloc(count * sizeof(GenreEntry)));
  if (GenreTable == nullptr) return;
  for (unsigned i = 0; i < count; ++i) {
    GenreTable[i].Name = GetMsg(static_cast<int>(MGenreFirst + i));
    GenreTable[i].Number = static_cast<unsigned char>(i);
  }
  GenreCount = static_cast<unsigned char>(count);
  SortGenreEntries(GenreTable, GenreCount);
}

void FreeGenreTable() {
  free(GenreTable);
  GenreTable = nullptr;
  GenreCount = 0;
}
