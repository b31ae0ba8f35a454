// What a device and its buffers share: the lock the mixer holds while it mixes,
// and the list of buffers. Buffers keep it alive, so they may outlive the device.
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

namespace vandrel {

class AudioBuffer;

class AudioMixer {
public:
    explicit AudioMixer(uint32_t outputRate) : outputRate_(outputRate) {}

    uint32_t outputRate() const { return outputRate_; }
    std::mutex& mutex() { return mutex_; }

    // Sums every playing buffer into out (mono, 16-bit), clamped.
    void mix(int16_t* out, uint32_t samples);

    void add(AudioBuffer* buffer);
    void remove(AudioBuffer* buffer);

private:
    uint32_t outputRate_;
    std::mutex mutex_;
    std::vector<AudioBuffer*> buffers;
    std::vector<int32_t> sum;
};

} // namespace vandrel
