#include "commands/PlaylistExport.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

ExportEntry Entry(const char* name, const char* title, int seconds) {
  return ExportEntry{name, strlen(name), title, title ? strlen(title) : 0, seconds};
}

const ExportEntry kA = Entry("C:\\MP3\\a.mp3", "T", 225);   // length text 3:45
const ExportEntry kB = Entry("C:\\MP3\\b.mp3", nullptr, 0);
const ExportEntry kH = Entry("C:\\MP3\\h.mp3", "T", 3723);  // length text 1:02:03
const ExportEntry kU = Entry("C:\\MP3\\u.mp3", "U", -1);    // length unknown

const char* const kNone = nullptr;  // the file did not exist

struct Saved {
  std::string bytes;
  size_t kept = 0;
  bool replaces = false;
};

Saved Save(PlaylistForm form, bool ext, bool add, const char* existing,
           std::vector<ExportEntry> entries) {
  std::string before = existing ? existing : "";
  ExportRequest request{form,
                        ext,
                        add,
                        existing != nullptr,
                        reinterpret_cast<const unsigned char*>(before.data()),
                        before.size(),
                        entries.data(),
                        entries.size()};
  ExportResult result;
  Saved saved;
  EXPECT_TRUE(AllocPlaylistFile(request, &result));
  saved.bytes.assign(reinterpret_cast<const char*>(result.Bytes), result.Size);
  saved.kept = result.KeptBytes;
  saved.replaces = result.ReplacesContent;
  free(result.Bytes);
  return saved;
}

struct Case {
  const char* what;
  PlaylistForm form;
  bool ext, add;
  const char* existing;
  std::vector<ExportEntry> entries;
  std::string expected;
  bool replaces;
};

void Check(const Case& c) {
  Saved saved = Save(c.form, c.ext, c.add, c.existing, c.entries);
  EXPECT_EQ(c.expected, saved.bytes) << c.what;
  EXPECT_EQ(c.replaces, saved.replaces) << c.what;
}

#define A_LINE "C:\\MP3\\a.mp3\r\n"
#define B_LINE "C:\\MP3\\b.mp3\r\n"

}  // namespace

TEST(PlaylistExport, M3UInEveryCaseOfAddAndTitles) {
  const Case cases[] = {
      {"replaced, no titles", PlaylistM3U, false, false, "old.mp3\r\n#x\r\n", {kA, kB},
       A_LINE B_LINE, true},
      {"replaced, titles", PlaylistM3U, true, false, "#EXTM3U\r\nold.mp3\r\n", {kA, kB},
       "#EXTM3U\r\n#EXTINF:225,T\r\n" A_LINE B_LINE, true},
      {"added, no titles", PlaylistM3U, false, true, "old.mp3\r\n", {kA, kB},
       "old.mp3\r\n" A_LINE B_LINE, false},
      {"added to a missing file, titles", PlaylistM3U, true, true, kNone, {kA},
       "#EXTM3U\r\n#EXTINF:225,T\r\n" A_LINE, false},
      {"added after #: no second header", PlaylistM3U, true, true, "#EXTM3U\r\nold.mp3\r\n",
       {kA, kB}, "#EXTM3U\r\nold.mp3\r\n#EXTINF:225,T\r\n" A_LINE B_LINE, false},
      {"added, file without header gets one", PlaylistM3U, true, true, "old.mp3\r\n", {kA},
       "#EXTM3U\r\nold.mp3\r\n#EXTINF:225,T\r\n" A_LINE, false},
      {"added to an empty file", PlaylistM3U, true, true, "", {kA},
       "#EXTM3U\r\n#EXTINF:225,T\r\n" A_LINE, false},
      {"unknown length", PlaylistM3U, true, false, kNone, {kU},
       "#EXTM3U\r\n#EXTINF:-1,U\r\nC:\\MP3\\u.mp3\r\n", false},
      // An unended last line is ended before anything follows it; a bare LF
      // already ends a line.
      {"no final line end", PlaylistM3U, false, true, "old.mp3", {kB}, "old.mp3\r\n" B_LINE,
       false},
      {"final CR only", PlaylistM3U, false, true, "old.mp3\r", {kB}, "old.mp3\r\r\n" B_LINE,
       false},
      {"LF line ends", PlaylistM3U, true, true, "#EXTM3U\nold.mp3\n", {kB},
       "#EXTM3U\nold.mp3\n" B_LINE, false},
      // A byte-order mark stays the file's first bytes.
      {"BOM before #", PlaylistM3U, true, true, "\xEF\xBB\xBF#EXTM3U\r\nold.mp3\r\n", {kB},
       "\xEF\xBB\xBF#EXTM3U\r\nold.mp3\r\n" B_LINE, false},
      {"BOM, header added", PlaylistM3U, true, true, "\xEF\xBB\xBFold.mp3\r\n", {kB},
       "\xEF\xBB\xBF#EXTM3U\r\nold.mp3\r\n" B_LINE, false},
      {"BOM alone is an empty file", PlaylistM3U, false, true, "\xEF\xBB\xBF", {kB},
       "\xEF\xBB\xBF" B_LINE, false},
  };
  for (const Case& c : cases) Check(c);
}

TEST(PlaylistExport, PLSNewReplacedAndAdded) {
  const Case cases[] = {
      {"new, titles", PlaylistPLS, true, false, kNone, {kH, kB},
       "[playlist]\r\nFile1=C:\\MP3\\h.mp3\r\nTitle1=T\r\nLength1=3723\r\nFile2=" B_LINE
       "NumberOfEntries=2\r\nVersion=2\r\n",
       false},
      {"new, no titles", PlaylistPLS, false, false, kNone, {kH, kB},
       "[playlist]\r\nFile1=C:\\MP3\\h.mp3\r\nFile2=" B_LINE "NumberOfEntries=2\r\nVersion=2\r\n",
       false},
      {"replaced", PlaylistPLS, false, false,
       "[playlist]\r\nFile1=x.mp3\r\nNumberOfEntries=1\r\nVersion=2\r\n", {kB},
       "[playlist]\r\nFile1=" B_LINE "NumberOfEntries=1\r\nVersion=2\r\n", true},
      {"unknown length", PlaylistPLS, true, false, kNone, {kU},
       "[playlist]\r\nFile1=C:\\MP3\\u.mp3\r\nTitle1=U\r\nLength1=-1\r\n"
       "NumberOfEntries=1\r\nVersion=2\r\n",
       false},
      {"added to a missing file", PlaylistPLS, false, true, kNone, {kB},
       "[playlist]\r\nFile1=" B_LINE "NumberOfEntries=1\r\nVersion=2\r\n", false},
      {"added to a file that is no PLS: replaced", PlaylistPLS, false, true,
       "#EXTM3U\r\nC:\\old\\song.mp3\r\n", {kB},
       "[playlist]\r\nFile1=" B_LINE "NumberOfEntries=1\r\nVersion=2\r\n", true},
      {"added to an empty file", PlaylistPLS, false, true, "", {kB},
       "[playlist]\r\nFile1=" B_LINE "NumberOfEntries=1\r\nVersion=2\r\n", false},
      {"added after the trailer's count", PlaylistPLS, true, true,
       "[playlist]\r\nFile1=1.mp3\r\nFile2=2.mp3\r\nFile3=3.mp3\r\nFile4=4.mp3\r\nFile5=5.mp3\r\n"
       "NumberOfEntries=5\r\nVersion=2\r\n",
       {kA, kB},
       "[playlist]\r\nFile1=1.mp3\r\nFile2=2.mp3\r\nFile3=3.mp3\r\nFile4=4.mp3\r\nFile5=5.mp3\r\n"
       "File6=" A_LINE "Title6=T\r\nLength6=225\r\nFile7=" B_LINE
       "NumberOfEntries=7\r\nVersion=2\r\n",
       false},
      {"trailer count above the highest File (entries removed by hand)", PlaylistPLS, false,
       true, "[playlist]\r\nFile1=1.mp3\r\nFile4=4.mp3\r\nNumberOfEntries=5\r\nVersion=2\r\n",
       {kB},
       "[playlist]\r\nFile1=1.mp3\r\nFile4=4.mp3\r\nFile6=" B_LINE
       "NumberOfEntries=6\r\nVersion=2\r\n",
       false},
  };
  for (const Case& c : cases) Check(c);
}

// Files other programs write: the new entries never overwrite, renumber or
// hide an existing entry.
TEST(PlaylistExport, PLSFromOtherWritersKeepsEveryEntry) {
  const Case cases[] = {
      {"[playlist] in any letter case", PlaylistPLS, false, true,
       "[PlayList]\r\nFile1=1.mp3\r\nNumberOfEntries=1\r\nVersion=2\r\n", {kB},
       "[PlayList]\r\nFile1=1.mp3\r\nFile2=" B_LINE "NumberOfEntries=2\r\nVersion=2\r\n", false},
      {"after a byte-order mark", PlaylistPLS, false, true,
       "\xEF\xBB\xBF[playlist]\r\nFile1=1.mp3\r\nNumberOfEntries=1\r\nVersion=2\r\n", {kB},
       "\xEF\xBB\xBF[playlist]\r\nFile1=1.mp3\r\nFile2=" B_LINE
       "NumberOfEntries=2\r\nVersion=2\r\n",
       false},
      {"count before the entries, lower-case keys, LF line ends", PlaylistPLS, true, true,
       "[playlist]\nnumberofentries=2\nFile1=http://radio/a\nTitle1=Radio A\nLength1=-1\n"
       "File2=http://radio/b\nVersion=2\n",
       {kA},
       "[playlist]\nFile1=http://radio/a\nTitle1=Radio A\nLength1=-1\nFile2=http://radio/b\n"
       "File3=" A_LINE "Title3=T\r\nLength3=225\r\nNumberOfEntries=3\r\nVersion=2\r\n",
       false},
      {"a stale count with a wrong number: File lines decide", PlaylistPLS, false, true,
       "[playlist]\r\nFile1=1.mp3\r\nFile2=2.mp3\r\nFile3=3.mp3\r\nNumberOfEntries=2\r\n"
       "Version=2\r\n",
       {kB},
       "[playlist]\r\nFile1=1.mp3\r\nFile2=2.mp3\r\nFile3=3.mp3\r\nFile4=" B_LINE
       "NumberOfEntries=4\r\nVersion=2\r\n",
       false},
      {"File lines after the trailer", PlaylistPLS, false, true,
       "[playlist]\r\nFile1=1.mp3\r\nNumberOfEntries=1\r\nVersion=2\r\nFile2=2.mp3\r\n", {kB},
       "[playlist]\r\nFile1=1.mp3\r\nFile2=2.mp3\r\nFile3=" B_LINE
       "NumberOfEntries=3\r\nVersion=2\r\n",
       false},
      {"count right after the header, no entries", PlaylistPLS, false, true,
       "[playlist]\r\nNumberOfEntries=0\r\nVersion=2\r\n", {kB},
       "[playlist]\r\nFile1=" B_LINE "NumberOfEntries=1\r\nVersion=2\r\n", false},
      {"no count at all, shorter than 25 bytes", PlaylistPLS, false, true,
       "[playlist]\r\nFile1=x\r\n", {kB},
       "[playlist]\r\nFile1=x\r\nFile2=" B_LINE "NumberOfEntries=2\r\nVersion=2\r\n", false},
      {"no final line end", PlaylistPLS, false, true, "[playlist]\r\nFile1=x.mp3", {kB},
       "[playlist]\r\nFile1=x.mp3\r\nFile2=" B_LINE "NumberOfEntries=2\r\nVersion=2\r\n", false},
      {"the count's text inside a title is no count", PlaylistPLS, false, true,
       "[playlist]\r\nFile1=x.mp3\r\nTitle1=NumberOfEntries=9\r\n", {kB},
       "[playlist]\r\nFile1=x.mp3\r\nTitle1=NumberOfEntries=9\r\nFile2=" B_LINE
       "NumberOfEntries=2\r\nVersion=2\r\n",
       false},
      {"other lines after the trailer stay", PlaylistPLS, false, true,
       "[playlist]\r\nFile1=x.mp3\r\nNumberOfEntries=1\r\nVersion=2\r\nTitle1=late\r\n", {kB},
       "[playlist]\r\nFile1=x.mp3\r\nTitle1=late\r\nFile2=" B_LINE
       "NumberOfEntries=2\r\nVersion=2\r\n",
       false},
      {"a count of absurd digits", PlaylistPLS, false, true,
       "[playlist]\r\nFile1=x.mp3\r\nNumberOfEntries=99999999999999999999999\r\n", {kB},
       "[playlist]\r\nFile1=x.mp3\r\nFile1000000000000001=" B_LINE
       "NumberOfEntries=1000000000000001\r\nVersion=2\r\n",
       false},
  };
  for (const Case& c : cases) Check(c);
}

TEST(PlaylistExport, LineBreaksInTitlesAndWhatTheWriterMayKeep) {
  // A tag's title cannot add lines of its own to the playlist.
  ExportEntry injected = Entry("C:\\MP3\\a.mp3", "Evil\r\nFile9=C:\\x.exe", 10);
  EXPECT_EQ("[playlist]\r\nFile1=" A_LINE "Title1=Evil  File9=C:\\x.exe\r\nLength1=10\r\n"
            "NumberOfEntries=1\r\nVersion=2\r\n",
            Save(PlaylistPLS, true, false, kNone, {injected}).bytes);
  const char nul[] = "T\0x";
  ExportEntry withNul{"a.mp3", 5, nul, 3, 1};
  EXPECT_EQ("#EXTM3U\r\n#EXTINF:1,T x\r\na.mp3\r\n",
            Save(PlaylistM3U, true, false, kNone, {withNul}).bytes);

  const char* m3u = "#EXTM3U\r\nold.mp3\r\n";
  EXPECT_EQ(strlen(m3u), Save(PlaylistM3U, true, true, m3u, {kA}).kept);
  const char* pls = "[playlist]\r\nFile1=x.mp3\r\nNumberOfEntries=1\r\nVersion=2\r\n";
  EXPECT_EQ(strlen("[playlist]\r\nFile1=x.mp3\r\n"), Save(PlaylistPLS, true, true, pls, {kB}).kept);
  EXPECT_EQ(0u, Save(PlaylistM3U, true, true, "old.mp3\r\n", {kA}).kept);  // header in front
  // Nothing to write is still a file: the header alone.
  EXPECT_EQ("#EXTM3U\r\n", Save(PlaylistM3U, true, false, kNone, {}).bytes);
  EXPECT_EQ("[playlist]\r\nNumberOfEntries=0\r\nVersion=2\r\n",
            Save(PlaylistPLS, true, false, kNone, {}).bytes);
}

TEST(PlaylistExport, PathOfTheSavedFile) {
  struct Case {
    const char* directory;
    const char* name;
    PlaylistForm form;
    const char* path;  // null: refused
  } cases[] = {
      {"C:\\LISTS", "rock", PlaylistPLS, "C:\\LISTS\\rock.pls"},
      {"C:\\LISTS\\", "rock", PlaylistM3U, "C:\\LISTS\\rock.m3u"},
      {"C:/LISTS/", "rock.m3u", PlaylistM3U, "C:/LISTS/rock.m3u.m3u"},
      {"", "rock", PlaylistPLS, "\\rock.pls"},
      {"C:\\", "", PlaylistM3U, "C:\\.m3u"},
  };
  for (const Case& c : cases) {
    char path[260] = "junk";
    EXPECT_TRUE(ComposePlaylistPath(c.directory, c.name, c.form, path, sizeof path)) << c.path;
    EXPECT_STREQ(c.path, path);
  }
  // 259 characters fit the 260-byte buffer; one more is refused, not cut.
  std::string dir(250, 'd');
  char path[260];
  EXPECT_TRUE(ComposePlaylistPath(dir.c_str(), "1234", PlaylistPLS, path, sizeof path));
  EXPECT_EQ(259u, strlen(path));
  EXPECT_FALSE(ComposePlaylistPath(dir.c_str(), "12345", PlaylistPLS, path, sizeof path));
  EXPECT_STREQ("", path);
  std::string longName(511, 'n');  // the dialog's fields hold up to 511 characters
  std::string longDir(511, 'd');
  EXPECT_FALSE(ComposePlaylistPath(longDir.c_str(), longName.c_str(), PlaylistM3U, path,
                                   sizeof path));
  char small[16];
  EXPECT_FALSE(ComposePlaylistPath("C:\\LISTS", "rock", PlaylistPLS, small, sizeof small));
  EXPECT_STREQ("", small);
}

namespace {

TEST(PlaylistExport, TheHandOverFilesLinesAndThePathsTheyCarry) {
  // One song's lines, as a saved extended M3U has them; nothing when they do
  // not fit.
  unsigned char out[64];
  std::string lines = "#EXTINF:225,T\r\nC:\\MP3\\a.mp3\r\n";
  ASSERT_EQ(lines.size(), WriteM3UEntryText(kA, out, sizeof out));
  EXPECT_EQ(lines, std::string(reinterpret_cast<char*>(out), lines.size()));
  EXPECT_EQ(14u, WriteM3UEntryText(kB, out, sizeof out));
  EXPECT_EQ(0u, WriteM3UEntryText(kA, out, lines.size() - 1));

  struct Case {
    const char* path;
    bool carried;
  };
  const Case cases[] = {
      {"C:\\MP3\\a.mp3", true},
      {"z:\\a", true},
      {"\\\\server\\share\\a.mp3", true},
      {"C:\\MP3\\caf\xe9 #1.mp3", true},
      {"C:\\MP3\\a.m3u8.mp3", true},
      {"a.mp3", false},           // read against the playlist's own folder
      {"MP3\\a.mp3", false},
      {"\\MP3\\a.mp3", false},
      {"C:a.mp3", false},
      {"C:/MP3/a.mp3", false},
      {"#C:\\a.mp3", false},
      {"http://host/a.mp3", false},
      {"C:\\MP3\\a.mp3 ", false},  // line readers may drop it
      {"C:\\MP3\\a\tb.mp3", false},
      {"C:\\MP3\\a\r.mp3", false},
      {"C:\\MP3\\list.M3U", false},  // the player would open it
      {"C:\\MP3\\list.m3u8", false},
      {"C:\\MP3\\list.Pls", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.carried, M3ULineCarriesPath(c.path, strlen(c.path))) << c.path;
}

}  // namespace
