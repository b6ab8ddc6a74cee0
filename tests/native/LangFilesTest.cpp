// The shipped language and help files, as the build converts them: message
// numbering must agree with LangMessages.h, or every text of the plug-in is
// off by one.
#include "plugin/LangMessages.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/wait.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kEnumNames[] = {
#define MELVOX_LANG_NAME(name) #name,
    MELVOX_LANG_MESSAGES(MELVOX_LANG_NAME)
#undef MELVOX_LANG_NAME
};
constexpr size_t kEnumCount = sizeof kEnumNames / sizeof kEnumNames[0];
// The messages after the genre names.
const char* const kMoreNames[] = {
#define MELVOX_LANG_NAME(name) #name,
    MELVOX_MORE_MESSAGES(MELVOX_LANG_NAME)
#undef MELVOX_LANG_NAME
};
constexpr size_t kMoreCount = sizeof kMoreNames / sizeof kMoreNames[0];


std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

struct LangMessageLine {
  std::string comment;  // the "// " line above it, without the slashes
  std::string text;     // between the outer quotes
};

std::vector<LangMessageLine> ReadMessages(const std::vector<std::string>& lines) {
  std::vector<LangMessageLine> messages;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty() || lines[i][0] != '"') continue;
    LangMessageLine m;
    if (i > 0 && lines[i - 1].rfind("// ", 0) == 0) m.comment = lines[i - 1].substr(3);
    size_t last = lines[i].rfind('"');
    m.text = last > 0 ? lines[i].substr(1, last - 1) : std::string("<unterminated>");
    messages.push_back(m);
  }
  return messages;
}

std::string LangDir() { return std::string(MELVOX_BINARY_DIR) + "/lang/"; }

struct LangFile {
  const char* name;
  const char* firstLine;  // in the file's OEM code page
};

const LangFile kLangFiles[] = {
    {"melvoxEng.lng", ".Language=English,English"},
    // "Русский" in code page 866.
    {"melvoxRus.lng", ".Language=Russian,Russian (\x90\xE3\xE1\xE1\xAA\xA8\xA9)"},
};

class LangFiles : public ::testing::TestWithParam<LangFile> {};

TEST_P(LangFiles, FollowTheMessageNumbering) {
  std::vector<std::string> lines = ReadLines(LangDir() + GetParam().name);
  ASSERT_FALSE(lines.empty()) << "missing " << GetParam().name;
  EXPECT_EQ(GetParam().firstLine, lines[0]);

  std::vector<LangMessageLine> messages = ReadMessages(lines);
  const size_t moreFirst = MGenreFirst + kGenreNamesNumber;
  ASSERT_EQ(moreFirst + kMoreCount, messages.size());
  for (size_t n = 0; n < kEnumCount; ++n) {
    EXPECT_EQ(kEnumNames[n], messages[n].comment) << "message " << n;
  }
  for (size_t n = kEnumCount; n < moreFirst; ++n) {
    EXPECT_EQ("genre " + std::to_string(n - MGenreFirst), messages[n].comment) << "message " << n;
  }
  EXPECT_EQ(static_cast<size_t>(MMoreBefore + 1), moreFirst);
  for (size_t n = moreFirst; n < messages.size(); ++n) {
    EXPECT_EQ(kMoreNames[n - moreFirst], messages[n].comment) << "message " << n;
    EXPECT_FALSE(messages[n].text.empty()) << "message " << n;
  }

  // The genre count names exactly the genre lines that follow.
  EXPECT_EQ(std::to_string(kGenreNamesNumber), messages[MGenreCount].text);
  EXPECT_EQ("Blues", messages[MGenreFirst].text);
  EXPECT_EQ("Synthpop", messages[moreFirst - 1].text);

  for (size_t n = 0; n < messages.size(); ++n) {
    const std::string& text = messages[n].text;
    EXPECT_EQ(std::string::npos, text.find('\\')) << "message " << n << ": " << text;
    EXPECT_EQ(std::string::npos, text.find('"')) << "message " << n << ": " << text;
  }
  for (int n : {MKeyStop, MKeyPause, MKeyRemove, MKeyCtrlF10, MKeyTags}) {
    EXPECT_LE(messages[n].text.size(), 6u) << "key-bar label " << n << ": " << messages[n].text;
    EXPECT_FALSE(messages[n].text.empty()) << "key-bar label " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Shipped, LangFiles, ::testing::ValuesIn(kLangFiles));

class HelpFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(HelpFiles, HoldEveryTopicAndNoDeadLink) {
  std::vector<std::string> lines = ReadLines(LangDir() + GetParam());
  ASSERT_GE(lines.size(), 3u) << "missing " << GetParam();
  EXPECT_EQ(0u, lines[0].rfind(".Language=", 0));
  EXPECT_EQ(".PluginContents=MELVOX", lines[1]);

  std::set<std::string> topics;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].size() > 1 && lines[i][0] == '@') {
      topics.insert(lines[i].substr(1));
      ASSERT_LT(i + 1, lines.size());
      const std::string& title = lines[i + 1];
      EXPECT_TRUE(title.size() > 4 && title.rfind("$ #", 0) == 0 && title.back() == '#')
          << "title of " << lines[i] << ": " << title;
    }
  }
  for (const char* topic : {"Contents", "MELVOXWait", "MELVOXCfg", "MELVOXCfgView", "MELVOXSPL",
                            "MELVOXID3TagEditor", "MELVOXcontrol"}) {
    EXPECT_EQ(1u, topics.count(topic)) << topic;
  }

  // "#" switches highlighting on and off within a line ("##" is a literal one):
  // an odd count leaves the rest of the topic highlighted.
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    for (size_t at = line.find("##"); at != std::string::npos; at = line.find("##", at)) {
      line.erase(at, 2);
    }
    size_t marks = 0;
    for (char c : line) marks += c == '#';
    EXPECT_EQ(0u, marks % 2) << "line " << i + 1 << ": " << lines[i];
  }

  std::stringstream all;
  for (const std::string& line : lines) all << line << '\n';
  std::string text = all.str();
  // Links are ~text~@Topic@.
  int links = 0;
  for (size_t at = text.find("~@"); at != std::string::npos; at = text.find("~@", at + 2)) {
    size_t end = text.find('@', at + 2);
    ASSERT_NE(std::string::npos, end);
    std::string target = text.substr(at + 2, end - at - 2);
    EXPECT_EQ(1u, topics.count(target)) << "dead link to " << target;
    ++links;
  }
  EXPECT_GT(links, 10);
}

INSTANTIATE_TEST_SUITE_P(Shipped, HelpFiles, ::testing::Values("melvoxEng.hlf", "melvoxRus.hlf"));

// Runs a shell command; its exit status and what it printed (both streams).
int RunShell(const std::string& command, std::string* output) {
  output->clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buf[256];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) output->append(buf, n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

TEST(LangConversion, TextTheCodePageCannotHoldFailsNamingFileAndLine) {
  testkit::TempDir dir;
  struct Case {
    const char* name;
    std::string text;
    const char* codepage;
    const char* where;  // expected "file:line"
  } cases[] = {
      // The euro sign is not in code page 437, the Latin "é" is not in 866.
      {"euro", "\"One\"\n\"Two \xE2\x82\xAC\"\n\"Three\"\n", "CP437", "euro.lng:2:"},
      {"latin", "\"a\"\n\"b\"\n\"c\"\n\"caf\xC3\xA9\"\n", "CP866", "latin.lng:4:"},
      {"not utf8", "ok\n\xFF\xFE\n", "CP437", "not utf8.lng:2:"},
  };
  std::string script = std::string(MELVOX_SOURCE_DIR) + "/lang/convert-text.sh";
  for (const Case& c : cases) {
    std::string in = dir.File(std::string(c.name) + ".lng");
    std::string out = dir.File(std::string(c.name) + ".out");
    testkit::WriteText(in, c.text);
    testkit::WriteText(out, "left from an earlier build");
    std::string printed;
    EXPECT_NE(0, RunShell("sh " + Quoted(script) + " " + Quoted(in) + " " + Quoted(out) + " " +
                         c.codepage, &printed))
        << c.name;
    EXPECT_NE(std::string::npos, printed.find(c.where)) << c.name << ": " << printed;
    // Nothing half-converted is left to ship.
    EXPECT_FALSE(testkit::FileExists(out)) << c.name;
    EXPECT_FALSE(testkit::FileExists(out + ".tmp")) << c.name;
  }

  std::string in = dir.File("good.lng");
  std::string out = dir.File("good.out");
  testkit::WriteText(in, "\"Caf\xC3\xA9\"\n\"Two\"\n");
  std::string printed;
  EXPECT_EQ(0, RunShell("sh " + Quoted(script) + " " + Quoted(in) + " " + Quoted(out) + " CP437",
                   &printed))
      << printed;
  EXPECT_EQ("\"Caf\x82\"\r\n\"Two\"\r\n", testkit::ReadText(out));
}

// Each package holds its own build's DLL with both language and both help
// files under the names the host looks for, and its readme sends the user of
// the other bitness to the other zip.
TEST(LangConversion, DistributionShipsLanguageAndHelpFiles) {
  testkit::TempDir dir;
  const char* const shipped[] = {"melvoxEng.lng", "melvoxRus.lng", "melvoxEng.hlf",
                                 "melvoxRus.hlf"};
  const struct { const char* build; const char* package; const char* dll; const char* other; } builds[] = {
      {"win32", "MELVOX", "MZ 32", "MELVOX64.zip"}, {"win64", "MELVOX64", "MZ 64", "MELVOX.zip"}};
  for (const auto& b : builds) {
    std::string build = dir.MakeDir(b.build);
    dir.MakeDir(std::string(b.build) + "/src");
    dir.MakeDir(std::string(b.build) + "/lang");
    testkit::WriteText(build + "/src/melvox.dll", b.dll);
    for (const char* name : shipped)
      testkit::WriteText(build + "/lang/" + name, testkit::ReadText(LangDir() + name));
  }
  std::string script = std::string(MELVOX_SOURCE_DIR) + "/scripts/dist.sh";
  std::string out = dir.File("out");
  std::string run = "bash " + Quoted(script) + " " + Quoted(dir.File("win32")) + " " + Quoted(dir.File("win64")) +
                    " " + Quoted(out);
  std::string printed;
  ASSERT_EQ(0, RunShell(run, &printed)) << printed;
  for (const auto& b : builds) {
    std::string folder = out + "/" + b.package + "/";
    EXPECT_TRUE(testkit::FileExists(out + "/" + b.package + ".zip")) << b.package;
    EXPECT_EQ(b.dll, testkit::ReadText(folder + "melvox.dll")) << b.package;
    for (const char* name : shipped)
      EXPECT_EQ(testkit::ReadText(LangDir() + name), testkit::ReadText(folder + name)) << b.package << " " << name;
    EXPECT_NE(std::string::npos, testkit::ReadText(folder + "readme.txt").find(b.other)) << b.package;
  }
  // Without a help file nothing is packaged.
  std::remove(dir.File("win64/lang/melvoxRus.hlf").c_str());
  EXPECT_NE(0, RunShell(run, &printed));
  EXPECT_NE(std::string::npos, printed.find("melvoxRus.hlf")) << printed;
  EXPECT_FALSE(testkit::FileExists(out + "/MELVOX64/melvox.dll"));
}

}  // namespace
