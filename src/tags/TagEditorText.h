// Byte and text logic of the tag editor: the record a save writes and the
// texts of the dialog's file line. No windows.h: the code-page conversion is
// handed in by the caller.
#pragma once

#include <stddef.h>

// Converts a NUL-ended text into to (toSize bytes, always terminated, cut to
// fit). The editor passes the console-to-ANSI conversion.
typedef void (*TagTextConverter)(const char* from, char* to, size_t toSize);

// Title, artist, album, year, comment: the order of TagField.
constexpr int kTagTextFields = 5;

// One text field of the file shown, as a save sees it; every text in the
// console's code page.
struct TagSaveField {
  const char* Shown;   // what the dialog showed for the file's field ("" without a tag)
  const char* Edited;  // what the user left in that field
  const char* Fixed;   // the fixed text of the lower half
  bool UseFixed;       // its check box
};

struct TagSave {
  // The file's own 128 bytes ("TAG" first); null when it has no tag.
  const unsigned char* Record;
  TagSaveField Fields[kTagTextFields];
  unsigned ShownGenre;  // the genre the dialog first showed (NO_GENRE without a tag)
  unsigned FileGenre;   // the file's genre as the user left it
  unsigned FixedGenre;
  bool UseFixedGenre;
};

// Whether two field texts differ, trailing blanks aside: a record pads its
// fields with blanks or NULs, and a host may give a field back with or
// without them. Null reads as "".
bool TagTextsDiffer(const char* a, const char* b);

// Builds into record (128 bytes) what a save of the file writes, starting
// from the file's own bytes: only a field the user changed (compared with
// what was shown), or one a checked fixed value replaces, is rewritten -
// converted with toAnsi, cut to its width, padded with blanks - and only when
// its new text is not what the field already shows; so characters without a
// console form, an ID3v1.1 track byte and NUL padding survive in every field
// left alone. The genre byte likewise. Without a tag the record starts as
// "TAG", blanks and NO_GENRE.
// Returns whether the record is to be written: for a file with a tag, when
// it differs from the file's bytes; without one, when a field was set, the
// genre is not NO_GENRE or a check box is on.
bool BuildSavedRecord(const TagSave& save, TagTextConverter toAnsi, unsigned char* record);

// Item 17, the file line's label: the message text, then the character 25
// (a down arrow on the console) when several files are edited, then "+" when
// the file shown has a tag, "-" when not.
void FormatTagFileLabel(char* out, size_t size, const char* label, bool severalFiles,
                        bool hasTag);

// Item 18: the file's name after its path; a name longer than 33 characters
// shows its first 33 and "...".
void FormatTagFileName(char* out, size_t size, const char* path);
