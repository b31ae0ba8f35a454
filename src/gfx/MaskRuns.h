// The mask writers: the key colour painted into a tile's line wherever a mask
// marks a pixel transparent, from a byte a pixel or from packed bits.
#pragma once
#include "gfx/PixelKind.h"

#include <cstdint>

namespace vandrel::maskRuns {

// Paints key16 (16-bit kinds) or the key grey (24 and 32 bits, whose fourth
// byte stays) into the n pixels at d wherever mask[i] is nonzero. False for an
// unsupported kind.
bool paintBytes(PixelKind kind, uint8_t* d, const uint8_t* mask, int32_t n, uint16_t key16);
// The same for the pixels from to end of a packed 1-bit mask row (the leftmost
// pixel in the top bit of the first byte), d being pixel from's place.
bool paintBits(PixelKind kind, uint8_t* d, const uint8_t* bits, int32_t from, int32_t end, uint16_t key16);

} // namespace vandrel::maskRuns
