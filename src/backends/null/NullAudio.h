// Headless audio output: nothing plays by itself; a test advances the mixer by
// a number of samples and reads back what was mixed.
#pragma once
#include "audio/AudioOutput.h"

#include <cstdint>
#include <vector>

namespace vandrel {

class NullAudio final : public AudioOutput {
public:
    // available = false stands for a machine without a sound card.
    explicit NullAudio(bool available = true) : available_(available) {}

    bool attach(AudioDevice& device) override;
    void detach(AudioDevice& device) override;

    // Mixes the next `samples` samples and appends them to mixed(); false when
    // no device is attached.
    bool advance(uint32_t samples);
    const std::vector<int16_t>& mixed() const { return mixed_; }
    void clearMixed() { mixed_.clear(); }
    bool attached() const { return device_ != nullptr; }
    bool connected() const override { return device_ != nullptr && plugged_; }

    // The sound card going away and coming back: while unplugged nothing is
    // mixed and no device can be attached.
    void unplug() { plugged_ = false; }
    void plugIn() { plugged_ = true; }

private:
    bool available_;
    bool plugged_ = true;
    AudioDevice* device_ = nullptr;
    std::vector<int16_t> mixed_;
};

} // namespace vandrel
