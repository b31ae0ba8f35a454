// Effects: decoded once at load time, so playing one costs a reposition and a play.
#include "sound/StaticSound.h"

#include "sound/SoundSystem.h"
#include "sound/StreamingSound.h"

namespace vandrel {

StaticSound::~StaticSound() {
    if (buffer_) buffer_->stop();
}

void StaticSound::load(BlockReader* reader) {
    SoundSystem* system = SoundSystem::current();
    load(system ? system->createStream(reader) : nullptr);
}

void StaticSound::load(std::unique_ptr<SoundStream> stream) {
    unload();
    lengthMs_ = 0;
    if (state_ != State::Empty || !stream) return;
    // The length is the sound's, heard or not: a game without a sound
    // device waits as long for it as one with.
    lengthMs_ = stream->lengthMs();
    if (createBuffer(*stream) && fillBuffer(*stream))
        state_ = State::Loaded;
    else
        buffer_.reset();
    // The stream goes here in every case: the buffer holds all of it.
}

bool StaticSound::createBuffer(SoundStream& stream) {
    SoundSystem* system = SoundSystem::current();
    AudioDevice* device = system ? system->audioDevice() : nullptr;
    if (!device) return false;
    std::unique_ptr<AudioFormat> format;
    stream.format(&format);
    AudioBufferDesc desc;
    desc.flags = audioBufferCtrlFrequency | audioBufferCtrlVolume | audioBufferCtrlPositionNotify |
                 audioBufferGetCurrentPosition2;
    desc.bufferBytes = stream.decodedSize(); // decodes the whole sound
    desc.format = format.get();
    buffer_ = device->createBuffer(desc);
    if (!buffer_) return false;
    lengthMs_ = stream.lengthMs();
    bytesPerSecond_ = format->avgBytesPerSec;
    return true;
}

bool StaticSound::fillBuffer(SoundStream& stream) {
    AudioLock regions;
    AudioResult result = buffer_->lock(0, 0, regions, audioLockEntireBuffer);
    if (result == AudioResult::BufferLost) {
        buffer_->restore();
        result = buffer_->lock(0, 0, regions, audioLockEntireBuffer);
    }
    if (result != AudioResult::Ok || !regions.first) return false;
    stream.read(regions.first, static_cast<int32_t>(regions.firstBytes));
    buffer_->unlock(regions);
    return true;
}

void StaticSound::play() {
    if (state_ != State::Loaded && state_ != State::Playing && state_ != State::Stopped) return;
    // A sound that ran to its end stays Playing here; play starts it again.
    if (buffer_ && buffer_->play(0)) state_ = State::Playing;
}

void StaticSound::stop() {
    if (state_ == State::Playing && buffer_ && buffer_->stop()) state_ = State::Stopped;
}

void StaticSound::setPositionMs(int32_t ms) {
    if (bytesPerSecond_ == 0 || !buffer_) return;
    if (ms > lengthMs_) ms = lengthMs_;
    if (ms < 0) ms = 0;
    buffer_->setCurrentPosition(StreamingSound::bytesForMs(bytesPerSecond_, ms));
}

void StaticSound::unload() {
    if (state_ == State::Empty) return;
    if (state_ == State::Playing && buffer_) buffer_->stop();
    buffer_.reset();
    state_ = State::Empty;
    lengthMs_ = 0;
    bytesPerSecond_ = 0;
}

} // namespace vandrel
