// What a kit file's first bytes say it is, and a picture's size and alpha
// from its header alone: nothing is decoded, so a header that claims a
// picture of 100000 x 100000 pixels costs nothing to refuse.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

namespace vandrel::kit {

enum class Sniffed { Unknown, Png, Jpeg, OggVorbis, Ogg, Font, Wav, Flac };

struct PictureHeader {
    int64_t width = 0;
    int64_t height = 0;
    bool alpha = false; // a PNG with an alpha channel or a transparency chunk
};

Sniffed sniff(std::span<const uint8_t> bytes);
std::string_view describe(Sniffed kind);

// The size of a PNG or JPEG from its header; false when the header is
// missing, cut short or damaged.
bool readPictureHeader(std::span<const uint8_t> bytes, PictureHeader& out);

} // namespace vandrel::kit
