// Encodes mono 44.1 kHz sample data as one Ogg Vorbis bitstream carrying the
// two comments the game's sound loader reads (the owner line and the length).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::assetgen {

constexpr int sampleRate = 44100;
extern const char* const encoderOwner;

// Milliseconds declared in the "Length: " comment for a sample count.
int32_t lengthMs(size_t samples);

// One Ogg Vorbis bitstream: its format, comments and the encoder's settings.
struct VorbisStream {
    int channels = 1;
    long rate = sampleRate;
    std::vector<std::string> comments;
    // The Ogg stream serial number (fixed per sound so the output never changes).
    uint32_t serial = 0;
    // libvorbisenc's VBR quality.
    float quality = 0.3f;
};

// samples interleaved by channel, in [-1, 1].
std::vector<uint8_t> encodeVorbis(const std::vector<float>& samples, const VorbisStream& stream);

// A sound of the data set: mono, with the owner and length comments.
// samples in [-1, 1]; serial is the Ogg stream serial number (fixed per sound
// so the output never changes). quality is libvorbisenc's VBR quality.
std::vector<uint8_t> encodeVorbis(const std::vector<float>& samples, uint32_t serial, float quality);

} // namespace vandrel::assetgen
