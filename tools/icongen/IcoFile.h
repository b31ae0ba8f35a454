// The Windows icon file: several square pictures of one icon in one file, the
// small ones as 32-bit bitmaps with an AND mask, the large ones as PNG.
#pragma once
#include <cstdint>
#include <vector>

namespace vandrel::icongen {

using Bytes = std::vector<uint8_t>;

struct IcoImage {
    int size = 0; // width and height, 1..256
    Bytes rgba;   // size * size * 4 bytes, straight alpha, top row first
};

// Images of 256 pixels are stored as PNG (as Windows Vista and later read
// them), smaller ones as bitmaps every Windows version reads. Throws
// std::invalid_argument for a size outside 1..256 or pixels of the wrong length.
Bytes encodeIco(const std::vector<IcoImage>& images);

} // namespace vandrel::icongen
