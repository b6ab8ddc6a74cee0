// The ID3v1 record at a song's end, its text fields, and the genre count and
// names read from the language file.
#include "FuzzCheck.h"
#include "tags/TagRecord.h"

#include <stdint.h>
#include <string.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr TagField kFields[] = {TagFieldTitle, TagFieldArtist, TagFieldAlbum, TagFieldYear,
                                TagFieldComment};

void CheckFields(const unsigned char* record, size_t size) {
  for (TagField field : kFields) {
    size_t offset = TagFieldOffset(field);
    size_t width = TagFieldWidth(field);
    FUZZ_CHECK(offset + width <= kTagGenreOffset);
    for (size_t outSize : {size_t{1}, size_t{5}, width + 1, size_t{64}}) {
      char out[64];
      memset(out, 'x', sizeof out);
      size_t n = TagFieldText(record, size, field, out, outSize);
      FUZZ_CHECK(n < outSize && n <= width && out[n] == '\0' && strlen(out) == n);
      if (record == nullptr || size < offset + width) {
        FUZZ_CHECK(n == 0);
        continue;
      }
      FUZZ_CHECK(memcmp(out, record + offset, n) == 0);
      // Cut only by the field's end, a NUL or the buffer.
      FUZZ_CHECK(n == width || n + 1 == outSize || record[offset + n] == 0);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bool marked = HasTagMarker(data, size);
  FUZZ_CHECK(marked == (size >= kTagRecordSize && memcmp(data, "TAG", 3) == 0));
  CheckFields(data, size);
  CheckFields(nullptr, size);

  std::string text(reinterpret_cast<const char*>(data), size);
  ParseGenreCount(text.c_str());

  // Genre names as the language file gives them, sorted for the lookup.
  std::vector<std::string> names;
  for (size_t at = 0; at <= text.size() && names.size() < 256;) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    names.push_back(text.substr(at, end - at).c_str());
    at = end + 1;
  }
  std::vector<GenreEntry> genres;
  for (size_t i = 0; i < names.size(); ++i)
    genres.push_back(GenreEntry{names[i].c_str(), static_cast<unsigned char>(i)});
  SortGenreEntries(genres.data(), genres.size());
  for (size_t i = 1; i < genres.size(); ++i)
    FUZZ_CHECK(CompareBytes(genres[i - 1].Name, genres[i].Name) <= 0);
  FUZZ_CHECK(CompareBytes(nullptr, "") == 0);

  // Texts cut from the input, written into a record and read back: each
  // field holds its text's start, then blanks.
  std::string parts[5];
  size_t at = 0;
  for (std::string& part : parts) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    part = text.substr(at, end - at).c_str();  // up to its first NUL
    at = end < text.size() ? end + 1 : end;
  }
  unsigned char record[kTagRecordSize];
  unsigned genre = size > 0 ? data[size - 1] : NO_GENRE;
  BuildTagRecord(record, parts[0].c_str(), parts[1].c_str(), parts[2].c_str(), parts[3].c_str(),
                 parts[4].c_str(), genre);
  FUZZ_CHECK(HasTagMarker(record, sizeof record) && record[kTagGenreOffset] == genre);
  for (size_t f = 0; f < 5; ++f) {
    size_t width = TagFieldWidth(kFields[f]);
    const unsigned char* field = record + TagFieldOffset(kFields[f]);
    size_t kept = parts[f].size() < width ? parts[f].size() : width;
    FUZZ_CHECK(memcmp(field, parts[f].data(), kept) == 0);
    for (size_t i = kept; i < width; ++i) FUZZ_CHECK(field[i] == ' ');
  }
  return 0;
}
