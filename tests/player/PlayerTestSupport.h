// Shared pieces of the stand-in's self-tests: message numbers and a fixture
// that owns a temporary folder with a player started in it.
#pragma once

#include "PlayerKit.h"
#include "Playlists.h"
#include "SongFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace playertest {

const LPARAM IPC_GETVERSION = 0;
const LPARAM IPC_DELETE = 101;
const LPARAM IPC_STARTPLAY = 102;
const LPARAM IPC_ISPLAYING = 104;
const LPARAM IPC_GETOUTPUTTIME = 105;
const LPARAM IPC_JUMPTOTIME = 106;
const LPARAM IPC_WRITEPLAYLIST = 120;
const LPARAM IPC_SETPLAYLISTPOS = 121;
const LPARAM IPC_GETLISTLENGTH = 124;
const LPARAM IPC_GETLISTPOS = 125;
const LPARAM IPC_GETINFO = 126;
const WORD WINAMP_BUTTON1 = 40044;
const WORD WINAMP_BUTTON2 = 40045;
const WORD WINAMP_BUTTON3 = 40046;
const WORD WINAMP_BUTTON4 = 40047;
const WORD WINAMP_BUTTON5 = 40048;
const WORD WINAMP_FILE_PLAY = 40029;
const WORD WINAMP_FFWD5S = 40060;
const WORD WINAMP_REW5S = 40061;
const WORD WINAMP_BUTTON1_CTRL = 40154;
const WORD WINAMP_BUTTON2_CTRL = 40155;

// A temporary folder and a player in it; options are set before StartPlayer().
class PlayerFixture : public ::testing::Test {
protected:
    PlayerFixture() : player(dir.Path()) {}

    void StartPlayer() { ASSERT_TRUE(player.Start()) << playerkit::BuiltPlayerPath(); }

    // An MPEG song in the test folder; returns its path.
    std::string Song(const std::string& name, int seconds, const testkit::Id3v1Fields* tag = nullptr,
                     testkit::MpegFormat format = testkit::MpegFormat()) {
        const std::string path = dir.File(name);
        testkit::WriteMpegSong(path, format, seconds, tag);
        return path;
    }

    static testkit::Id3v1Fields Tag(const std::string& artist, const std::string& title) {
        testkit::Id3v1Fields tag;
        tag.artist = artist;
        tag.title = title;
        return tag;
    }

    testkit::TempDir dir{"melvox-player"};
    playerkit::PlayerProcess player;  // declared after dir: ended before the folder goes
};

}  // namespace playertest
