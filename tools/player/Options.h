// The stand-in's options: "key=value" lines of fakeamp.ini beside the exe,
// then "key=value" command-line arguments (an argument wins). The plug-in
// starts the player without arguments, so tests that need a misbehaving player
// write the ini.
#pragma once

#include <string>

namespace fakeamp {

struct Options {
    unsigned version = 0x2050;  // answer to IPC_GETVERSION; 0 = "not online"
    unsigned windowDelayMs = 0; // sleep before the main window exists
    unsigned exitAfter = 0;     // exit after answering this many messages; 0 = never
    bool noDotCaption = false;  // caption without any "."
    bool numbered = true;       // caption starts with "<n>. " (the player's numbering on)
    unsigned ownBoxMs = 0;      // 40029 and 40155 open the player's own box for this long
    bool lockPlaying = false;   // the playing or paused song stays open without delete
                                // sharing, as the real player's decoder holds it
    unsigned listSongs = 0xFFFFFFFFu;  // an IPC_PLAYFILE of a playlist file appends at most
                                       // its first listSongs songs
    std::string journal;        // append one line per message; empty = none
    std::string state;          // state dump after each message; empty = none
    std::string playlist;       // playlist or song loaded at start
};

// Applies one "key=value" line. Blank lines, comments (";" or "#") and
// "[section]" lines are ignored, and so are unknown keys and bad numbers.
// Numbers are decimal or 0x-prefixed hexadecimal.
void ApplyOptionLine(Options* options, const std::string& line);

// Applies every line of an ini file's text (CR LF or LF).
void ApplyOptionText(Options* options, const std::string& text);

}  // namespace fakeamp
