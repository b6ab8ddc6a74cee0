#include "plugin/SettingsPath.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

TEST(SettingsPath, FormatsBelowTheHostsRootKey) {
  char path[kSettingsKeyPathSize];
  ASSERT_TRUE(FormatSettingsKeyPath(path, sizeof path, "Software\\Far\\Plugins"));
  EXPECT_STREQ("Software\\Far\\Plugins\\Tessaryn Software\\MELVOX", path);

  // Exactly filling the buffer is accepted; one more character is refused.
  const size_t suffix = strlen("\\Tessaryn Software\\MELVOX");
  std::string fits(kSettingsKeyPathSize - 1 - suffix, 'r');
  EXPECT_TRUE(FormatSettingsKeyPath(path, sizeof path, fits.c_str()));
  EXPECT_EQ(kSettingsKeyPathSize - 1, strlen(path));
  for (const char* root : {static_cast<const char*>(nullptr), ""}) {
    strcpy(path, "stale");
    EXPECT_FALSE(FormatSettingsKeyPath(path, sizeof path, root));
    EXPECT_STREQ("", path);
  }
  std::string tooLong = fits + "r";
  EXPECT_FALSE(FormatSettingsKeyPath(path, sizeof path, tooLong.c_str()));
  EXPECT_STREQ("", path);
}

TEST(SettingsPath, ComposesOnlyWhatFitsEightyBytes) {
  const std::string base = "Software\\Far\\Plugins\\Tessaryn Software\\MELVOX";  // 45 characters
  const std::string sub33(33, 's');  // base + "\" + 33 = 79 characters: the longest allowed
  const std::string sub34(34, 's');
  struct Case {
    const char* settingsPath;
    const char* subkey;
    bool ok;
    std::string expected;
  } cases[] = {
      {base.c_str(), "", true, base},
      {base.c_str(), nullptr, true, base},
      {base.c_str(), "ViewModes", true, base + "\\ViewModes"},
      {base.c_str(), "ViewModes\\Mode7", true, base + "\\ViewModes\\Mode7"},
      {base.c_str(), sub33.c_str(), true, base + "\\" + sub33},
      {base.c_str(), sub34.c_str(), false, ""},
      {"", "ViewModes", false, ""},
      {nullptr, "", false, ""},
  };
  for (const Case& c : cases) {
    char out[kComposedKeyPathSize];
    memset(out, 'z', sizeof out);
    EXPECT_EQ(c.ok, ComposeSettingsKeyPath(out, sizeof out, c.settingsPath, c.subkey))
        << (c.subkey ? c.subkey : "(null)");
    EXPECT_EQ(c.expected, out);
  }
  // A settings path alone that is longer than 79 characters is refused too.
  std::string longBase(80, 'b');
  char out[kComposedKeyPathSize];
  EXPECT_FALSE(ComposeSettingsKeyPath(out, sizeof out, longBase.c_str(), ""));
  EXPECT_STREQ("", out);
}
