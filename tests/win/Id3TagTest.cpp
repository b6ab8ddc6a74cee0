#include "tags/Id3Tag.h"

#include "PanelTestSupport.h"
#include "plugin/LangMessages.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

using paneltest::FileLength;
using paneltest::MpegBytes;
using paneltest::ReadBytes;
using paneltest::TempFolder;
using paneltest::WriteBytes;

namespace {

std::vector<unsigned char> WithTag(std::vector<unsigned char> body, const unsigned char* tag) {
  body.insert(body.end(), tag, tag + kTagRecordSize);
  return body;
}

std::string Take(char* text) {  // frees a Tag* result
  std::string s = text ? text : "<null>";
  free(text);
  return s;
}

}  // namespace

TEST(Id3Tag, ReadTagRecordNeedsTagAtTheEnd) {
  TempFolder dir;
  unsigned char tag[kTagRecordSize];
  BuildTagRecord(tag, "Title", "Artist", "Album", "1999", "Note", 3);
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
    bool hasTag;
  } cases[] = {
      {"tagged", WithTag(MpegBytes(1000), tag), true},
      {"only a tag", WithTag({}, tag), true},
      {"untagged", MpegBytes(1000), false},
      {"short", MpegBytes(127), false},
      {"empty", {}, false},
  };
  for (const Case& c : cases) {
    std::string path = dir.File(std::string(c.name) + ".mp3");
    ASSERT_TRUE(WriteBytes(path, c.bytes));
    unsigned char* record = ReadTagRecord(path.c_str());
    EXPECT_EQ(c.hasTag, record != nullptr) << c.name;
    if (record) {
      EXPECT_EQ(0, memcmp(tag, record, kTagRecordSize)) << c.name;
    }
    free(record);
  }
  EXPECT_EQ(nullptr, ReadTagRecord(dir.File("missing.mp3").c_str()));
}

TEST(Id3Tag, FieldTextsFromAZeroPaddedRecord) {
  unsigned char tag[kTagRecordSize] = {'T', 'A', 'G'};
  memcpy(tag + 3, "Short", 5);
  memset(tag + 33, ' ', 30);
  memcpy(tag + 93, "2020", 4);
  tag[127] = NO_GENRE;
  EXPECT_EQ("Short", Take(TagTitle(tag)));
  EXPECT_EQ(std::string(30, ' '), Take(TagArtist(tag)));
  EXPECT_EQ("", Take(TagAlbum(tag)));
  EXPECT_EQ("2020", Take(TagYear(tag)));
  EXPECT_EQ("", Take(TagComment(tag)));
}

TEST(Id3Tag, WriteTagFieldsAppendsOrOverwrites) {
  TempFolder dir;
  std::string path = dir.File("song.mp3");
  ASSERT_TRUE(WriteBytes(path, MpegBytes(500)));

  WriteTagFields(path.c_str(), "", "", "", "", "", NO_GENRE);
  std::vector<unsigned char> bytes = ReadBytes(path);
  ASSERT_EQ(628u, bytes.size());  // grew by exactly one record
  unsigned char blank[kTagRecordSize];
  memcpy(blank, "TAG", 3);
  memset(blank + 3, ' ', 124);
  blank[127] = 0xFF;
  EXPECT_EQ(0, memcmp(blank, bytes.data() + 500, kTagRecordSize));

  WriteTagFields(path.c_str(), "New title", "Who", "What", "19845", "Why", 12);
  bytes = ReadBytes(path);
  ASSERT_EQ(628u, bytes.size());  // overwritten in place
  unsigned char* record = ReadTagRecord(path.c_str());
  ASSERT_NE(nullptr, record);
  EXPECT_EQ("New title" + std::string(21, ' '), Take(TagTitle(record)));
  EXPECT_EQ("1984", Take(TagYear(record)));
  EXPECT_EQ("Why" + std::string(27, ' '), Take(TagComment(record)));
  EXPECT_EQ(12, record[127]);
  free(record);

  // A file shorter than a record always gets one appended.
  std::string tiny = dir.File("tiny.mp3");
  ASSERT_TRUE(WriteBytes(tiny, {'T', 'A', 'G'}));
  WriteTagFields(tiny.c_str(), "x", "", "", "", "", 1);
  EXPECT_EQ(131, FileLength(tiny));
  // A missing file is not created.
  WriteTagFields(dir.File("none.mp3").c_str(), "x", "", "", "", "", 1);
  EXPECT_EQ(-1, FileLength(dir.File("none.mp3")));
}

TEST(Id3Tag, RecordRestoredAfterRemovalAndIdenticalRecordNotWritten) {
  TempFolder dir;
  std::string path = dir.File("song.mp3");
  // A foreign record with zero padding and a v1.1 track byte must come back exactly.
  unsigned char tag[kTagRecordSize] = {'T', 'A', 'G'};
  memcpy(tag + 3, "Zero padded", 11);
  tag[97 + 29] = 9;
  tag[127] = 7;
  ASSERT_TRUE(WriteBytes(path, WithTag(MpegBytes(300), tag)));

  unsigned char* saved = ReadTagRecord(path.c_str());
  ASSERT_NE(nullptr, saved);
  RemoveTag(path.c_str());
  EXPECT_EQ(300, FileLength(path));
  EXPECT_EQ(nullptr, ReadTagRecord(path.c_str()));

  WriteTagRecord(path.c_str(), saved);
  EXPECT_EQ(428, FileLength(path));
  EXPECT_EQ(WithTag(MpegBytes(300), tag), ReadBytes(path));

  // Same record again: the file is not written (its write time stays).
  FILETIME old = {0x12345678, 0x01D00000};
  HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, f);
  SetFileTime(f, nullptr, nullptr, &old);
  CloseHandle(f);
  WriteTagRecord(path.c_str(), saved);
  FILETIME now = paneltest::WriteTime(path);
  EXPECT_EQ(old.dwLowDateTime, now.dwLowDateTime);
  EXPECT_EQ(old.dwHighDateTime, now.dwHighDateTime);

  // A different record replaces the tag; the length stays.
  unsigned char other[kTagRecordSize];
  BuildTagRecord(other, "Other", "", "", "", "", 1);
  WriteTagRecord(path.c_str(), other);
  EXPECT_EQ(428, FileLength(path));
  EXPECT_EQ(WithTag(MpegBytes(300), other), ReadBytes(path));
  free(saved);

  // RemoveTag never cuts into a file too short to hold a tag.
  std::string tiny = dir.File("tiny.mp3");
  ASSERT_TRUE(WriteBytes(tiny, MpegBytes(100)));
  RemoveTag(tiny.c_str());
  EXPECT_EQ(100, FileLength(tiny));
}

TEST(Id3Tag, RemoveTagSharesWriteAccessOnly) {
  TempFolder dir;
  std::string path = dir.File("song.mp3");
  unsigned char tag[kTagRecordSize];
  BuildTagRecord(tag, "t", "", "", "", "", 0);
  ASSERT_TRUE(WriteBytes(path, WithTag(MpegBytes(200), tag)));
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  RemoveTag(path.c_str());
  EXPECT_EQ(328, FileLength(path));  // another reader refuses the open
  CloseHandle(reader);
  RemoveTag(path.c_str());
  EXPECT_EQ(200, FileLength(path));
}

TEST(Id3Tag, TaggableFilesByContent) {
  TempFolder dir;
  std::vector<unsigned char> wave(128, 0);
  memcpy(wave.data(), "RIFF", 4);
  memcpy(wave.data() + 8, "WAVEfmt ", 8);
  memcpy(wave.data() + 36, "data", 4);
  std::vector<unsigned char> waveMpeg = wave;
  waveMpeg[44] = 0xFF;
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
    bool taggable;
  } cases[] = {
      {"frame.mp3", MpegBytes(64), true},
      {"id3v2.mp3", {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0, 0xFF, 0xFB}, false},
      {"pcm.wav", wave, false},
      {"mpeg.wav", waveMpeg, true},
      {"empty.mp3", {}, false},
  };
  for (const Case& c : cases) {
    std::string path = dir.File(c.name);
    ASSERT_TRUE(WriteBytes(path, c.bytes));
    EXPECT_EQ(c.taggable, IsTaggableFile(path.c_str())) << c.name;
  }
  EXPECT_FALSE(IsTaggableFile(dir.File("missing.mp3").c_str()));
}

TEST(Id3Tag, GenreTableAndNames) {
  paneltest::LangTable lang;
  lang.Set(MNoGenre, "<none>");
  lang.Set(MGenreFirst + 0, "Blues");
  lang.Set(MGenreFirst + 1, "Acid");
  lang.Set(MGenreFirst + 2, "Country");
  lang.Set(MGenreFirst + 3, "Acid");

  lang.Set(MGenreCount, " 4");
  LoadGenreTable();
  ASSERT_EQ(4, GenreCount);
  const char* names[] = {"Acid", "Acid", "Blues", "Country"};
  for (int i = 0; i < 4; ++i) EXPECT_STREQ(names[i], GenreTable[i].Name);
  EXPECT_EQ(0, GenreTable[2].Number);
  EXPECT_EQ(2, GenreTable[3].Number);

  lang.Set(MGenreCount, "none");
  LoadGenreTable();
  EXPECT_EQ(0, GenreCount);
  // GenreName does not consult the table, only the names the numbering
  // holds: past them lie other messages, never shown as a genre.
  EXPECT_STREQ("<none>", GenreName(NO_GENRE));
  EXPECT_STREQ("Country", GenreName(2));
  EXPECT_STREQ("", GenreName(kGenreNamesNumber));
  EXPECT_STREQ("", GenreName(254));
  unsigned char tag[kTagRecordSize];
  BuildTagRecord(tag, "", "", "", "", "", 1);
  EXPECT_STREQ("Acid", TagGenreName(tag));
  FreeGenreTable();
  EXPECT_EQ(nullptr, GenreTable);
}

// Russian locale: OEM 866 in the console, ANSI 1251 in the files.
TEST(Id3TagCp1251, CyrillicTextsStoredAnsiAndReadBackOem) {
  ASSERT_EQ(1251u, GetACP());
  ASSERT_EQ(866u, GetOEMCP());
  TempFolder dir;
  std::string path = dir.File("song.mp3");
  ASSERT_TRUE(WriteBytes(path, MpegBytes(256)));
  const char oemTitle[] = "\x8f\xa5\xe1\xad\xef";  // "Песня" in code page 866
  const char ansiTitle[] = "\xcf\xe5\xf1\xed\xff";  // the same in code page 1251
  WriteTagFields(path.c_str(), oemTitle, "\x80\xa2\xe2\xae\xe0", "", "", "", NO_GENRE);
  std::vector<unsigned char> bytes = ReadBytes(path);
  ASSERT_EQ(384u, bytes.size());
  EXPECT_EQ(0, memcmp(ansiTitle, bytes.data() + 256 + 3, 5));
  unsigned char* record = ReadTagRecord(path.c_str());
  ASSERT_NE(nullptr, record);
  EXPECT_EQ(std::string(oemTitle) + std::string(25, ' '), Take(TagTitle(record)));
  EXPECT_EQ(std::string("\x80\xa2\xe2\xae\xe0") + std::string(25, ' '), Take(TagArtist(record)));
  free(record);
}
