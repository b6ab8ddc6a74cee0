// Byte-exact song files for tests: MPEG-1 Layer III frames, ID3v1 records,
// ID3v2 headers and RIFF WAVE. Written here from the formats, independently of
// the product's readers, so a fixture never shares a fault with the code it tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testkit {

using Bytes = std::vector<std::uint8_t>;

// An MPEG-1 Layer III stream format. Only the rates of that layer exist:
// bitrates 32..320 kbps of the standard table, sample rates 44100/48000/32000.
struct MpegFormat {
    int bitrateKbps = 128;
    int sampleRate = 44100;
    int channels = 2;  // 1 = mono (channel mode 3), else joint stereo (mode 1)
};

// The 4-byte frame header: FF FB 90 64 for 128 kbps, 44.1 kHz, joint stereo
// (FF FB 90 C4 mono). Throws std::invalid_argument for a
// bitrate or sample rate the layer does not have.
Bytes MpegFrameHeader(const MpegFormat& format, bool padding = false);
// Bytes of one frame: 144 * bitrate / sample rate, plus one when padded.
std::size_t MpegFrameSize(const MpegFormat& format, bool padding = false);
// Audio of exactly seconds * bitrate / 8 bytes (so a reader computing
// size * 8 / bitrate gets `seconds` back): whole frames, each starting with
// its header and zero-filled, the last one cut to fit.
Bytes MpegAudio(const MpegFormat& format, int seconds);

// The fields of an ID3v1 record. Texts longer than their field are cut; shorter
// ones are filled with `fill` (NUL as most taggers write, or blanks as some do).
// track >= 0 writes the 1.1 form (comment cut to 28 bytes, then 0 and track).
struct Id3v1Fields {
    std::string title;   // 30 bytes
    std::string artist;  // 30 bytes
    std::string album;   // 30 bytes
    std::string year;    // 4 bytes
    std::string comment; // 30 bytes (28 with a track)
    int track = -1;
    std::uint8_t genre = 255;  // 255 = none
    char fill = '\0';
};

// The 128-byte record: "TAG", title, artist, album, year, comment, genre.
Bytes Id3v1Record(const Id3v1Fields& fields);

// An ID3v2.3 header ("ID3", version 3.0, no flags, syncsafe size) followed by
// `bodySize` zero bytes (a body of padding only).
Bytes Id3v2Block(std::uint32_t bodySize);

// RIFF WAVE with 16-bit PCM: "RIFF", "WAVE", a "fmt " chunk and a "data" chunk of
// seconds worth of samples. dataStartsWithFF makes the first data bytes FF FB
// so that a careless reader would take them for an MPEG header.
Bytes WaveFile(int sampleRate, int channels, int seconds, bool dataStartsWithFF = false);

// Song files on disk (the writers throw std::runtime_error on failure).
// An MPEG song, with an ID3v1 record at its end when tag is not null.
void WriteMpegSong(const std::string& path, const MpegFormat& format, int seconds,
                   const Id3v1Fields* tag = nullptr);
// An ID3v2 block of bodySize bytes, then the MPEG audio, then an optional ID3v1 record.
void WriteId3v2Song(const std::string& path, const MpegFormat& format, int seconds,
                    std::uint32_t bodySize = 1024, const Id3v1Fields* tag = nullptr);
void WriteWaveSong(const std::string& path, int sampleRate, int channels, int seconds,
                   bool dataStartsWithFF = false);

}  // namespace testkit
