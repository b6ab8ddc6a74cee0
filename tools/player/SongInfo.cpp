#include "SongInfo.h"

#include "FileHandle.h"

namespace fakeamp {

namespace {

const int kBitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int kSampleRates[4] = {44100, 48000, 32000, 0};

const std::size_t kTagSize = 128;
const std::size_t kTitleOffset = 3;
const std::size_t kArtistOffset = 33;
const std::size_t kFieldSize = 30;

std::string TagField(const unsigned char* p, std::size_t offset, std::size_t size) {
    std::size_t n = 0;
    while (n < size && p[offset + n] != 0) ++n;
    while (n > 0 && p[offset + n - 1] == ' ') --n;
    return std::string(reinterpret_cast<const char*>(p + offset), n);
}

bool ReadAt(HANDLE file, LONGLONG offset, unsigned char* buffer, DWORD size) {
    LARGE_INTEGER at;
    at.QuadPart = offset;
    DWORD got = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, buffer, size, &got, nullptr) &&
           got == size;
}

}  // namespace

bool ParseMpegHeader(const unsigned char* p, std::size_t len, MpegHeader* out) {
    if (len < 4 || p[0] != 0xFF || (p[1] & 0xFE) != 0xFA) return false;
    const int kbps = kBitrates[p[2] >> 4];
    const int rate = kSampleRates[(p[2] >> 2) & 3];
    if (kbps == 0 || rate == 0) return false;
    out->bitrateKbps = kbps;
    out->sampleRate = rate;
    out->channels = (p[3] >> 6) == 3 ? 1 : 2;
    return true;
}

bool ParseId3v1Title(const unsigned char* p, std::size_t len, std::string* title) {
    if (len < kTagSize || p[0] != 'T' || p[1] != 'A' || p[2] != 'G') return false;
    const std::string songTitle = TagField(p, kTitleOffset, kFieldSize);
    const std::string artist = TagField(p, kArtistOffset, kFieldSize);
    if (songTitle.empty() && artist.empty()) return false;
    if (artist.empty())
        *title = songTitle;
    else if (songTitle.empty())
        *title = artist;
    else
        *title = artist + " - " + songTitle;
    return true;
}

std::string FileTitle(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

SongInfo ReadSongInfo(const std::string& path) {
    SongInfo info;
    info.title = FileTitle(path);
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return info;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return info;

    LONGLONG audioSize = size.QuadPart;
    unsigned char tag[kTagSize];
    if (size.QuadPart >= static_cast<LONGLONG>(kTagSize) &&
        ReadAt(file.Get(), size.QuadPart - static_cast<LONGLONG>(kTagSize), tag, sizeof tag) &&
        tag[0] == 'T' && tag[1] == 'A' && tag[2] == 'G') {
        audioSize -= static_cast<LONGLONG>(kTagSize);
        std::string tagTitle;
        if (ParseId3v1Title(tag, sizeof tag, &tagTitle)) info.title = tagTitle;
    }

    unsigned char head[4];
    MpegHeader mpeg;
    if (size.QuadPart >= 4 && ReadAt(file.Get(), 0, head, sizeof head) && ParseMpegHeader(head, sizeof head, &mpeg)) {
        info.seconds = static_cast<int>(audioSize * 8 / (static_cast<LONGLONG>(mpeg.bitrateKbps) * 1000));
        info.bitrateKbps = mpeg.bitrateKbps;
        info.sampleRateKhz = mpeg.sampleRate / 1000;
        info.channels = mpeg.channels;
    }
    return info;
}

}  // namespace fakeamp
