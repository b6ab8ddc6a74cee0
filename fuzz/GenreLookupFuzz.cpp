// The genre count message of a language file and the genre byte of a song's
// tag: the count never reaches past the genre names, and a byte's name is
// the no-genre text, none, or a genre name below the count - never one of
// the messages after the names.
//
// Input: the genre count message up to the first NUL, then genre bytes.
#include "FuzzCheck.h"
#include "tags/TagRecord.h"

#include <stdint.h>
#include <string.h>

#include <string>

namespace {

constexpr unsigned kNames = 148;  // the genre names of the language files

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string all(reinterpret_cast<const char*>(data), size);
  std::string countText = all.c_str();
  unsigned count = GenreNamesCount(countText.c_str(), kNames);
  FUZZ_CHECK(count <= kNames);
  unsigned parsed = ParseGenreCount(countText.c_str());
  FUZZ_CHECK(count == (parsed < kNames ? parsed : kNames));

  size_t bytes = countText.size() < size ? countText.size() + 1 : size;
  for (size_t i = bytes; i < size; ++i) {
    for (unsigned tableCount : {count, 0u, kNames, 255u}) {
      int index = GenreNameIndex(data[i], tableCount);
      if (data[i] == 255) {
        FUZZ_CHECK(index == kGenreNone);
      } else if (data[i] >= tableCount) {
        FUZZ_CHECK(index == kGenreUnnamed);
      } else {
        FUZZ_CHECK(index == data[i] && static_cast<unsigned>(index) < tableCount);
      }
    }
  }
  return 0;
}
