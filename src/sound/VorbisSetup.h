// One decoded Vorbis set-up: the stream information that a decoder is started
// from, with the two header packets it was read from. Shared by every stream
// that brings the same headers; cleared when the last of them lets go.
#pragma once
#include <vorbis/codec.h>

#include <cstdint>
#include <vector>

namespace vandrel {

struct VorbisSetup {
    VorbisSetup() { vorbis_info_init(&info); }
    ~VorbisSetup() { vorbis_info_clear(&info); }
    VorbisSetup(const VorbisSetup&) = delete;
    VorbisSetup& operator=(const VorbisSetup&) = delete;

    vorbis_info info;
    std::vector<uint8_t> idPacket;
    std::vector<uint8_t> setupPacket;
};

} // namespace vandrel
