// The listing's check of the song files, both ways on a real folder: each
// song searched by itself, and the folders that hold several songs read
// once. Every name must get the same answer entry by entry (found or not,
// attributes, times, sizes, short name), also the names the search reads
// otherwise than as plain names.
#include "panel/SongFiles.h"

#include "TempDir.h"
#include "plugin/TextBuffer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

// Song names (ANSI, or only OEM when ansi is false) and each answer as text.
class TableCheck : public SongFileCheck {
 public:
  struct Song {
    std::string name;
    bool ansi;
  };
  explicit TableCheck(const std::vector<Song>& songs)
      : songs_(songs), answers(songs.size()), takes(songs.size(), 0) {}

  const char* AnsiName(size_t song) override {
    return songs_[song].ansi ? songs_[song].name.c_str() : nullptr;
  }
  void OemName(size_t song, char* buffer, size_t size) override {
    CopyText(buffer, size, songs_[song].name.c_str());
  }
  void Take(size_t song, const WIN32_FIND_DATAA* found) override {
    ++takes[song];
    if (found == nullptr) {
      answers[song] = "missing";
      return;
    }
    char text[MAX_PATH + 128];
    FormatText(text, sizeof text, "attributes %lx created %lx:%lx accessed %lx:%lx written %lx:%lx size %lx:%lx %s|%s",
               found->dwFileAttributes, found->ftCreationTime.dwHighDateTime,
               found->ftCreationTime.dwLowDateTime, found->ftLastAccessTime.dwHighDateTime,
               found->ftLastAccessTime.dwLowDateTime, found->ftLastWriteTime.dwHighDateTime,
               found->ftLastWriteTime.dwLowDateTime, found->nFileSizeHigh, found->nFileSizeLow,
               found->cFileName, found->cAlternateFileName);
    answers[song] = text;
  }

  std::vector<Song> songs_;
  std::vector<std::string> answers;
  std::vector<int> takes;
};

// Made with the ANSI file functions, as the names are written here.
void MakeFile(const std::string& path, size_t size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
  std::string bytes(size, 'x');
  DWORD put = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(size), &put, nullptr);
  CloseHandle(file);
}

// The file's short (8.3) name in its own folder.
std::string ShortName(const std::string& folder, const std::string& name) {
  char shortPath[MAX_PATH];
  DWORD n = GetShortPathNameA((folder + "\\" + name).c_str(), shortPath, sizeof shortPath);
  std::string path = n > 0 && n < sizeof shortPath ? std::string(shortPath, n) : name;
  return folder + path.substr(path.find_last_of('\\'));
}

// Both ways over the songs; the number the folder reads answered.
size_t ExpectSameBothWays(const std::vector<TableCheck::Song>& songs) {
  TableCheck each(songs);
  TableCheck folders(songs);
  EXPECT_EQ(0u, FindSongFiles(&each, songs.size(), false));
  size_t read = FindSongFiles(&folders, songs.size(), true);
  for (size_t i = 0; i < songs.size(); ++i) {
    EXPECT_EQ(1, each.takes[i]) << songs[i].name;
    EXPECT_EQ(1, folders.takes[i]) << songs[i].name;
    EXPECT_EQ(each.answers[i], folders.answers[i]) << songs[i].name;
  }
  return read;
}

TEST(SongFiles, FolderReadsAnswerEveryNameAsTheSearchByItDoes) {
  testkit::TempDir dir("melvox-songfiles");
  std::string album = dir.MakeDir("Album");
  MakeFile(album + "\\Song.mp3", 10);
  MakeFile(album + "\\abc.mp3", 20);
  MakeFile(album + "\\abd.mp3", 30);
  MakeFile(album + "\\A Long Name Beyond Eight.mp3", 40);
  MakeFile(album + "\\caf\xe9.mp3", 50);
  dir.MakeDir("Album\\Now A Folder");
  std::string deep = dir.Path() + "\\" + std::string(252 - dir.Path().size() - 1, 'd');
  ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
  for (const char* name : {"\\1.mp3", "\\2.mp3", "\\3.mp3"}) MakeFile(deep + name, 5);
  ASSERT_EQ(258u, (deep + "\\1.mp3").size());
  std::string shortName = ShortName(album, "A Long Name Beyond Eight.mp3");
  ASSERT_NE(std::string::npos, shortName.find('~')) << shortName;

  std::vector<TableCheck::Song> songs = {
      {album + "\\Song.mp3", true},
      {album + "\\song.mp3", true},
      {album + "\\SONG.MP3", true},
      {album + "\\Song.mp3", true},  // the same song twice
      {album + "\\abc.mp3", true},
      {album + "\\caf\xe9.mp3", true},
      {album + "\\CAF\xc9.MP3", true},  // a case difference beyond ASCII
      {album + "\\A Long Name Beyond Eight.mp3", true},
      {shortName, true},
      {album + "\\a?c.mp3", true},
      {album + "\\ab*.mp3", true},
      {album + "\\Song.mp3.", true},
      {album + "\\Song.mp3 ", true},
      {album + "\\Song.mp3:stream", true},
      {album + "\\Now A Folder", true},
      {album + "\\Gone.mp3", true},
      {album + "\\nul.mp3", true},
      {album + "\\.\\abd.mp3", true},
      {album + "/abd.mp3", true},
      {album + "\\abd.mp3", false},  // no player's name: the OEM search
      {dir.Path() + "\\Lost\\1.mp3", true},
      {dir.Path() + "\\Lost\\2.mp3", true},
      {dir.Path() + "\\Lost\\3.mp3", true},
      {deep + "\\1.mp3", true},
      {deep + "\\2.mp3", true},
      {deep + "\\3.mp3", true},
      {deep + "\\4.mp3", true},
      {deep + "\\12.mp3", true},   // 259 characters
      {deep + "\\123.mp3", true},  // 260: no name any longer
  };
  // Album's read decides 9 of its names (not the case difference beyond
  // ASCII, nor the names the search reads otherwise), the deep folder's 5
  // (not the one past 259 characters); Lost cannot be read.
  EXPECT_EQ(14u, ExpectSameBothWays(songs));
}

}  // namespace
