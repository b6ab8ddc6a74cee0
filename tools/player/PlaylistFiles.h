// Playlist files handed to the stand-in with IPC_PLAYFILE or playlist=:
// M3U (plain or extended) and PLS.
#pragma once

#include <string>
#include <vector>

namespace fakeamp {

// True when the path ends in ".m3u" or ".pls" (any case).
bool IsPlaylistPath(const std::string& path);

// The songs of a playlist's text. M3U: every non-empty line not starting with
// '#', ended by LF or CR LF (a last line without an end counts too). PLS: the
// values of "File<n>=" lines, in file order. Paths that are not absolute
// (no drive, no leading slash, no "scheme://") are joined to folder.
std::vector<std::string> ParsePlaylistText(const std::string& text, bool pls, const std::string& folder);

// Reads the playlist file and returns its songs; empty when it cannot be read.
std::vector<std::string> ReadPlaylistFile(const std::string& path);

}  // namespace fakeamp
