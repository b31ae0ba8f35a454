// An effect sound with its choice of player.
#include "sound/SoundBuffer.h"

#include "base/LoadError.h"

namespace vandrel {

bool SoundBuffer::load(BlockReader* reader, bool streamed) {
    try {
        if (!reader) throw LoadError();
        streamed_ = streamed;
        if (streamed_)
            streamingPart_.load(reader);
        else
            staticPart_.load(reader);
        return true;
    } catch (const LoadError&) {
        return false;
    }
}

void SoundBuffer::playFromStart() {
    if (streamed_) {
        streamingPart_.pause();
        if (streamingPart_.positionMs() != 0) streamingPart_.rewind(0);
        streamingPart_.playOnce();
    } else {
        staticPart_.stop();
        staticPart_.setPositionMs(0);
        staticPart_.play();
    }
}

void SoundBuffer::unload() {
    staticPart_.unload();
    streamingPart_.unload();
}

} // namespace vandrel
