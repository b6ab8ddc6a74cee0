// What a user's registry, files and language file can hold that the plug-in
// did not write, met through the shipped DLL in the host emulator with the
// player stand-in: values of the wrong type, too long or unterminated for
// every setting read; a titles cache cut at every byte or filled with noise;
// a language file with missing messages and a count that is no number; song
// files of a few bytes, read-only, locked or gone when their tag is written.
// Nothing may crash or fail in the host, an unusable value must act as its
// default, and a song file is either left alone or given a whole tag.
#include "JourneyKit.h"

#include "SongFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

const char kKey[] = "Tessaryn Software\\MELVOX";

// --- settings ---------------------------------------------------------------

struct Setting {
  const char* subkey;  // below kKey, "" for the key itself
  const char* name;
  bool number;         // read as a DWORD, else as a text
  const char* text;    // a usable text value (texts only)
};

std::vector<Setting> AllSettings() {
  std::vector<Setting> all = {
      {"", "ReadFileTitle", true, nullptr},  {"", "AddToDisksMenu", true, nullptr},
      {"", "LogFile", true, nullptr},        {"", "AddDots", true, nullptr},
      {"", "ToTmpPanel", true, nullptr},     {"", "ReadID3Tag", true, nullptr},
      {"", "NoWinAMPStartup", true, nullptr}, {"", "UseHighLighting", true, nullptr},
      {"", "UseAttrHighLighting", true, nullptr}, {"", "DisksMenuDigit", true, nullptr},
      {"", "WaitTime", true, nullptr},       {"", "TitleColor", true, nullptr},
      {"", "LastButton", true, nullptr},     {"\\ViewModes", "StartPanelMode", true, nullptr},
      {"", "SaveAsPLS", true, nullptr},      {"", "SaveExtInfo", true, nullptr},
      {"", "AddToFile", true, nullptr},      {"", "PlaylistName", false, "mix"},
      {"", "FixedTitle", false, "Hit"},      {"", "FixedArtist", false, "Band"},
      {"", "FixedAlbum", false, "Best"},     {"", "FixedYear", false, "1990"},
      {"", "FixedComment", false, "ok"},     {"", "FixedGenre", true, nullptr},
      {"", "FixedChecked", true, nullptr},
  };
  static const char* const kModeSubkeys[] = {"\\ViewModes\\Mode0", "\\ViewModes\\Mode2",
                                             "\\ViewModes\\Mode5", "\\ViewModes\\Mode9"};
  for (const char* mode : kModeSubkeys) {
    all.push_back({mode, "ColumnTypes", false, "N,Z"});
    all.push_back({mode, "ColumnWidths", false, "0,20"});
    all.push_back({mode, "StatusColumnTypes", false, "N"});
    all.push_back({mode, "StatusColumnWidths", false, "0"});
    all.push_back({mode, "FullScreen", true, nullptr});
    all.push_back({mode, "AlignExtensions", true, nullptr});
    all.push_back({mode, "CaseConversion", true, nullptr});
  }
  return all;
}

std::string RegistryLine(const Setting& s, const std::string& value, const char* type) {
  return std::string("registry \"") + kKey + s.subkey + "\" " + s.name + " \"" + value + "\" " +
         type + "\n";
}

// Everything a user sees of the settings: the plug-ins and disks menus, the
// options dialog, the panel in its start mode and in the modes given, the
// save dialog, the tag editor and the control dialog.
const char kSettingsWalk[] =
    "player start ${SONGS}\\all.m3u\n"
    "print plugininfo\n"
    "answer dialog esc\n"
    "configure 0\n"
    "open disks\n"
    "print openinfo\n"
    "print panel\n"
    "view 0\nprint panel\nview 2\nprint panel\nview 5\nprint panel\nview 9\nprint panel\n"
    "answer dialog esc\n"
    "key Shift+F5\n"
    "answer dialog esc\n"
    "key Alt+F6\n"
    "close\n"
    "answer dialog esc\n"
    "open plugins 0\n"
    "exit\n";

std::string RunJourney(const std::string& script, int* failures) {
  journey::Journey journey;
  return journey.Run(script, failures);
}

TEST(HostileSettings, UnusableValuesActAsDefaults) {
  int failures = -1;
  const std::string defaults = RunJourney("size 80 14\n" + std::string(kSettingsWalk), &failures);
  ASSERT_EQ(0, failures) << defaults;

  const std::string tooLong(600, 'x');
  struct Case {
    const char* what;
    // The value each setting gets: its script value and type; null skips it.
    std::function<const char*(const Setting&, std::string*)> value;
  };
  const Case cases[] = {
      // "0" for a setting whose default is 0 would read as 48 if taken as
      // bytes; "" as 0 for one whose default is not.
      {"numbers stored as texts",
       [](const Setting& s, std::string* v) -> const char* {
         if (!s.number) return nullptr;
         *v = std::string(s.name) == "StartPanelMode" ? "7" : "";
         return "sz";
       }},
      {"numbers of five bytes, more check-box bytes than boxes",
       [](const Setting& s, std::string* v) -> const char* {
         if (!s.number) return nullptr;
         // The check boxes' bytes: more of them than there are boxes.
         *v = std::string(s.name) == "FixedChecked" ? "01010101010101010101" : "0100000000";
         return "binary";
       }},
      {"texts stored as numbers",
       [](const Setting& s, std::string* v) -> const char* {
         if (s.number) return nullptr;
         *v = "65";
         return "dword";
       }},
      {"texts too long, with and without their end",
       [&](const Setting& s, std::string* v) -> const char* {
         if (s.number) return nullptr;
         *v = tooLong;
         return s.name[0] == 'F' ? "unterminated" : "sz";
       }},
      {"numbers no dialog or host can use",
       [](const Setting& s, std::string* v) -> const char* {
         static const std::pair<const char*, const char*> kOut[] = {
             {"StartPanelMode", "1000"}, {"DisksMenuDigit", "77"}, {"LastButton", "9999"},
             {"WaitTime", "-1"}};
         for (const auto& o : kOut)
           if (std::string(s.name) == o.first) return *v = o.second, "dword";
         return nullptr;
       }},
  };
  std::vector<Setting> settings = AllSettings();
  for (const Case& c : cases) {
    std::string script = "size 80 14\n";
    for (const Setting& s : settings) {
      std::string value;
      if (const char* type = c.value(s, &value)) script += RegistryLine(s, value, type);
    }
    std::string transcript = RunJourney(script + kSettingsWalk, &failures);
    EXPECT_EQ(0, failures) << c.what << "\n" << transcript;
    // The registry lines echo first; what follows must be the defaults' walk.
    size_t walk = transcript.find("> player start");
    ASSERT_NE(std::string::npos, walk) << c.what;
    EXPECT_EQ(defaults.substr(defaults.find("> player start")), transcript.substr(walk)) << c.what;
  }

  // A text stored without its NUL reads as the same text with it.
  std::string ended = "size 80 14\n", unended = "size 80 14\n";
  for (const Setting& s : settings) {
    if (s.number) continue;
    ended += RegistryLine(s, s.text, "sz");
    unended += RegistryLine(s, s.text, "unterminated");
  }
  std::string withEnd = RunJourney(ended + kSettingsWalk, &failures);
  EXPECT_EQ(0, failures) << withEnd;
  EXPECT_NE(defaults.substr(defaults.find("> player start")),
            withEnd.substr(withEnd.find("> player start")))
      << "the texts are shown";
  std::string withoutEnd = RunJourney(unended + kSettingsWalk, &failures);
  EXPECT_EQ(0, failures) << withoutEnd;
  EXPECT_EQ(withEnd.substr(withEnd.find("> player start")),
            withoutEnd.substr(withoutEnd.find("> player start")));
}

// --- titles cache -------------------------------------------------------------

using Entry = std::array<std::string, 3>;  // file name, length, title

// The cache file's whole entries, and whether it ends cleanly after one.
std::vector<Entry> CacheEntries(const std::string& bytes, bool* sound) {
  std::vector<std::string> texts;
  size_t at = 0;
  for (size_t nul; (nul = bytes.find('\0', at)) != std::string::npos; at = nul + 1)
    texts.push_back(bytes.substr(at, nul - at));
  if (sound) *sound = at == bytes.size() && texts.size() % 3 == 0;
  std::vector<Entry> entries;
  for (size_t i = 0; i + 2 < texts.size(); i += 3) entries.push_back({texts[i], texts[i + 1], texts[i + 2]});
  std::sort(entries.begin(), entries.end());
  return entries;
}

TEST(HostileTitlesCache, DamagedFileLoadsAndIsWrittenSound) {
  journey::Journey journey;
  const std::string cache = journey.PluginFolder() + "\\melvox.fc0";
  const char kOpen[] = "size 80 10\nopen disks\nprint panel\nexit\n";
  int failures = -1;
  std::string first = journey.Run("size 80 10\nplayer start ${SONGS}\\day.m3u\nopen disks\nprint panel\nexit\n",
                                  &failures);
  ASSERT_EQ(0, failures) << first;
  const std::string example = testkit::ReadText(cache);
  bool sound = false;
  const std::vector<Entry> songs = CacheEntries(example, &sound);
  ASSERT_TRUE(sound && songs.size() == 2) << first;
  const std::string panel = first.substr(first.find("> print panel"));

  std::vector<std::string> inputs;
  for (size_t cut = 0; cut < example.size(); ++cut) inputs.push_back(example.substr(0, cut));
  std::mt19937 random(13);
  for (int i = 0; i < 24; ++i) {
    std::string noise(random() % 200, '\0');
    // Few NULs in some, many in others: long texts and runs of empty ones.
    for (char& c : noise) c = static_cast<char>(i % 2 ? random() % 256 : random() % 4);
    inputs.push_back(noise);
  }
  for (const std::string& input : inputs) {
    std::string label = "cache of " + std::to_string(input.size()) + " bytes";
    // Loaded and saved without a panel: the whole entries stay, a damaged
    // end goes.
    SetFileAttributesA(cache.c_str(), FILE_ATTRIBUTE_NORMAL);
    testkit::WriteText(cache, input);
    std::string unopened = journey.Run("exit\n", &failures);
    EXPECT_EQ(0, failures) << label << "\n" << unopened;
    std::string kept = testkit::ReadText(cache);
    EXPECT_EQ(CacheEntries(input, nullptr), CacheEntries(kept, &sound)) << label;
    EXPECT_TRUE(sound) << label << " saved without a panel";

    SetFileAttributesA(cache.c_str(), FILE_ATTRIBUTE_NORMAL);
    testkit::WriteText(cache, input);
    std::string transcript = journey.Run(kOpen, &failures);
    EXPECT_EQ(0, failures) << label << "\n" << transcript;
    size_t shown = transcript.find("> print panel");
    ASSERT_NE(std::string::npos, shown) << label << "\n" << transcript;
    // A name the noise shares with a song could give it another title.
    if (input.size() < example.size()) {
      EXPECT_EQ(panel, transcript.substr(shown)) << label;
    }

    // Whole entries of the input stay, the songs' titles are added, and the
    // file ends after a whole entry.
    std::vector<Entry> expected = CacheEntries(input, nullptr);
    for (const Entry& song : songs) {
      if (std::none_of(expected.begin(), expected.end(),
                       [&](const Entry& e) { return e[0] == song[0]; }))
        expected.push_back(song);
    }
    std::sort(expected.begin(), expected.end());
    std::vector<Entry> saved = CacheEntries(testkit::ReadText(cache), &sound);
    EXPECT_TRUE(sound) << label;
    EXPECT_EQ(expected, saved) << label;
  }
}

// --- language file ------------------------------------------------------------

// The English language file beside the plug-in with its message lines
// changed: edit gets each message's number and line and returns the new line
// (empty: the line and every message after it are dropped).
void EditLanguageFile(const std::string& folder,
                      const std::function<std::string(int, const std::string&)>& edit) {
  std::string path = folder + "\\melvoxEng.lng";
  std::string text = testkit::ReadText(path), out;
  int number = 0;
  bool dropping = false;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(at, end - at);
    at = end;
    if (!line.empty() && line[0] == '"') {
      if (!dropping) {
        std::string changed = edit(number, line);
        if (changed.empty()) dropping = true;
        line = changed;
      }
      ++number;
      if (dropping) continue;
    }
    out += line;
  }
  testkit::WriteText(path, out);
}

TEST(HostileLanguageFile, MissingMessagesAndGenreCount) {
  const char kWalk[] =
      "player start ${SONGS}\\all.m3u\n"
      "open disks\n"
      "view 5\n"
      "print panel\n"
      "print info\n"
      "answer dialog 12\n"
      "answer menu esc\n"
      "answer dialog esc\n"
      "key Alt+F6\n"
      "answer dialog esc\n"
      "key Shift+F5\n"
      "close\n"
      "exit\n";
  struct Case {
    const char* what;
    const char* settings;
    std::function<std::string(int, const std::string&)> edit;
    const char* genreShown;  // what the panel's genre column shows for the first song
  } cases[] = {
      {"a genre count that is no number", "",
       [](int n, const std::string& line) { return n == 125 ? std::string("\"many\"\r\n") : line; },
       "|2001|Rock      |"},
      {"a genre count beyond the names", "",
       [](int n, const std::string& line) { return n == 125 ? std::string("\"255\"\r\n") : line; },
       "|2001|Rock      |"},
      {"the messages after the genres missing", "allow missing messages\n",
       [](int n, const std::string& line) { return n >= 275 ? std::string() : line; },
       "|2001|Rock      |"},
      {"half the genre names missing", "allow missing messages\n",
       [](int n, const std::string& line) { return n >= 127 + 10 ? std::string() : line; },
       "|2001|          |"},  // Rock is genre 17
  };
  for (const Case& c : cases) {
    journey::Journey journey;
    EditLanguageFile(journey.PluginFolder(), c.edit);
    int failures = -1;
    std::string transcript = journey.Run(std::string("size 80 14\n") + c.settings + kWalk, &failures);
    EXPECT_EQ(0, failures) << c.what << "\n" << transcript;
    EXPECT_NE(std::string::npos, transcript.find(c.genreShown)) << c.what << "\n" << transcript;
    EXPECT_NE(std::string::npos, transcript.find("ID3v1 tag editor")) << c.what;
    // The genre menu offers genre names only, never the messages after them.
    EXPECT_EQ(std::string::npos, transcript.find("could not be written")) << c.what << transcript;
  }
}

// --- song files ---------------------------------------------------------------

testkit::Bytes TaggedTinySong(const char* title) {
  testkit::Bytes song = testkit::MpegFrameHeader(testkit::MpegFormat());
  testkit::Id3v1Fields tag;
  tag.artist = "Tiny";
  tag.title = title;
  tag.genre = 150;  // past the genre names the language files hold
  testkit::Bytes record = testkit::Id3v1Record(tag);
  song.insert(song.end(), record.begin(), record.end());
  return song;
}

TEST(HostileSongFiles, TinyLockedAndVanishingFiles) {
  journey::Journey journey;
  const std::string songs = journey.SongsFolder() + "\\tiny";
  CreateDirectoryA(songs.c_str(), nullptr);
  testkit::Bytes header = testkit::MpegFrameHeader(testkit::MpegFormat());
  testkit::Id3v1Fields tag;
  tag.title = "Overlap";
  testkit::Bytes record = testkit::Id3v1Record(tag);

  // Sizes 0 to 130 around the record's 128 bytes and the frame header's 4:
  // bare headers, records with no room for a song before them, records that
  // overlap the header.
  std::vector<std::pair<std::string, testkit::Bytes>> files;
  for (size_t size : {0, 1, 3, 4, 5, 64, 127, 128, 129, 130}) {
    testkit::Bytes bytes(size, 0);
    for (size_t i = 0; i < size && i < header.size(); ++i) bytes[i] = header[i];
    if (size >= 128) std::copy(record.begin(), record.end(), bytes.end() - 128);
    files.emplace_back("b" + std::to_string(size) + ".mp3", bytes);
  }
  for (const char* name : {"readonly.mp3", "locked.mp3", "gone.mp3", "fine.mp3"})
    files.emplace_back(name, TaggedTinySong(name));
  std::string playlist;
  for (const auto& f : files) {
    testkit::WriteBytes(songs + "\\" + f.first, f.second);
    playlist += songs + "\\" + f.first + "\r\n";
  }
  testkit::WriteText(songs + "\\tiny.m3u", playlist);

  // The tag columns listed, then the fixed album saved into every song at
  // once while one is read-only, one held open by another program and one
  // deleted since the listing.
  std::string script =
      "size 80 22\n"
      "registry \"" + std::string(kKey) + "\" ReadFileTitle 0\n"
      "player start ${SONGS}\\tiny\\tiny.m3u\n"
      "open disks\n"
      "view 5\n"
      "print panel\n"
      "readonly ${SONGS}\\tiny\\readonly.mp3\n"
      "lock ${SONGS}\\tiny\\locked.mp3\n"
      "remove ${SONGS}\\tiny\\gone.mp3\n"
      "select all\n"
      // The vanished song is reported first, then one dialog per song that
      // starts like an MPEG frame, in playlist order; the two that cannot
      // be written are reported after their dialogs.
      "answer message 0\n"
      "answer dialog 14 type 27 Saved check 34\n";
  for (int i = 0; i < 8; ++i) script += "answer dialog 14\n";
  script += "answer message 0\nanswer dialog 14\nanswer message 0\nanswer dialog 14\n";
  script +=
      "key Alt+F6\n"
      "print panel\n"
      "unlock ${SONGS}\\tiny\\locked.mp3\n"
      "exit\n";
  int failures = -1;
  std::string transcript = journey.Run(script, &failures);
  EXPECT_EQ(0, failures) << transcript;
  EXPECT_NE(std::string::npos, transcript.find("|fine.mp3          |Tiny              |                   |    |          |"))
      << "genre 150 has no name\n" << transcript;

  for (const auto& f : files) {
    std::string path = songs + "\\" + f.first;
    bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (f.first == "gone.mp3") {
      EXPECT_FALSE(exists) << "a vanished song is not made again";
      EXPECT_NE(std::string::npos, transcript.find("| ${SONGS}\\tiny\\gone.mp3"));
      continue;
    }
    testkit::Bytes now = testkit::ReadBytes(path);
    bool changed = now != f.second;
    if (f.first == "readonly.mp3" || f.first == "locked.mp3") {
      EXPECT_FALSE(changed) << f.first;
      EXPECT_NE(std::string::npos, transcript.find("| ${SONGS}\\tiny\\" + f.first))
          << "the failure names it";
      continue;
    }
    // Every song that starts like an MPEG frame gets the album, however
    // short; the others are no songs and stay as they are.
    EXPECT_EQ(!f.second.empty() && f.second[0] == 0xFF, changed) << f.first;
    if (!changed) continue;
    // Changed: the song's bytes before its tag as they were, then one whole
    // record holding the album.
    ASSERT_GE(now.size(), 128u) << f.first;
    testkit::Bytes body(now.begin(), now.end() - 128);
    bool hadTag = f.second.size() >= 128 && f.second[f.second.size() - 128] == 'T' &&
                  f.second[f.second.size() - 127] == 'A' && f.second[f.second.size() - 126] == 'G';
    testkit::Bytes before(f.second.begin(), f.second.end() - (hadTag ? 128 : 0));
    EXPECT_EQ(before, body) << f.first;
    std::string album(now.end() - 128 + 63, now.end() - 128 + 68);
    EXPECT_EQ("Saved", album) << f.first;
  }
}

}  // namespace
