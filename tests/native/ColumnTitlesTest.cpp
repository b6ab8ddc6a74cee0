#include "plugin/ColumnTitles.h"

#include "plugin/LangMessages.h"
#include "plugin/PanelModeDefaults.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Titles(const char* types) {
  std::vector<int> messages(CountColumnFields(types), -1);
  size_t n = ColumnTitleMessages(types, messages.data(), messages.size());
  EXPECT_EQ(messages.size(), n) << types;
  return messages;
}

size_t CountOf(const char* list, char separator) {
  size_t n = 1;
  for (; *list; ++list) n += *list == separator;
  return n;
}

}  // namespace

TEST(ColumnTitles, OneTitlePerFieldByLongestPrefix) {
  using V = std::vector<int>;
  const std::string longText = [] {
    std::string t = "LN";
    for (int i = 0; i < 300; ++i) t += ",c5";
    return t;
  }();
  struct Case {
    const char* types;
    V titles;
  } cases[] = {
      {"LN,NO,Z", V{MColNumber, MColName, MColTitle}},
      {" ln , z ", V{MColNumber, MColTitle}},
      {"XX", V{MUnknownColumn}},
      {"DM", V{MColModified}},
      {"dc,DA,D,DX", V{MColCreated, MColAccessed, MColDate, MColDate}},
      {"NOR", V{MColName}},
      {"c3", V{MColTagYear}},
      {"C", V{MUnknownColumn}},  // C alone is no custom column
      {"S,P,T,A", V{MColSize, MColPacked, MColTime, MColAttributes}},
      {"C0,C1,C2,C4", V{MColTagTitle, MColTagArtist, MColTagAlbum, MColTagComment}},
      {"LN,,Z", V{MColNumber, MUnknownColumn, MColTitle}},
      {"LN,\t,Z,", V{MColNumber, MUnknownColumn, MColTitle, MUnknownColumn}},
      {",", V{MUnknownColumn, MUnknownColumn}},
      {"LN NO", V{MColNumber}},  // one field, as the host counts columns
      {"", V{}},
      {"   ", V{}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.titles, Titles(c.types)) << '"' << c.types << '"';
  EXPECT_EQ(0u, CountColumnFields(nullptr));
  EXPECT_EQ(0u, ColumnTitleMessages(nullptr, nullptr, 0));

  V all = Titles(longText.c_str());
  ASSERT_EQ(301u, all.size());
  EXPECT_EQ(MColNumber, all.front());
  EXPECT_EQ(MColTagGenre, all.back());
  // A short list is filled as far as it goes (ASan sees any write past it)
  // and the full count is still told.
  int two[2] = {-1, -1};
  EXPECT_EQ(301u, ColumnTitleMessages(longText.c_str(), two, 2));
  EXPECT_EQ(MColTagGenre, two[1]);
}

TEST(ColumnTitles, DefaultModesGiveATitleAndAWidthPerColumn) {
  for (size_t d = 0; d < kPanelModesNumber; ++d) {
    const PanelModeDefault& m = DefaultPanelModes[d];
    EXPECT_EQ(CountOf(m.ColumnTypes, ','), CountOf(m.ColumnWidths, ',')) << d;
    EXPECT_EQ(CountOf(m.StatusColumnTypes, ','), CountOf(m.StatusColumnWidths, ',')) << d;
    for (int title : Titles(m.ColumnTypes)) EXPECT_NE(MUnknownColumn, title) << d;
    EXPECT_EQ(0, m.AlignExtensions) << d;
  }
  EXPECT_STREQ("LN,NO,Z", DefaultPanelModes[0].ColumnTypes);
  EXPECT_STREQ("4,0,0,0,4,10", DefaultPanelModes[5].ColumnWidths);
  EXPECT_EQ(1, DefaultPanelModes[5].FullScreen);
  EXPECT_EQ(0, DefaultPanelModes[3].CaseConversion);
  EXPECT_STREQ("NOR", DefaultPanelModes[9].StatusColumnTypes);
}
