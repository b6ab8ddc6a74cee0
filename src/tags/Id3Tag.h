// ID3v1 tags of song files: reading, writing, removing, the taggable-file test
// and the genre table. No operation here logs or shows anything; each either
// does its work or leaves the file as it was. File names are passed to the
// ANSI file functions as they are (the host switches them to OEM names).
#pragma once

#include "tags/TagRecord.h"

// Whether the file is an MPEG audio file that may carry a tag (first 128 bytes).
bool IsTaggableFile(const char* path);

// The file's last 128 bytes when they are a tag (malloc'd; the caller frees
// them), else null: no file, shorter than 128 bytes, short read, no "TAG".
unsigned char* ReadTagRecord(const char* path);

// A field of a record as new text (malloc'd; the caller frees it); null only
// when memory is short. Title, artist, album and comment are converted to the
// OEM code page (31-byte buffers); the year is copied as it is (5 bytes).
char* TagTitle(const unsigned char* record);
char* TagArtist(const unsigned char* record);
char* TagAlbum(const unsigned char* record);
char* TagComment(const unsigned char* record);
char* TagYear(const unsigned char* record);
// GenreName of the record's genre byte; the host's text, not to be freed.
const char* TagGenreName(const unsigned char* record);

// The name of genre n: message 126 for NO_GENRE, message 127 + n for a genre
// the language files have a place for (below kGenreNamesNumber, whatever
// GenreCount says), else an empty text.
// The host's text, not to be freed.
const char* GenreName(unsigned genre);

// Writes a record built from OEM texts (converted to ANSI): over the file's
// tag when it has one, else appended.
void WriteTagFields(const char* path, const char* title, const char* artist, const char* album,
                    const char* year, const char* comment, unsigned genre);

// Puts a whole 128-byte record back: over the file's tag, or appended when it
// has none. Nothing is written when the tag already equals the record.
void WriteTagRecord(const char* path, const unsigned char* record);

// Cuts the last 128 bytes; callers call it only for a file that has a tag.
void RemoveTag(const char* path);

// The genre table, sorted by name; built once at start-up from the language
// file (message 125 = count, 127 + n = names), released at exit.
extern GenreEntry* GenreTable;
extern unsigned char GenreCount;
void LoadGenreTable();
void FreeGenreTable();
