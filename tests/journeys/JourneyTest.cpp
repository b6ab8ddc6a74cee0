// Every journey in this folder: NAME.txt is a farhost script run against the
// shipped melvox.dll with the player stand-in (JourneyKit.h); its whole
// transcript must equal NAME.golden. FARHOST_UPDATE_GOLDEN=1 writes the
// transcripts as the new golden files instead.
#include "JourneyKit.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string JourneyFolder() { return testkit::WinePath(JOURNEYS_DIR); }

std::vector<std::string> JourneyNames() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((JourneyFolder() + "\\*.txt").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".txt") == 0 &&
        _stricmp(name.c_str(), "CMakeLists.txt") != 0)
      names.push_back(name.substr(0, name.size() - 4));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

class Journeys : public testing::TestWithParam<std::string> {};

TEST_P(Journeys, TranscriptMatchesGolden) {
  std::string base = JourneyFolder() + "\\" + GetParam();
  std::string script = testkit::ReadText(base + ".txt");
  ASSERT_FALSE(script.empty()) << base << ".txt";
  int failures = -1;
  std::string transcript;
  {
    journey::Journey journey;
    transcript = journey.Run(script, &failures);
  }
  char update[8];
  if (GetEnvironmentVariableA("FARHOST_UPDATE_GOLDEN", update, sizeof update) > 0) {
    testkit::WriteText(base + ".golden", transcript);
    return;
  }
  EXPECT_EQ(0, failures) << transcript;
  EXPECT_EQ(testkit::ReadText(base + ".golden"), transcript) << "compare with " << base << ".golden";
}

std::string TestName(const testing::TestParamInfo<std::string>& info) {
  std::string name;
  for (char c : info.param) name += isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Shipped, Journeys, testing::ValuesIn(JourneyNames()), TestName);

}  // namespace
