// The layout of one pixel in a video surface: its depth and colour bit masks.
// The display uses 32-bit XRGB in a window and 16-bit 5-6-5 in full screen.
#pragma once
#include <cstdint>

namespace vandrel {

struct PixelFormat {
    uint32_t bitsPerPixel = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;

    constexpr uint32_t bytesPerPixel() const { return (bitsPerPixel + 7) / 8; }
    // Depths a surface can hold: 16, 24 or 32 bits, any masks.
    constexpr bool isValid() const { return bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32; }
    friend constexpr bool operator==(const PixelFormat&, const PixelFormat&) = default;

    static constexpr PixelFormat xrgb32() { return {32, 0x00FF0000u, 0x0000FF00u, 0x000000FFu}; }
    static constexpr PixelFormat rgb24() { return {24, 0x00FF0000u, 0x0000FF00u, 0x000000FFu}; }
    static constexpr PixelFormat rgb565() { return {16, 0xF800u, 0x07E0u, 0x001Fu}; }
    static constexpr PixelFormat rgb555() { return {16, 0x7C00u, 0x03E0u, 0x001Fu}; }
};

} // namespace vandrel
