// The titles cache file: whatever it holds loads, and saving everything and
// loading that again gives the same table.
#include "FuzzCheck.h"
#include "panel/TitlesTable.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t texts = 0;
  for (size_t i = 0; i < size; ++i) texts += data[i] == 0;

  TitlesTable first;
  FUZZ_CHECK(first.LoadFrom(data, size));
  // Three texts per entry; a file that ends inside an entry loses that entry
  // and is marked for a rewrite, so nothing is appended behind the damage.
  FUZZ_CHECK(static_cast<size_t>(first.Count) == texts / 3);
  bool damaged = texts % 3 != 0 || (size > 0 && data[size - 1] != 0);
  FUZZ_CHECK((first.Rewrite != 0) == damaged);

  first.Rewrite = 1;  // save every entry, not only the added ones
  unsigned char* bytes = nullptr;
  size_t saved = 0;
  bool fromStart = false;
  FUZZ_CHECK(first.SaveBytes(&bytes, &saved, &fromStart));
  FUZZ_CHECK(fromStart);
  FUZZ_CHECK((saved == 0) == (first.Count == 0));

  TitlesTable second;
  FUZZ_CHECK(second.LoadFrom(bytes, saved));
  free(bytes);
  FUZZ_CHECK(second.Count == first.Count);
  // The save wrote first's entries in its (now sorted) order.
  for (int i = 0; i < first.Count; ++i) {
    const TitleEntry& a = first.Entries[i];
    const TitleEntry& b = second.Entries[i];
    FUZZ_CHECK(strcmp(a.FileName, b.FileName) == 0);
    FUZZ_CHECK(strcmp(OrEmpty(a.Length), OrEmpty(b.Length)) == 0);
    FUZZ_CHECK(strcmp(OrEmpty(a.Title), OrEmpty(b.Title)) == 0);
  }
  second.SortTitles();
  for (int i = 0; i < second.Count; ++i) {
    const TitleEntry* found = second.FindTitle(first.Entries[i].FileName);
    FUZZ_CHECK(found != nullptr && strcmp(found->FileName, first.Entries[i].FileName) == 0);
  }
  return 0;
}
