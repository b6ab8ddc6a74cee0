#include "plugin/PathText.h"

#include <gtest/gtest.h>

TEST(PathText, NameAfterPathSplitsAtEverySeparator) {
  EXPECT_STREQ("a.mp3", NameAfterPath("C:\\MP3\\a.mp3"));
  EXPECT_STREQ("a.mp3", NameAfterPath("C:a.mp3"));
  EXPECT_STREQ("a.mp3", NameAfterPath("music/a.mp3"));
  EXPECT_STREQ("a.mp3", NameAfterPath("a.mp3"));
  EXPECT_STREQ("", NameAfterPath("C:\\MP3\\"));
  EXPECT_STREQ("", NameAfterPath(""));
}

TEST(PathText, AppendBackslashOnlyWhenMissing) {
  char path[8] = "C:\\MP3";
  AppendBackslash(path, sizeof path);
  EXPECT_STREQ("C:\\MP3\\", path);
  AppendBackslash(path, sizeof path);
  EXPECT_STREQ("C:\\MP3\\", path);
  char empty[4] = "";
  AppendBackslash(empty, sizeof empty);
  EXPECT_STREQ("\\", empty);
  char full[7] = "C:\\MP3";  // no room left: stays terminated, never overruns
  AppendBackslash(full, sizeof full);
  EXPECT_STREQ("C:\\MP3", full);
}
