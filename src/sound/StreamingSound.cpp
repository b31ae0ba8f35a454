// Streaming into a one-second ring. The arithmetic on the cursors decides what
// the player hears at every wrap of the ring and of the stream, so it follows
// the played and written byte counts exactly; see refill().
#include "sound/StreamingSound.h"

#include "sound/SoundSystem.h"

#include <cstdint>
#include <cstring>

namespace vandrel {

StreamingSound::~StreamingSound() {
    if (buffer_) buffer_->stop();
}

uint32_t StreamingSound::bytesForMs(uint32_t avgBytesPerSec, int32_t ms) {
    // Truncated, not rounded to whole samples; kept inside the unsigned range.
    const double bytes = static_cast<double>(avgBytesPerSec) * ms * 0.001;
    if (!(bytes > 0.0)) return 0;
    if (bytes >= 4294967295.0) return UINT32_MAX;
    return static_cast<uint32_t>(bytes);
}

uint32_t StreamingSound::ringBytesFor(uint32_t avgBytesPerSec) {
    uint32_t bytes = static_cast<uint32_t>(static_cast<double>(avgBytesPerSec) * 1000 * 0.001);
    if (bytes % 4 != 0) bytes += 4 - bytes % 4;
    return bytes;
}

void StreamingSound::resetCounters() {
    writtenBytes_ = 0;
    playedBytes_ = 0;
    lastPlayCursor_ = 0;
    writeCursor_ = 0;
}

bool StreamingSound::load(BlockReader* reader) {
    if (!reader) return false;
    SoundSystem* system = SoundSystem::current();
    load(system ? system->createStream(reader) : nullptr);
    return true;
}

void StreamingSound::load(std::unique_ptr<SoundStream> source) {
    unload();
    stream_ = std::move(source);
    if (!stream_) return;
    resetCounters();
    if (createRing() && primeRing()) state_ = State::Loaded;
}

AudioResult StreamingSound::lockRing(uint32_t offset, uint32_t bytes, AudioLock& regions, uint32_t flags) {
    AudioResult result = buffer_->lock(offset, bytes, regions, flags);
    if (result == AudioResult::BufferLost) {
        buffer_->restore();
        result = buffer_->lock(offset, bytes, regions, flags);
    }
    return result;
}

bool StreamingSound::createRing() {
    resetCounters();
    SoundSystem* system = SoundSystem::current();
    AudioDevice* device = system ? system->audioDevice() : nullptr;
    if (!device || !stream_) return false;
    std::unique_ptr<AudioFormat> format;
    stream_->format(&format);
    ringBytes_ = ringBytesFor(format->avgBytesPerSec);
    AudioBufferDesc desc;
    // Global focus: the music keeps sounding while another window is active.
    desc.flags = audioBufferCtrlFrequency | audioBufferCtrlVolume | audioBufferCtrlPositionNotify |
                 audioBufferGlobalFocus | audioBufferGetCurrentPosition2;
    desc.bufferBytes = ringBytes_;
    desc.format = format.get();
    buffer_ = device->createBuffer(desc);
    if (!buffer_) return false;
    sampleRate_ = format->samplesPerSec;
    bytesPerSecond_ = format->avgBytesPerSec;
    return true;
}

bool StreamingSound::primeRing() {
    if (!stream_ || !buffer_) return false;
    stream_->prepare(ringBytes_, looping_);
    AudioLock regions;
    if (lockRing(0, 0, regions, audioLockEntireBuffer) != AudioResult::Ok || !regions.first) return false;
    const int32_t got = stream_->readUnchecked(regions.first, static_cast<int32_t>(regions.firstBytes));
    writtenBytes_ = static_cast<uint32_t>(got);
    if (static_cast<uint32_t>(got) < regions.firstBytes)
        std::memset(regions.first + got, 0, regions.firstBytes - static_cast<uint32_t>(got));
    buffer_->unlock(regions);
    // A full ring's worth waits in the queue again.
    stream_->prepare(ringBytes_, looping_);
    return true;
}

bool StreamingSound::startPlayback(bool loop) {
    if (!buffer_ || !stream_) return false;
    looping_ = loop;
    if (looping_) {
        stream_->prepare(ringBytes_, true);
        // Right after priming the write position is where priming stopped. Once
        // more than a ring has been written the count no longer names a ring
        // offset (a pause and a new start), and the kept cursor is the right one.
        if (writtenBytes_ <= ringBytes_) writeCursor_ = writtenBytes_;
        refill();
        if (!buffer_) return false;
    }
    // The ring always loops in the device; looping_ only decides whether the
    // stream starts again when it runs out.
    return buffer_->play(audioPlayLooping);
}

void StreamingSound::playLooping() {
    if (state_ != State::Loaded && state_ != State::Paused) return;
    if (startPlayback(true)) state_ = State::Playing;
}

void StreamingSound::playOnce() {
    if (state_ != State::Loaded && state_ != State::Paused) return;
    if (startPlayback(false)) state_ = State::Playing;
}

void StreamingSound::pause() {
    if (state_ == State::Playing && buffer_ && buffer_->stop()) state_ = State::Paused;
}

void StreamingSound::refill() {
    if (!stream_ || !buffer_) return;
    uint32_t play = 0;
    if (!buffer_->getCurrentPosition(&play, nullptr)) return;

    const uint32_t advance = play >= lastPlayCursor_ ? play - lastPlayCursor_ : ringBytes_ - lastPlayCursor_ + play;
    playedBytes_ += advance;
    const uint32_t freeBytes = play >= writeCursor_ ? play - writeCursor_ : ringBytes_ - writeCursor_ + play;

    // Silence written after a stream's tail counts as played but not as
    // written, so on a looping stream the two counts drift together by a
    // frame's worth per loop; only a sound played once can run out.
    if (!looping_ && playedBytes_ > writtenBytes_) {
        // Everything the stream delivered has been heard.
        buffer_->stop();
        buffer_.reset();
        state_ = State::Ended;
        return;
    }

    if (freeBytes > 0) {
        AudioLock regions;
        if (lockRing(writeCursor_, freeBytes, regions, 0) == AudioResult::Ok) {
            uint32_t firstCounted = 0;
            uint32_t secondCounted = 0;
            if (regions.firstBytes > 0 && regions.first) {
                const auto got = static_cast<uint32_t>(
                    stream_->readUnchecked(regions.first, static_cast<int32_t>(regions.firstBytes)));
                if (got < regions.firstBytes) std::memset(regions.first + got, 0, regions.firstBytes - got);
                writtenBytes_ += got;
                firstCounted = regions.firstBytes;
            }
            if (regions.secondBytes > 0 && regions.second) {
                const auto got = static_cast<uint32_t>(
                    stream_->readUnchecked(regions.second, static_cast<int32_t>(regions.secondBytes)));
                if (got == 0) {
                    std::memset(regions.second, 0, regions.secondBytes);
                    secondCounted = regions.secondBytes;
                } else {
                    // The rest of the wrapped region is written by the next
                    // refill, straight after the bytes that came now.
                    writtenBytes_ += got;
                    secondCounted = got;
                }
            }
            buffer_->unlock(regions.first, firstCounted, regions.second, secondCounted);
            writeCursor_ += firstCounted + secondCounted;
        }
    }

    lastPlayCursor_ = play;
    if (writeCursor_ >= ringBytes_) writeCursor_ -= ringBytes_;
    stream_->prepare(ringBytes_, looping_);
}

int32_t StreamingSound::positionMs() const {
    if (sampleRate_ == 0 || !buffer_) return -1;
    uint32_t play = 0;
    if (!buffer_->getCurrentPosition(&play, nullptr)) return -1;
    const uint32_t advance = play >= lastPlayCursor_ ? play - lastPlayCursor_ : ringBytes_ - lastPlayCursor_ + play;
    return static_cast<int32_t>(static_cast<double>(playedBytes_ + advance) * 1000.0 / bytesPerSecond_);
}

void StreamingSound::rewind(int32_t ms) {
    if (!stream_) return;
    if (buffer_) {
        buffer_->stop();
        buffer_->setCurrentPosition(0);
    }
    stream_->rewind(ms);
    if (!buffer_) createRing();
    primeRing();
    lastPlayCursor_ = 0;
    writeCursor_ = 0;
    playedBytes_ = bytesForMs(bytesPerSecond_, ms);
    writtenBytes_ = ringBytes_ + playedBytes_;
    if (state_ == State::Playing)
        startPlayback(false);
    else if (state_ == State::Ended)
        state_ = State::Loaded;
}

void StreamingSound::unload() {
    if (state_ == State::Playing && buffer_) buffer_->stop();
    buffer_.reset();
    stream_.reset();
    state_ = State::Empty;
    sampleRate_ = 0;
    bytesPerSecond_ = 0;
    ringBytes_ = 0;
    resetCounters();
}

} // namespace vandrel
