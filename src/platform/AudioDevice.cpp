// Opening the device on the chosen output and making its buffers.
#include "platform/AudioDevice.h"

#include "platform/AudioMixer.h"
#include "platform/AudioOutput.h"

namespace vandrel {

AudioDevice::AudioDevice() : mixer(std::make_shared<AudioMixer>(outputRate)) {}

std::unique_ptr<AudioDevice> AudioDevice::open(AudioOutput& out) {
    std::unique_ptr<AudioDevice> device(new AudioDevice());
    if (!out.attach(*device)) return nullptr;
    device->output = &out;
    return device;
}

AudioDevice::~AudioDevice() {
    if (output) output->detach(*this);
}

std::unique_ptr<AudioBuffer> AudioDevice::createBuffer(const AudioBufferDesc& desc) {
    if (desc.size != 36) return nullptr;
    if (desc.flags & audioBufferPrimary) {
        if (desc.bufferBytes != 0 || desc.format) return nullptr;
        const AudioFormat deviceFormat = AudioFormat::pcm16(1, outputRate);
        return std::unique_ptr<AudioBuffer>(new AudioBuffer(mixer, true, deviceFormat, 0));
    }
    if (!desc.format || !desc.format->isPlayablePcm16() || desc.bufferBytes < audioBufferMinBytes ||
        desc.bufferBytes > audioBufferMaxBytes)
        return nullptr;
    const bool global = (desc.flags & audioBufferGlobalFocus) != 0;
    return std::unique_ptr<AudioBuffer>(new AudioBuffer(mixer, false, *desc.format, desc.bufferBytes, global));
}

void AudioDevice::mix(int16_t* out, uint32_t samples) { mixer->mix(out, samples); }

void AudioDevice::setLevels(const SoundLevels& levels) { mixer->setLevels(levels); }

void AudioDevice::setFocused(bool focused) { mixer->setFocused(focused); }

} // namespace vandrel
