// The tag editor in the host emulator (1.x host: its dialogs write their
// decorations back): whole dialogs compared as text, the song files' bytes
// compared before and after every action and read back by mutagen.
#include "tags/TagEditor.h"

#include "FarHostGtest.h"
#include "MutagenReader.h"
#include "PluginFolder.h"
#include "SongFiles.h"
#include "TempDir.h"
#include "panel/TitlesCache.h"
#include "plugin/HostInfo.h"
#include "plugin/Settings.h"
#include "plugin/TextBuffer.h"
#include "tags/Id3Tag.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using farhost::DialogAnswer;
using Bytes = std::vector<unsigned char>;

// Dialog items the answers name.
enum {
  kTitle = 1, kArtist = 2, kAlbum = 3, kYear = 4, kGenreButton = 12, kSave = 14, kCancel = 15,
  kDelete = 16, kFileLine = 17, kFixedAlbum = 27, kFixedYear = 28, kFixedGenreButton = 31,
  kAlbumBox = 34,
};

FILETIME OldTime() {
  SYSTEMTIME st = {2001, 1, 0, 1, 12, 0, 0, 0};
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

void SetOldTime(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, f);
  FILETIME old = OldTime();
  SetFileTime(f, nullptr, nullptr, &old);
  CloseHandle(f);
}

// The bytes a record's text field gets when this plug-in writes text into it.
Bytes WithField(Bytes bytes, size_t recordOffset, const std::string& text, size_t width) {
  size_t at = bytes.size() - kTagRecordSize + recordOffset;
  for (size_t i = 0; i < width; ++i) bytes[at + i] = i < text.size() ? text[i] : ' ';
  return bytes;
}

// The record this plug-in appends to a file without a tag.
Bytes BlankRecord() {
  Bytes r(kTagRecordSize, ' ');
  memcpy(r.data(), "TAG", 3);
  r[127] = 0xFF;
  return r;
}

class TagEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    pluginDir_ = dir_.MakeDir("plugin");
    ASSERT_TRUE(plugintest::CopyBuiltPluginFiles(pluginDir_, true));
    farhost::Options options = farhost::GtestOptions();
    options.moduleName = pluginDir_ + "\\melvox.dll";
    options.transcript = [this](const std::string& box) {
      screens_.push_back(box);
      if (onBox_) onBox_();
    };
    host_ = std::make_unique<farhost::Host>(options);
    TakeStartupInfo(host_->StartupInfo());
    memcpy(savedKeyPath_, SettingsKeyPath, sizeof savedKeyPath_);
    MakeSettingsKeyPath(HostInfo.RootKey);
    LoadGenreTable();
    cache_ = std::make_unique<TitlesCache>();
    TitlesCacheObject = cache_.get();
  }
  void TearDown() override {
    TitlesCacheObject = nullptr;
    cache_.reset();
    FreeGenreTable();
    memcpy(SettingsKeyPath, savedKeyPath_, sizeof savedKeyPath_);
    EXPECT_HOST_BALANCED(*host_);
    TakeStartupInfo(nullptr);
    host_.reset();
  }

  // A 2-second MPEG song, with the record when one is given, dated 2001.
  std::string Song(const std::string& name, const Bytes& record = Bytes()) {
    Bytes bytes = testkit::MpegAudio(testkit::MpegFormat(), 2);
    bytes.insert(bytes.end(), record.begin(), record.end());
    std::string path = dir_.File(name);
    testkit::WriteBytes(path, bytes);
    SetOldTime(path);
    return path;
  }
  // Three songs: alpha tagged by another tool (NUL padding, a euro sign the
  // console cannot show, an ID3v1.1 track number), beta without a tag, gamma
  // tagged as this plug-in writes tags.
  void MakeThreeSongs() {
    testkit::Id3v1Fields other;
    other.title = "Price \x80";
    other.artist = "Band";
    other.year = "1999";
    other.comment = "Remark";
    other.track = 7;
    other.genre = 17;
    alpha_ = Song("alpha.mp3", testkit::Id3v1Record(other));
    beta_ = Song("beta.mp3");
    unsigned char ours[kTagRecordSize];
    BuildTagRecord(ours, "Gamma Song", "Gamma Band", "Gamma Album", "2020", "", 13);
    gamma_ = Song("gamma.mp3", Bytes(ours, ours + kTagRecordSize));
    songs_ = {alpha_, beta_, gamma_};
    for (const std::string& s : songs_) before_.push_back(testkit::ReadBytes(s));
  }
  std::vector<Bytes> Contents() const {
    std::vector<Bytes> now;
    for (const std::string& s : songs_) now.push_back(testkit::ReadBytes(s));
    return now;
  }
  // Runs the editor on names; the names of the changed files it returned.
  std::vector<std::string> Run(const std::vector<std::string>& names) {
    std::vector<const char*> list;
    for (const std::string& n : names) list.push_back(n.c_str());
    const char** changed = DoID3Tag(list.data(), static_cast<int>(list.size()));
    std::vector<std::string> result;
    for (const char** p = changed; p != nullptr && *p != nullptr; ++p) {
      // The caller's own name pointers, not copies.
      EXPECT_NE(list.end(), std::find(list.begin(), list.end(), *p));
      result.push_back(*p);
    }
    free(changed);
    return result;
  }
  std::string RegistryText(const char* name) {
    char text[64] = "<none>";
    DWORD size = sizeof text;
    RegGetValueA(HKEY_CURRENT_USER, SettingsKeyPath, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
  }
  DWORD RegistryValues() {
    HKEY key;
    DWORD values = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key) != 0) return 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return values;
  }
  std::string Dialog(size_t i) { return farhost::RenderDialog(host_->Dialogs().at(i)); }

  testkit::TempDir dir_;
  std::string pluginDir_;
  std::unique_ptr<farhost::Host> host_;
  std::unique_ptr<TitlesCache> cache_;
  char savedKeyPath_[sizeof SettingsKeyPath];
  std::vector<std::string> screens_;  // every box as shown, with its answer
  std::function<void()> onBox_;       // runs while each box is on screen
  std::string alpha_, beta_, gamma_;
  std::vector<std::string> songs_;
  std::vector<Bytes> before_;
};

}  // namespace

// Cancel after two saves: the file that had a tag gets back its exact 128
// bytes, the one that had none loses the tag the run added, and the file
// nothing was written to keeps its time.
TEST_F(TagEditorTest, CancelPutsBackWhatTheRunWrote) {
  MakeThreeSongs();
  std::vector<Bytes> atCancel;
  std::vector<std::string> readAtCancel;
  onBox_ = [&] {
    if (screens_.size() != 3) return;
    atCancel = Contents();
    readAtCancel = mutagentest::ReadTags(songs_);
  };
  host_->AnswerDialog(DialogAnswer().Type(kAlbum, "New Album").Press(kSave));
  host_->AnswerDialog(DialogAnswer().Type(kArtist, "Someone").Press(kSave));
  host_->AnswerDialog(DialogAnswer().Press(kCancel));
  EXPECT_TRUE(Run(songs_).empty());

  EXPECT_EQ(
      "Dialog help \"MELVOXID3TagEditor\"\n"
      "\n"
      "   +================ ID3v1 tag editor ================+\n"
      "   |  File\x19+      alpha.mp3                           |\n"
      "   |  Title       Price ?_______________________      |\n"
      "   |  Artist      Band__________________________      |\n"
      "   |  Album       ______________________________      |\n"
      "   |  Year                              1999____      |\n"
      "   |  Comment     Remark________________________      |\n"
      "   |  Genre       Rock                                |\n"
      "   +--------------------------------------------------+\n"
      "   |  Title       ______________________________  [ ] |\n"
      "   |  Artist      ______________________________  [ ] |\n"
      "   |  Album       ______________________________  [ ] |\n"
      "   |  Year                              ________  [ ] |\n"
      "   |  Comment     ______________________________  [ ] |\n"
      "   |  Genre       (none)                          [ ] |\n"
      "   +--------------------------------------------------+\n"
      "   |           { OK } [ Cancel ] [ Remove ]           |\n"
      "   +==================================================+\n"
      "focus: item 1 \"Price ?\"\n"
      "-> item 14 \"OK\"\n",
      screens_.at(0));
  EXPECT_NE(std::string::npos, screens_.at(1).find("|  File\x19-      beta.mp3 "));
  // While the third file is shown: only the album of the first was written,
  // its euro sign, NUL padding and track number stay; the second got a tag.
  Bytes blankTagged = before_[1];
  Bytes blank = BlankRecord();
  blankTagged.insert(blankTagged.end(), blank.begin(), blank.end());
  EXPECT_EQ((std::vector<Bytes>{WithField(before_[0], 63, "New Album", 30),
                                WithField(blankTagged, 33, "Someone", 30), before_[2]}),
            atCancel);
  if (mutagentest::Available()) {
    EXPECT_EQ((std::vector<std::string>{"Price \x80|Band|New Album|1999|Remark|17|7",
                                        "|Someone|||||", "Gamma Song|Gamma Band|Gamma Album|2020||13|"}),
              readAtCancel);
  }
  EXPECT_EQ(before_, Contents());
  EXPECT_TRUE(SameTime(OldTime(), WriteTime(gamma_)));
}

// Enter through the files, or Esc on each: nothing is written, nothing
// stored. Then a fixed album, checked once, lands in every file.
TEST_F(TagEditorTest, UnchangedFilesStayAndAFixedAlbumLandsInEveryFile) {
  MakeThreeSongs();
  for (const std::string& s : songs_) cache_->AddTitle(s.c_str(), DupText("Title"), DupText("0:02"));
  for (int i = 0; i < 3; ++i)
    host_->AnswerDialog(DialogAnswer().Type(kTitle, "typed").Type(kFixedAlbum, "Typed").Check(kAlbumBox));
  EXPECT_TRUE(Run(songs_).empty());
  EXPECT_EQ(0u, RegistryValues());
  for (int i = 0; i < 3; ++i) host_->AnswerDialog(DialogAnswer().Press(kSave));
  EXPECT_TRUE(Run(songs_).empty());
  EXPECT_EQ(before_, Contents());
  for (const std::string& s : songs_) {
    EXPECT_TRUE(SameTime(OldTime(), WriteTime(s))) << s;
    EXPECT_NE(nullptr, cache_->FindTitle(s.c_str())) << "kept: " << s;
  }

  host_->AnswerDialog(DialogAnswer().Type(kFixedAlbum, "Best Of").Check(kAlbumBox).Press(kSave));
  host_->AnswerDialog(DialogAnswer().Press(kSave));
  host_->AnswerDialog(DialogAnswer().Press(kSave));
  EXPECT_EQ(songs_, Run(songs_));
  EXPECT_NE(std::string::npos,
            Dialog(7).find("|  Album       Best Of_______________________  [x] |\n"))
      << Dialog(7);
  Bytes blankTagged = before_[1];
  Bytes blank = BlankRecord();
  blankTagged.insert(blankTagged.end(), blank.begin(), blank.end());
  EXPECT_EQ((std::vector<Bytes>{WithField(before_[0], 63, "Best Of", 30),
                                WithField(blankTagged, 63, "Best Of", 30),
                                WithField(before_[2], 63, "Best Of", 30)}),
            Contents());
  if (mutagentest::Available()) {
    EXPECT_EQ((std::vector<std::string>{"Price \x80|Band|Best Of|1999|Remark|17|7", "||Best Of||||",
                                        "Gamma Song|Gamma Band|Best Of|2020||13|"}),
              mutagentest::ReadTags(songs_));
  }
  for (const std::string& s : songs_) EXPECT_EQ(nullptr, cache_->FindTitle(s.c_str())) << "dropped: " << s;
  EXPECT_EQ("Best Of", RegistryText("FixedAlbum"));
}

// A read-only file, and one another program keeps open for reading (as the
// player does with the song it plays): named to the user, left out of the
// result, and the run goes on; a Cancel that cannot put a tag back says so.
TEST_F(TagEditorTest, FilesThatCannotBeChangedAreNamed) {
  MakeThreeSongs();
  // Wine run as root lets writers through a read-only attribute; there the
  // file is held open as well, so it refuses writers as on Windows.
  SetFileAttributesA(alpha_.c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE writer = CreateFileA(alpha_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE readOnly = INVALID_HANDLE_VALUE;
  if (writer != INVALID_HANDLE_VALUE) {
    CloseHandle(writer);
    readOnly = CreateFileA(alpha_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  HANDLE playing = CreateFileA(gamma_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, playing);
  host_->AnswerDialog(DialogAnswer().Type(kTitle, "New").Press(kSave));
  host_->AnswerMessage(0);
  host_->AnswerDialog(DialogAnswer().Type(kTitle, "Beta").Press(kSave));
  host_->AnswerDialog(DialogAnswer().Press(kDelete));
  host_->AnswerMessage(0);
  EXPECT_EQ((std::vector<std::string>{beta_}), Run(songs_));
  ASSERT_EQ(2u, host_->Messages().size());
  const farhost::MessageRecord& refused = host_->Messages()[0];
  EXPECT_EQ(static_cast<DWORD>(FMSG_WARNING), refused.flags);
  EXPECT_EQ("MELVOXID3TagEditor", refused.helpTopic);
  EXPECT_EQ("ID3v1 tag editor", refused.title);
  EXPECT_EQ((std::vector<std::string>{"The tag of this file could not be changed:", alpha_}), refused.lines);
  EXPECT_EQ((std::vector<std::string>{"OK"}), refused.buttons);
  EXPECT_EQ(gamma_, host_->Messages()[1].lines.at(1));
  std::vector<Bytes> now = Contents();
  EXPECT_EQ(before_[0], now[0]);
  EXPECT_EQ(before_[2], now[2]);
  Bytes betaTagged = now[1];

  // A Cancel: the read-only file needs nothing put back (its write never
  // happened); the saved one, now held open too, cannot be put back.
  HANDLE second = nullptr;
  onBox_ = [&] {
    if (screens_.size() == 9)  // the third file's dialog
      second = CreateFileA(beta_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  };
  host_->AnswerDialog(DialogAnswer().Type(kTitle, "New").Press(kSave));
  host_->AnswerMessage(0);
  host_->AnswerDialog(DialogAnswer().Type(kTitle, "Beta 2").Press(kSave));
  host_->AnswerDialog(DialogAnswer().Press(kCancel));
  host_->AnswerMessage(0);
  EXPECT_TRUE(Run(songs_).empty());
  ASSERT_EQ(4u, host_->Messages().size());
  EXPECT_EQ("The earlier tag of this file could not be put back:", host_->Messages()[3].lines.at(0));
  EXPECT_EQ(beta_, host_->Messages()[3].lines.at(1));
  EXPECT_EQ(WithField(betaTagged, 3, "Beta 2", 30), testkit::ReadBytes(beta_));
  if (second != INVALID_HANDLE_VALUE && second != nullptr) CloseHandle(second);
  CloseHandle(playing);
  if (readOnly != INVALID_HANDLE_VALUE) CloseHandle(readOnly);
  SetFileAttributesA(alpha_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Shown again after the genre menus, the dialog keeps the user's edits and
// its labels stay clean (a reused item array would show "[ [ OK ] ]"); the
// file menu jumps; Delete cuts the tag; the fixed year is stored as typed
// and comes back cut to 4 digits.
TEST_F(TagEditorTest, GenreAndFileMenusDeleteAndFixedYear) {
  MakeThreeSongs();
  std::vector<std::string> two = {alpha_, gamma_};
  int pop = -1;
  for (int i = 0; i < GenreCount; ++i)
    if (GenreTable[i].Number == 13) pop = i + 1;
  host_->AnswerDialog(DialogAnswer().Type(kTitle, "Edited").Press(kGenreButton));
  host_->AnswerMenu(0);
  host_->AnswerDialog(DialogAnswer().Press(kFixedGenreButton));
  host_->AnswerMenu(pop);
  host_->AnswerDialog(DialogAnswer().Press(kFileLine));
  host_->AnswerMenu(1);
  host_->AnswerDialog(DialogAnswer().Press(kFileLine));
  host_->AnswerMenu(-1);
  host_->AnswerDialog(DialogAnswer());
  EXPECT_EQ((std::vector<std::string>{alpha_}), Run(two));
  EXPECT_EQ(
      "Dialog help \"MELVOXID3TagEditor\"\n"
      "\n"
      "   +================ ID3v1 tag editor ================+\n"
      "   |  File\x19+      alpha.mp3                           |\n"
      "   |  Title       Edited________________________      |\n"
      "   |  Artist      Band__________________________      |\n"
      "   |  Album       ______________________________      |\n"
      "   |  Year                              1999____      |\n"
      "   |  Comment     Remark________________________      |\n"
      "   |  Genre       (none)                              |\n"
      "   +--------------------------------------------------+\n"
      "   |  Title       ______________________________  [ ] |\n"
      "   |  Artist      ______________________________  [ ] |\n"
      "   |  Album       ______________________________  [ ] |\n"
      "   |  Year                              ________  [ ] |\n"
      "   |  Comment     ______________________________  [ ] |\n"
      "   |  Genre       Pop                             [ ] |\n"
      "   +--------------------------------------------------+\n"
      "   |           { OK } [ Cancel ] [ Remove ]           |\n"
      "   +==================================================+\n"
      "focus: item 31 \"Genre\"\n",
      Dialog(2));
  const std::vector<farhost::MenuRecord>& menus = host_->Menus();
  ASSERT_EQ(4u, menus.size());
  EXPECT_EQ("&Genre", menus[0].title);
  EXPECT_EQ("148", menus[0].bottom);
  ASSERT_EQ(149u, menus[0].items.size());
  EXPECT_EQ("(none)", menus[0].items[0].text);
  for (const farhost::MenuRecord::Item& item : menus[0].items)
    EXPECT_EQ(item.text == "Rock", item.selected) << item.text;
  EXPECT_EQ("&File", menus[2].title);
  EXPECT_EQ("2", menus[2].bottom);
  EXPECT_EQ("alpha.mp3", menus[2].items.at(0).text);
  EXPECT_TRUE(menus[2].items.at(0).selected);
  EXPECT_TRUE(menus[3].items.at(1).selected);
  EXPECT_NE(std::string::npos, Dialog(3).find("gamma.mp3"));
  EXPECT_EQ(13, GetSettingDword(HKEY_CURRENT_USER, "", "FixedGenre", 0));
  Bytes alpha = WithField(before_[0], 3, "Edited", 30);
  alpha.back() = 0xFF;
  EXPECT_EQ(alpha, testkit::ReadBytes(alpha_));
  EXPECT_EQ(before_[2], testkit::ReadBytes(gamma_));
  EXPECT_TRUE(SameTime(OldTime(), WriteTime(gamma_)));

  host_->AnswerDialog(DialogAnswer().Type(kFixedYear, "19999").Press(kDelete));
  host_->AnswerDialog(DialogAnswer().Press(kDelete));
  host_->AnswerDialog(DialogAnswer());
  EXPECT_EQ((std::vector<std::string>{alpha_, beta_}), Run(songs_));  // beta had nothing to cut
  EXPECT_EQ(Bytes(before_[0].begin(), before_[0].end() - kTagRecordSize), testkit::ReadBytes(alpha_));
  EXPECT_EQ(before_[1], testkit::ReadBytes(beta_));
  EXPECT_NE(std::string::npos, Dialog(6).find("focus: item 16 \"Remove\""));
  EXPECT_EQ("19999", RegistryText("FixedYear"));
  if (mutagentest::Available()) {
    EXPECT_EQ((std::vector<std::string>{"no tag"}), mutagentest::ReadTags({alpha_}));
  }
  host_->AnswerDialog(DialogAnswer());
  EXPECT_TRUE(Run({gamma_}).empty());
  EXPECT_NE(std::string::npos, Dialog(8).find("|  Year                              1999____  [ ] |\n"))
      << Dialog(8);
  EXPECT_NE(std::string::npos, Dialog(8).find("|  File+       gamma.mp3 ")) << "one file: no arrow";
}
