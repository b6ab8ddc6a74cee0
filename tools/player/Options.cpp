#include "Options.h"

#include <cerrno>
#include <cstdlib>

namespace fakeamp {

namespace {

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\n";
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

bool ParseNumber(const std::string& text, unsigned* out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || text[0] == '-' || value > 0xFFFFFFFFul) return false;
    *out = static_cast<unsigned>(value);
    return true;
}

}  // namespace

void ApplyOptionLine(Options* options, const std::string& rawLine) {
    const std::string line = Trim(rawLine);
    if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[') return;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return;
    std::string key = Trim(line.substr(0, eq));
    for (char& c : key) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const std::string value = Trim(line.substr(eq + 1));

    unsigned number = 0;
    if (key == "version" && ParseNumber(value, &number)) options->version = number;
    else if (key == "windowdelay" && ParseNumber(value, &number)) options->windowDelayMs = number;
    else if (key == "exitafter" && ParseNumber(value, &number)) options->exitAfter = number;
    else if (key == "nodotcaption" && ParseNumber(value, &number)) options->noDotCaption = number != 0;
    else if (key == "numbers" && ParseNumber(value, &number)) options->numbered = number != 0;
    else if (key == "ownbox" && ParseNumber(value, &number)) options->ownBoxMs = number;
    else if (key == "lockplaying" && ParseNumber(value, &number)) options->lockPlaying = number != 0;
    else if (key == "listsongs" && ParseNumber(value, &number)) options->listSongs = number;
    else if (key == "journal") options->journal = value;
    else if (key == "state") options->state = value;
    else if (key == "playlist") options->playlist = value;
}

void ApplyOptionText(Options* options, const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        ApplyOptionLine(options, text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace fakeamp
