// Column titles of a view mode's ColumnTypes text, as the registry holds it.
#include "FuzzCheck.h"
#include "plugin/ColumnTitles.h"
#include "plugin/LangMessages.h"

#include <stdint.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string types(reinterpret_cast<const char*>(data), size);
  types = types.c_str();  // the registry text ends at its first NUL
  size_t commas = 0;
  bool onlyBlanks = true;
  for (char c : types) {
    commas += c == ',';
    if (c != ' ' && c != '\t') onlyBlanks = false;
  }
  size_t fields = CountColumnFields(types.c_str());
  FUZZ_CHECK(fields == (onlyBlanks ? 0 : commas + 1));

  std::vector<int> titles(fields + 1, -1);
  FUZZ_CHECK(ColumnTitleMessages(types.c_str(), titles.data(), fields) == fields);
  for (size_t i = 0; i < fields; ++i)
    FUZZ_CHECK(titles[i] == MUnknownColumn || (titles[i] >= MColName && titles[i] <= MColTagGenre));
  FUZZ_CHECK(titles[fields] == -1);  // nothing beyond the fields
  int one = -1;
  FUZZ_CHECK(ColumnTitleMessages(types.c_str(), &one, 1) == fields);
  FUZZ_CHECK(fields == 0 ? one == -1 : one == titles[0]);
  return 0;
}
