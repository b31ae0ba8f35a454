// The software sound device on the headless output, for the tests of what
// the mixer makes of playing buffers: a buffer filled with given samples, and
// the next samples the output takes from the mixer.
#pragma once
#include "audio/AudioDevice.h"
#include "backends/null/NullAudio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace vandrel::test {

struct AudioRig {
    NullAudio audio;
    std::unique_ptr<AudioDevice> device = AudioDevice::open(audio);

    // A buffer holding samples (interleaved when channels is 2), made with flags.
    std::unique_ptr<AudioBuffer> buffer(const std::vector<int16_t>& samples, uint16_t channels = 1,
                                        uint32_t rate = 44100, uint32_t flags = 0) {
        const AudioFormat f = AudioFormat::pcm16(channels, rate);
        AudioBufferDesc desc;
        desc.flags = flags;
        desc.bufferBytes = static_cast<uint32_t>(samples.size() * 2);
        desc.format = &f;
        auto b = device->createBuffer(desc);
        AudioLock l;
        EXPECT_EQ(b->lock(0, 0, l, audioLockEntireBuffer), AudioResult::Ok);
        std::memcpy(l.first, samples.data(), l.firstBytes);
        EXPECT_TRUE(b->unlock(l));
        return b;
    }
    // The next n output samples.
    std::vector<int16_t> mix(uint32_t n) {
        audio.clearMixed();
        audio.advance(n);
        return audio.mixed();
    }
};

} // namespace vandrel::test
