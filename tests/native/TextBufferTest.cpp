#include "plugin/TextBuffer.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(TextBuffer, CopyCutsAndTerminates) {
  char buf[5];
  memset(buf, 'x', sizeof buf);
  EXPECT_EQ(4u, CopyText(buf, sizeof buf, "abcdefgh"));
  EXPECT_STREQ("abcd", buf);
  EXPECT_EQ(2u, CopyText(buf, sizeof buf, "ab"));
  EXPECT_STREQ("ab", buf);
  EXPECT_EQ(0u, CopyText(buf, sizeof buf, nullptr));
  EXPECT_STREQ("", buf);
  EXPECT_EQ(0u, CopyText(buf, 0, "abc"));  // size 0 writes nothing
}

TEST(TextBuffer, CopyNStopsAtCountOrEnd) {
  char buf[16];
  EXPECT_EQ(3u, CopyTextN(buf, sizeof buf, "abcdef", 3));
  EXPECT_STREQ("abc", buf);
  EXPECT_EQ(2u, CopyTextN(buf, sizeof buf, "ab", 10));
  EXPECT_STREQ("ab", buf);
}

TEST(TextBuffer, AppendNeverOverruns) {
  char buf[8] = "abc";
  EXPECT_EQ(7u, AppendText(buf, sizeof buf, "defghij"));
  EXPECT_STREQ("abcdefg", buf);
  EXPECT_EQ(7u, AppendText(buf, sizeof buf, "z"));
  EXPECT_STREQ("abcdefg", buf);
  char full[3] = {'a', 'b', 'c'};  // no terminator inside: left alone
  EXPECT_EQ(3u, AppendText(full, sizeof full, "d"));
  EXPECT_EQ('c', full[2]);
}

TEST(TextBuffer, FormatCuts) {
  char buf[6];
  EXPECT_EQ(5u, FormatText(buf, sizeof buf, "%d:%s", 12, "3456"));
  EXPECT_STREQ("12:34", buf);
  EXPECT_EQ(3u, FormatText(buf, sizeof buf, "%d", -42));
  EXPECT_STREQ("-42", buf);
}

TEST(TextBuffer, DupIsAnIndependentCopy) {
  char src[] = "song";
  char* copy = DupText(src);
  ASSERT_NE(nullptr, copy);
  src[0] = 'x';
  EXPECT_STREQ("song", copy);
  free(copy);
}
