// A source of 16-bit PCM decoded on demand from a sound block. The operations
// stay in this order: streams are made only by SoundStreamFactory.
#pragma once
#include "audio/AudioFormat.h"

#include <cstdint>
#include <memory>

namespace vandrel {

class SoundStream {
public:
    virtual ~SoundStream() = default;
    // Duration in milliseconds as the stream declares it.
    virtual int32_t lengthMs() const = 0;
    // When out is not null, stores a copy of the PCM format in it.
    virtual void format(std::unique_ptr<AudioFormat>* out) const = 0;
    // Decodes the whole stream if nothing is queued yet; the queued PCM bytes.
    virtual uint32_t decodedSize() = 0;
    // Takes up to len bytes from the front of the queue; 0 for a null
    // destination or a length that is not positive.
    virtual int32_t read(void* destination, int32_t len) = 0;
    // Decodes ahead until minBytes are queued, starting again at the beginning
    // when looping and everything has been read; the queued bytes afterwards.
    virtual uint32_t prepare(uint32_t minBytes, bool loop) = 0;
    // As read, for callers that always pass a buffer of len bytes.
    virtual int32_t readUnchecked(void* destination, int32_t len) = 0;
    // Restarts decoding at the beginning of the data; the position is ignored.
    virtual void rewind(int32_t positionMs) = 0;
    // Kept for its place among the operations; always 0.
    virtual int32_t reserved() = 0;
};

} // namespace vandrel
