// The record a tag editor save writes: the file's own 128 bytes and the
// dialog's texts (first byte: check boxes and genres' source).
#include "FuzzCheck.h"
#include "plugin/TextBuffer.h"
#include "tags/TagEditorText.h"
#include "tags/TagRecord.h"

#include <stdint.h>
#include <string.h>

#include <initializer_list>
#include <string>

namespace {

void Identity(const char* from, char* to, size_t size) { CopyText(to, size, from); }

// The next NUL-ended text of the input, at most 40 bytes.
std::string NextText(const uint8_t*& data, size_t& size) {
  size_t n = 0;
  while (n < size && n < 40 && data[n] != 0) ++n;
  std::string text(reinterpret_cast<const char*>(data), n);
  size_t used = n < size ? n + 1 : n;
  data += used;
  size -= used;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 + kTagRecordSize) return 0;
  uint8_t choices = data[0];
  unsigned char old[kTagRecordSize];
  memcpy(old, data + 1, kTagRecordSize);
  memcpy(old, "TAG", 3);
  data += 1 + kTagRecordSize;
  size -= 1 + kTagRecordSize;
  std::string texts[3 * kTagTextFields];
  for (std::string& t : texts) t = NextText(data, size);

  TagSave save = {};
  for (int f = 0; f < kTagTextFields; ++f) {
    save.Fields[f].Shown = texts[3 * f].c_str();
    save.Fields[f].Edited = texts[3 * f + 1].c_str();
    save.Fields[f].Fixed = texts[3 * f + 2].c_str();
    save.Fields[f].UseFixed = (choices >> f) & 1;
  }
  save.ShownGenre = old[kTagGenreOffset];
  save.FileGenre = (choices & 0x40) ? size : save.ShownGenre;
  save.FixedGenre = choices;
  save.UseFixedGenre = choices & 0x80;

  for (bool tagged : {true, false}) {
    save.Record = tagged ? old : nullptr;
    unsigned char record[kTagRecordSize];
    bool write = BuildSavedRecord(save, Identity, record);
    FUZZ_CHECK(memcmp(record, "TAG", 3) == 0);
    if (tagged) FUZZ_CHECK(write == (memcmp(record, old, kTagRecordSize) != 0));
    for (int f = 0; f < kTagTextFields; ++f) {
      TagField field = static_cast<TagField>(f);
      const unsigned char* now = record + TagFieldOffset(field);
      size_t width = TagFieldWidth(field);
      const unsigned char* before = tagged ? old + TagFieldOffset(field) : nullptr;
      bool kept = before != nullptr && memcmp(now, before, width) == 0;
      // A field left as shown, without its box, keeps the file's bytes.
      if (tagged && !save.Fields[f].UseFixed && !TagTextsDiffer(save.Fields[f].Edited, save.Fields[f].Shown))
        FUZZ_CHECK(kept);
      if (kept) continue;
      // Anything written is text padded with blanks: no NUL inside.
      FUZZ_CHECK(memchr(now, 0, width) == nullptr);
    }
  }
  return 0;
}
