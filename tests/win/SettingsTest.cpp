#include "plugin/Settings.h"

#include "LinkFakeHost.h"
#include "SettingsTestKey.h"
#include "plugin/Options.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const HKEY kHive = HKEY_CURRENT_USER;

void LoadAll(const char* rootKey) {
  LinkFakeHost host;
  HostInfo.RootKey = rootKey;
  LoadLogSetting();
  LoadSettings();
}

}  // namespace

TEST(SettingsLoad, MissingKeyGivesTheDefaultsAndStoresOnlyWaitTime) {
  SettingsTestKey key("MissingKey");
  Opt = {};  // every field must be set by the load, none left over
  LoadAll(key.Root());
  EXPECT_EQ(0, memcmp(&kDefaultOptions, &Opt, sizeof Opt));
  DWORD values, subkeys;
  key.Count("", &values, &subkeys);
  EXPECT_EQ(1u, values);
  EXPECT_EQ(0u, subkeys);
  EXPECT_EQ(10, key.GetDword("", "WaitTime"));
}

TEST(SettingsLoad, StoredValuesReachTheirFields) {
  SettingsTestKey key("Stored");
  struct Stored {
    const char* subkey;
    const char* name;
    DWORD value;
    int Options::*field;
  } stored[] = {
      {"", "LogFile", 1, &Options::LogFile},
      {"ViewModes", "StartPanelMode", 55, &Options::StartPanelMode},  // the character "7"
      {"", "ReadFileTitle", 0, &Options::ReadFileTitle},
      {"", "AddToDisksMenu", 0, &Options::AddToDisksMenu},
      {"", "DisksMenuDigit", 0, &Options::DisksMenuDigit},
      {"", "AddDots", 0, &Options::AddDots},
      {"", "ReadID3Tag", 0, &Options::ReadID3Tag},
      {"", "WaitTime", 42, &Options::WaitTime},
      {"", "ToTmpPanel", 1, &Options::ToTmpPanel},
      {"", "LastButton", 9, &Options::LastButton},
      {"", "TitleColor", 0x1F, &Options::TitleColor},
      {"", "NoWinAMPStartup", 1, &Options::NoWinAMPStartup},
      {"", "UseHighLighting", 1, &Options::UseHighLighting},
      {"", "UseAttrHighLighting", 0, &Options::UseAttrHighLighting},
  };
  for (const Stored& s : stored) key.SetDword(s.subkey, s.name, s.value);
  LoadAll(key.Root());
  for (const Stored& s : stored) EXPECT_EQ(static_cast<int>(s.value), Opt.*s.field) << s.name;
  EXPECT_EQ(42, key.GetDword("", "WaitTime"));
}

TEST(SettingsLoad, WaitTimeOutsideFiveToNinetyNineBecomesTen) {
  struct Case {
    DWORD stored;
    int expected;
  } cases[] = {{4, 10}, {5, 5}, {99, 99}, {100, 10}, {0xFFFFFFFFu, 10}, {0x80000000u, 10}};
  for (const Case& c : cases) {
    SettingsTestKey key("WaitTime");
    key.SetDword("", "WaitTime", c.stored);
    LoadAll(key.Root());
    EXPECT_EQ(c.expected, Opt.WaitTime) << c.stored;
    EXPECT_EQ(c.expected, key.GetDword("", "WaitTime")) << c.stored;
  }
}

TEST(SettingsStore, NormalizeWaitTimeWritesInRangeValuesOnlyWhenAsked) {
  SettingsTestKey key("Normalize");
  Opt.WaitTime = 30;
  NormalizeWaitTime(false);
  EXPECT_FALSE(key.Exists());
  NormalizeWaitTime(true);
  EXPECT_EQ(30, key.GetDword("", "WaitTime"));
  Opt.WaitTime = 3;
  NormalizeWaitTime(false);  // out of range: corrected and stored anyway
  EXPECT_EQ(10, Opt.WaitTime);
  EXPECT_EQ(10, key.GetDword("", "WaitTime"));
}

TEST(SettingsStore, ValuesRoundTripThroughSubkeys) {
  SettingsTestKey key("RoundTrip");
  WriteSettingString(kHive, "ViewModes\\Mode3", "ColumnTypes", "LN,NR");
  WriteSettingDword(kHive, "ViewModes\\Mode3", "FullScreen", 1);
  const unsigned char checks[6] = {1, 0, 1, 0, 0, 1};
  WriteSettingBinary(kHive, "", "FixedChecked", checks, sizeof checks);

  char text[16];
  EXPECT_EQ(1, ReadSettingString(kHive, "ViewModes\\Mode3", "ColumnTypes", text, "x", sizeof text));
  EXPECT_STREQ("LN,NR", text);
  EXPECT_EQ(1, GetSettingDword(kHive, "ViewModes\\Mode3", "FullScreen", 7));
  unsigned char read[6] = {};
  EXPECT_EQ(1, ReadSettingBinary(kHive, "", "FixedChecked", read, nullptr, sizeof read));
  EXPECT_EQ(0, memcmp(checks, read, sizeof read));
  // The empty subkey is the key itself: no trailing separator, no extra key.
  DWORD values, subkeys;
  key.Count("", &values, &subkeys);
  EXPECT_EQ(1u, values);
  EXPECT_EQ(1u, subkeys);
}

TEST(SettingsStore, ReadStringFallsBackAndAlwaysTerminates) {
  SettingsTestKey key("Strings");
  key.Set("", "Exact", REG_SZ, "abcdefg", 8);        // 7 characters and NUL: fills 8 bytes
  key.Set("", "TooLong", REG_SZ, "abcdefgh", 9);     // needs 9 bytes
  key.Set("", "NoNul", REG_SZ, "abc", 3);            // stored without a NUL
  key.Set("", "NoNulFull", REG_SZ, "abcdefgh", 8);   // 8 bytes, no room for a NUL
  struct Case {
    const char* name;
    const char* defaultText;
    int result;
    const char* expected;
  } cases[] = {
      {"Exact", "dflt", 1, "abcdefg"},  {"TooLong", "dflt", 0, "dflt"},
      {"NoNul", "dflt", 1, "abc"},      {"NoNulFull", "dflt", 0, "dflt"},
      {"Missing", "dflt", 0, "dflt"},   {"Missing", nullptr, 0, "keep"},
      {"TooLong", nullptr, 0, "keep"},  {"Missing", "a default longer than eight", 0, "a defau"},
  };
  for (const Case& c : cases) {
    char buffer[8 + 4];
    memset(buffer, '#', sizeof buffer);
    strcpy(buffer, "keep");
    EXPECT_EQ(c.result, ReadSettingString(kHive, "", c.name, buffer, c.defaultText, 8)) << c.name;
    EXPECT_STREQ(c.expected, buffer) << c.name;
    EXPECT_EQ('#', buffer[8]) << c.name << ": wrote past the buffer";
  }
}

TEST(SettingsStore, ReadDwordAndBinaryDefaults) {
  SettingsTestKey key("Numbers");
  key.Set("", "Short", REG_BINARY, "\x07", 1);
  int value = 99;
  EXPECT_EQ(0, ReadSettingDword(kHive, "", "Missing", &value, -3));
  EXPECT_EQ(-3, value);
  EXPECT_EQ(1, ReadSettingDword(kHive, "", "Short", &value, -3));
  EXPECT_EQ(7, value);  // zero-extended, not mixed with the old value
  EXPECT_EQ(5, GetSettingDword(kHive, "NoSuchSubkey", "Short", 5));

  unsigned char buffer[6];
  memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(0, ReadSettingBinary(kHive, "", "Missing", buffer, nullptr, sizeof buffer));
  for (unsigned char b : buffer) EXPECT_EQ(0, b);
  const unsigned char defaults[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(0, ReadSettingBinary(kHive, "", "Missing", buffer, defaults, sizeof buffer));
  EXPECT_EQ(0, memcmp(defaults, buffer, sizeof buffer));
}

TEST(SettingsStore, TooLongKeyPathsAreRefusedNotCut) {
  // A RootKey longer than SettingsKeyPath can hold: nothing is read or written
  // anywhere, the defaults apply.
  std::string longName(150, 'L');
  {
    SettingsTestKey key(longName);
    EXPECT_STREQ("", SettingsKeyPath);
    Opt = {};
    LoadAll(key.Root());
    EXPECT_EQ(0, memcmp(&kDefaultOptions, &Opt, sizeof Opt));
    WriteSettingDword(kHive, "", "WaitTime", 20);
    HKEY test;
    EXPECT_NE(0, RegOpenKeyExA(kHive, "Software\\MelvoxTest", 0, KEY_READ, &test));
  }
  // A settings path of 70 characters: the key itself fits, "ViewModes" does not.
  std::string name(70 - strlen("Software\\MelvoxTest\\\\Tessaryn Software\\MELVOX"), 'n');
  SettingsTestKey key(name);
  ASSERT_EQ(70u, strlen(SettingsKeyPath));
  key.SetDword("", "AddDots", 0);
  key.SetDword("ViewModes", "StartPanelMode", 55);
  LoadAll(key.Root());
  EXPECT_EQ(0, Opt.AddDots);
  EXPECT_EQ('2', Opt.StartPanelMode);
  WriteSettingDword(kHive, "ViewModes", "StartPanelMode", 51);
  EXPECT_EQ(55, key.GetDword("ViewModes", "StartPanelMode"));
  EXPECT_EQ(nullptr, CreateSettingsKey(kHive, "ViewModes"));
  EXPECT_EQ(nullptr, OpenSettingsKey(kHive, "ViewModes"));
}
