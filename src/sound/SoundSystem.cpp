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
        desc.flags = audioBufferPrimary;
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

void SoundSystem::watchOutput(uint32_t now) {
    if (!library || !device) return;
    if (!lost) {
        if (library->connected()) return;
        // Let go of the hardware that is gone, so that a new one can be opened.
        library->detach(*device);
        lost = true;
        lastTry = now;
        return;
    }
    if (now - lastTry < retryMs) return;
    lastTry = now;
    if (library->attach(*device)) lost = false;
}

void SoundSystem::shutdown() {
    if (!library) return;
    lost = false;
    factory.reset();
    primaryBuffer.reset();
    device.reset();
}

} // namespace vandrel
