#include "plugin/ConfigText.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

TEST(ConfigText, FieldNumberReadsWhatTheUserTyped) {
  struct Case {
    const char* text;
    int number;
  } cases[] = {
      {"", 0},          {"7", 7},          {"15", 15},        {" 7", 7},
      {"7 ", 7},        {"4x", 4},         {"x4", 0},         {"-", 0},
      {"-5", -5},       {"+8", 8},         {"007", 7},        {"2147483647", INT_MAX},
      {"99999999999999999999", INT_MAX},   {"-2147483648", INT_MIN},
      {"-99999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(c.number, FieldNumber(c.text, strlen(c.text) + 1)) << c.text;
  EXPECT_EQ(0, FieldNumber(nullptr, 8));
  // A field whose text fills its buffer without a NUL ends at the buffer's end.
  const char unterminated[2] = {'4', '2'};
  EXPECT_EQ(42, FieldNumber(unterminated, sizeof unterminated));
  EXPECT_EQ(4, FieldNumber("42", 1));
}

TEST(ConfigText, StartModeNumberOfTheStoredCharacter) {
  struct Case {
    int stored;
    int mode;
  } cases[] = {{'0', 0}, {'2', 2}, {'7', 7}, {'9', 9}, {7, 0}, {'/', 0}, {':', 0}, {-1, 0}, {0x137, 0}};
  for (const Case& c : cases) EXPECT_EQ(c.mode, StartModeNumber(c.stored)) << c.stored;
}
