// The PCM format record of a sound buffer, laid out byte for byte as the
// 18-byte wave format the sounds were made for (tag, channels, rates, sizes).
#pragma once
#include <cstdint>

namespace vandrel {

constexpr uint16_t audioFormatPcm = 1;

#pragma pack(push, 2)
struct AudioFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    // Signed 16-bit PCM with the given channel count and rate.
    static AudioFormat pcm16(uint16_t channels, uint32_t samplesPerSec);

    // True for a 16-bit PCM format the mixer can play: one or two channels,
    // a plausible rate, and block align and byte rate that agree with them.
    bool isPlayablePcm16() const;
};
#pragma pack(pop)

static_assert(sizeof(AudioFormat) == 18, "the format record is 18 bytes");

} // namespace vandrel
