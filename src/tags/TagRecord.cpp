#include "tags/TagRecord.h"

#include <stdlib.h>
#include <string.h>

namespace {

struct FieldPlace {
  size_t offset;
  size_t width;
};

constexpr FieldPlace kPlaces[] = {
    {3, 30},   // title
    {33, 30},  // artist
    {63, 30},  // album
    {93, 4},   // year
    {97, 30},  // comment: all 30 bytes, no ID3v1.1 track byte
};

const FieldPlace& Place(TagField field) { return kPlaces[static_cast<size_t>(field)]; }

// Positions 15.. of a RIFF WAVE head where a "data" chunk may start; a chunk
// counts only when the first byte of its contents (j + 8) was read too.
constexpr size_t kWaveSearchStart = 15;
constexpr size_t kChunkContentsOffset = 8;

}  // namespace

size_t TagFieldOffset(TagField field) { return Place(field).offset; }
size_t TagFieldWidth(TagField field) { return Place(field).width; }

bool HasTagMarker(const unsigned char* record, size_t size) {
  return record != nullptr && size >= kTagRecordSize && record[0] == 'T' && record[1] == 'A' &&
         record[2] == 'G';
}

size_t TagFieldText(const unsigned char* record, size_t size, TagField field, char* out,
                    size_t outSize) {
  if (outSize == 0) return 0;
  out[0] = '\0';
  const FieldPlace& place = Place(field);
  if (record == nullptr || size < place.offset + place.width) return 0;
  size_t n = 0;
  while (n < place.width && record[place.offset + n] != 0 && n + 1 < outSize) {
    out[n] = static_cast<char>(record[place.offset + n]);
    ++n;
  }
  out[n] = '\0';
  return n;
}

void BuildTagRecord(unsigned char* record, const char* title, const char* artist,
                    const char* album, const char* year, const char* comment, unsigned genre) {
  record[0] = 'T';
  record[1] = 'A';
  record[2] = 'G';
  memset(record + 3, ' ', kTagGenreOffset - 3);
  const char* texts[] = {title, artist, album, year, comment};
  for (size_t f = 0; f < sizeof texts / sizeof texts[0]; ++f) {
    const char* text = texts[f];
    if (text == nullptr) continue;
    const FieldPlace& place = kPlaces[f];
    for (size_t i = 0; i < place.width && text[i] != '\0'; ++i)
      record[place.offset + i] = static_cast<unsigned char>(text[i]);
  }
  record[kTagGenreOffset] = static_cast<unsigned char>(genre & 0xFF);
}

bool IsTaggableHead(const unsigned char* head, size_t size) {
  if (head == nullptr || size == 0) return false;
  if (head[0] == 0xFF) return true;
  if (size < kWaveSearchStart) return false;
  if (memcmp(head, "RIFF", 4) != 0 || memcmp(head + 8, "WAVEfmt", 7) != 0) return false;
  for (size_t j = kWaveSearchStart; j + kChunkContentsOffset < size; ++j) {
    if (memcmp(head + j, "data", 4) == 0) return head[j + kChunkContentsOffset] == 0xFF;
  }
  return false;
}

unsigned GenreNamesCount(const char* countText, unsigned namesNumber) {
  unsigned count = ParseGenreCount(countText);
  return count < namesNumber ? count : namesNumber;
}

int GenreNameIndex(unsigned genre, unsigned count) {
  genre &= 0xFF;
  if (genre == NO_GENRE) return kGenreNone;
  if (genre >= count) return kGenreUnnamed;
  return static_cast<int>(genre);
}

unsigned char ParseGenreCount(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // Only the low 8 bits are kept, so the value is accumulated modulo 256 and
  // never overflows however many digits follow.
  unsigned value = 0;
  while (*p >= '0' && *p <= '9') {
    value = (value * 10 + static_cast<unsigned>(*p - '0')) & 0xFF;
    ++p;
  }
  if (negative) value = (0x100 - value) & 0xFF;
  return static_cast<unsigned char>(value);
}

int CompareBytes(const char* a, const char* b) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a ? a : "");
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b ? b : "");
  while (*x != 0 && *x == *y) {
    ++x;
    ++y;
  }
  return static_cast<int>(*x) - static_cast<int>(*y);
}

namespace {
int CompareGenres(const void* a, const void* b) {
  return CompareBytes(static_cast<const GenreEntry*>(a)->Name,
                      static_cast<const GenreEntry*>(b)->Name);
}
}  // namespace

void SortGenreEntries(GenreEntry* entries, size_t count) {
  if (entries != nullptr && count > 1) qsort(entries, count, sizeof(GenreEntry), CompareGenres);
}
