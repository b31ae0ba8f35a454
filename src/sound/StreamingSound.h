// The music player: one second of PCM in a ring buffer that loops in the
// device, topped up from its stream once per frame.
#pragma once
#include "audio/AudioBuffer.h"
#include "sound/SoundStream.h"

#include <cstdint>
#include <memory>

namespace vandrel {

class BlockReader;

class StreamingSound {
public:
    enum class State : int32_t { Empty = 1, Loaded = 2, Playing = 3, Ended = 4, Paused = 5 };

    StreamingSound() = default;
    ~StreamingSound();
    StreamingSound(const StreamingSound&) = delete;
    StreamingSound& operator=(const StreamingSound&) = delete;

    // Loads from the reader's current block through the process's sound
    // system; false only for a null reader.
    bool load(BlockReader* reader);
    // Takes the stream, makes the ring and fills it; Loaded when both worked.
    void load(std::unique_ptr<SoundStream> stream);
    // Starts playing, the stream restarting at its beginning whenever it runs out.
    void playLooping();
    // Starts playing; the sound ends after the stream's last byte.
    void playOnce();
    void pause();
    // Tops the ring up with what was played since the last call; once per frame.
    void refill();
    // Milliseconds played since the start, or -1 without a ring.
    int32_t positionMs() const;
    // Starts the stream again from its beginning; ms only sets the count of
    // bytes taken as already played.
    void rewind(int32_t ms);
    void unload();

    State state() const { return state_; }
    uint32_t sampleRate() const { return sampleRate_; }
    uint32_t bytesPerSecond() const { return bytesPerSecond_; }
    uint32_t ringBytes() const { return ringBytes_; }
    uint32_t writtenBytes() const { return writtenBytes_; }
    uint32_t playedBytes() const { return playedBytes_; }
    uint32_t lastPlayCursor() const { return lastPlayCursor_; }
    uint32_t writeCursor() const { return writeCursor_; }
    bool looping() const { return looping_; }
    bool hasStream() const { return stream_ != nullptr; }
    // The ring, for inspection; null when empty or ended.
    const AudioBuffer* audioBuffer() const { return buffer_.get(); }

    // One second of the format's bytes, rounded up to a multiple of 4.
    static uint32_t ringBytesFor(uint32_t avgBytesPerSec);
    // trunc(avgBytesPerSec * ms * 0.001), 0 for negative times.
    static uint32_t bytesForMs(uint32_t avgBytesPerSec, int32_t ms);

private:
    void resetCounters();
    bool createRing();
    bool primeRing();
    bool startPlayback(bool loop);
    AudioResult lockRing(uint32_t offset, uint32_t bytes, AudioLock& regions, uint32_t flags);

    std::unique_ptr<AudioBuffer> buffer_;
    State state_ = State::Empty;
    uint32_t sampleRate_ = 0;
    uint32_t bytesPerSecond_ = 0;
    uint32_t ringBytes_ = 0;
    uint32_t writtenBytes_ = 0;
    uint32_t playedBytes_ = 0;
    uint32_t lastPlayCursor_ = 0;
    uint32_t writeCursor_ = 0;
    bool looping_ = false;
    std::unique_ptr<SoundStream> stream_;
};

} // namespace vandrel
