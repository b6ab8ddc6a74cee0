#include "panel/NamePool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Handles travel in the host's copies of panel items and in records copied
// from other panels: a number that is no handle of this pool must find nothing.
TEST(NamePool, HandlesFindTheirOwnTextsAndNothingElse) {
  NamePool pool;
  EXPECT_EQ(nullptr, pool.Find(0));
  EXPECT_EQ(nullptr, pool.Find(1));
  std::vector<std::string> texts = {"C:\\a.mp3", "", std::string(259, 'x'), "C:\\\x80.mp3"};
  std::vector<uintptr_t> handles;
  // Enough texts to make the block grow (and move) several times.
  for (int round = 0; round < 200; ++round)
    for (const std::string& t : texts) handles.push_back(pool.Add(t.data(), t.size()));
  for (size_t i = 0; i < handles.size(); ++i) {
    ASSERT_NE(0u, handles[i]);
    ASSERT_NE(nullptr, pool.Find(handles[i]));
    EXPECT_EQ(texts[i % texts.size()], pool.Find(handles[i]));
  }
  EXPECT_EQ(nullptr, pool.Find(handles[0] + 1));  // inside a text
  EXPECT_EQ(nullptr, pool.Find(handles.back() + 300));  // past the end
  EXPECT_EQ(nullptr, pool.Find(0xFFFFFFFFu));
  // Only the given bytes are kept, whatever follows them.
  uintptr_t cut = pool.Add("C:\\b.mp3\r\nnext", 8);
  EXPECT_STREQ("C:\\b.mp3", pool.Find(cut));

  pool.Clear();
  EXPECT_EQ(nullptr, pool.Find(handles[1]));
  EXPECT_EQ(0u, pool.Add(nullptr, 0));
  uintptr_t again = pool.Add("new", 3);
  EXPECT_EQ(1u, again);
  EXPECT_STREQ("new", pool.Find(again));
}

// A panel that stays open while songs are removed and put back: the pool
// keeps the names of the entries left, under new handles, and stays small.
TEST(NamePool, CompactKeepsTheLiveTextsAndBoundsTheBlock) {
  struct Entry {
    char other[12];
    uintptr_t handle;
  };
  NamePool pool;
  std::vector<Entry> entries(4);
  std::vector<std::string> names;
  for (size_t i = 0; i < entries.size(); ++i) {
    names.push_back("C:\\Music\\song number " + std::to_string(i) + ".mp3");
    entries[i].handle = pool.Add(names[i].data(), names[i].size());
  }
  for (int round = 0; round < 5000; ++round) {
    // Remove the first entry and put it back at the end.
    Entry moved = entries[0];
    std::string name = names[0];
    entries.erase(entries.begin());
    names.erase(names.begin());
    ASSERT_TRUE(pool.Compact(&entries[0].handle, entries.size(), sizeof(Entry)));
    moved.handle = pool.Add(name.data(), name.size());
    entries.push_back(moved);
    names.push_back(name);
    ASSERT_LE(pool.Size(), 3 * NamePool::kCompactSlack);
  }
  for (size_t i = 0; i < entries.size(); ++i) EXPECT_STREQ(names[i].c_str(), pool.Find(entries[i].handle));

  // Below the slack nothing moves; a number that is no handle becomes 0 when
  // the pool is rebuilt, and an entry without a name keeps none.
  std::vector<Entry> few(3);
  NamePool small;
  few[0].handle = small.Add("a", 1);
  few[1].handle = 0;
  few[2].handle = few[0].handle + 1;
  uintptr_t first = few[0].handle;
  ASSERT_TRUE(small.Compact(&few[0].handle, few.size(), sizeof(Entry)));
  EXPECT_EQ(first, few[0].handle);
  std::string filler(NamePool::kCompactSlack, 'x');
  small.Add(filler.data(), filler.size());
  ASSERT_TRUE(small.Compact(&few[0].handle, few.size(), sizeof(Entry)));
  EXPECT_EQ(2u, small.Size());
  EXPECT_STREQ("a", small.Find(few[0].handle));
  EXPECT_EQ(0u, few[1].handle);
  EXPECT_EQ(0u, few[2].handle);
}
