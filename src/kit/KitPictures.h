// A maker's PNG turned into the game's own picture form: the colours as a
// JPEG and the alpha as a 1-bit PNG mask, and a strip or grid of frames cut
// into one picture a frame. Our own encoders with fixed settings, so the same
// kit always gives the same bytes.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vandrel::kit {

// Eight bits a channel, red, green, blue, alpha, row after row.
struct RgbaPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
};

// A colour picture and its mask as the game reads them; the mask is empty
// when every pixel is seen.
struct PicturePair {
    std::vector<uint8_t> jpeg;
    std::vector<uint8_t> mask;
};

// The JPEG quality of pictures made from a PNG.
inline constexpr int32_t pngJpegQuality = 90;
// Pixels with less alpha than this are transparent.
inline constexpr uint8_t seenAlpha = 128;

// Decodes any PNG (grey, palette, 16 bits, with or without alpha) to RGBA.
// The size is held to the kit's limits before a row is read; nullopt with
// why set when the file is damaged or too large.
std::optional<RgbaPicture> decodePng(std::span<const uint8_t> bytes, std::string& why);

// The picture as a JPEG and its alpha as the mask.
PicturePair splitPicture(const RgbaPicture& picture);

// The frames of a strip or grid of frameWidth x frameHeight cells, left to
// right and then top to bottom, the first count of them. The caller has
// checked that the sizes divide and count fits.
std::vector<RgbaPicture> cutFrames(const RgbaPicture& sheet, int32_t frameWidth, int32_t frameHeight, int32_t count);

} // namespace vandrel::kit
