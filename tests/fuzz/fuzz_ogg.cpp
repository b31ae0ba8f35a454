// Any bytes as the payload of a sound block: the stream factory checks and
// copies it, and whatever stream it makes is decoded as the players use it:
// whole for an effect, ahead and looping for the music, rewound, read out.
// fuzz-libs: vandrel_sound vandrel_data vandrel_video vandrel_config vandrel_system
#include "EntryArchive.h"
#include "sound/SoundStreamFactory.h"

#include <cstdlib>
#include <vector>

namespace {

std::vector<uint8_t> soundEntry(const uint8_t* data, size_t size) {
    std::vector<uint8_t> blocks{'S', '1'};
    for (int i = 0; i < 4; ++i) blocks.push_back(static_cast<uint8_t>(size >> (8 * i)));
    blocks.insert(blocks.end(), data, data + size);
    return blocks;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> blocks = soundEntry(data, size);
    vandrel::fuzz::EntryArchive entry("stuff.x", blocks.data(), blocks.size());
    vandrel::SoundStreamFactory factory;
    auto next = [&]() -> std::unique_ptr<vandrel::SoundStream> {
        uint16_t tag = 0;
        vandrel::BlockReader* reader = entry.reopen();
        if (!reader || !reader->readHeader(tag)) return nullptr;
        return factory.create(*reader);
    };

    // An effect: decoded whole, then read out.
    std::unique_ptr<vandrel::SoundStream> effect = next();
    if (!effect) return 0;
    (void)effect->lengthMs();
    std::unique_ptr<vandrel::AudioFormat> format;
    effect->format(&format);
    const uint32_t whole = effect->decodedSize();
    std::vector<uint8_t> pcm(16 * 1024);
    uint32_t taken = 0;
    for (int32_t got; (got = effect->read(pcm.data(), static_cast<int32_t>(pcm.size()))) > 0;) {
        if (got > static_cast<int32_t>(pcm.size())) std::abort(); // never more than asked for
        taken += static_cast<uint32_t>(got);
    }
    if (taken != whole) std::abort(); // everything decoded is read out, once

    // The music: decoded ahead in pieces and started over at its end.
    std::unique_ptr<vandrel::SoundStream> music = next();
    if (!music) std::abort(); // the same payload makes the same decision
    uint32_t played = 0;
    for (int round = 0; round < 8 && played <= 2 * whole + 1; ++round) {
        const uint32_t ahead = music->prepare(static_cast<uint32_t>(pcm.size()), true);
        if (whole > 0 && ahead == 0) std::abort(); // a looping sound with samples never runs dry
        played += static_cast<uint32_t>(music->readUnchecked(pcm.data(), static_cast<int32_t>(pcm.size())));
    }
    music->rewind(0);
    (void)music->prepare(1024, false);
    return 0;
}
