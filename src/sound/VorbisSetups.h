// Vorbis set-ups already decoded, for streams that bring the same ones again.
// Every sound of a data set encoded with one set of settings carries the same
// identification and set-up headers byte for byte; the codebooks they describe
// are unpacked and turned into decoding tables once, and every stream with
// those headers decodes with them (the output does not change).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace vandrel {

struct VorbisSetup;

class VorbisSetups {
public:
    // The set-up decoded from exactly these identification and set-up header
    // packets, or null when none is kept.
    std::shared_ptr<VorbisSetup> find(const uint8_t* id, size_t idBytes, const uint8_t* setup, size_t setupBytes);
    // Keeps a set-up that has started a decoder; the oldest goes when more
    // than maxKept would be kept.
    void keep(std::shared_ptr<VorbisSetup> setup);
    size_t kept();

    static constexpr size_t maxKept = 4;

private:
    std::mutex mutex_;                               // streams may be opened on a loading thread
    std::vector<std::shared_ptr<VorbisSetup>> kept_; // most recently used last
};

} // namespace vandrel
