// The sound device: makes buffers and mixes every playing one into a single
// mono 16-bit signal at 44.1 kHz, which its output hands to the hardware.
#pragma once
#include "audio/AudioBuffer.h"
#include "audio/SoundLevels.h"

#include <cstdint>
#include <memory>

namespace vandrel {

class AudioMixer;
class AudioOutput;

class AudioDevice {
public:
    static constexpr uint32_t outputRate = 44100;

    // Opens a device on output; null when the output cannot make sound.
    static std::unique_ptr<AudioDevice> open(AudioOutput& output);
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // A secondary buffer of desc.bufferBytes in *desc.format (16-bit PCM, one or
    // two channels), silent at first; or, with audioBufferPrimary, the primary
    // buffer that carries the device's format. Null when the description is bad.
    std::unique_ptr<AudioBuffer> createBuffer(const AudioBufferDesc& desc);

    // The next `samples` output samples of every playing buffer, at the
    // player's levels and through the limiter; moves their play cursors.
    // Called by the output, from any thread.
    void mix(int16_t* out, uint32_t samples);

    // The player's levels, and whether the game's window has the focus: the
    // buffers made with audioBufferGlobalFocus (the music) go on sounding
    // without it, the others (the effects) fall silent. Any thread.
    void setLevels(const SoundLevels& levels);
    void setFocused(bool focused);

private:
    AudioDevice();
    std::shared_ptr<AudioMixer> mixer_;
    AudioOutput* output_ = nullptr;
};

} // namespace vandrel
