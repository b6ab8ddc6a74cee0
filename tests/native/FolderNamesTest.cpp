// Which song paths a folder read decides, and what it decides for a name.
#include "panel/FolderNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(FolderNames, OnlyPlainAbsolutePathsWithLiteralNamesAreDecided) {
  struct Case {
    std::u16string path;
    std::u16string folder;  // empty: searched by itself
  };
  const Case cases[] = {
      {u"C:\\Music\\song.mp3", u"C:\\Music"},
      {u"c:\\Music\\Album.\\song.mp3", u"c:\\Music\\Album."},
      {u"C:\\song.mp3", u"C:"},
      {u"\\\\server\\share\\Music\\a.mp3", u"\\\\server\\share\\Music"},
      {u"\\\\server\\share\\a.mp3", u"\\\\server\\share"},
      {u"C:\\\u041c\u0443\u0437\u044b\u043a\u0430\\\u041f\u0435\u0441\u043d\u044f.mp3",
       u"C:\\\u041c\u0443\u0437\u044b\u043a\u0430"},
      {u"C:\\Music\\CONSOLE.mp3", u"C:\\Music"},
      {u"C:\\Music\\COM10.mp3", u"C:\\Music"},
      // Not absolute, or another namespace.
      {u"Music\\a.mp3", u""},
      {u"C:Music\\a.mp3", u""},
      {u"\\Music\\a.mp3", u""},
      {u"\\\\?\\C:\\Music\\a.mp3", u""},
      {u"\\\\.\\C:\\a.mp3", u""},
      {u"\\\\server\\a.mp3", u""},
      // Steps the search resolves its own way.
      {u"C:/Music/a.mp3", u""},
      {u"C:\\Music\\\\a.mp3", u""},
      {u"C:\\\\a.mp3", u""},
      {u"C:\\Music\\..\\a.mp3", u""},
      {u"C:\\.\\a.mp3", u""},
      {u"C:\\Music\\", u""},
      {u"", u""},
      // Patterns, streams, control characters.
      {u"C:\\Music\\a?.mp3", u""},
      {u"C:\\Music\\*.mp3", u""},
      {u"C:\\Mu*sic\\a.mp3", u""},
      {u"C:\\Music\\a<b.mp3", u""},
      {u"C:\\Music\\a>b.mp3", u""},
      {u"C:\\Music\\a\"b.mp3", u""},
      {u"C:\\Music\\a|b.mp3", u""},
      {u"C:\\Music\\a.mp3:stream", u""},
      {u"C:\\Music\\a\tb.mp3", u""},
      // Names the search does not take as they are.
      {u"C:\\Music\\a.mp3.", u""},
      {u"C:\\Music\\a.mp3 ", u""},
      {u"C:\\Music\\ALONGN~1.MP3", u""},
      {u"C:\\Music\\NUL", u""},
      {u"C:\\Music\\con.mp3", u""},
      {u"C:\\Music\\Com1.txt", u""},
      {u"C:\\Music\\lpt9", u""},
      {u"C:\\Music\\aux .mp3", u""},
      {u"C:\\Music\\COM\u00b9.mp3", u""},
      {u"C:\\Music\\CONOUT$", u""},
  };
  for (const Case& c : cases) {
    size_t length = DecidableFolderLength(c.path.data(), c.path.size());
    EXPECT_EQ(c.folder, c.path.substr(0, length)) << std::string(c.path.begin(), c.path.end());
  }
}

TEST(FolderNames, ANameIsFoundOnlyWhenNoOtherEntryMayMatchIt) {
  // Entry numbers are the positions here; short names follow their entry.
  const std::vector<std::pair<std::u16string, std::u16string>> entries = {
      {u"Song.mp3", u""},
      {u"A Long Name.mp3", u"ALONGN~1.MP3"},
      {u"\u0131nfo.mp3", u""},                                // dotless i: may fold to "I"
      {u"\u041f\u0435\u0441\u043d\u044f.mp3", u""},           // Песня
      {u"Twin.mp3", u""},
      {u"twin.mp3", u""},                                     // a case twin (a Unix folder)
      {u"Folder", u""},
      {u"\u00c4BC.mp3", u""},
      {u"..", u""},
  };
  std::vector<FolderName> names;
  for (size_t i = 0; i < entries.size(); ++i) {
    names.push_back({entries[i].first.data(), entries[i].first.size(), i});
    if (!entries[i].second.empty()) names.push_back({entries[i].second.data(), entries[i].second.size(), i});
  }
  SortFolderNames(names.data(), names.size());
  struct Case {
    std::u16string name;
    FolderAnswer answer;
    size_t entry;
  };
  const Case cases[] = {
      {u"Song.mp3", FolderFound, 0},
      {u"song.MP3", FolderFound, 0},
      {u"alongn~1.mp3", FolderFound, 1},
      {u"a long name.MP3", FolderFound, 1},
      {u"info.mp3", FolderUndecided, 0},
      {u"\u041f\u0435\u0441\u043d\u044f.mp3", FolderFound, 3},
      {u"\u041f\u0435\u0441\u043d\u044f.MP3", FolderFound, 3},
      {u"\u043f\u0435\u0441\u043d\u044f.mp3", FolderUndecided, 0},  // песня
      {u"S\u043eng.mp3", FolderUndecided, 0},                        // a Cyrillic "o"
      {u"TWIN.mp3", FolderUndecided, 0},
      {u"twin.mp3", FolderUndecided, 0},
      {u"folder", FolderFound, 6},
      {u"\u00c4bc.MP3", FolderFound, 7},
      {u"\u00e4bc.mp3", FolderUndecided, 0},
      {u"Missing.mp3", FolderMissing, 0},
      {u"Song.mp", FolderMissing, 0},
      {u"\u00c4BD.mp3", FolderMissing, 0},
  };
  for (const Case& c : cases) {
    size_t entry = 99;
    FolderAnswer answer = FindFolderName(names.data(), names.size(), c.name.data(), c.name.size(), &entry);
    std::string shown(c.name.begin(), c.name.end());
    EXPECT_EQ(c.answer, answer) << shown;
    if (c.answer == FolderFound) {
      EXPECT_EQ(c.entry, entry) << shown;
    }
  }
  EXPECT_EQ(FolderMissing, FindFolderName(nullptr, 0, u"a", 1, nullptr));
}

TEST(FolderNames, SongsGroupByFolderAndOnlyFoldersOfSeveralAreRead) {
  const std::u16string paths[] = {u"C:\\A\\1.mp3", u"C:\\B\\2.mp3", u"C:\\A\\3.mp3",
                                  u"C:\\AB\\4.mp3", u"C:\\B\\5.mp3", u"C:\\A\\6.mp3",
                                  u"c:\\a\\7.mp3"};
  std::vector<FolderSong> songs;
  for (size_t i = 0; i < 7; ++i)
    songs.push_back({paths[i].data(), paths[i].size(), DecidableFolderLength(paths[i].data(), paths[i].size()), i});
  SortSongsByFolder(songs.data(), songs.size());
  std::vector<std::vector<size_t>> groups;
  for (size_t from = 0, run = 0; from < songs.size(); from += run) {
    run = FolderRun(songs.data(), songs.size(), from);
    groups.emplace_back();
    for (size_t j = from; j < from + run; ++j) groups.back().push_back(songs[j].Song);
  }
  // Folders compare unit by unit ("c:\a" is another folder to group by),
  // each folder's songs in their own order.
  EXPECT_EQ((std::vector<std::vector<size_t>>{{0, 2, 5}, {3}, {1, 4}, {6}}), groups);
  EXPECT_EQ(0u, FolderReadLimit(1));
  EXPECT_EQ(0u, FolderReadLimit(2));
  EXPECT_LT(0u, FolderReadLimit(3));
  EXPECT_LT(FolderReadLimit(3), FolderReadLimit(30));
}

}  // namespace
