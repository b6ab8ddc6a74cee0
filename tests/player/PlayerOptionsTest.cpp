// The stand-in's journal, its misbehaviour options and the registration helper.
#include "PlayerTestSupport.h"

#include <string>
#include <vector>

using namespace playertest;

namespace {

// Is there any "Winamp v1.x" window of this process?
bool HasWindow(DWORD processId) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "Winamp v1.x", nullptr); w;
         w = FindWindowExA(nullptr, w, "Winamp v1.x", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId) return true;
    }
    return false;
}

LRESULT SendCopyData(const playerkit::PlayerProcess& player, ULONG_PTR kind, const void* data, DWORD size) {
    COPYDATASTRUCT copy = {};
    copy.dwData = kind;
    copy.cbData = size;
    copy.lpData = const_cast<void*>(data);
    return player.Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
}

}  // namespace

TEST_F(PlayerFixture, JournalRecordsEveryMessageInOrderWithArguments) {
    player.EnableJournal();
    player.EnableState();
    StartPlayer();
    const std::string song = Song("song.mp3", 2);
    player.Ipc(IPC_GETVERSION);
    player.PlayFile(song);
    player.Ipc(IPC_SETPLAYLISTPOS, 0);
    player.Ipc(IPC_JUMPTOTIME, 12345);
    player.Ipc(IPC_GETOUTPUTTIME, static_cast<WPARAM>(-1));
    player.Command(WINAMP_BUTTON5);
    player.Command(WINAMP_FILE_PLAY);
    player.Ipc(999, 7);
    const char noNul[] = {'C', ':', '\\', 'n', 'o', 'n', 'u', 'l', '.', 'm', 'p', '3', 'X', 'Y'};
    SendCopyData(player, 100, noNul, 12);  // cbData without the NUL: read no further
    SendCopyData(player, 5, "abc", 4);
    SendCopyData(player, 100, nullptr, 0);
    player.Ipc(IPC_WRITEPLAYLIST);

    EXPECT_EQ((std::vector<std::string>{"IPC_GETVERSION wParam=0", "IPC_PLAYFILE " + song,
                                        "IPC_SETPLAYLISTPOS wParam=0", "IPC_JUMPTOTIME wParam=12345",
                                        "IPC_GETOUTPUTTIME wParam=-1", "WM_COMMAND 40048", "WM_COMMAND 40029",
                                        "WM_USER wParam=7 lParam=999", "IPC_PLAYFILE C:\\nonul.mp3",
                                        "WM_COPYDATA dwData=5 cbData=4", "IPC_PLAYFILE ",
                                        "IPC_WRITEPLAYLIST wParam=0"}),
              player.ReadJournal());
    EXPECT_EQ((std::vector<std::string>{song, "C:\\nonul.mp3"}), player.ReadState().paths);
}

TEST_F(PlayerFixture, VersionZeroAndArgumentsWinOverTheIni) {
    player.SetOption("version", "0");
    StartPlayer();  // a window that answers 0 still counts as started
    EXPECT_EQ(0, player.Ipc(IPC_GETVERSION));
    player.Stop();
    EXPECT_FALSE(player.Running());

    player.AddArgument("version=0x2091");
    StartPlayer();
    EXPECT_EQ(0x2091, player.Ipc(IPC_GETVERSION));
}

TEST_F(PlayerFixture, WindowDelayKeepsTheWindowAwayAtFirst) {
    player.SetOption("windowdelay", "1500");
    const DWORD started = GetTickCount();
    ASSERT_TRUE(player.Start(0));
    Sleep(300);
    EXPECT_TRUE(player.Running());
    EXPECT_FALSE(HasWindow(player.ProcessId()));
    ASSERT_TRUE(player.WaitForWindow(15000));
    EXPECT_GE(GetTickCount() - started, 1400u);
    EXPECT_EQ(0x2050, player.Ipc(IPC_GETVERSION));
}

TEST_F(PlayerFixture, ExitAfterAnswersThenVanishes) {
    player.SetOption("exitafter", "3");
    player.EnableJournal();
    StartPlayer();
    player.PlayFile(Song("a.mp3", 1));
    player.PlayFile(Song("b.mp3", 1));
    EXPECT_EQ(2, player.Ipc(IPC_GETLISTLENGTH));  // the third message still gets its answer
    EXPECT_TRUE(player.WaitForExit(5000));
    EXPECT_EQ(0, player.Ipc(IPC_GETLISTLENGTH));
    EXPECT_FALSE(HasWindow(player.ProcessId()));
    EXPECT_EQ(3u, player.ReadJournal().size());
}

// Armed in the middle of a session, exitafter counts from the arming on; the
// test's control message is no message of the player's.
TEST_F(PlayerFixture, ExitAfterArmedLiveCountsFromThen) {
    player.EnableJournal();
    StartPlayer();
    player.PlayFile(Song("a.mp3", 1));
    player.PlayFile(Song("b.mp3", 1));
    ASSERT_TRUE(playerkit::SetLiveOption(player.Hwnd(), "exitafter=2"));
    EXPECT_EQ(2, player.Ipc(IPC_GETLISTLENGTH));
    EXPECT_TRUE(player.Running());
    EXPECT_EQ(2, player.Ipc(IPC_GETLISTLENGTH));  // the second since the arming, answered
    EXPECT_TRUE(player.WaitForExit(5000));
    EXPECT_EQ(4u, player.ReadJournal().size());
}

TEST_F(PlayerFixture, NoDotCaptionHasNoFullStopAnywhere) {
    player.SetOption("nodotcaption", "1");
    StartPlayer();
    testkit::Id3v1Fields tag = Tag("Mr. Dot", "No. 5");
    player.PlayFile(Song("x.y.mp3", 1, &tag));
    player.Command(WINAMP_BUTTON4);
    EXPECT_EQ("1 Mr Dot - No 5 - Winamp [Stopped]", player.Caption());
    EXPECT_EQ(std::string::npos, player.Caption().find('.'));
}

TEST_F(PlayerFixture, NumbersOffCaptionIsTheTitleAlone) {
    player.SetOption("numbers", "0");
    StartPlayer();
    testkit::Id3v1Fields tag = Tag("Mr. Dot", "No. 5");
    player.PlayFile(Song("x.y.mp3", 1, &tag));
    player.Command(WINAMP_BUTTON2);
    EXPECT_EQ("Mr. Dot - No. 5 - Winamp", player.Caption());
    player.Command(WINAMP_BUTTON3);
    EXPECT_EQ("Mr. Dot - No. 5 - Winamp [Paused]", player.Caption());
}

// The player's own file box keeps a command's sender waiting while the box
// goes on answering other messages; a posted command waits for nothing.
TEST_F(PlayerFixture, OwnBoxKeepsTheSenderWaiting) {
    player.SetOption("ownbox", "1500");
    player.EnableJournal();
    StartPlayer();
    DWORD started = GetTickCount();
    player.Command(WINAMP_FILE_PLAY);
    EXPECT_GE(GetTickCount() - started, 1400u);

    started = GetTickCount();
    PostMessageA(player.Hwnd(), WM_COMMAND, WINAMP_BUTTON2_CTRL, 0);
    Sleep(200);
    EXPECT_EQ(0x2050, player.Ipc(IPC_GETVERSION)) << "answered from inside the box";
    EXPECT_LT(GetTickCount() - started, 1000u);
    std::vector<std::string> journal = player.ReadJournal();
    // The sent command's box closed before its answer; the posted one's is still open.
    ASSERT_EQ(4u, journal.size());
    EXPECT_EQ("own box closed", journal[1]);
    EXPECT_EQ("WM_COMMAND 40155", journal[2]);
    EXPECT_EQ("IPC_GETVERSION wParam=0", journal[3]);
}

TEST_F(PlayerFixture, LockPlayingHoldsThePlayingSongLikeTheRealDecoder) {
    player.SetOption("lockplaying", "1");
    StartPlayer();
    const std::string a = Song("a.mp3", 1), b = Song("b.mp3", 1);
    player.PlayFile(a);
    player.PlayFile(b);
    player.Command(WINAMP_BUTTON2);
    EXPECT_FALSE(DeleteFileA(a.c_str())) << "the playing song cannot be deleted";
    player.Command(WINAMP_BUTTON3);
    EXPECT_FALSE(MoveFileA(a.c_str(), dir.File("moved.mp3").c_str())) << "nor moved while paused";
    player.Command(WINAMP_BUTTON5);  // the next song is held instead
    EXPECT_TRUE(DeleteFileA(a.c_str()));
    EXPECT_FALSE(DeleteFileA(b.c_str()));
    player.Command(WINAMP_BUTTON4);
    EXPECT_TRUE(DeleteFileA(b.c_str())) << "a stopped player holds nothing";
}

TEST(PlayerRegistration, AddsTheIconValueAndRemovesOnlyWhatItMade) {
    std::string before;
    const bool registeredBefore = playerkit::ReadPlayerRegistration(&before);
    std::string value;
    {
        playerkit::PlayerRegistration registration("C:\\Program Files\\Winamp\\winamp.exe");
        ASSERT_TRUE(registration.Ok());
        ASSERT_TRUE(playerkit::ReadPlayerRegistration(&value));
        EXPECT_EQ("C:\\Program Files\\Winamp\\winamp.exe,1", value);
        {
            // A registration over an existing one puts the old value back.
            playerkit::PlayerRegistration nested("D:\\amp.exe", "");
            ASSERT_TRUE(playerkit::ReadPlayerRegistration(&value));
            EXPECT_EQ("D:\\amp.exe", value);
        }
        ASSERT_TRUE(playerkit::ReadPlayerRegistration(&value));
        EXPECT_EQ("C:\\Program Files\\Winamp\\winamp.exe,1", value);
    }
    value.clear();
    EXPECT_EQ(registeredBefore, playerkit::ReadPlayerRegistration(&value));
    EXPECT_EQ(before, value);
    if (!registeredBefore) {
        HKEY key = nullptr;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "Winamp.File", 0, KEY_READ, &key));
        if (key) RegCloseKey(key);
    }
}
