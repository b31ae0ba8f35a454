// Opening the device on the chosen output and making its buffers.
#include "audio/AudioDevice.h"

#include "audio/AudioMixer.h"
#include "audio/AudioOutput.h"

namespace vandrel {

AudioDevice::AudioDevice() : mixer_(std::make_shared<AudioMixer>(outputRate)) {}

std::unique_ptr<AudioDevice> AudioDevice::open(AudioOutput& out) {
    std::unique_ptr<AudioDevice> device(new AudioDevice());
    if (!out.attach(*device)) return nullptr;
    device->output_ = &out;
    return device;
}

AudioDevice::~AudioDevice() {
    if (output_) output_->detach(*this);
}

std::unique_ptr<AudioBuffer> AudioDevice::createBuffer(const AudioBufferDesc& desc) {
    if (desc.size != 36) return nullptr;
    if (desc.flags & audioBufferPrimary) {
        if (desc.bufferBytes != 0 || desc.format) return nullptr;
        const AudioFormat deviceFormat = AudioFormat::pcm16(1, outputRate);
        return std::unique_ptr<AudioBuffer>(new AudioBuffer(mixer_, true, deviceFormat, 0));
    }
    if (!desc.format || !desc.format->isPlayablePcm16() || desc.bufferBytes < audioBufferMinBytes ||
        desc.bufferBytes > audioBufferMaxBytes)
        return nullptr;
    const bool global = (desc.flags & audioBufferGlobalFocus) != 0;
    return std::unique_ptr<AudioBuffer>(new AudioBuffer(mixer_, false, *desc.format, desc.bufferBytes, global));
}

void AudioDevice::mix(int16_t* out, uint32_t samples) { mixer_->mix(out, samples); }

void AudioDevice::setLevels(const SoundLevels& levels) { mixer_->setLevels(levels); }

void AudioDevice::setFocused(bool focused) { mixer_->setFocused(focused); }

} // namespace vandrel
