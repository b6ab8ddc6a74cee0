// The ID3v1 record: 128 bytes at the very end of a song file. Pure byte logic,
// shared by the file layer (Id3Tag.h) and the tests.
#pragma once

#include <stddef.h>

constexpr size_t kTagRecordSize = 128;
// Genre byte meaning "no genre".
constexpr unsigned NO_GENRE = 255;

// Text fields of the record, each at a fixed offset and width.
enum TagField { TagFieldTitle, TagFieldArtist, TagFieldAlbum, TagFieldYear, TagFieldComment };
constexpr size_t kTagMarkerOffset = 0;
constexpr size_t kTagGenreOffset = 127;
size_t TagFieldOffset(TagField field);
size_t TagFieldWidth(TagField field);

// True when size is at least 128 and the bytes start with "TAG".
bool HasTagMarker(const unsigned char* record, size_t size);

// A field's value: its bytes up to the first NUL or the field's end, copied
// into out (cut to outSize - 1 and terminated). Returns the value's length.
size_t TagFieldText(const unsigned char* record, size_t size, TagField field, char* out,
                    size_t outSize);

// Builds a record from texts as this plug-in writes it: "TAG", every text
// field padded with blanks (never NULs), texts cut to their field's width, an
// absent text left blank, genre's low 8 bits at the end.
void BuildTagRecord(unsigned char* record, const char* title, const char* artist,
                    const char* album, const char* year, const char* comment, unsigned genre);

// Whether a file whose first bytes are head (up to 128 of them, size read) is
// an MPEG audio file that may carry a tag: an MPEG frame at the start, or a
// RIFF WAVE file whose "data" chunk begins with an MPEG frame.
bool IsTaggableHead(const unsigned char* head, size_t size);

// The genre count from its message text: leading white space and a sign
// allowed, digits up to the first non-digit, no digits = 0; low 8 bits kept.
unsigned char ParseGenreCount(const char* text);

// The number of genre names from the genre count message: ParseGenreCount,
// cut to namesNumber, the names the language files have room for (the
// messages after them are other texts).
unsigned GenreNamesCount(const char* countText, unsigned namesNumber);

// Where a genre byte's name is: kGenreNone for NO_GENRE (the "no genre"
// text), kGenreUnnamed for a byte the table of count names has no name for,
// else the genre's index among the names (the byte itself, below count).
constexpr int kGenreNone = -1;
constexpr int kGenreUnnamed = -2;
int GenreNameIndex(unsigned genre, unsigned count);

// Byte-wise comparison of NUL-ended texts as unsigned bytes (case matters;
// a prefix sorts first). Null sorts as the empty text.
int CompareBytes(const char* a, const char* b);

struct GenreEntry {
  const char* Name;      // the host's message text; not owned
  unsigned char Number;  // the genre byte it stands for
};

// Sorts genre entries by name, byte-wise unsigned.
void SortGenreEntries(GenreEntry* entries, size_t count);
