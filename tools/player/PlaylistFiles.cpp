#include "PlaylistFiles.h"

#include "FileHandle.h"

#include <utility>

namespace fakeamp {

namespace {

bool EndsWithNoCase(const std::string& s, const char* suffix) {
    const std::size_t n = std::char_traits<char>::length(suffix);
    if (s.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = s[s.size() - n + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

bool IsAbsolute(const std::string& path) {
    if (path.empty()) return true;
    if (path[0] == '\\' || path[0] == '/') return true;
    if (path.size() >= 2 && path[1] == ':') return true;
    return path.find("://") != std::string::npos;
}

std::string Resolve(const std::string& path, const std::string& folder) {
    if (IsAbsolute(path) || folder.empty()) return path;
    return folder + "\\" + path;
}

bool StartsWithFileKey(const std::string& line, std::size_t* valueAt) {
    if (line.size() < 5) return false;
    const char* key = "file";
    for (std::size_t i = 0; i < 4; ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != key[i]) return false;
    }
    std::size_t at = 4;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') ++at;
    if (at == 4 || at >= line.size() || line[at] != '=') return false;
    *valueAt = at + 1;
    return true;
}

// "#EXTINF:<seconds>,<title>": the seconds (an optional "-" and digits) and
// the title after the first comma; false for any other line.
bool ParseExtInf(const std::string& line, int* seconds, std::string* title) {
    const std::string key = "#EXTINF:";
    if (line.compare(0, key.size(), key) != 0) return false;
    std::size_t at = key.size();
    const bool negative = at < line.size() && line[at] == '-';
    if (negative) ++at;
    const std::size_t digits = at;
    long long value = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
        if (value < 1000000000) value = value * 10 + (line[at] - '0');
        ++at;
    }
    if (at == digits || at >= line.size() || line[at] != ',') return false;
    *seconds = negative ? -1 : static_cast<int>(value);
    *title = line.substr(at + 1);
    return true;
}

}  // namespace

bool IsPlaylistPath(const std::string& path) {
    return EndsWithNoCase(path, ".m3u") || EndsWithNoCase(path, ".pls");
}

std::vector<ListedSong> ParsePlaylistText(const std::string& text, bool pls, const std::string& folder) {
    std::vector<ListedSong> songs;
    ListedSong next;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (pls) {
            std::size_t valueAt = 0;
            if (StartsWithFileKey(line, &valueAt) && valueAt < line.size()) {
                songs.emplace_back();
                songs.back().path = Resolve(line.substr(valueAt), folder);
            }
        } else if (line[0] == '#') {
            if (ParseExtInf(line, &next.seconds, &next.title)) next.listed = !next.title.empty();
        } else {
            next.path = Resolve(line, folder);
            songs.push_back(std::move(next));
            next = ListedSong();
        }
    }
    return songs;
}

std::vector<ListedSong> ReadPlaylistFile(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return {};
    LARGE_INTEGER size;
    // Playlists beyond 256 MB are not playlists a test would hand over.
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > (256 << 20)) return {};
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!text.empty() && (!ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &got, nullptr) ||
                          got != text.size()))
        return {};

    std::string folder;
    const std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) folder = path.substr(0, slash);
    return ParsePlaylistText(text, EndsWithNoCase(path, ".pls"), folder);
}

}  // namespace fakeamp
