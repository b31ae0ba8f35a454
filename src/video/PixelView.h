// A read-only look at a block of pixels in one format: what tests, tools and
// hit tests read a picture through, with no lock to take and nothing to change.
#pragma once
#include "video/PixelFormat.h"

#include <cstdint>

namespace vandrel {

struct PixelView {
    const uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    // Bytes from one line to the next.
    int32_t pitch = 0;
    PixelFormat format;

    bool isEmpty() const { return !pixels || width <= 0 || height <= 0; }
    bool contains(int32_t x, int32_t y) const { return !isEmpty() && x >= 0 && y >= 0 && x < width && y < height; }
    // The first pixel of line y; null outside the block.
    const uint8_t* line(int32_t y) const;
    // The raw value of pixel (x, y) in the block's format (little-endian, as
    // stored); 0 outside the block.
    uint32_t pixelAt(int32_t x, int32_t y) const;
};

} // namespace vandrel
