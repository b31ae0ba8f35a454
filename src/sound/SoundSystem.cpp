// Opening the sound output and handing out streams.
#include "sound/SoundSystem.h"

#include "audio/AudioOutput.h"

namespace vandrel {

namespace {
SoundSystem* process = nullptr;
} // namespace

SoundSystem::SoundSystem() : library_(&audioOutput()) { process = this; }

SoundSystem::~SoundSystem() {
    shutdown();
    if (process == this) process = nullptr;
}

SoundSystem* SoundSystem::current() { return process; }

bool SoundSystem::init() {
    if (!library_) return false;
    if (factory_) return true; // already open
    if (!device_) {
        device_ = AudioDevice::open(*library_);
        if (!device_) return false;
    }
    if (!primaryBuffer_) {
        AudioBufferDesc desc;
        desc.flags = audioBufferPrimary;
        primaryBuffer_ = device_->createBuffer(desc);
        if (!primaryBuffer_) return false;
    }
    if (!primaryBuffer_->setFormat(AudioFormat::pcm16(1, 44100))) return false;
    factory_ = std::make_unique<SoundStreamFactory>();
    return true;
}

std::unique_ptr<SoundStream> SoundSystem::createStream(BlockReader* reader) {
    if (!library_ || !reader || !factory_) return nullptr;
    return factory_->create(*reader);
}

void SoundSystem::watchOutput(uint32_t now) {
    if (!library_ || !device_) return;
    if (!lost_) {
        if (library_->connected()) return;
        // Let go of the hardware that is gone, so that a new one can be opened.
        library_->detach(*device_);
        lost_ = true;
        lastTry_ = now;
        return;
    }
    if (now - lastTry_ < retryMs) return;
    lastTry_ = now;
    if (library_->attach(*device_)) lost_ = false;
}

void SoundSystem::shutdown() {
    if (!library_) return;
    lost_ = false;
    factory_.reset();
    primaryBuffer_.reset();
    device_.reset();
}

} // namespace vandrel
