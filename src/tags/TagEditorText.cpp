#include "tags/TagEditorText.h"

#include "plugin/PathText.h"
#include "plugin/TextBuffer.h"
#include "tags/TagRecord.h"

#include <string.h>

namespace {

// Longer than every field, so a converted text is never cut before its field's width.
constexpr size_t kFieldTextSize = 64;
constexpr size_t kShownNameLength = 33;
constexpr char kSeveralFilesMark = 25;

size_t TrimmedLength(const char* text) {
  size_t n = strlen(text);
  while (n > 0 && text[n - 1] == ' ') --n;
  return n;
}

// The text a save puts into field f, or null when the field stays as it is.
const char* NewFieldText(const TagSave& save, int f) {
  const TagSaveField& field = save.Fields[f];
  const char* text = nullptr;
  if (field.UseFixed) {
    text = field.Fixed ? field.Fixed : "";
  } else if (TagTextsDiffer(field.Edited, field.Shown)) {
    text = field.Edited ? field.Edited : "";
  }
  // A field that already shows the text keeps its own bytes.
  if (text != nullptr && save.Record != nullptr && !TagTextsDiffer(text, field.Shown))
    return nullptr;
  return text;
}

}  // namespace

bool TagTextsDiffer(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  size_t n = TrimmedLength(a);
  return n != TrimmedLength(b) || memcmp(a, b, n) != 0;
}

bool BuildSavedRecord(const TagSave& save, TagTextConverter toAnsi, unsigned char* record) {
  if (save.Record != nullptr) {
    memcpy(record, save.Record, kTagRecordSize);
  } else {
    BuildTagRecord(record, nullptr, nullptr, nullptr, nullptr, nullptr, NO_GENRE);
  }
  bool fieldSet = false;
  bool boxChecked = save.UseFixedGenre;
  for (int f = 0; f < kTagTextFields; ++f) {
    boxChecked = boxChecked || save.Fields[f].UseFixed;
    const char* text = NewFieldText(save, f);
    if (text == nullptr) continue;
    fieldSet = true;
    char converted[kFieldTextSize];
    if (toAnsi != nullptr) {
      toAnsi(text, converted, sizeof converted);
    } else {
      CopyText(converted, sizeof converted, text);
    }
    TagField field = static_cast<TagField>(f);
    size_t offset = TagFieldOffset(field);
    size_t width = TagFieldWidth(field);
    memset(record + offset, ' ', width);
    size_t n = BoundedLength(converted, sizeof converted);
    memcpy(record + offset, converted, n < width ? n : width);
  }
  unsigned genre = (save.UseFixedGenre ? save.FixedGenre : save.FileGenre) & 0xFF;
  if (genre != (save.ShownGenre & 0xFF)) record[kTagGenreOffset] = static_cast<unsigned char>(genre);
  if (save.Record != nullptr) return memcmp(record, save.Record, kTagRecordSize) != 0;
  return fieldSet || record[kTagGenreOffset] != NO_GENRE || boxChecked;
}

void FormatTagFileLabel(char* out, size_t size, const char* label, bool severalFiles,
                        bool hasTag) {
  CopyText(out, size, label);
  if (severalFiles) {
    const char mark[] = {kSeveralFilesMark, '\0'};
    AppendText(out, size, mark);
  }
  AppendText(out, size, hasTag ? "+" : "-");
}

void FormatTagFileName(char* out, size_t size, const char* path) {
  const char* name = NameAfterPath(path ? path : "");
  if (strlen(name) > kShownNameLength) {
    CopyTextN(out, size, name, kShownNameLength);
    AppendText(out, size, "...");
  } else {
    CopyText(out, size, name);
  }
}
