// Test sounds through the data set generator's Vorbis encoder.
#include "support/TestSounds.h"

#include "VorbisEncoder.h"

#include <cmath>

namespace vandrel::test {

std::vector<uint8_t> encodeOgg(const std::vector<float>& samples, const OggOptions& options) {
    assetgen::VorbisStream stream;
    stream.channels = options.channels;
    stream.rate = options.rate;
    stream.comments.push_back("Made by the Vandrel test suite");
    stream.comments.insert(stream.comments.end(), options.comments.begin(), options.comments.end());
    stream.serial = 0x5EED;
    stream.quality = options.quality;
    return assetgen::encodeVorbis(samples, stream);
}

std::vector<float> sine(size_t frames, double frequency, double amplitude, long rate) {
    std::vector<float> out(frames);
    const double pi = std::acos(-1.0);
    for (size_t i = 0; i < frames; ++i)
        out[i] = static_cast<float>(amplitude * std::sin(2 * pi * frequency * static_cast<double>(i) / rate));
    return out;
}

std::vector<uint8_t> toneOgg(double seconds, bool withLength) {
    OggOptions options;
    if (withLength) options.comments.push_back("Length: " + std::to_string(static_cast<int>(seconds * 1000)) + "\n");
    // A tone with some noise over it, so that it compresses about as poorly as
    // real sounds do and spans many pages.
    auto samples = sine(static_cast<size_t>(seconds * 44100), 440.0, 0.4);
    uint32_t state = 12345;
    for (float& v : samples) {
        state = state * 1103515245u + 12345u;
        v += static_cast<float>((state >> 16) & 0x7FFF) / 32768.0f * 0.2f - 0.1f;
    }
    return encodeOgg(samples, options);
}

std::vector<uint8_t> oggTone(int32_t milliseconds, double frequency) {
    OggOptions options;
    options.quality = 0.2f;
    return encodeOgg(sine(static_cast<size_t>(44100) * milliseconds / 1000, frequency), options);
}

} // namespace vandrel::test
