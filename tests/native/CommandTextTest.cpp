// The text and index logic of the panel commands: which names put onto the
// panel become songs and under what full path, and the order Shift+F1 gives
// the store.
#include "commands/SongPaths.h"
#include "commands/StoreOrder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(SongPaths, PlaylistsAndDotsAreNoSongs) {
  const struct {
    const char* name;
    bool playlist;
  } names[] = {
      {"a.m3u", true},   {"A.M3U", true},    {"x.Pls", true},   {"C:\\l\\b.pLs", true},
      {".m3u", true},    {"a.m3u8", false},  {"a.mp3", false},  {"m3u", false},
      {"a.m3", false},   {"", false},        {"pls", false},    {"a.plsx", false},
  };
  for (const auto& n : names) EXPECT_EQ(n.playlist, IsPlaylistFileName(n.name)) << n.name;
  EXPECT_FALSE(IsPlaylistFileName(nullptr));

  EXPECT_TRUE(IsDotsName("..", 260));
  EXPECT_TRUE(IsDotsName(".", 260));
  EXPECT_TRUE(IsDotsName("..", 2)) << "a full field without its NUL";
  EXPECT_FALSE(IsDotsName("...", 260));
  EXPECT_FALSE(IsDotsName("..a", 260));
  EXPECT_FALSE(IsDotsName(".mp3", 260));
  EXPECT_FALSE(IsDotsName("", 260));
  EXPECT_FALSE(IsDotsName("..", 0));
}

TEST(SongPaths, JoinedNamesAreRefusedNotCutOverTheLimit) {
  std::string folder = "C:\\MP3\\";
  char path[260];
  ASSERT_TRUE(JoinSongPath(folder.c_str(), "sub\\a.mp3", path, sizeof path));
  EXPECT_STREQ("C:\\MP3\\sub\\a.mp3", path);
  ASSERT_TRUE(JoinSongPath("", "a.mp3", path, sizeof path));
  EXPECT_STREQ("a.mp3", path);

  std::string longest(kMaxSongPathLength - folder.size(), 'n');
  ASSERT_TRUE(JoinSongPath(folder.c_str(), longest.c_str(), path, sizeof path));
  EXPECT_EQ(kMaxSongPathLength, std::string(path).size());
  std::string over = longest + "x";
  EXPECT_FALSE(JoinSongPath(folder.c_str(), over.c_str(), path, sizeof path));
  EXPECT_STREQ("", path);
  std::string huge(70000, 'h');
  EXPECT_FALSE(JoinSongPath(huge.c_str(), "a.mp3", path, sizeof path));
  EXPECT_FALSE(JoinSongPath(folder.c_str(), huge.c_str(), path, sizeof path));
  char small[8];
  EXPECT_FALSE(JoinSongPath(folder.c_str(), "a.mp3", small, sizeof small)) << "the buffer decides too";
  EXPECT_STREQ("", small);
}

TEST(StoreOrder, ShownEntriesFirstHiddenOnesAfterInStoreOrder) {
  const struct {
    const char* what;
    std::vector<int> shown;
    size_t entries;
    std::vector<size_t> order;
    bool moved;
  } cases[] = {
      {"all shown in store order", {-1, 0, 1, 2}, 3, {0, 1, 2}, false},
      {"sorted the other way", {-1, 2, 1, 0}, 3, {2, 1, 0}, true},
      {"a filter hides two", {3, 1}, 5, {3, 1, 0, 2, 4}, true},
      {"only the first shown", {0}, 3, {0, 1, 2}, false},
      {"nothing shown", {}, 2, {0, 1}, false},
      {"outside indexes and repeats passed over", {5, 1, -7, 1, 0, 99}, 3, {1, 0, 2}, true},
      {"more host items than entries", {1, 0, 2, 3, 4}, 2, {1, 0}, true},
  };
  for (const auto& c : cases) {
    std::vector<size_t> order(c.entries, 77);
    std::vector<unsigned char> seen(c.entries, 9);
    EXPECT_EQ(c.moved, OrderShownFirst(c.shown.data(), c.shown.size(), c.entries, order.data(), seen.data()))
        << c.what;
    EXPECT_EQ(c.order, order) << c.what;
    // The records take that order in place.
    std::vector<int> records;
    for (size_t i = 0; i < c.entries; ++i) records.push_back(100 + static_cast<int>(i));
    int spare = 0;
    ApplyOrder(records.data(), sizeof(int), records.size(), order.data(), seen.data(), &spare);
    for (size_t j = 0; j < c.entries; ++j) EXPECT_EQ(100 + static_cast<int>(c.order[j]), records[j]) << c.what;
  }
  EXPECT_FALSE(OrderShownFirst(nullptr, 0, 0, nullptr, nullptr)) << "an empty store";
  // Longer cycles than the table's: 0<-3<-1<-4<-2<-0 and a fixed point.
  std::vector<size_t> order = {3, 4, 0, 1, 2, 5};
  std::vector<unsigned char> done(order.size());
  std::vector<int> records = {0, 1, 2, 3, 4, 5};
  int spare = 0;
  ApplyOrder(records.data(), sizeof(int), records.size(), order.data(), done.data(), &spare);
  EXPECT_EQ((std::vector<int>{3, 4, 0, 1, 2, 5}), records);
}
