// A short effect decoded whole into one sound buffer at load time and played
// from wherever its cursor stands, never looping.
#pragma once
#include "audio/AudioBuffer.h"
#include "sound/SoundStream.h"

#include <cstdint>
#include <memory>

namespace vandrel {

class BlockReader;

class StaticSound {
public:
    enum class State : int32_t { Empty = 1, Loaded = 2, Playing = 3, Stopped = 4 };

    StaticSound() = default;
    ~StaticSound();
    StaticSound(const StaticSound&) = delete;
    StaticSound& operator=(const StaticSound&) = delete;

    // Loads from the reader's current block through the process's sound system.
    void load(BlockReader* reader);
    // Decodes the stream into a new buffer; the stream is gone afterwards.
    void load(std::unique_ptr<SoundStream> stream);
    void play();
    void stop();
    // Moves the cursor to ms (clamped to 0..lengthMs), byte-exact, not
    // rounded to whole samples.
    void setPositionMs(int32_t ms);
    void unload();

    State state() const { return state_; }
    // As the loaded stream declares it, also when no buffer could be made.
    int32_t lengthMs() const { return lengthMs_; }
    uint32_t bytesPerSecond() const { return bytesPerSecond_; }
    // The buffer holding the sound, for inspection; null when empty.
    const AudioBuffer* audioBuffer() const { return buffer_.get(); }

private:
    bool createBuffer(SoundStream& stream);
    bool fillBuffer(SoundStream& stream);

    std::unique_ptr<AudioBuffer> buffer_;
    State state_ = State::Empty;
    int32_t lengthMs_ = 0;
    uint32_t bytesPerSecond_ = 0;
};

} // namespace vandrel
