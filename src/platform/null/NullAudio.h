// Headless audio output: nothing plays by itself; a test advances the mixer by
// a number of samples and reads back what was mixed.
#pragma once
#include "platform/AudioOutput.h"

#include <cstdint>
#include <vector>

namespace vandrel {

class NullAudio final : public AudioOutput {
public:
    // available = false stands for a machine without a sound card.
    explicit NullAudio(bool available = true) : available(available) {}

    bool attach(AudioDevice& device) override;
    void detach(AudioDevice& device) override;

    // Mixes the next `samples` samples and appends them to mixed(); false when
    // no device is attached.
    bool advance(uint32_t samples);
    const std::vector<int16_t>& mixed() const { return mixed_; }
    void clearMixed() { mixed_.clear(); }
    bool attached() const { return device != nullptr; }
    bool connected() const override { return device != nullptr && plugged; }

    // The sound card going away and coming back: while unplugged nothing is
    // mixed and no device can be attached.
    void unplug() { plugged = false; }
    void plugIn() { plugged = true; }

private:
    bool available;
    bool plugged = true;
    AudioDevice* device = nullptr;
    std::vector<int16_t> mixed_;
};

} // namespace vandrel
