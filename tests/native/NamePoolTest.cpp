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
  std::vector<uint32_t> handles;
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
  uint32_t cut = pool.Add("C:\\b.mp3\r\nnext", 8);
  EXPECT_STREQ("C:\\b.mp3", pool.Find(cut));

  pool.Clear();
  EXPECT_EQ(nullptr, pool.Find(handles[1]));
  EXPECT_EQ(0u, pool.Add(nullptr, 0));
  uint32_t again = pool.Add("new", 3);
  EXPECT_EQ(1u, again);
  EXPECT_STREQ("new", pool.Find(again));
}
