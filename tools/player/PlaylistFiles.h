// Playlist files handed to the stand-in with IPC_PLAYFILE or playlist=:
// M3U (plain or extended) and PLS.
#pragma once

#include <string>
#include <vector>

namespace fakeamp {

// True when the path ends in ".m3u" or ".pls" (any case).
bool IsPlaylistPath(const std::string& path);

// A song of a playlist file, and what the list says of it: an extended M3U's
// "#EXTINF:<seconds>,<title>" line before the path gives its title (listed)
// and, unless the seconds are negative, its length. The real player takes
// those instead of reading the file.
struct ListedSong {
    std::string path;
    bool listed = false;
    std::string title;
    int seconds = -1;
};

// The songs of a playlist's text. M3U: every non-empty line not starting with
// '#', ended by LF or CR LF (a last line without an end counts too); an
// "#EXTINF:" line with a number, a comma and a title lists the next song
// (other '#' lines between do not part them). PLS: the values of "File<n>="
// lines, in file order. Paths that are not absolute (no drive, no leading
// slash, no "scheme://") are joined to folder.
std::vector<ListedSong> ParsePlaylistText(const std::string& text, bool pls, const std::string& folder);

// Reads the playlist file and returns its songs; empty when it cannot be read.
std::vector<ListedSong> ReadPlaylistFile(const std::string& path);

}  // namespace fakeamp
