// Saved playlists for a reader that is not ours: the shipped DLL saves songs
// made of real MPEG frames as M3U and PLS files, new and added to, into the
// build's exports folder. The ctest mpg123_reads_saved_playlists then has
// Debian's mpg123 decode every song each file lists, in order
// (scripts/mpg123-check.sh), once this program has run.
#include "JourneyKit.h"

#include "SongFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#ifndef EXPORTS_DIR
#error "EXPORTS_DIR must name the folder the saved playlists go to"
#endif

namespace {

// A song of whole MPEG frames (a decoder reports a cut last frame as an
// error), seconds long, with an ID3v1 record when tag is not null.
void WriteWholeFrameSong(const std::string& path, const testkit::MpegFormat& format, int seconds,
                         const testkit::Id3v1Fields* tag) {
  constexpr int kSamplesPerFrame = 1152;
  testkit::Bytes frame = testkit::MpegFrameHeader(format);
  frame.resize(testkit::MpegFrameSize(format), 0);
  testkit::Bytes song;
  for (int i = 0; i < seconds * format.sampleRate / kSamplesPerFrame; ++i)
    song.insert(song.end(), frame.begin(), frame.end());
  if (tag) {
    testkit::Bytes record = testkit::Id3v1Record(*tag);
    song.insert(song.end(), record.begin(), record.end());
  }
  testkit::WriteBytes(path, song);
}

TEST(SavedPlaylists, AreWrittenForAnIndependentReader) {
  std::string folder = testkit::WinePath(EXPORTS_DIR);
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  std::filesystem::create_directories(folder + "\\songs", error);
  ASSERT_FALSE(error) << folder;

  // Rates and channels of the library's songs; names with a blank and a dot.
  std::string all;
  int n = 0;
  for (const journey::LibrarySong& s : journey::Library()) {
    testkit::MpegFormat format;
    format.bitrateKbps = s.bitrateKbps;
    format.sampleRate = s.sampleRate;
    format.channels = s.channels;
    testkit::Id3v1Fields tag;
    if (s.artist) {
      tag.artist = s.artist;
      tag.title = s.title;
    }
    std::string path = folder + "\\songs\\Song " + std::to_string(++n) + "." + s.file;
    WriteWholeFrameSong(path, format, 3, s.artist ? &tag : nullptr);
    all += path + "\r\n";
  }
  testkit::WriteText(folder + "\\songs\\all.m3u", all);

  // Every way the save composes a file: new with and without titles, added
  // to, in both forms.
  std::string script =
      "size 80 14\n"
      "passive files " + folder + "\n"
      "player start " + folder + "\\songs\\all.m3u\n"
      "open disks\n"
      "select all\n"
      "answer dialog 11 type 4 titled\n"
      "key Shift+F5\n"
      "select all\n"
      "answer dialog 11 type 4 plain uncheck 7\n"
      "key Shift+F5\n"
      "select all\n"
      "answer dialog 11 type 4 titled check 6\n"
      "key Shift+F5\n"
      "cursor 3\n"
      "answer dialog 11 type 4 titled check 8\n"
      "key Shift+F5\n"
      "cursor 1\n"
      "answer dialog 11 type 4 titled check 6 check 8\n"
      "key Shift+F5\n";
  int failures = -1;
  std::string transcript;
  {
    journey::Journey journey;
    transcript = journey.Run(script, &failures);
  }
  EXPECT_EQ(0, failures) << transcript;
  for (const char* file : {"titled.m3u", "plain.m3u", "titled.pls"})
    EXPECT_TRUE(testkit::FileExists(folder + "\\" + file)) << file << "\n" << transcript;
}

}  // namespace
