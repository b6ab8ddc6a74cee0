// What the stand-in knows about one song file: its display title, length and
// rates, read from an ID3v1 record at the end and an MPEG frame header at offset 0.
#pragma once

#include <cstddef>
#include <string>

namespace fakeamp {

struct SongInfo {
    std::string title;    // "Artist - Title" from ID3v1, else the file name without extension
    int seconds = -1;     // -1: not an MPEG file (or missing)
    int sampleRateKhz = 0;
    int bitrateKbps = 0;
    int channels = 0;
};

struct MpegHeader {
    int bitrateKbps = 0;
    int sampleRate = 0;  // Hz
    int channels = 0;
};

// Reads an MPEG-1 Layer III frame header (FF FB, or FF FA with CRC) from p.
// False when len < 4 or the bytes are not such a header.
bool ParseMpegHeader(const unsigned char* p, std::size_t len, MpegHeader* out);

// Reads the display title of a 128-byte ID3v1 record: "Artist - Title", just
// the title when there is no artist, the artist when there is no title.
// Fields end at their first NUL; trailing blanks are trimmed.
// False when len < 128, the record does not start with "TAG", or both fields are empty.
bool ParseId3v1Title(const unsigned char* p, std::size_t len, std::string* title);

// The last component of a path ('\\' or '/'), without its extension.
std::string FileTitle(const std::string& path);

// Opens the file and fills a SongInfo; a missing or unreadable file gives
// the file title and length -1.
SongInfo ReadSongInfo(const std::string& path);

}  // namespace fakeamp
