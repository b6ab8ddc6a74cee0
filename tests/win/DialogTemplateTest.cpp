#include "plugin/DialogTemplate.h"

#include "LinkFakeHost.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

TEST(DialogTemplate, ExpandWidensFieldsAndResolvesTexts) {
  LinkFakeHost host;
  std::string longText(600, 'x');
  const char* history = "MVPlaylistName";
  const DialogItemTemplate table[] = {
      {DI_DOUBLEBOX, 3, 1, 255, 200, 0, 0, 0, 0, 0},
      {DI_TEXT, 5, 2, 0, 0, 0, 0, DIF_SEPARATOR | DIF_BOXCOLOR, 0, 1999},
      {DI_CHECKBOX, 5, 7, 0, 0, 1, 1, 0, 0, 33},
      {DI_EDIT, 5, 5, 70, 3, 0, TemplateHistory(history), DIF_HISTORY, 0, TemplateText("")},
      {DI_BUTTON, 0, 12, 0, 0, 0, -1, DIF_CENTERGROUP, 1, TemplateText("&TAG")},
      {DI_TEXT, 0, 0, 0, 0, 0, 0, 0xFFFFFFFFu, 0, TemplateText(longText.c_str())},
  };
  constexpr int kCount = sizeof table / sizeof table[0];
  FarDialogItem items[kCount];
  memset(items, 0xCC, sizeof items);
  ExpandDialogItems(table, items, kCount);

  EXPECT_EQ(DI_DOUBLEBOX, items[0].Type);
  EXPECT_EQ(255, items[0].X2);  // zero-extended, never negative
  EXPECT_EQ(200, items[0].Y2);
  EXPECT_STREQ("msg0", items[0].Data);
  EXPECT_STREQ("msg1999", items[1].Data);  // the last message number
  EXPECT_EQ(DIF_SEPARATOR | DIF_BOXCOLOR, items[1].Flags);
  EXPECT_EQ(1, items[2].Focus);
  EXPECT_EQ(1, items[2].Selected);
  EXPECT_STREQ("msg33", items[2].Data);
  EXPECT_EQ(history, items[3].History);
  EXPECT_STREQ("", items[3].Data);
  EXPECT_EQ(-1, items[4].Selected);
  EXPECT_EQ(1, items[4].DefaultButton);
  EXPECT_STREQ("&TAG", items[4].Data);
  EXPECT_EQ(0xFFFFFFFFu, items[5].Flags);
  EXPECT_EQ(511u, strlen(items[5].Data));  // cut to the item's buffer, terminated
  for (INT_PTR module : host.moduleNumbers) EXPECT_EQ(77, module);
}

TEST(DialogTemplate, NonPositiveCountTouchesNothing) {
  LinkFakeHost host;
  const DialogItemTemplate table[] = {{DI_TEXT, 1, 1, 1, 1, 1, 1, 1, 1, 0}};
  FarDialogItem item;
  memset(&item, 0xCC, sizeof item);
  for (int count : {0, -1, -1000}) {
    ExpandDialogItems(table, &item, count);
    EXPECT_EQ(static_cast<char>(0xCC), item.Data[0]);
    EXPECT_EQ(static_cast<int>(0xCCCCCCCC), item.Type);
  }
  EXPECT_TRUE(host.moduleNumbers.empty());
}
