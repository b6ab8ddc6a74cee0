#include "tags/TagRecord.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// A record as other tools write it: zero padding, ID3v1.1 track byte.
std::vector<unsigned char> ZeroPaddedRecord() {
  std::vector<unsigned char> r(kTagRecordSize, 0);
  memcpy(r.data(), "TAG", 3);
  memcpy(r.data() + 3, "Song", 4);
  memset(r.data() + 33, ' ', 30);  // artist: 30 blanks
  memcpy(r.data() + 63, "Album Thirty Characters Long!!", 30);
  memcpy(r.data() + 93, "1999", 4);
  memcpy(r.data() + 97, "Comment of 28 characters ok", 27);
  r[97 + 29] = 7;  // ID3v1.1 track number
  r[127] = 17;
  return r;
}

}  // namespace

TEST(TagRecord, FieldValueStopsAtFirstNulOrFieldEnd) {
  std::vector<unsigned char> r = ZeroPaddedRecord();
  struct Case {
    TagField field;
    const char* expected;
  } cases[] = {
      {TagFieldTitle, "Song"},
      {TagFieldArtist, "                              "},
      {TagFieldAlbum, "Album Thirty Characters Long!!"},  // full width, next field not read
      {TagFieldYear, "1999"},
      {TagFieldComment, "Comment of 28 characters ok"},  // v1.1 reads as a shorter comment
  };
  for (const Case& c : cases) {
    char out[31];
    size_t n = TagFieldText(r.data(), r.size(), c.field, out, sizeof out);
    EXPECT_STREQ(c.expected, out) << c.field;
    EXPECT_EQ(strlen(c.expected), n);
  }
}

TEST(TagRecord, FieldReadIsBoundedByRecordAndOutput) {
  std::vector<unsigned char> r = ZeroPaddedRecord();
  char small[3];
  EXPECT_EQ(2u, TagFieldText(r.data(), r.size(), TagFieldAlbum, small, sizeof small));
  EXPECT_STREQ("Al", small);
  char out[31] = "x";
  EXPECT_EQ(0u, TagFieldText(r.data(), 100, TagFieldComment, out, sizeof out));  // short buffer
  EXPECT_STREQ("", out);
}

TEST(TagRecord, MarkerNeedsTagAndFullLength) {
  std::vector<unsigned char> r = ZeroPaddedRecord();
  EXPECT_TRUE(HasTagMarker(r.data(), r.size()));
  EXPECT_FALSE(HasTagMarker(r.data(), 127));
  r[2] = 'g';
  EXPECT_FALSE(HasTagMarker(r.data(), r.size()));
  EXPECT_FALSE(HasTagMarker(nullptr, 128));
}

TEST(TagRecord, BuildPadsWithBlanksAndCutsToWidth) {
  unsigned char r[kTagRecordSize];
  memset(r, 0xAA, sizeof r);
  BuildTagRecord(r, "", "", "", "", "", NO_GENRE);
  unsigned char expected[kTagRecordSize];
  memcpy(expected, "TAG", 3);
  memset(expected + 3, ' ', 124);
  expected[127] = 0xFF;
  EXPECT_EQ(0, memcmp(expected, r, sizeof r));

  BuildTagRecord(r, "T", "Artist name that is longer than thirty chars", nullptr, "20245",
                 "C", 300);
  EXPECT_EQ(0, memcmp(r + 3, "T                             ", 30));
  EXPECT_EQ(0, memcmp(r + 33, "Artist name that is longer tha", 30));
  EXPECT_EQ(0, memcmp(r + 63, "                              ", 30));
  EXPECT_EQ(0, memcmp(r + 93, "2024", 4));  // year cut to 4, comment untouched
  EXPECT_EQ(0, memcmp(r + 97, "C                             ", 30));
  EXPECT_EQ(300 & 0xFF, r[127]);
  for (size_t i = 3; i < 127; ++i) EXPECT_NE(0, r[i]) << i;
}

TEST(TagRecord, TaggableHeadDecisions) {
  auto wave = [](size_t dataAt, unsigned char first, size_t total) {
    std::vector<unsigned char> h(total, 0);
    memcpy(h.data(), "RIFF", 4);
    memcpy(h.data() + 8, "WAVEfmt ", 8);
    if (dataAt + 4 <= total) memcpy(h.data() + dataAt, "data", 4);
    if (dataAt + 8 < total) h[dataAt + 8] = first;
    return h;
  };
  struct Case {
    const char* name;
    std::vector<unsigned char> head;
    bool taggable;
  } cases[] = {
      {"mpeg frame", {0xFF, 0xFB, 0x90, 0x64}, true},
      {"single 0xFF byte", {0xFF}, true},
      {"id3v2 header", {'I', 'D', '3', 3, 0, 0}, false},
      {"empty", {}, false},
      {"wave pcm", wave(36, 0x00, 128), false},
      {"wave mpeg", wave(36, 0xFF, 128), true},
      {"wave data contents just read", wave(119, 0xFF, 128), true},
      {"wave data contents beyond read", wave(120, 0xFF, 128), false},
      {"wave contents byte read", wave(36, 0xFF, 45), true},
      {"wave contents byte not read", wave(36, 0xFF, 44), false},
      {"wave no data chunk", wave(200, 0xFF, 128), false},
      {"riff not wave", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' ', 'f', 'm', 't', ' '}, false},
  };
  // The first "data" decides, even when a later one would begin with 0xFF.
  std::vector<unsigned char> twice = wave(36, 0x00, 128);
  memcpy(twice.data() + 60, "data", 4);
  twice[68] = 0xFF;
  for (const Case& c : cases)
    EXPECT_EQ(c.taggable, IsTaggableHead(c.head.data(), c.head.size())) << c.name;
  EXPECT_FALSE(IsTaggableHead(twice.data(), twice.size()));
  // "data" found before offset 15 does not count (it lies in the header).
  std::vector<unsigned char> early = wave(200, 0, 40);
  memcpy(early.data() + 4, "data", 4);
  early[12] = 0xFF;
  EXPECT_FALSE(IsTaggableHead(early.data(), early.size()));
}

TEST(TagRecord, GenreCountParsing) {
  struct Case {
    const char* text;
    unsigned expected;
  } cases[] = {
      {"148", 148}, {"0", 0}, {"", 0}, {"abc", 0}, {"300", 44}, {"  \t 12x", 12},
      {"+5", 5}, {"-1", 255}, {"4294967552", 0} /* 2^32 + 256: no overflow surprises */,
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, ParseGenreCount(c.text)) << c.text;
  EXPECT_EQ(0u, ParseGenreCount(nullptr));
}

TEST(TagRecord, GenreSortIsBytewiseUnsigned) {
  GenreEntry e[] = {{"rock", 0}, {"Rock", 1}, {"\xC0lt", 2}, {"Ro", 3}, {"", 4}, {"Acid", 5}};
  SortGenreEntries(e, sizeof e / sizeof e[0]);
  const char* order[] = {"", "Acid", "Ro", "Rock", "rock", "\xC0lt"};
  unsigned numbers[] = {4, 5, 3, 1, 0, 2};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_STREQ(order[i], e[i].Name);
    EXPECT_EQ(numbers[i], e[i].Number);
  }
  EXPECT_LT(CompareBytes("a", "\x80"), 0);
  EXPECT_EQ(0, CompareBytes(nullptr, ""));
}

// An independent reader: mutagen's ID3v1 parser must see what we wrote, and
// we must read what it writes.
TEST(TagRecord, AgreesWithMutagen) {
  if (system("/usr/bin/python3 -c 'import mutagen.id3' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "/usr/bin/python3 with mutagen not available";
  unsigned char r[kTagRecordSize];
  BuildTagRecord(r, "My Title", "The Artist", "An Album", "2001", "Remark", 17);
  std::string path = testing::TempDir() + "melvox_tag_ours.bin";
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  fwrite(r, 1, sizeof r, f);
  fclose(f);
  std::string cmd =
      "/usr/bin/python3 -c \"import sys; from mutagen.id3 import ParseID3v1; "
      "t=ParseID3v1(open(sys.argv[1],'rb').read()); "
      "print('|'.join(str(t[k]) for k in ('TIT2','TPE1','TALB','TDRC','COMM','TCON')))\" " +
      path;
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(nullptr, p);
  char line[512] = {};
  ASSERT_NE(nullptr, fgets(line, sizeof line, p));
  pclose(p);
  // mutagen strips the blank padding we write and keeps the genre number.
  EXPECT_STREQ("My Title|The Artist|An Album|2001|Remark|17\n", line);

  std::string theirs = testing::TempDir() + "melvox_tag_theirs.bin";
  std::string make =
      "/usr/bin/python3 -c \"import sys; from mutagen.id3 import MakeID3v1, TIT2, TPE1; "
      "open(sys.argv[1],'wb').write(MakeID3v1({'TIT2': TIT2(text=['Zed']), "
      "'TPE1': TPE1(text=['Band'])}))\" " + theirs;
  ASSERT_EQ(0, system(make.c_str()));
  unsigned char back[kTagRecordSize + 1];
  f = fopen(theirs.c_str(), "rb");
  ASSERT_NE(nullptr, f);
  size_t got = fread(back, 1, sizeof back, f);
  fclose(f);
  ASSERT_EQ(kTagRecordSize, got);
  ASSERT_TRUE(HasTagMarker(back, got));
  char out[31];
  TagFieldText(back, got, TagFieldTitle, out, sizeof out);
  EXPECT_STREQ("Zed", out);
  TagFieldText(back, got, TagFieldArtist, out, sizeof out);
  EXPECT_STREQ("Band", out);
  remove(path.c_str());
  remove(theirs.c_str());
}

// The genre names a language file's count message allows, and where a genre
// byte's name is: never past the names, so no other message shows as a genre.
TEST(TagRecord, GenreLookup) {
  struct CountCase {
    const char* text;
    unsigned expected;
  } counts[] = {{"148", 148}, {"many", 0}, {"255", 148}, {"-1", 148}, {"20", 20}, {nullptr, 0}};
  for (const CountCase& c : counts)
    EXPECT_EQ(c.expected, GenreNamesCount(c.text, 148)) << (c.text ? c.text : "null");
  struct IndexCase {
    unsigned genre, count;
    int expected;
  } indexes[] = {{0, 148, 0},   {147, 148, 147},           {148, 148, kGenreUnnamed},
                 {17, 0, kGenreUnnamed}, {254, 148, kGenreUnnamed}, {255, 148, kGenreNone},
                 {255, 0, kGenreNone},   {0x111, 148, 17} /* the byte's low 8 bits */};
  for (const IndexCase& c : indexes)
    EXPECT_EQ(c.expected, GenreNameIndex(c.genre, c.count)) << c.genre << " of " << c.count;
}
