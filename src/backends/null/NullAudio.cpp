// Headless audio output driven by the test.
#include "backends/null/NullAudio.h"

#include "audio/AudioDevice.h"

namespace vandrel {

bool NullAudio::attach(AudioDevice& d) {
    if (!available_ || !plugged_ || device_) return false;
    device_ = &d;
    return true;
}

void NullAudio::detach(AudioDevice& d) {
    if (device_ == &d) device_ = nullptr;
}

bool NullAudio::advance(uint32_t samples) {
    if (!device_ || !plugged_) return false;
    const size_t start = mixed_.size();
    mixed_.resize(start + samples);
    device_->mix(mixed_.data() + start, samples);
    return true;
}

} // namespace vandrel
