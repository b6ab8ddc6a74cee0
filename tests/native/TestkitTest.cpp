// The fixture builders must produce the formats byte for byte: a wrong
// fixture would make product tests pass or fail for the wrong reason.
#include "Playlists.h"
#include "SongFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

using testkit::Bytes;

namespace {

Bytes Slice(const Bytes& b, std::size_t at, std::size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }
std::string Text(const Bytes& b, std::size_t at, std::size_t n) { return std::string(b.begin() + at, b.begin() + at + n); }
unsigned Le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<unsigned>(b[at + 3]) << 24;
}

}  // namespace

TEST(TestkitMpeg, HeaderBytesFollowTheFrameHeaderLayout) {
    struct Case {
        testkit::MpegFormat format;
        bool padding;
        Bytes header;
    } cases[] = {
        {{128, 44100, 2}, false, {0xFF, 0xFB, 0x90, 0x64}},
        {{128, 44100, 1}, false, {0xFF, 0xFB, 0x90, 0xC4}},
        {{320, 48000, 2}, false, {0xFF, 0xFB, 0xE4, 0x64}},
        {{32, 32000, 1}, true, {0xFF, 0xFB, 0x1A, 0xC4}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.header, testkit::MpegFrameHeader(c.format, c.padding));
    EXPECT_THROW(testkit::MpegFrameHeader({100, 44100, 2}), std::invalid_argument);
    EXPECT_THROW(testkit::MpegFrameHeader({128, 22050, 2}), std::invalid_argument);
}

TEST(TestkitMpeg, AudioIsWholeFramesOfTheExactLength) {
    EXPECT_EQ(417u, testkit::MpegFrameSize({128, 44100, 2}));
    EXPECT_EQ(418u, testkit::MpegFrameSize({128, 44100, 2}, true));
    EXPECT_EQ(960u, testkit::MpegFrameSize({320, 48000, 2}));

    const Bytes audio = testkit::MpegAudio({128, 44100, 2}, 3);
    ASSERT_EQ(3u * 128 * 125, audio.size());  // size * 8 / 128000 == 3
    const Bytes header = {0xFF, 0xFB, 0x90, 0x64};
    for (std::size_t at = 0; at + 4 <= audio.size(); at += 417) EXPECT_EQ(header, Slice(audio, at, 4)) << at;
    EXPECT_EQ(0, audio[4]);
    EXPECT_TRUE(testkit::MpegAudio({128, 44100, 2}, 0).empty());
}

TEST(TestkitId3, V1RecordPutsEveryFieldAtItsOffset) {
    testkit::Id3v1Fields f;
    f.title = "A title longer than thirty characters";
    f.artist = "Artist";
    f.album = "Album";
    f.year = "1999";
    f.comment = "Note";
    f.genre = 17;
    Bytes r = testkit::Id3v1Record(f);
    ASSERT_EQ(128u, r.size());
    EXPECT_EQ("TAG", Text(r, 0, 3));
    EXPECT_EQ("A title longer than thirty cha", Text(r, 3, 30));
    EXPECT_EQ(std::string("Artist") + std::string(24, '\0'), Text(r, 33, 30));
    EXPECT_EQ("Album", Text(r, 63, 5));
    EXPECT_EQ("1999", Text(r, 93, 4));
    EXPECT_EQ("Note", Text(r, 97, 4));
    EXPECT_EQ(0, r[126]);
    EXPECT_EQ(17, r[127]);

    f.fill = ' ';
    f.track = 7;
    f.comment = std::string(40, 'c');
    r = testkit::Id3v1Record(f);
    EXPECT_EQ(std::string("Artist") + std::string(24, ' '), Text(r, 33, 30));
    EXPECT_EQ(std::string(28, 'c'), Text(r, 97, 28));
    EXPECT_EQ(0, r[125]);
    EXPECT_EQ(7, r[126]);
    EXPECT_EQ(255, testkit::Id3v1Record(testkit::Id3v1Fields()).back());
}

TEST(TestkitId3, V2HeaderHasASyncsafeSize) {
    const Bytes b = testkit::Id3v2Block(1024);
    ASSERT_EQ(10u + 1024, b.size());
    EXPECT_EQ((Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0x08, 0x00}), Slice(b, 0, 10));
    EXPECT_EQ((Bytes{0x7F, 0x7F, 0x7F, 0x7F}), Slice(testkit::Id3v2Block(0x0FFFFFFF), 6, 4));
}

TEST(TestkitWave, RiffChunksAndOptionalFfStart) {
    const Bytes w = testkit::WaveFile(8000, 1, 2);
    ASSERT_EQ(44u + 32000, w.size());
    EXPECT_EQ("RIFF", Text(w, 0, 4));
    EXPECT_EQ(w.size() - 8, Le32(w, 4));
    EXPECT_EQ("WAVEfmt ", Text(w, 8, 8));
    EXPECT_EQ(16u, Le32(w, 16));
    EXPECT_EQ(8000u, Le32(w, 24));
    EXPECT_EQ(16000u, Le32(w, 28));
    EXPECT_EQ("data", Text(w, 36, 4));
    EXPECT_EQ(32000u, Le32(w, 40));
    EXPECT_EQ(0, w[44]);
    EXPECT_EQ((Bytes{0xFF, 0xFB}), Slice(testkit::WaveFile(8000, 2, 1, true), 44, 2));
}

TEST(TestkitPlaylists, TextsUseTheChosenLineEnds) {
    EXPECT_EQ("a.mp3\r\nb c.mp3\r\n", testkit::M3uText({"a.mp3", "b c.mp3"}));
    EXPECT_EQ("a.mp3\n", testkit::M3uText({"a.mp3"}, testkit::LineEnd::Lf));
    EXPECT_EQ("#EXTM3U\n#EXTINF:61,A - B\nC:\\a.mp3\n",
              testkit::ExtM3uText({{"C:\\a.mp3", "A - B", 61}}, testkit::LineEnd::Lf));
    EXPECT_EQ("[playlist]\r\nFile1=x.mp3\r\nTitle1=X\r\nLength1=5\r\nFile2=y.mp3\r\nLength2=-1\r\n"
              "NumberOfEntries=2\r\nVersion=2\r\n",
              testkit::PlsText({{"x.mp3", "X", 5}, {"y.mp3", "", -1}}));
}

TEST(TestkitTempDir, FolderIsFreshAndRemovedWithItsContents) {
    std::string kept;
    std::string song;
    {
        testkit::TempDir a;
        testkit::TempDir b;
        EXPECT_NE(a.Path(), b.Path());
        kept = a.Path();
        const std::string sub = a.MakeDir("x");
        song = sub + testkit::PathSeparator() + "s.mp3";
        testkit::WriteMpegSong(song, {128, 44100, 2}, 1, nullptr);
        EXPECT_TRUE(testkit::FileExists(song));
        EXPECT_EQ(16000u, testkit::ReadBytes(song).size());
        testkit::WriteText(a.File("t.txt"), "abc");
        EXPECT_EQ("abc", testkit::ReadText(a.File("t.txt")));
    }
    EXPECT_FALSE(testkit::FileExists(song));
    EXPECT_FALSE(std::filesystem::exists(kept));
    EXPECT_TRUE(testkit::ReadBytes(kept + "/nothing").empty());
}

TEST(Testkit, WinePathMapsTheUnixRootToDriveZ) {
    EXPECT_EQ("Z:\\work\\build\\fakeamp.exe", testkit::WinePath("/work/build/fakeamp.exe"));
    EXPECT_EQ("lang\\melvox.dll", testkit::WinePath("lang/melvox.dll"));
    EXPECT_EQ("C:\\x", testkit::WinePath("C:\\x"));
}
