#include "panel/TitlesCache.h"

#include "PanelTestSupport.h"
#include "plugin/TextBuffer.h"

#include <gtest/gtest.h>

using paneltest::ReadText;
using paneltest::TempFolder;
using paneltest::WriteText;

#define BYTES(literal) std::string(literal, sizeof(literal) - 1)

namespace {

int Add(TitlesCache& cache, const char* name, const char* title, const char* length) {
  return cache.AddTitle(name, DupText(title), DupText(length)).Added;
}

}  // namespace

TEST(TitlesCache, FirstRunCreatesAHiddenFileWithTheFetchedTitles) {
  TempFolder dir;
  std::string module = dir.File("melvox.dll");
  std::string file = dir.File("melvox.fc0");
  {
    TitlesCache cache(module.c_str());
    EXPECT_STREQ(file.c_str(), cache.CacheFile());
    EXPECT_EQ(0, cache.Count);
    Add(cache, "C:\\b.mp3", "Bee", "2:00");
    Add(cache, "C:\\a.mp3", "Ay", "1:00");
    Add(cache, "C:\\c.mp3", "Sea", "1:02:03");
  }
  DWORD attributes = GetFileAttributesA(file.c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  // In the order they were added: an append, not a sorted rewrite.
  EXPECT_EQ(BYTES("C:\\b.mp3\0" "2:00\0" "Bee\0" "C:\\a.mp3\0" "1:00\0" "Ay\0"
                  "C:\\c.mp3\0" "1:02:03\0" "Sea\0"),
            ReadText(file));
}

TEST(TitlesCache, EmptyCacheNeverTouchesTheFile) {
  TempFolder dir;
  { TitlesCache cache(dir.File("melvox.dll").c_str()); }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.File("melvox.fc0").c_str()));
  // An empty file gives an empty cache and stays as it is.
  ASSERT_TRUE(WriteText(dir.File("melvox.fc0"), ""));
  {
    TitlesCache cache(dir.File("melvox.dll").c_str());
    EXPECT_EQ(0, cache.Count);
  }
  EXPECT_EQ(0, paneltest::FileLength(dir.File("melvox.fc0")));
}

TEST(TitlesCache, LoadedRunAppendsOnlyNewTitlesAndLooksUpExactly) {
  TempFolder dir;
  std::string module = dir.File("melvox.dll");
  const std::string original = BYTES("c:\\z.mp3\0" "3:00\0" "Zed\0" "c:\\a.mp3\0" "1:00\0" "A\0");
  ASSERT_TRUE(WriteText(dir.File("melvox.fc0"), original));
  {
    TitlesCache cache(module.c_str());
    ASSERT_EQ(2, cache.Count);
    EXPECT_EQ(1, cache.Sorted);
    EXPECT_EQ(nullptr, cache.FindTitle("C:\\A.MP3"));
    ASSERT_NE(nullptr, cache.FindTitle("c:\\a.mp3"));
    EXPECT_STREQ("A", cache.FindTitle("c:\\a.mp3")->Title);
  }
  EXPECT_EQ(original, ReadText(dir.File("melvox.fc0")));  // nothing new: unchanged
  {
    TitlesCache cache(module.c_str());
    EXPECT_EQ(0, Add(cache, "c:\\z.mp3", "Other", "9:00"));
    EXPECT_EQ(1, Add(cache, "c:\\m.mp3", "Em", "2:00"));
  }
  EXPECT_EQ(original + BYTES("c:\\m.mp3\0" "2:00\0" "Em\0"), ReadText(dir.File("melvox.fc0")));
}

TEST(TitlesCache, DroppedTitleRewritesTheFileSortedAndShorter) {
  TempFolder dir;
  std::string module = dir.File("melvox.dll");
  ASSERT_TRUE(WriteText(dir.File("melvox.fc0"),
                        BYTES("c:\\z.mp3\0" "3:00\0" "Zed\0" "c:\\long-name-song.mp3\0"
                              "1:00\0" "Long\0" "c:\\a.mp3\0" "1:00\0" "A\0")));
  {
    TitlesCache cache(module.c_str());
    Add(cache, "c:\\b.mp3", "Bee", "0:30");
    cache.DropTitle("c:\\long-name-song.mp3");
  }
  EXPECT_EQ(BYTES("c:\\a.mp3\0" "1:00\0" "A\0" "c:\\b.mp3\0" "0:30\0" "Bee\0"
                  "c:\\z.mp3\0" "3:00\0" "Zed\0"),
            ReadText(dir.File("melvox.fc0")));
}

TEST(TitlesCache, FileEndingInsideAnEntryIsRewrittenSoLaterTitlesKeepTheirNames) {
  TempFolder dir;
  std::string module = dir.File("melvox.dll");
  std::string file = dir.File("melvox.fc0");
  // An earlier run stopped writing in the middle of the entry for b.mp3.
  ASSERT_TRUE(WriteText(file, BYTES("c:\\z.mp3\0" "3:00\0" "Zed\0" "c:\\b.mp3\0" "2:")));
  {
    TitlesCache cache(module.c_str());
    EXPECT_EQ(1, cache.Count);
    EXPECT_EQ(nullptr, cache.FindTitle("c:\\b.mp3"));
    EXPECT_EQ(1, Add(cache, "c:\\m.mp3", "Em", "2:00"));
  }
  EXPECT_EQ(BYTES("c:\\m.mp3\0" "2:00\0" "Em\0" "c:\\z.mp3\0" "3:00\0" "Zed\0"),
            ReadText(file));
  TitlesCache again(module.c_str());
  ASSERT_EQ(2, again.Count);
  ASSERT_NE(nullptr, again.FindTitle("c:\\m.mp3"));
  EXPECT_STREQ("Em", again.FindTitle("c:\\m.mp3")->Title);
  EXPECT_STREQ("2:00", again.FindTitle("c:\\m.mp3")->Length);
  EXPECT_EQ(0, again.Rewrite);
}
