// Playlist texts as other programs write them: plain and extended M3U with
// either line end, and PLS. Portable: no windows.h.
#pragma once

#include <string>
#include <vector>

namespace testkit {

enum class LineEnd { CrLf, Lf };

// One song of an extended M3U or a PLS; seconds -1 = unknown length.
struct PlaylistEntry {
    std::string path;
    std::string title;
    int seconds = -1;
};

// One path per line, each line ended (the last one too).
std::string M3uText(const std::vector<std::string>& paths, LineEnd end = LineEnd::CrLf);
// "#EXTM3U", then "#EXTINF:<seconds>,<title>" and the path per song.
std::string ExtM3uText(const std::vector<PlaylistEntry>& entries, LineEnd end = LineEnd::CrLf);
// "[playlist]", "File<n>=", "Title<n>=", "Length<n>=" from 1, "NumberOfEntries=", "Version=2".
// CR LF line ends as the players that write PLS use.
std::string PlsText(const std::vector<PlaylistEntry>& entries);

}  // namespace testkit
