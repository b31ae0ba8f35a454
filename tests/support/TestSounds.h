// Test sounds made in code: synthesized signals encoded to Ogg Vorbis with
// libvorbisenc, shaped like the game's sound blocks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::test {

struct OggOptions {
    int channels = 1;
    long rate = 44100;
    // Extra comments after the owner line, such as "Length: 322\n".
    std::vector<std::string> comments;
    float quality = 0.3f;
};

// Samples interleaved by channel, in -1..1.
std::vector<uint8_t> encodeOgg(const std::vector<float>& samples, const OggOptions& options = {});

// A sine of the given frequency and amplitude, `frames` long, one channel.
std::vector<float> sine(size_t frames, double frequency, double amplitude = 0.5, long rate = 44100);

// A test sound: seconds of a 440 Hz tone with noise, mono 44.1 kHz, with "Length: ms\n"
// when withLength is set.
std::vector<uint8_t> toneOgg(double seconds, bool withLength = true);

// A mono 44.1 kHz sine tone of the given length and no length comment, for
// telling sounds apart by their length.
std::vector<uint8_t> oggTone(int32_t milliseconds, double frequency);

} // namespace vandrel::test
