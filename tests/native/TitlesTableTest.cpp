#include "panel/TitlesTable.h"

#include "plugin/DebugLog.h"
#include "plugin/TextBuffer.h"
#include "tags/TagRecord.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A byte string from a literal with embedded NULs (the literal's own NUL excluded).
#define BYTES(literal) std::string(literal, sizeof(literal) - 1)

// The texts a save writes, as one byte string.
std::string Saved(TitlesTable& table, bool* fromStart) {
  unsigned char* bytes = nullptr;
  size_t size = 0;
  EXPECT_TRUE(table.SaveBytes(&bytes, &size, fromStart));
  std::string out(reinterpret_cast<const char*>(bytes), size);
  free(bytes);
  return out;
}

void Load(TitlesTable& table, const std::string& bytes) {
  ASSERT_TRUE(table.LoadFrom(reinterpret_cast<const unsigned char*>(bytes.data()),
                             bytes.size()));
}

int Add(TitlesTable& table, const char* name, const char* title, const char* length) {
  return table.AddTitle(name, DupText(title), DupText(length)).Added;
}

}  // namespace

TEST(TitlesTable, ParsesTheDocumentedExample) {
  const std::string file = BYTES("C:\\MP3\\a.mp3\0" "3:25\0" "Some Title\0");
  ASSERT_EQ(29u, file.size());
  TitlesTable table;
  Load(table, file);
  ASSERT_EQ(1, table.Count);
  EXPECT_STREQ("C:\\MP3\\a.mp3", table.Entries[0].FileName);
  EXPECT_STREQ("3:25", table.Entries[0].Length);
  EXPECT_STREQ("Some Title", table.Entries[0].Title);
  EXPECT_EQ(TITLE_LOADED, table.Entries[0].State);
}

TEST(TitlesTable, AFileEndingInsideAnEntryLosesThatEntryAndIsRewritten) {
  struct Case {
    const char* name;
    std::string bytes;
    int count;
    int rewrite;
    const char* lastTitle;
  } cases[] = {
      {"empty", "", 0, 0, nullptr},
      {"two full", BYTES("a\0" "1\0" "x\0" "b\0" "2\0" "y\0"), 2, 0, "y"},
      {"empty texts", BYTES("\0\0\0"), 1, 0, ""},
      {"no NUL at all", "C:\\x.mp3", 0, 1, nullptr},
      {"bytes after the last NUL", BYTES("a\0" "1:00\0" "T\0" "b\0" "2:0"), 1, 1, "T"},
      {"name only", BYTES("a\0" "1:00\0" "T\0" "b\0"), 1, 1, "T"},
      {"name and length", BYTES("a\0" "1:00\0" "T\0" "b\0" "2:00\0"), 1, 1, "T"},
  };
  for (const Case& c : cases) {
    TitlesTable table;
    Load(table, c.bytes);
    ASSERT_EQ(c.count, table.Count) << c.name;
    EXPECT_EQ(c.rewrite, table.Rewrite) << c.name;
    if (c.count == 0) continue;
    EXPECT_STREQ(c.lastTitle, table.Entries[c.count - 1].Title) << c.name;
    EXPECT_NE(nullptr, table.Entries[c.count - 1].Length) << c.name;
  }
}

TEST(TitlesTable, LookupIsExactBytewiseSortedOrNot) {
  TitlesTable table;
  Load(table, BYTES("c:\\a.mp3\0" "1\0" "lower\0" "C:\\b.mp3\0" "2\0" "B\0"
                    "\xE9t\xE9.mp3\0" "3\0" "E\0"));
  for (int sorted = 0; sorted < 2; ++sorted) {
    if (sorted) table.SortTitles();
    EXPECT_EQ(nullptr, table.FindTitle("C:\\A.MP3")) << sorted;
    ASSERT_NE(nullptr, table.FindTitle("c:\\a.mp3")) << sorted;
    EXPECT_STREQ("lower", table.FindTitle("c:\\a.mp3")->Title);
    ASSERT_NE(nullptr, table.FindTitle("\xE9t\xE9.mp3")) << sorted;
    EXPECT_EQ(nullptr, table.FindTitle("C:\\b.mp")) << sorted;
    EXPECT_EQ(nullptr, table.FindTitle("")) << sorted;
  }
  // Unsigned byte order: 'C' < 'c' < 0xE9.
  EXPECT_STREQ("C:\\b.mp3", table.Entries[0].FileName);
  EXPECT_STREQ("c:\\a.mp3", table.Entries[1].FileName);
  EXPECT_STREQ("\xE9t\xE9.mp3", table.Entries[2].FileName);
}

// Under AddressSanitizer: an entry left pointing at freed texts, or texts
// nobody frees, fail the run.
TEST(TitlesTable, EntriesStoreTheTextsTheCacheHandsBack) {
  struct PanelEntry {
    char* Description;
    char* Owner;
  };
  // The same song twice in one playlist, its title fetched for each entry.
  PanelEntry entries[2] = {};
  TitlesTable table;
  const char* offered[2] = {"One", "Again"};
  for (int i = 0; i < 2; ++i) {
    CachedTitle kept = CacheTitle(&table, "C:\\1.mp3", DupText(offered[i]), DupText("1:00"));
    EXPECT_EQ(i == 0 ? 1 : 0, kept.Added);
    entries[i].Description = kept.Title;
    entries[i].Owner = kept.Length;
    EXPECT_EQ(0, table.Sorted);
  }
  ASSERT_EQ(1, table.Count);
  EXPECT_EQ(TITLE_ADDED, table.Entries[0].State);
  for (const PanelEntry& e : entries) {
    EXPECT_STREQ("One", e.Description);  // the first title stays
    EXPECT_STREQ("1:00", e.Owner);
    EXPECT_EQ(table.Entries[0].Title, e.Description);
  }
  // The texts stay where they are while the table grows and sorts.
  for (int i = 0; i < 100; ++i) Add(table, ("C:\\" + std::to_string(i)).c_str(), "t", "0:01");
  table.SortTitles();
  EXPECT_STREQ("One", entries[1].Description);

  // Without a cache, or without a name, the texts are released: none come back.
  for (TitlesTable* cache : {static_cast<TitlesTable*>(nullptr), &table}) {
    CachedTitle none =
        CacheTitle(cache, cache ? nullptr : "C:\\1.mp3", DupText("Lost"), DupText("2:00"));
    EXPECT_EQ(nullptr, none.Title);
    EXPECT_EQ(nullptr, none.Length);
    EXPECT_EQ(0, none.Added);
  }
}

TEST(TitlesTable, AppendSaveWritesOnlyAddedTitles) {
  TitlesTable table;
  Load(table, BYTES("b\0" "1\0" "B\0"));
  table.SortTitles();
  bool fromStart = true;
  EXPECT_EQ("", Saved(table, &fromStart));  // nothing new: nothing to write
  EXPECT_FALSE(fromStart);
  EXPECT_EQ(1, Add(table, "z", "Z", "3:00"));
  EXPECT_EQ(1, Add(table, "a", "A", "1:00"));
  EXPECT_EQ(BYTES("z\0" "3:00\0" "Z\0" "a\0" "1:00\0" "A\0"), Saved(table, &fromStart));
  EXPECT_FALSE(fromStart);
}

TEST(TitlesTable, DropRewritesSortedWithoutTheDroppedEntry) {
  TitlesTable table;
  Load(table, BYTES("m\0" "1\0" "M\0" "c\0" "2\0" "C\0"));
  table.SortTitles();
  EXPECT_EQ(1, Add(table, "a", "A", "3"));
  TitleEntry* m = table.FindTitle("m");
  ASSERT_NE(nullptr, m);
  const char* title = m->Title;  // a panel entry may still point at it
  table.DropTitle("m");
  table.DropTitle("nothing");
  EXPECT_EQ(1, table.Rewrite);
  EXPECT_STREQ("", title);
  EXPECT_EQ(3, table.Count);  // stays until the plug-in ends
  bool fromStart = false;
  // Loaded and added entries, sorted.
  EXPECT_EQ(BYTES("a\0" "3\0" "A\0" "c\0" "2\0" "C\0"), Saved(table, &fromStart));
  EXPECT_TRUE(fromStart);
  EXPECT_STREQ("", table.Entries[0].FileName);  // the emptied entry sorts first
}

TEST(TitlesTable, SerialisedFileLoadsBack) {
  TitlesTable table;
  Load(table, BYTES("x\0" "1\0" "\0"));  // an empty title
  table.SortTitles();
  table.DropTitle("gone");
  Add(table, "gone", "G", "0:01");
  table.DropTitle("gone");
  bool fromStart = false;
  std::string saved = Saved(table, &fromStart);
  EXPECT_EQ(BYTES("x\0" "1\0" "\0"), saved);
  TitlesTable back;
  Load(back, saved);
  ASSERT_EQ(1, back.Count);
  EXPECT_STREQ("", back.Entries[0].Title);
  EXPECT_EQ(0, back.Rewrite);
}

TEST(TitlesTable, GrowthStaysLinear) {
  // 50,000 one-by-one additions of a cache file's worth of entries.
  std::string file;
  char name[32];
  for (int i = 0; i < 50000; ++i) {
    int n = snprintf(name, sizeof name, "C:\\m\\%05d.mp3", 49999 - i);
    file.append(name, static_cast<size_t>(n) + 1);
    file.append("1:00\0T\0", 7);
  }
  TitlesTable table;
  Load(table, file);
  ASSERT_EQ(50000, table.Count);
  table.SortTitles();
  EXPECT_STREQ("C:\\m\\00000.mp3", table.Entries[0].FileName);
  EXPECT_NE(nullptr, table.FindTitle("C:\\m\\31337.mp3"));
}

TEST(TitlesTable, CacheFileNameReplacesLastThreeCharacters) {
  struct Case {
    const char* module;
    const char* expected;
  } cases[] = {
      {"C:\\Far\\Plugins\\melvox\\melvox.dll", "C:\\Far\\Plugins\\melvox\\melvox.fc0"},
      {"X.DLL", "X.fc0"},
      {"ab", "fc0"},
      {"", "fc0"},
  };
  for (const Case& c : cases) {
    char* name = TitlesCacheFileName(c.module);
    EXPECT_STREQ(c.expected, name);
    free(name);
  }
}

TEST(TitlesTable, LoadingLogsEveryTextWithItsEntryNumber) {
  FILE* log = tmpfile();
  ASSERT_NE(nullptr, log);
  DebugLog.Attach(log);
  TitlesTable table;
  Load(table, BYTES("C:\\a.mp3\0" "3:25\0" "Some Title\0" "C:\\b.mp3\0" "1:"));
  fflush(log);
  rewind(log);
  char text[512] = {};
  size_t n = fread(text, 1, sizeof text - 1, log);
  text[n] = '\0';
  DebugLog.Close();
  EXPECT_STREQ(
      "\nTitlesCache::TitlesCache: Readed FileName[1]=C:\\a.mp3"
      "\nTitlesCache::TitlesCache: Readed file lenght [1]=3:25"
      "\nTitlesCache::TitlesCache: Readed Title[1]=Some Title"
      "\nTitlesCache::TitlesCache: Readed FileName[2]=C:\\b.mp3"
      "\nTitlesCache::TitlesCache: Incomplete last entry dropped (11 bytes), the file will be "
      "rewritten",
      text);
}

namespace {

// Cache file bytes of the given names, each with length "1:00" and the name
// itself as its title.
std::string FileOf(const std::vector<std::string>& names) {
  std::string file;
  for (const std::string& name : names) {
    file += name;
    file.append("\0" "1:00\0", 6);
    file += name;
    file.push_back('\0');
  }
  return file;
}

}  // namespace

// Loaded texts live in the file's block, added ones in their own allocations;
// under AddressSanitizer a text freed as the wrong kind, or left unfreed,
// fails the run.
TEST(TitlesTable, LoadedAndAddedTextsSurviveSortDropAndSave) {
  TitlesTable table;
  Load(table, FileOf({"C:\\m\\b.mp3", "C:\\m\\a.mp3", "C:\\m\\c.mp3"}));
  // A second file's worth: a later block, its last entry cut short.
  Load(table, FileOf({"C:\\m\\e.mp3"}) + BYTES("C:\\m\\f.mp3\0" "2:00\0"));
  ASSERT_EQ(4, table.Count);
  table.SortTitles();
  TitleEntry* a = table.FindTitle("C:\\m\\a.mp3");
  ASSERT_NE(nullptr, a);
  char* loadedTitle = a->Title;

  // A title fetched again for a name read from the file: the loaded texts
  // come back, the offered ones are released.
  CachedTitle again = CacheTitle(&table, "C:\\m\\a.mp3", DupText("Other"), DupText("9:99"));
  EXPECT_EQ(0, again.Added);
  EXPECT_EQ(loadedTitle, again.Title);
  EXPECT_STREQ("C:\\m\\a.mp3", again.Title);
  CachedTitle added = CacheTitle(&table, "C:\\m\\d.mp3", DupText("D"), DupText("4:00"));
  EXPECT_EQ(1, added.Added);

  table.DropTitle("C:\\m\\b.mp3");  // loaded
  table.DropTitle("C:\\m\\d.mp3");  // added
  table.SortTitles();
  EXPECT_EQ(loadedTitle, table.FindTitle("C:\\m\\a.mp3")->Title);  // moved records, same texts
  EXPECT_STREQ("", added.Title);

  bool fromStart = false;
  std::string saved = Saved(table, &fromStart);
  EXPECT_TRUE(fromStart);
  EXPECT_EQ(FileOf({"C:\\m\\a.mp3", "C:\\m\\c.mp3", "C:\\m\\e.mp3"}), saved);
  // Saved, loaded and saved again: the same bytes.
  TitlesTable back;
  Load(back, saved);
  back.Rewrite = 1;
  EXPECT_EQ(saved, Saved(back, &fromStart));
}

// The sort against the byte order of the names: shared starts longer than
// the sort's key, names that begin other names, duplicates, bytes above
// 0x7F, empty (dropped) names, and added names among loaded ones.
TEST(TitlesTable, SortOrdersNamesBytewiseAndKeepsTheirTexts) {
  const std::string deep(40, 'p');
  std::vector<std::vector<std::string>> sets = {
      {"b", "a"},
      {"abc", "abc\x01", "ab", "", "abd", "abc", "\xFF", "\x80z", "a\xE9", "a~"},
  };
  std::vector<std::string> many;  // enough names for the radix passes
  unsigned seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245u + 12345u;
    std::string name = (seed >> 8) % 3 == 0 ? deep : "C:\\Music\\";
    int extra = static_cast<int>((seed >> 12) % 24);
    for (int k = 0; k < extra; ++k) {
      seed = seed * 1103515245u + 12345u;
      const char alphabet[] = "ab\\ .\x7F\x80\xFE";
      name.push_back(alphabet[(seed >> 16) % (sizeof alphabet - 1)]);
    }
    many.push_back(name);
    if (i % 7 == 0) many.push_back(name);  // a duplicate
  }
  sets.push_back(many);
  // Names made of three of these pieces agree over sixteen bytes and more at
  // several depths, so the sort must go deeper more than once.
  const std::string pieces[3] = {std::string(17, 'x'), std::string(16, 'x') + "y",
                                 std::string(17, 'y')};
  std::vector<std::string> layered;
  for (int copy = 0; copy < 2; ++copy)
    for (int i = 26; i >= 0; --i) layered.push_back(pieces[i % 3] + pieces[i / 3 % 3] + pieces[i / 9]);
  sets.push_back(layered);

  for (size_t s = 0; s < sets.size(); ++s) {
    const std::vector<std::string>& names = sets[s];
    TitlesTable table;
    size_t half = names.size() / 2 + 1;
    Load(table, FileOf(std::vector<std::string>(names.begin(), names.begin() + half)));
    for (size_t i = half; i < names.size(); ++i)
      CacheTitle(&table, names[i].c_str(), DupText(names[i].c_str()), DupText("1:00"));
    table.DropTitle(names[0].c_str());
    table.SortTitles();
    ASSERT_EQ(1, table.Sorted);
    std::vector<std::string> expected;
    for (int i = 0; i < table.Count; ++i) expected.push_back(table.Entries[i].FileName);
    std::sort(expected.begin(), expected.end(), [](const std::string& x, const std::string& y) {
      return CompareBytes(x.c_str(), y.c_str()) < 0;
    });
    for (int i = 0; i < table.Count; ++i) {
      const TitleEntry& e = table.Entries[i];
      ASSERT_EQ(expected[static_cast<size_t>(i)], e.FileName) << "set " << s << " at " << i;
      if (e.State != TITLE_DROPPED) {
        EXPECT_STREQ(e.FileName, e.Title) << "set " << s;
      }
    }
    for (size_t i = 1; i < names.size(); ++i) {
      if (names[i] == names[0]) continue;
      const TitleEntry* found = table.FindTitle(names[i].c_str());
      ASSERT_NE(nullptr, found) << "set " << s << " name " << i;
      EXPECT_EQ(names[i], found->Title);
    }
  }
}

// A cache file as the plug-in leaves it is a run sorted by a rewrite with the
// entries of later sessions appended. However the table sorts it, the
// records end in the order of a stable sort of the file (equal names in file
// order), so lookups find what they found when every file took the whole
// sort, and each record keeps its own texts where they were.
TEST(TitlesTable, ASortedRunWithATailSortsAsAStableSortOfTheFile) {
  auto sortedNames = [](int count, const char* format) {
    std::vector<std::string> names;
    char name[64];
    for (int i = 0; i < count; ++i) {
      snprintf(name, sizeof name, format, i);
      names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
      return CompareBytes(x.c_str(), y.c_str()) < 0;
    });
    return names;
  };
  const std::vector<std::string> run = sortedNames(300, "C:\\Music\\%03d\\song.mp3");
  std::vector<std::string> reversed(run.rbegin(), run.rend());
  std::vector<std::string> scattered;  // a tail as long as the run, in playlist order
  for (int i = 0; i < 400; ++i) scattered.push_back(run[static_cast<size_t>(i * 7 % 300)] + "x");
  std::vector<std::string> manyInside;  // more than the small-run sort takes
  for (int i = 0; i < 60; ++i) manyInside.push_back(run[static_cast<size_t>(i * 13 % 300)] + "\x80");
  struct Case {
    const char* name;
    std::vector<std::string> head;  // the file's first entries
    std::vector<std::string> tail;  // then these
    std::vector<std::string> added; // then these, given to AddTitle
  } cases[] = {
      {"sorted, no tail", run, {}, {}},
      {"sorted with equal names", {"a", "b", "b", "b", "c"}, {}, {}},
      {"tail before, inside and after the run",
       run,
       {"C:\\Music\\150\\song.mp3.", "A:\\first", "C:\\Music\\\xFF", "C:\\Music\\000\\song.mp", "Z:"},
       {}},
      {"tail repeating names of the run and its own",
       {"a", "b", "b", "c", "d"},
       {"b", "d", "a", "b", "e", "e", "c"},
       {}},
      {"tail of one entry, first of all", run, {""}, {}},
      {"tail of one entry, equal to the run's last", run, {run.back()}, {}},
      {"a long tail inside the run", run, manyInside, {}},
      {"tail as long as the run", std::vector<std::string>(run.begin(), run.begin() + 200),
       std::vector<std::string>(scattered.begin(), scattered.begin() + 200), {}},
      {"tail longer than the run", {"C:\\Music\\a", "C:\\Music\\b"}, scattered, {}},
      {"all reversed", reversed, {}, {}},
      {"a session's additions behind a rewritten file", run, {},
       {"C:\\Music\\299\\song.mp3 (live)", "C:\\Music\\007\\a.mp3", "B:\\x.mp3"}},
      {"appended entries and this session's", run, {"C:\\Music\\100\\a.mp3", "C:\\Music\\050\\a.mp3"},
       {"C:\\Music\\075\\a.mp3", "C:\\Music\\100\\b.mp3"}},
  };
  for (const Case& c : cases) {
    std::string file;
    std::vector<std::string> names;  // in file order, then the added ones
    for (const auto* part : {&c.head, &c.tail})
      for (const std::string& name : *part) {
        std::string title = "#" + std::to_string(names.size());
        file += name + std::string(1, '\0') + "1:00" + std::string(1, '\0') + title +
                std::string(1, '\0');
        names.push_back(name);
      }
    TitlesTable table;
    Load(table, file);
    for (const std::string& name : c.added) {
      std::string title = "#" + std::to_string(names.size());
      ASSERT_EQ(1, Add(table, name.c_str(), title.c_str(), "2:00")) << c.name;
      names.push_back(name);
    }
    ASSERT_EQ(static_cast<int>(names.size()), table.Count) << c.name;
    std::vector<TitleEntry> before(table.Entries, table.Entries + table.Count);
    std::vector<TitleEntry> expected = before;
    std::stable_sort(expected.begin(), expected.end(), [](const TitleEntry& x, const TitleEntry& y) {
      return CompareBytes(x.FileName, y.FileName) < 0;
    });

    table.SortTitles();
    ASSERT_EQ(1, table.Sorted) << c.name;
    ASSERT_EQ(static_cast<int>(expected.size()), table.Count) << c.name;
    for (size_t i = 0; i < expected.size(); ++i) {
      const TitleEntry& got = table.Entries[i];
      ASSERT_STREQ(expected[i].Title, got.Title) << c.name << " at " << i << " (" << got.FileName << ")";
      EXPECT_EQ(expected[i].FileName, got.FileName) << c.name << " at " << i;
      EXPECT_EQ(expected[i].Title, got.Title) << c.name << " at " << i;
      EXPECT_EQ(expected[i].Length, got.Length) << c.name << " at " << i;
      EXPECT_EQ(expected[i].State, got.State) << c.name << " at " << i;
    }
    // Every name is found; a name known already keeps the texts found for it.
    for (const std::string& name : names) {
      TitleEntry* found = table.FindTitle(name.c_str());
      ASSERT_NE(nullptr, found) << c.name << ": " << name;
      EXPECT_EQ(name, found->FileName) << c.name;
      CachedTitle again = table.AddTitle(name.c_str(), DupText("other"), DupText("9:99"));
      EXPECT_EQ(0, again.Added) << c.name;
      EXPECT_EQ(found->Title, again.Title) << c.name;
    }
  }
}
