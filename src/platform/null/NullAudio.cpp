// Headless audio output driven by the test.
#include "platform/null/NullAudio.h"

#include "platform/AudioDevice.h"

namespace vandrel {

bool NullAudio::attach(AudioDevice& d) {
    if (!available || !plugged || device) return false;
    device = &d;
    return true;
}

void NullAudio::detach(AudioDevice& d) {
    if (device == &d) device = nullptr;
}

bool NullAudio::advance(uint32_t samples) {
    if (!device || !plugged) return false;
    const size_t start = mixed_.size();
    mixed_.resize(start + samples);
    device->mix(mixed_.data() + start, samples);
    return true;
}

} // namespace vandrel
