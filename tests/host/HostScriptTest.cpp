// farhost scripts: a whole session printed as the user would see it.
#include "Script.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <stdio.h>

TEST(HostScript, SessionPrintsPanelInfoDialogAndMessage) {
  const char* script =
      "size 80 10\n"
      "passive info\n"
      "open disks\n"
      "cursor 2\n"
      "print panel\n"
      "print info\n"
      "print keybar\n"
      "answer dialog 7 type 2 \"new name\" type 4 xyz123 toggle 5\n"
      "answer message 0\n"
      "key F4\n"
      "update\n"
      "print panel\n";
  std::string out;
  EXPECT_EQ(0, farhost::RunScript(script, hosttest::TestPluginDll(), &out)) << out;
  EXPECT_EQ(
      "> size 80 10\n"
      "> passive info\n"
      "> open disks\n"
      "panel opened\n"
      "> cursor 2\n"
      "> print panel\n"
      "  +------------- Test panel -------------+\n"
      "  | # |      Name      |      Notes      |\n"
      "  |   |..              |                 |\n"
      "  |  1|alpha.mp3       |First            |\n"
      "> |  2|beta.mp3        |Second           |\n"
      "  |--------------------------------------|\n"
      "  |beta.mp3          |Second             |\n"
      "  +--------------------------------------+\n"
      "> print info\n"
      "  +------------ Information -------------+\n"
      "  |---------------- Test ----------------|\n"
      "  | State                           Idle |\n"
      "  | Items                              3 |\n"
      "  +--------------------------------------+\n"
      "> print keybar\n"
      "1Help   2UserMn 3View   4Edit   5Copy   6RenMov 7MkFold 8       9ConfMn 10Quit   11Plugin 12Screen\n"
      "> answer dialog 7 type 2 \"new name\" type 4 xyz123 toggle 5\n"
      "> answer message 0\n"
      "> key F4\n"
      "Dialog help \"Edit\"\n"
      "\n"
      "   +========== Edit item ===========+\n"
      "   | Name:                          |\n"
      "   | beta.mp3______________________ |\n"
      "   | Code: ab__                     |\n"
      "   | [ ] Loud                       |\n"
      "   +--------------------------------+\n"
      "   |       { Ok } [ Cancel ]        |\n"
      "   +================================+\n"
      "focus: item 2 \"beta.mp3\"\n"
      "-> item 7 \"Ok\"\n"
      "Message\n"
      "+---- Saved -----+\n"
      "| Name: new name |\n"
      "|   Code: xyz1   |\n"
      "|     [ Ok ]     |\n"
      "+----------------+\n"
      "-> button 0 \"Ok\"\n"
      "key handled by the plug-in\n"
      "> update\n"
      "> print panel\n"
      "  +------------- Test panel -------------+\n"
      "  | # |      Name      |      Notes      |\n"
      "  |   |..              |                 |\n"
      "  |  1|alpha.mp3       |First            |\n"
      "> |  2|beta.mp3        |new name xyz1 lou|\n"
      "  |--------------------------------------|\n"
      "  |beta.mp3          |new name xyz1 loud |\n"
      "  +--------------------------------------+\n"
      "failures: 0\n",
      out);
}

TEST(HostScript, FaultsAreReportedAndCounted) {
  std::string out;
  int failures = farhost::RunScript("open disks\nkey F3\nkey U\nfly away\n", hosttest::TestPluginDll(), &out);
  EXPECT_EQ(3, failures) << out;
  EXPECT_NE(std::string::npos, out.find("!! unexpected message box \"Play\": no answer was scripted")) << out;
  EXPECT_NE(std::string::npos, out.find("!! cannot do: fly away")) << out;
  EXPECT_NE(std::string::npos, out.find("!! screen #1 saved by SaveScreen was never restored")) << out;
  EXPECT_NE(std::string::npos, out.find("failures: 3")) << out;
}

TEST(HostScript, KeyNames) {
  struct Case {
    const char* name;
    int vk;
    unsigned state;
  } cases[] = {{"F4", VK_F4, 0}, {"Ctrl+F10", VK_F10, PKF_CONTROL}, {"shift+alt+F6", VK_F6, PKF_SHIFT | PKF_ALT},
               {"Enter", VK_RETURN, 0}, {"Ctrl+R", 'R', PKF_CONTROL}, {"0x2E", VK_DELETE, 0}};
  for (const Case& c : cases) {
    int vk = 0;
    unsigned state = 0;
    EXPECT_TRUE(farhost::ParseKeyName(c.name, &vk, &state)) << c.name;
    EXPECT_EQ(c.vk, vk) << c.name;
    EXPECT_EQ(c.state, state) << c.name;
  }
  int vk;
  unsigned state;
  EXPECT_FALSE(farhost::ParseKeyName("F13", &vk, &state));
  EXPECT_FALSE(farhost::ParseKeyName("Ctrl+", &vk, &state));
}

namespace {

// Replaces every occurrence of from in text.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

// The acceptance run: the probe plug-in (it logs every call it gets) through
// one scripted session per host mode, compared as whole transcripts with the
// call sequences recorded in the two real hosts. FARHOST_UPDATE_GOLDEN=1
// writes the transcripts into the source tree instead.
TEST(HostScript, ProbeSessionInEachHostMode) {
  std::string probe = testkit::WinePath(HOST_TESTS_DIR) + "\\probe\\";
  std::string script = testkit::ReadText(probe + "session.txt");
  ASSERT_FALSE(script.empty());
  for (const char* mode : {"1x", "later"}) {
    hosttest::TestFolder folder;
    for (const char* song : {"songs\\a.mp3", "songs\\b.mp3", "songs\\c.mp3", "files\\x.mp3", "find\\f1.mp3",
                             "find\\f2.mp3"}) {
      folder.Mkdir(std::string(song).substr(0, std::string(song).find('\\')));
      folder.Write(song, std::string("song ") + song);
    }
    folder.Write("songs\\list.tpl", "TPL\nsong1\nsong2\n");
    std::string log = folder.File("probe.log");
    SetEnvironmentVariableA("TESTPLUGIN_LOG", log.c_str());
    SetEnvironmentVariableA("PROBE_DIR", folder.Path().c_str());
    std::string out;
    int failures = farhost::RunScript(std::string("host ") + (mode[0] == '1' ? "1.x" : "later") + "\n" + script,
                                      hosttest::TestPluginDll(), &out);
    SetEnvironmentVariableA("TESTPLUGIN_LOG", nullptr);
    SetEnvironmentVariableA("PROBE_DIR", nullptr);
    EXPECT_EQ(0, failures) << mode;
    out = Replaced(Replaced(out, folder.Path(), "<dir>"), testkit::WinePath(TESTPLUGIN_DIR), "<plugin>");
    std::string goldenPath = probe + "session-" + mode + ".txt";
    char update[8];
    if (GetEnvironmentVariableA("FARHOST_UPDATE_GOLDEN", update, sizeof update) > 0) {
      testkit::WriteText(goldenPath, out);
      continue;
    }
    std::string golden = testkit::ReadText(goldenPath);
    EXPECT_EQ(golden, out) << "host " << mode << ": compare with " << goldenPath;
  }
}
