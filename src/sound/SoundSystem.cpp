// Opening the sound output and handing out streams.
#include "sound/SoundSystem.h"

#include "platform/AudioOutput.h"

namespace vandrel {

namespace {
SoundSystem* process = nullptr;
} // namespace

SoundSystem::SoundSystem() : library(&audioOutput()) { process = this; }

SoundSystem::~SoundSystem() {
    shutdown();
    if (process == this) process = nullptr;
}

SoundSystem* SoundSystem::current() { return process; }

bool SoundSystem::init() {
    if (!library) return false;
    if (factory) return true; // already open
    if (!device) {
        device = AudioDevice::open(*library);
        if (!device) return false;
    }
    if (!primaryBuffer) {
        AudioBufferDesc desc;
        desc.flags = kAudioBufferPrimary;
        primaryBuffer = device->createBuffer(desc);
        if (!primaryBuffer) return false;
    }
    if (!primaryBuffer->setFormat(AudioFormat::pcm16(1, 44100))) return false;
    factory = std::make_unique<SoundStreamFactory>();
    return true;
}

std::unique_ptr<SoundStream> SoundSystem::createStream(BlockReader* reader) {
    if (!library || !reader || !factory) return nullptr;
    return factory->create(*reader);
}

void SoundSystem::shutdown() {
    if (!library) return;
    factory.reset();
    primaryBuffer.reset();
    device.reset();
}

} // namespace vandrel
