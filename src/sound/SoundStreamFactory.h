// Makes a sound stream from the sound block the reader is in.
#pragma once
#include "sound/SoundStream.h"

#include "sound/VorbisSetups.h"

#include <memory>

namespace vandrel {

class BlockReader;

class SoundStreamFactory {
public:
    // Reads the current block's payload; null when it is empty, cannot be read
    // in full, or is not an Ogg stream. The bytes read are consumed either way.
    std::unique_ptr<SoundStream> create(BlockReader& reader);

    // The Vorbis set-ups the streams made here share.
    VorbisSetups& setups() { return *setups_; }

private:
    std::shared_ptr<VorbisSetups> setups_ = std::make_shared<VorbisSetups>();
};

} // namespace vandrel
