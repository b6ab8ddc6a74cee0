#include "SongFiles.h"

#include "TempDir.h"

#include <algorithm>
#include <stdexcept>

namespace testkit {

namespace {

// MPEG-1 Layer III bitrates by index 1..14 (kbps).
const int kBitrates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
// Sample rates by index 0..2 (Hz).
const int kSampleRates[] = {44100, 48000, 32000};

int BitrateIndex(int kbps) {
    for (int i = 0; i < 14; ++i)
        if (kBitrates[i] == kbps) return i + 1;
    throw std::invalid_argument("no MPEG-1 Layer III bitrate " + std::to_string(kbps));
}

int SampleRateIndex(int hz) {
    for (int i = 0; i < 3; ++i)
        if (kSampleRates[i] == hz) return i;
    throw std::invalid_argument("no MPEG-1 sample rate " + std::to_string(hz));
}

void PutText(Bytes& out, std::size_t offset, const std::string& text, std::size_t width, char fill) {
    for (std::size_t i = 0; i < width; ++i)
        out[offset + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : fill);
}

void PutLe(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutTag(Bytes& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

}  // namespace

Bytes MpegFrameHeader(const MpegFormat& format, bool padding) {
    return Bytes{0xFF, 0xFB,
                 static_cast<std::uint8_t>(BitrateIndex(format.bitrateKbps) << 4 |
                                           SampleRateIndex(format.sampleRate) << 2 |
                                           (padding ? 2 : 0)),
                 // Mono (mode 3), or joint stereo (mode 1, mode extension 2); "original" set.
                 static_cast<std::uint8_t>(format.channels == 1 ? 0xC4 : 0x64)};
}

std::size_t MpegFrameSize(const MpegFormat& format, bool padding) {
    BitrateIndex(format.bitrateKbps);
    SampleRateIndex(format.sampleRate);
    return static_cast<std::size_t>(144 * format.bitrateKbps * 1000 / format.sampleRate) + (padding ? 1 : 0);
}

Bytes MpegAudio(const MpegFormat& format, int seconds) {
    if (seconds < 0) throw std::invalid_argument("negative song length");
    const std::size_t total = static_cast<std::size_t>(seconds) * format.bitrateKbps * 125;
    const std::size_t frame = MpegFrameSize(format);
    const Bytes header = MpegFrameHeader(format);
    Bytes out(total, 0);
    for (std::size_t at = 0; at < total; at += frame)
        std::copy_n(header.begin(), std::min(header.size(), total - at), out.begin() + at);
    return out;
}

Bytes Id3v1Record(const Id3v1Fields& fields) {
    Bytes out(128, 0);
    out[0] = 'T';
    out[1] = 'A';
    out[2] = 'G';
    PutText(out, 3, fields.title, 30, fields.fill);
    PutText(out, 33, fields.artist, 30, fields.fill);
    PutText(out, 63, fields.album, 30, fields.fill);
    PutText(out, 93, fields.year, 4, fields.fill);
    if (fields.track >= 0) {
        PutText(out, 97, fields.comment, 28, fields.fill);
        out[125] = 0;
        out[126] = static_cast<std::uint8_t>(fields.track);
    } else {
        PutText(out, 97, fields.comment, 30, fields.fill);
    }
    out[127] = fields.genre;
    return out;
}

Bytes Id3v2Block(std::uint32_t bodySize) {
    Bytes out{'I', 'D', '3', 3, 0, 0};
    // Syncsafe: four 7-bit groups, most significant first.
    for (int shift = 21; shift >= 0; shift -= 7) out.push_back(static_cast<std::uint8_t>((bodySize >> shift) & 0x7F));
    out.resize(out.size() + bodySize, 0);
    return out;
}

Bytes WaveFile(int sampleRate, int channels, int seconds, bool dataStartsWithFF) {
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(channels) * 2;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(sampleRate) * blockAlign * static_cast<std::uint32_t>(seconds);
    Bytes out;
    PutTag(out, "RIFF");
    PutLe(out, 4 + 8 + 16 + 8 + dataSize, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);  // PCM
    PutLe(out, static_cast<std::uint32_t>(channels), 2);
    PutLe(out, static_cast<std::uint32_t>(sampleRate), 4);
    PutLe(out, static_cast<std::uint32_t>(sampleRate) * blockAlign, 4);
    PutLe(out, blockAlign, 2);
    PutLe(out, 16, 2);
    PutTag(out, "data");
    PutLe(out, dataSize, 4);
    const std::size_t dataAt = out.size();
    out.resize(out.size() + dataSize, 0);
    if (dataStartsWithFF && dataSize >= 4) {
        out[dataAt] = 0xFF;
        out[dataAt + 1] = 0xFB;
        out[dataAt + 2] = 0x90;
        out[dataAt + 3] = 0x64;
    }
    return out;
}

void WriteMpegSong(const std::string& path, const MpegFormat& format, int seconds, const Id3v1Fields* tag) {
    Bytes out = MpegAudio(format, seconds);
    if (tag) Append(out, Id3v1Record(*tag));
    WriteBytes(path, out);
}

void WriteId3v2Song(const std::string& path, const MpegFormat& format, int seconds, std::uint32_t bodySize,
                    const Id3v1Fields* tag) {
    Bytes out = Id3v2Block(bodySize);
    Append(out, MpegAudio(format, seconds));
    if (tag) Append(out, Id3v1Record(*tag));
    WriteBytes(path, out);
}

void WriteWaveSong(const std::string& path, int sampleRate, int channels, int seconds, bool dataStartsWithFF) {
    WriteBytes(path, WaveFile(sampleRate, channels, seconds, dataStartsWithFF));
}

}  // namespace testkit
