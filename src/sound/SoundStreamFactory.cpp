// Recognising an Ogg payload by its first page header and copying it whole.
#include "sound/SoundStreamFactory.h"

#include "data/BlockReader.h"
#include "sound/OggSoundStream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vandrel {

namespace {
constexpr uint32_t probeBytes = 1024;
// The payload is read in pieces so that memory grows only with the bytes that
// really arrive: a length field larger than the rest of the entry fails at
// the entry's end instead of allocating what it announces.
constexpr uint32_t readPiece = 64 * 1024;
} // namespace

std::unique_ptr<SoundStream> SoundStreamFactory::create(BlockReader& reader) {
    // A block of length 0 holds no sound. Its size() would be the whole entry's,
    // and reading that much would run into the blocks after it.
    const int32_t length = reader.blockLength();
    if (length <= 0) return nullptr;
    const uint32_t total = static_cast<uint32_t>(length);

    const uint32_t probe = std::min(probeBytes, total);
    std::vector<uint8_t> input(probe);
    if (!reader.read(input.data(), probe)) return nullptr;
    // "OggS" followed by the page header's version byte, which is 0.
    static const uint8_t capture[5] = {'O', 'g', 'g', 'S', 0};
    if (probe < sizeof capture || std::memcmp(input.data(), capture, sizeof capture) != 0) return nullptr;

    size_t have = probe;
    while (have < total) {
        const uint32_t piece = std::min<uint32_t>(readPiece, total - static_cast<uint32_t>(have));
        input.resize(have + piece);
        if (!reader.read(input.data() + have, piece)) return nullptr;
        have += piece;
    }
    return std::make_unique<OggSoundStream>(std::move(input), setups_);
}

} // namespace vandrel
