#include "Playlists.h"

namespace testkit {

namespace {

const char* EndText(LineEnd end) { return end == LineEnd::CrLf ? "\r\n" : "\n"; }

}  // namespace

std::string M3uText(const std::vector<std::string>& paths, LineEnd end) {
    std::string out;
    for (const std::string& path : paths) out += path + EndText(end);
    return out;
}

std::string ExtM3uText(const std::vector<PlaylistEntry>& entries, LineEnd end) {
    std::string out = std::string("#EXTM3U") + EndText(end);
    for (const PlaylistEntry& e : entries) {
        out += "#EXTINF:" + std::to_string(e.seconds) + "," + e.title + EndText(end);
        out += e.path + EndText(end);
    }
    return out;
}

std::string PlsText(const std::vector<PlaylistEntry>& entries) {
    std::string out = "[playlist]\r\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        out += "File" + n + "=" + entries[i].path + "\r\n";
        if (!entries[i].title.empty()) out += "Title" + n + "=" + entries[i].title + "\r\n";
        out += "Length" + n + "=" + std::to_string(entries[i].seconds) + "\r\n";
    }
    out += "NumberOfEntries=" + std::to_string(entries.size()) + "\r\nVersion=2\r\n";
    return out;
}

}  // namespace testkit
