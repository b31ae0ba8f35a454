// Mixing every playing buffer: the music's and the effects' sums apart, each
// at its level, then the limiter that turns down only what would not fit.
#include "audio/AudioMixer.h"

#include "audio/AudioBuffer.h"

#include <algorithm>

namespace vandrel {

int64_t AudioMixer::gainOf(int32_t percent) {
    const int64_t p = std::clamp<int32_t>(percent, 0, 100);
    return (p * p * 65536 + 5000) / 10000;
}

void AudioMixer::mix(int16_t* out, uint32_t samples) {
    std::lock_guard<std::mutex> guard(mutex_);
    musicSum_.assign(samples, 0);
    effectsSum_.assign(samples, 0);
    sum_.resize(samples);
    for (const Entry& e : buffers_)
        e.buffer->mixInto(e.global ? musicSum_.data() : effectsSum_.data(), samples, outputRate_);

    const int64_t master = levels_.mute ? 0 : gainOf(levels_.master);
    const int64_t music = focused_ || !levels_.muteInBackground ? master * gainOf(levels_.music) >> 16 : 0;
    const int64_t effects = focused_ ? master * gainOf(levels_.effects) >> 16 : 0;
    for (uint32_t i = 0; i < samples; ++i) {
        // The shift rounds down for negative sums too; at 65536 it gives the sum back.
        sum_[i] = (musicSum_[i] * music + effectsSum_[i] * effects) >> 16;
    }
    limiter_.process(sum_, out);
}

void AudioMixer::add(AudioBuffer* buffer, bool global) {
    std::lock_guard<std::mutex> guard(mutex_);
    buffers_.push_back({buffer, global});
}

void AudioMixer::remove(AudioBuffer* buffer) {
    std::lock_guard<std::mutex> guard(mutex_);
    std::erase_if(buffers_, [buffer](const Entry& e) { return e.buffer == buffer; });
}

void AudioMixer::setLevels(const SoundLevels& levels) {
    std::lock_guard<std::mutex> guard(mutex_);
    levels_ = levels;
}

void AudioMixer::setFocused(bool focused) {
    std::lock_guard<std::mutex> guard(mutex_);
    focused_ = focused;
}

} // namespace vandrel
