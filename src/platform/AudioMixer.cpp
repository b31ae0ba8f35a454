// Mixing every playing buffer: a plain sum, clamped to 16 bits.
#include "platform/AudioMixer.h"

#include "platform/AudioBuffer.h"

#include <algorithm>

namespace vandrel {

void AudioMixer::mix(int16_t* out, uint32_t samples) {
    std::lock_guard<std::mutex> guard(mutex_);
    sum.assign(samples, 0);
    for (AudioBuffer* buffer : buffers) buffer->mixInto(sum.data(), samples, outputRate_);
    for (uint32_t i = 0; i < samples; ++i) out[i] = static_cast<int16_t>(std::clamp<int32_t>(sum[i], -32768, 32767));
}

void AudioMixer::add(AudioBuffer* buffer) {
    std::lock_guard<std::mutex> guard(mutex_);
    buffers.push_back(buffer);
}

void AudioMixer::remove(AudioBuffer* buffer) {
    std::lock_guard<std::mutex> guard(mutex_);
    buffers.erase(std::remove(buffers.begin(), buffers.end(), buffer), buffers.end());
}

} // namespace vandrel
