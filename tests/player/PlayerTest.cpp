// The stand-in's answers, caption and playlist file, as the plug-in sees them.
#include "PlayerTestSupport.h"

#include <string>
#include <vector>

using namespace playertest;

namespace {

// The title the plug-in reads: after "<n>. ", before the 19-character stopped suffix.
std::string TitleFromStoppedCaption(const std::string& caption) {
    if (caption.size() < 19) return "<short>";
    const std::string cut = caption.substr(0, caption.size() - 19);
    const std::size_t dot = cut.find('.');
    return dot == std::string::npos ? "<no dot>" : cut.substr(dot + 2);
}

}  // namespace

TEST_F(PlayerFixture, CaptionFollowsPlayPauseStopAndSongChanges) {
    StartPlayer();
    EXPECT_EQ("Winamp 2.50", player.Caption());

    testkit::Id3v1Fields blankFilled = Tag("Artist One", "Song One");
    blankFilled.fill = ' ';  // some taggers pad with blanks: trimmed for display
    player.PlayFile(Song("one.mp3", 10, &blankFilled));
    player.PlayFile(Song("two.tune.mp3", 10));
    EXPECT_EQ("1. Artist One - Song One - Winamp [Stopped]", player.Caption());

    player.Command(WINAMP_BUTTON2);
    EXPECT_EQ("1. Artist One - Song One - Winamp", player.Caption());
    player.Command(WINAMP_BUTTON3);
    EXPECT_EQ("1. Artist One - Song One - Winamp [Paused]", player.Caption());
    player.Command(WINAMP_BUTTON3);
    EXPECT_EQ("1. Artist One - Song One - Winamp", player.Caption());
    player.Command(WINAMP_BUTTON5);  // keeps playing
    EXPECT_EQ("2. two.tune - Winamp", player.Caption());
    player.Command(WINAMP_BUTTON4);
    EXPECT_EQ("2. two.tune - Winamp [Stopped]", player.Caption());
    player.Command(WINAMP_BUTTON3);  // pause while stopped: nothing
    EXPECT_EQ("2. two.tune - Winamp [Stopped]", player.Caption());
    player.Command(WINAMP_BUTTON1);
    EXPECT_EQ("1. Artist One - Song One - Winamp [Stopped]", player.Caption());
    player.Command(WINAMP_BUTTON1);  // before the first: wraps to the last
    EXPECT_EQ("2. two.tune - Winamp [Stopped]", player.Caption());
    player.Command(WINAMP_BUTTON1_CTRL);
    EXPECT_EQ("1. Artist One - Song One - Winamp [Stopped]", player.Caption());

    player.Ipc(IPC_DELETE);
    EXPECT_EQ("Winamp 2.50", player.Caption());
}

TEST_F(PlayerFixture, SetPlaylistPosLeavesCaptionAndTitleFetchStepsWork) {
    StartPlayer();
    testkit::Id3v1Fields titleOnly;
    titleOnly.title = "Only A Title";
    testkit::Id3v1Fields full = Tag("Band", "Tune");
    full.album = "Album";
    full.track = 4;
    const std::vector<std::string> songs = {Song("a.mp3", 5, &full), Song("b.mp3", 5, &titleOnly),
                                            Song("c.mp3", 5)};
    for (const std::string& song : songs) player.PlayFile(song);
    player.Command(WINAMP_BUTTON2);

    EXPECT_EQ(0, player.Ipc(IPC_SETPLAYLISTPOS, 2));
    EXPECT_EQ(2, player.Ipc(IPC_GETLISTPOS));
    EXPECT_EQ("1. Band - Tune - Winamp", player.Caption());
    EXPECT_EQ(1, player.Ipc(IPC_ISPLAYING));
    player.Ipc(IPC_SETPLAYLISTPOS, 7);  // out of range: ignored
    EXPECT_EQ(2, player.Ipc(IPC_GETLISTPOS));

    // The plug-in's title fetch: stop, then first song, then position i-1 and next.
    player.Command(WINAMP_BUTTON4);
    std::vector<std::string> titles;
    for (int i = 0; i < 3; ++i) {
        if (i == 0) {
            player.Command(WINAMP_BUTTON1_CTRL);
        } else {
            player.Ipc(IPC_SETPLAYLISTPOS, static_cast<WPARAM>(i - 1));
            player.Command(WINAMP_BUTTON5);
        }
        EXPECT_EQ(i, player.Ipc(IPC_GETLISTPOS));
        EXPECT_EQ(5, player.Ipc(IPC_GETOUTPUTTIME, 1));
        titles.push_back(TitleFromStoppedCaption(player.Caption()));
    }
    EXPECT_EQ((std::vector<std::string>{"Band - Tune", "Only A Title", "c"}), titles);
    EXPECT_EQ(0, player.Ipc(IPC_ISPLAYING));
}

TEST_F(PlayerFixture, WritePlaylistWritesExactBytesAndAnswersPosition) {
    StartPlayer();
    testkit::Id3v1Fields tag = Tag("The Testers", "Blues");
    const std::string tagged = Song("01 blues.mp3", 185, &tag);
    const std::string mono = Song("mono.mp3", 61, nullptr, {64, 32000, 1});
    const std::string wave = dir.File("wave.wav");
    testkit::WriteWaveSong(wave, 44100, 2, 1, true);  // data starts FF FB: still not MPEG
    const std::string id3v2 = dir.File("v2.mp3");
    testkit::WriteId3v2Song(id3v2, testkit::MpegFormat(), 3);
    const std::string missing = dir.File("gone.mp3");
    const std::string ansi = "C:\\caf\xe9\\d\xe9j\xe0 vu.mp3";  // bytes kept as given, not converted
    for (const std::string& s : {tagged, mono, wave, id3v2, missing, ansi}) player.PlayFile(s);

    player.Ipc(IPC_SETPLAYLISTPOS, 3);
    EXPECT_EQ(3, player.Ipc(IPC_WRITEPLAYLIST));
    const std::string expected = "#EXTM3U\r\n"
                                 "#EXTINF:185,The Testers - Blues\r\n" + tagged + "\r\n"
                                 "#EXTINF:61,mono\r\n" + mono + "\r\n"
                                 "#EXTINF:-1,wave\r\n" + wave + "\r\n"
                                 "#EXTINF:-1,v2\r\n" + id3v2 + "\r\n"
                                 "#EXTINF:-1,gone\r\n" + missing + "\r\n"
                                 "#EXTINF:-1,d\xe9j\xe0 vu\r\n" + ansi + "\r\n";
    EXPECT_EQ(expected, testkit::ReadText(player.PlaylistPath()));

    player.Ipc(IPC_DELETE);
    EXPECT_EQ(0, player.Ipc(IPC_WRITEPLAYLIST));
    EXPECT_EQ("#EXTM3U\r\n", testkit::ReadText(player.PlaylistPath()));
}

TEST_F(PlayerFixture, AnswersTransportAndInformationMessages) {
    player.EnableState();
    StartPlayer();
    EXPECT_EQ(0x2050, player.Ipc(IPC_GETVERSION));
    EXPECT_EQ(-1, player.Ipc(IPC_GETOUTPUTTIME, 1));  // empty playlist
    player.Command(WINAMP_BUTTON2);                   // nothing to play
    EXPECT_EQ(0, player.Ipc(IPC_ISPLAYING));

    player.PlayFile(Song("stereo.mp3", 100));
    player.PlayFile(Song("mono48.mp3", 30, nullptr, {320, 48000, 1}));
    EXPECT_EQ(2, player.Ipc(IPC_GETLISTLENGTH));
    EXPECT_EQ(-1, player.Ipc(IPC_GETOUTPUTTIME, 0));
    EXPECT_EQ(100, player.Ipc(IPC_GETOUTPUTTIME, 1));
    EXPECT_EQ(0, player.Ipc(IPC_GETINFO, 0));  // stopped: no rates
    EXPECT_EQ(-1, player.Ipc(IPC_JUMPTOTIME, 5000));

    player.Ipc(IPC_STARTPLAY);
    EXPECT_EQ(1, player.Ipc(IPC_ISPLAYING));
    EXPECT_EQ(44, player.Ipc(IPC_GETINFO, 0));
    EXPECT_EQ(128, player.Ipc(IPC_GETINFO, 1));
    EXPECT_EQ(2, player.Ipc(IPC_GETINFO, 2));

    EXPECT_EQ(0, player.Ipc(IPC_JUMPTOTIME, 60000));
    LRESULT at = player.Ipc(IPC_GETOUTPUTTIME, 0);
    EXPECT_GE(at, 60000);
    EXPECT_LT(at, 65000);
    player.Command(WINAMP_FFWD5S);
    EXPECT_GE(player.Ipc(IPC_GETOUTPUTTIME, 0), 65000);
    player.Command(WINAMP_REW5S);
    player.Command(WINAMP_REW5S);
    at = player.Ipc(IPC_GETOUTPUTTIME, 0);
    EXPECT_GE(at, 55000);
    EXPECT_LT(at, 60000);

    player.Command(WINAMP_BUTTON3);  // paused: the clock stands still
    EXPECT_EQ(3, player.Ipc(IPC_ISPLAYING));
    at = player.Ipc(IPC_GETOUTPUTTIME, 0);
    Sleep(150);
    EXPECT_EQ(at, player.Ipc(IPC_GETOUTPUTTIME, 0));
    EXPECT_EQ(44, player.Ipc(IPC_GETINFO, 0));

    player.Command(WINAMP_BUTTON2);  // play while paused or playing restarts at 0
    EXPECT_EQ(1, player.Ipc(IPC_ISPLAYING));
    EXPECT_LT(player.Ipc(IPC_GETOUTPUTTIME, 0), 5000);

    player.Command(WINAMP_BUTTON5);
    EXPECT_EQ(1, player.Ipc(IPC_ISPLAYING));
    EXPECT_EQ(48, player.Ipc(IPC_GETINFO, 0));
    EXPECT_EQ(320, player.Ipc(IPC_GETINFO, 1));
    EXPECT_EQ(1, player.Ipc(IPC_GETINFO, 2));
    EXPECT_EQ(30, player.Ipc(IPC_GETOUTPUTTIME, 1));
    player.Command(WINAMP_BUTTON5);  // after the last: wraps to the first
    EXPECT_EQ(0, player.Ipc(IPC_GETLISTPOS));

    player.Command(WINAMP_FILE_PLAY);     // journal only
    player.Command(WINAMP_BUTTON2_CTRL);  // journal only
    EXPECT_EQ(1, player.Ipc(IPC_ISPLAYING));

    player.Ipc(IPC_DELETE);
    EXPECT_EQ(0, player.Ipc(IPC_GETLISTLENGTH));
    EXPECT_EQ(0, player.Ipc(IPC_ISPLAYING));
    const playerkit::PlayerState state = player.ReadState();
    ASSERT_TRUE(state.valid);
    EXPECT_EQ("stopped", state.state);
    EXPECT_TRUE(state.paths.empty());
}

TEST_F(PlayerFixture, PlayFileLoadsM3uAndPlsPlaylists) {
    player.EnableState();
    const std::string sub = dir.MakeDir("lists");
    const std::string a = Song("a.mp3", 1);
    // CR LF, comments, a relative path, an empty line, and a last line without an end.
    testkit::WriteText(sub + "\\crlf.m3u", "#EXTM3U\r\n#EXTINF:1,A\r\n" + a + "\r\n\r\nrel\\b.mp3\r\nC:\\last.mp3");
    testkit::WriteText(sub + "\\lf.M3U", testkit::M3uText({"x.mp3", "D:\\y.mp3"}, testkit::LineEnd::Lf));
    testkit::WriteText(sub + "\\list.pls", testkit::PlsText({{"p1.mp3", "P1", 3}, {"E:\\p2.mp3", "", -1}}));
    player.SetOption("playlist", sub + "\\lf.M3U");  // loaded at start
    StartPlayer();

    EXPECT_EQ((std::vector<std::string>{sub + "\\x.mp3", "D:\\y.mp3"}), player.ReadState().paths);
    EXPECT_EQ(2, player.Ipc(IPC_GETLISTLENGTH));
    player.PlayFile(sub + "\\crlf.m3u");
    player.PlayFile(sub + "\\list.pls");
    player.PlayFile(sub + "\\absent.m3u");  // unreadable: adds nothing

    const playerkit::PlayerState state = player.ReadState();
    ASSERT_TRUE(state.valid);
    EXPECT_EQ("stopped", state.state);
    EXPECT_EQ(0, state.position);
    EXPECT_EQ((std::vector<std::string>{sub + "\\x.mp3", "D:\\y.mp3", a, sub + "\\rel\\b.mp3", "C:\\last.mp3",
                                        sub + "\\p1.mp3", "E:\\p2.mp3"}),
              state.paths);
}

TEST_F(PlayerFixture, ExtendedM3uAppendsWhatSongBySongWouldWithTheListsTitles) {
    player.EnableState();
    StartPlayer();
    testkit::Id3v1Fields tag = Tag("The Testers", "Blues");
    const std::vector<std::string> songs = {Song("01 blues.mp3", 185, &tag), Song("mono.mp3", 61),
                                            dir.File("gone.mp3"), "C:\\caf\xe9\\d\xe9j\xe0 vu.mp3"};
    for (const std::string& s : songs) player.PlayFile(s);
    const std::vector<std::string> oneByOne = player.ReadState().paths;
    player.Ipc(IPC_WRITEPLAYLIST);
    const std::string written = testkit::ReadText(player.PlaylistPath());

    // The same songs in one list, titled as the player titles them: the same
    // playlist, the same playlist file.
    player.Ipc(IPC_DELETE);
    testkit::WriteText(dir.File("hand.m3u"), "#EXTM3U\r\n#EXTINF:185,The Testers - Blues\r\n" + songs[0] +
                                                 "\r\n#EXTINF:61,mono\r\n" + songs[1] + "\r\n" + songs[2] +
                                                 "\r\n#EXTINF:-1,d\xe9j\xe0 vu\r\n" + songs[3] + "\r\n");
    player.PlayFile(dir.File("hand.m3u"));
    EXPECT_EQ(oneByOne, player.ReadState().paths);
    player.Ipc(IPC_WRITEPLAYLIST);
    EXPECT_EQ(written, testkit::ReadText(player.PlaylistPath()));

    // The list's title and length stand for the song's own (other "#" lines
    // between do not part them); a length of -1 leaves the song's.
    player.Ipc(IPC_DELETE);
    testkit::WriteText(dir.File("titled.m3u"), "#EXTINF:42,Listed Title\r\n#comment\r\n" + songs[0] +
                                                   "\r\n#EXTINF:-1,Listed Mono\r\n" + songs[1] + "\r\n");
    player.PlayFile(dir.File("titled.m3u"));
    EXPECT_EQ("1. Listed Title - Winamp [Stopped]", player.Caption());
    EXPECT_EQ(42, player.Ipc(IPC_GETOUTPUTTIME, 1));
    player.Command(WINAMP_BUTTON5);
    EXPECT_EQ("2. Listed Mono - Winamp [Stopped]", player.Caption());
    EXPECT_EQ(61, player.Ipc(IPC_GETOUTPUTTIME, 1));
}

TEST_F(PlayerFixture, LargePlaylistIsLoadedAndWrittenQuickly) {
    // Benchmarks hand the player tens of thousands of songs: loading, single
    // messages and the playlist file must stay fast (song files are read once).
    const int count = 20000;
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) paths.push_back("C:\\nowhere\\song" + std::to_string(i) + ".mp3");
    testkit::WriteText(dir.File("big.m3u"), testkit::M3uText(paths));
    StartPlayer();

    DWORD started = GetTickCount();
    player.PlayFile(dir.File("big.m3u"));
    EXPECT_EQ(count, player.Ipc(IPC_GETLISTLENGTH));
    EXPECT_EQ(0, player.Ipc(IPC_WRITEPLAYLIST));
    const DWORD firstWrite = GetTickCount() - started;
    started = GetTickCount();
    for (int i = 0; i < 200; ++i) player.Ipc(IPC_SETPLAYLISTPOS, static_cast<WPARAM>(i * 7));
    EXPECT_EQ(199 * 7, player.Ipc(IPC_WRITEPLAYLIST));
    const DWORD messagesAndWrite = GetTickCount() - started;
    EXPECT_LT(firstWrite, 10000u);
    EXPECT_LT(messagesAndWrite, 5000u);
    const std::string text = testkit::ReadText(player.PlaylistPath());
    EXPECT_NE(std::string::npos, text.find("#EXTINF:-1,song19999\r\nC:\\nowhere\\song19999.mp3\r\n"));
    RecordProperty("first_write_ms", static_cast<int>(firstWrite));
}
