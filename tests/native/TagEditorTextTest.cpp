#include "tags/TagEditorText.h"

#include "tags/TagRecord.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

using Record = std::vector<unsigned char>;

// A record as other tools write it: NUL padding, an ANSI "e" with acute
// accent in the title (0xE9; the console shows it as 0x82), an ID3v1.1
// track byte, genre 17.
Record OtherToolsRecord() {
  Record r(kTagRecordSize, 0);
  memcpy(r.data(), "TAG", 3);
  memcpy(r.data() + 3, "Caf\xE9", 4);
  memcpy(r.data() + 33, "Band", 4);
  memcpy(r.data() + 63, "Album Thirty Characters Long!!", 30);
  memcpy(r.data() + 93, "1999", 4);
  memcpy(r.data() + 97, "Comment of 27 characters ok", 27);
  r[126] = 7;
  r[127] = 17;
  return r;
}

Record With(Record r, size_t offset, const std::string& bytes) {
  memcpy(r.data() + offset, bytes.data(), bytes.size());
  return r;
}

std::string Padded(const std::string& text, size_t width) {
  return text + std::string(width - text.size(), ' ');
}

// Console to ANSI for the tests: 0x82 becomes 0xE9, "~" becomes "#" (so a
// written text shows that it went through the conversion), all else stays.
void FakeToAnsi(const char* from, char* to, size_t size) {
  size_t n = 0;
  for (; from[n] != '\0' && n + 1 < size; ++n)
    to[n] = from[n] == '\x82' ? '\xE9' : from[n] == '~' ? '#' : from[n];
  to[n] = '\0';
}

// The save of a file whose dialog showed record's fields and was left as shown.
struct SaveCase {
  const char* name;
  const char* edited[kTagTextFields];  // null = as shown
  const char* fixed[kTagTextFields];   // non-null = checked with this text
  unsigned fileGenre;                  // 999 = as shown
  int fixedGenre;                      // -1 = unchecked
  bool write;
  Record expected;
};

bool RunSave(const SaveCase& c, const Record* old, const char* const shown[kTagTextFields],
             unsigned shownGenre, Record* out) {
  TagSave save = {};
  save.Record = old ? old->data() : nullptr;
  for (int f = 0; f < kTagTextFields; ++f) {
    save.Fields[f].Shown = shown[f];
    save.Fields[f].Edited = c.edited[f] ? c.edited[f] : shown[f];
    save.Fields[f].Fixed = c.fixed[f] ? c.fixed[f] : "unused";
    save.Fields[f].UseFixed = c.fixed[f] != nullptr;
  }
  save.ShownGenre = shownGenre;
  save.FileGenre = c.fileGenre == 999 ? shownGenre : c.fileGenre;
  save.UseFixedGenre = c.fixedGenre >= 0;
  save.FixedGenre = c.fixedGenre >= 0 ? static_cast<unsigned>(c.fixedGenre) : 0;
  out->assign(kTagRecordSize, 0xAA);
  return BuildSavedRecord(save, FakeToAnsi, out->data());
}

}  // namespace

TEST(TagEditorText, SaveRewritesOnlyWhatTheUserChangedOrFixed) {
  const Record old = OtherToolsRecord();
  const char* const shown[kTagTextFields] = {"Caf\x82", "Band", "Album Thirty Characters Long!!",
                                             "1999", "Comment of 27 characters ok"};
  const SaveCase cases[] = {
      {"trailing blanks only", {"Caf\x82   ", "Band "}, {}, 999, -1, false, old},
      {"year typed longer, same 4 digits", {nullptr, nullptr, nullptr, "19999"}, {}, 999, -1, false, old},
      {"fixed album equal to the file's", {}, {nullptr, nullptr, "Album Thirty Characters Long!!"}, 999, -1, false, old},
      {"fixed genre equal to the file's", {}, {}, 999, 17, false, old},
      {"title edited: the track byte and NULs elsewhere stay",
       {"New~"}, {}, 999, -1, true, With(old, 3, Padded("New#", 30))},
      {"comment edited: the whole field is rewritten",
       {nullptr, nullptr, nullptr, nullptr, "Note"}, {}, 999, -1, true, With(old, 97, Padded("Note", 30))},
      {"fixed artist replaces, the accented title stays",
       {}, {nullptr, "Other \x82"}, 999, -1, true, With(old, 33, Padded("Other \xE9", 30))},
      {"fixed text cut to the field", {}, {nullptr, nullptr, nullptr, "20201"}, 999, -1, true,
       With(old, 93, "2020")},
      {"genre from the menu", {}, {}, 3, -1, true, With(old, 127, "\x03")},
      {"fixed genre none", {}, {}, 999, 255, true, With(old, 127, "\xFF")},
      {"fixed genre wins over the menu", {}, {}, 3, 17, false, old},
  };
  for (const SaveCase& c : cases) {
    Record out;
    EXPECT_EQ(c.write, RunSave(c, &old, shown, 17, &out)) << c.name;
    EXPECT_EQ(c.expected, out) << c.name;
  }
}

TEST(TagEditorText, SaveOfAFileWithoutTag) {
  const char* const shown[kTagTextFields] = {"", "", "", "", ""};
  Record blank(kTagRecordSize, ' ');
  memcpy(blank.data(), "TAG", 3);
  blank[127] = 0xFF;
  const SaveCase cases[] = {
      {"all empty, no genre, no check box", {}, {}, 999, -1, false, blank},
      {"blanks only", {"   ", "", "", " "}, {}, 999, -1, false, blank},
      {"artist typed", {nullptr, "Band"}, {}, 999, -1, true, With(blank, 33, "Band")},
      {"a genre chosen", {}, {}, 5, -1, true, With(blank, 127, "\x05")},
      {"an empty fixed value checked", {}, {nullptr, nullptr, ""}, 999, -1, true, blank},
      {"the fixed genre checked", {}, {}, 999, 255, true, blank},
  };
  for (const SaveCase& c : cases) {
    Record out;
    EXPECT_EQ(c.write, RunSave(c, nullptr, shown, NO_GENRE, &out)) << c.name;
    EXPECT_EQ(c.expected, out) << c.name;
  }
}

// Item 18: the name after the path, cut past 33 characters.
TEST(TagEditorText, FileNameCut) {
  std::string n33(33, 'a'), n34 = n33 + "b", n40 = n33 + "bcdefgh";
  struct NameCase {
    std::string path, expected;
  } names[] = {
      {"C:\\Music\\" + n40, n33 + "..."},
      {"C:\\Music\\" + n34, n33 + "..."},
      {"C:\\Music\\" + n33, n33},  // nothing was cut, so no "..."
      {"D:song.mp3", "song.mp3"},
      {"music/song.mp3", "song.mp3"},
  };
  for (const NameCase& c : names) {
    char out[64];
    FormatTagFileName(out, sizeof out, c.path.c_str());
    EXPECT_EQ(c.expected, out) << c.path;
  }
  char small[8];
  FormatTagFileName(small, sizeof small, ("C:\\" + n40).c_str());
  EXPECT_STREQ("aaaaaaa", small);
}
