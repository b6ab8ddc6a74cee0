#include "link/PlayerLink.h"

#include "LinkFakeHost.h"
#include "LinkTestSupport.h"
#include "SettingsTestKey.h"
#include "plugin/Options.h"

#include <gtest/gtest.h>

#include <string.h>

#include <memory>
#include <string>

namespace {

// The player-link tests run with a fake host, a private settings key, the
// fake sleep and a captured log.
class PlayerLink : public ::testing::Test {
 protected:
  PlayerLink() : key_("Link") {}

  // Answers the wait dialog: types text into the wait-time field, closes with result.
  static LinkFakeHost::DialogScript Answer(const char* text, int result) {
    return [=](FarDialogItem* items, int count) {
      EXPECT_EQ(10, count);
      strcpy(items[6].Data, text);
      return result;
    };
  }

  SettingsTestKey key_;
  LinkFakeHost host_;
  FakeSleep sleep_;
  LogCapture log_;
  HWND window_ = reinterpret_cast<HWND>(1);
  DWORD version_ = 12345;
};

}  // namespace

TEST_F(PlayerLink, FindPlayerNeedsTheWindowNotTheVersion) {
  EXPECT_FALSE(FindPlayerWindow(&window_, &version_));
  EXPECT_EQ(nullptr, window_);
  EXPECT_EQ(0u, version_);

  TestPlayerWindow player;
  TestPlayerWindow::Version = 0x5091;
  EXPECT_TRUE(FindPlayerWindow(&window_, &version_));
  EXPECT_EQ(player.Get(), window_);
  EXPECT_EQ(0x5091u, version_);

  // A window that answers 0 is found but not online: the wait goes on.
  TestPlayerWindow::Version = 0;
  EXPECT_TRUE(FindPlayerWindow(&window_, &version_));
  EXPECT_EQ(0u, version_);
  Opt.WaitTime = 5;
  host_.dialogAnswers = {Answer("5", 9)};
  EXPECT_FALSE(WaitForPlayerWindow(&window_, &version_));
  EXPECT_EQ(5, FakeSleep::Calls);
  EXPECT_EQ(1u, host_.dialogs.size());
  TestPlayerWindow::Version = 0x5091;
}

TEST_F(PlayerLink, WithoutStartupTheWaitIsOneSecondAndNoDialog) {
  Opt.NoWinAMPStartup = 1;
  EXPECT_FALSE(WaitForPlayerWindow(&window_, &version_));
  EXPECT_EQ(1, FakeSleep::Calls);
  EXPECT_TRUE(host_.dialogs.empty());

  // A player that comes up within that second is taken.
  std::unique_ptr<TestPlayerWindow> player;
  FakeSleep::Calls = 0;
  FakeSleep::OnSleep = [&](int) { player.reset(new TestPlayerWindow); };
  EXPECT_TRUE(WaitForPlayerWindow(&window_, &version_));
  EXPECT_EQ(player->Get(), window_);
  EXPECT_EQ(1, FakeSleep::Calls);
}

TEST_F(PlayerLink, PollsOncePerSecondUntilThePlayerAnswers) {
  struct Case {
    int waitTime;    // Opt.WaitTime at the start
    int appearsAt;   // sleep after which the window exists
    int storedTime;  // "WaitTime" in the registry afterwards, -12345 = none
  } cases[] = {
      {5, 3, -12345},  // within the first cycle: nothing asked, nothing stored
      {3, 10, 10},     // out of range: ten seconds, and 10 is stored
      {100, 1, 10},
      {99, 250, -12345},  // endless: never asks, polls on
  };
  for (const Case& c : cases) {
    SettingsTestKey key("Polls");
    Opt.WaitTime = c.waitTime;
    std::unique_ptr<TestPlayerWindow> player;
    FakeSleep::Calls = 0;
    FakeSleep::OnSleep = [&](int call) {
      if (call == c.appearsAt) player.reset(new TestPlayerWindow);
    };
    host_.dialogs.clear();
    EXPECT_TRUE(WaitForPlayerWindow(&window_, &version_)) << c.waitTime;
    EXPECT_EQ(c.appearsAt, FakeSleep::Calls) << c.waitTime;
    EXPECT_TRUE(host_.dialogs.empty()) << c.waitTime;
    EXPECT_EQ(c.storedTime, key.GetDword("", "WaitTime")) << c.waitTime;
    EXPECT_NE(0u, version_);
  }
}

TEST_F(PlayerLink, AfterEachCycleTheUserDecides) {
  Opt.WaitTime = 5;
  // Cleared field, keep waiting: the next cycle has 10 seconds; then give up.
  host_.dialogAnswers = {Answer("", 8), Answer("10", -1)};
  EXPECT_FALSE(WaitForPlayerWindow(&window_, &version_));
  EXPECT_EQ(5 + 10, FakeSleep::Calls);
  ASSERT_EQ(2u, host_.dialogs.size());
  EXPECT_STREQ("5", host_.dialogs[0].items[6].Data);
  EXPECT_STREQ("10", host_.dialogs[1].items[6].Data);
  EXPECT_EQ(10, key_.GetDword("", "WaitTime"));

  // Keep waiting, and the player turns up during the second cycle.
  std::unique_ptr<TestPlayerWindow> player;
  FakeSleep::Calls = 0;
  FakeSleep::OnSleep = [&](int call) {
    if (call == 12) player.reset(new TestPlayerWindow);
  };
  host_.dialogAnswers = {Answer("7", 8)};
  EXPECT_TRUE(WaitForPlayerWindow(&window_, &version_));
  EXPECT_EQ(12, FakeSleep::Calls);
  EXPECT_EQ(7, Opt.WaitTime);
}

TEST_F(PlayerLink, WaitDialogShowsTheWaitTimeAndStoresTheAnswer) {
  Opt.WaitTime = 42;
  host_.dialogAnswers = {Answer("45", 8)};
  EXPECT_TRUE(WaitDialog());
  ASSERT_EQ(1u, host_.dialogs.size());
  const LinkFakeHost::DialogCall& call = host_.dialogs[0];
  EXPECT_EQ(-1, call.x1);
  EXPECT_EQ(-1, call.y1);
  EXPECT_EQ(70, call.x2);
  EXPECT_EQ(11, call.y2);
  EXPECT_EQ("MELVOXWait", call.help);
  ASSERT_EQ(10u, call.items.size());
  const char* texts[] = {"msg29", "msg30", "msg31", "msg32", "", "msg33", "42", "", "msg0", "msg3"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_STREQ(texts[i], call.items[i].Data) << i;
    EXPECT_EQ(i == 6, call.items[i].Focus != 0) << i;
    EXPECT_EQ(i == 8, call.items[i].DefaultButton != 0) << i;
  }
  EXPECT_EQ(DI_FIXEDIT, call.items[6].Type);
  EXPECT_EQ(DIF_SEPARATOR | DIF_BOXCOLOR, call.items[4].Flags);
  EXPECT_EQ(45, Opt.WaitTime);
  EXPECT_EQ(45, key_.GetDword("", "WaitTime"));

  struct Case {
    const char* typed;
    int result;
    bool keepWaiting;
    int stored;
  } cases[] = {
      {"0", 8, true, 10},  {"", 8, true, 10},    {"ab", 8, true, 10}, {"4", 8, true, 10},
      {"99", 8, true, 99}, {"7", 9, false, 7},   {"6", -1, false, 6},
      {"99999999999999999999", 8, true, 10},
  };
  for (const Case& c : cases) {
    Opt.WaitTime = 42;
    host_.dialogAnswers = {Answer(c.typed, c.result)};
    EXPECT_EQ(c.keepWaiting, WaitDialog()) << c.typed;
    EXPECT_EQ(c.stored, Opt.WaitTime) << c.typed;
    EXPECT_EQ(c.stored, key_.GetDword("", "WaitTime")) << c.typed;
  }
}

TEST_F(PlayerLink, WaitDialogNeverShowsForEndlessWaitOrWithoutStartup) {
  Opt.WaitTime = 99;
  EXPECT_TRUE(WaitDialog());
  Opt.WaitTime = 20;
  Opt.NoWinAMPStartup = 1;
  EXPECT_FALSE(WaitDialog());
  EXPECT_TRUE(host_.dialogs.empty());
  EXPECT_FALSE(key_.Exists());
}

TEST_F(PlayerLink, SongLengthComesFromThePlayer) {
  TestPlayerWindow player;
  struct Case {
    int answer;
    const char* text;
  } cases[] = {{4210, "1:10:10"}, {59, "0:59"}, {0, "0:00"}, {-1, "--:--"}};
  for (const Case& c : cases) {
    TestPlayerWindow::Length = c.answer;
    char buffer[15];
    EXPECT_EQ(buffer, FormatPlayerSongLength(player.Get(), buffer));
    EXPECT_STREQ(c.text, buffer);
  }
  char buffer[15];
  EXPECT_STREQ("0:00", FormatPlayerSongLength(nullptr, buffer));  // a vanished player answers 0
}
