// Drives the player stand-in the way the plug-in will and prints what it shows:
// a few generated songs are loaded, then play, pause, next and stop, with the
// caption, the state and the written WINAMP.M3U after each step.
#include "PlayerKit.h"
#include "SongFiles.h"
#include "TempDir.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

const LPARAM IPC_ISPLAYING = 104;
const LPARAM IPC_GETOUTPUTTIME = 105;
const LPARAM IPC_WRITEPLAYLIST = 120;
const LPARAM IPC_GETLISTLENGTH = 124;
const WORD WINAMP_BUTTON2 = 40045;
const WORD WINAMP_BUTTON3 = 40046;
const WORD WINAMP_BUTTON4 = 40047;
const WORD WINAMP_BUTTON5 = 40048;

void Show(const playerkit::PlayerProcess& player, const char* step) {
    const LRESULT current = player.Ipc(IPC_WRITEPLAYLIST);
    const LRESULT playing = player.Ipc(IPC_ISPLAYING);
    std::printf("== %s\n", step);
    std::printf("caption : %s\n", player.Caption().c_str());
    std::printf("state   : %s (IPC_ISPLAYING %d), song %d of %d, length %d s\n",
                playing == 1 ? "playing" : playing == 3 ? "paused" : "stopped", static_cast<int>(playing),
                player.Ipc(IPC_GETLISTLENGTH) ? static_cast<int>(current) + 1 : 0,
                static_cast<int>(player.Ipc(IPC_GETLISTLENGTH)), static_cast<int>(player.Ipc(IPC_GETOUTPUTTIME, 1)));
    std::printf("WINAMP.M3U:\n");
    std::string text = testkit::ReadText(player.PlaylistPath());
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            std::printf("  | %s\n", line.c_str());
            line.clear();
        } else {
            line += c;
        }
    }
    std::printf("\n");
}

int Run() {
    testkit::TempDir songs("melvox-demo");
    testkit::Id3v1Fields first;
    first.artist = "The Testers";
    first.title = "Frame Header Blues";
    first.genre = 13;
    testkit::Id3v1Fields second;
    second.artist = "Null Driver";
    second.title = "Wine at Midnight";
    testkit::WriteMpegSong(songs.File("01 blues.mp3"), {128, 44100, 2}, 185, &first);
    testkit::WriteMpegSong(songs.File("02 midnight.mp3"), {192, 48000, 2}, 242, &second);
    testkit::WriteMpegSong(songs.File("03 untagged mono.mp3"), {64, 32000, 1}, 61);

    playerkit::PlayerProcess player(songs.Path());
    if (!player.Start()) {
        std::fprintf(stderr, "demo: the player stand-in did not start (%s)\n", playerkit::BuiltPlayerPath().c_str());
        return 1;
    }
    Show(player, "started, empty playlist");
    player.PlayFile(songs.File("01 blues.mp3"));
    player.PlayFile(songs.File("02 midnight.mp3"));
    player.PlayFile(songs.File("03 untagged mono.mp3"));
    Show(player, "three songs added");
    player.Command(WINAMP_BUTTON2);
    Show(player, "play");
    player.Command(WINAMP_BUTTON3);
    Show(player, "pause");
    player.Command(WINAMP_BUTTON5);
    Show(player, "next");
    player.Command(WINAMP_BUTTON3);
    Show(player, "pause again (resumes)");
    player.Command(WINAMP_BUTTON4);
    Show(player, "stop");
    player.Stop();
    return 0;
}

}  // namespace

int main() {
    try {
        return Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "demo: %s\n", e.what());
        return 1;
    }
}
