// The sound the game holds for an effect: a static and a streaming player side
// by side, and which of the two it uses.
#pragma once
#include "sound/StaticSound.h"
#include "sound/StreamingSound.h"

namespace vandrel {

class BlockReader;

class SoundBuffer {
public:
    SoundBuffer() = default;
    ~SoundBuffer() = default;
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // Loads the chosen player from the reader's current block. False only for
    // a null reader: a block that holds no usable sound leaves the sound empty.
    bool load(BlockReader* reader, bool streamed);
    // Starts the sound at its beginning, cutting it off if it still plays.
    void playFromStart();
    void unload();

    bool streamed() const { return streamed_; }
    const StaticSound& staticPart() const { return staticPart_; }
    const StreamingSound& streamingPart() const { return streamingPart_; }

private:
    // Declared in this order so that the streaming part is destroyed first.
    StaticSound staticPart_;
    StreamingSound streamingPart_;
    bool streamed_ = false;
};

} // namespace vandrel
