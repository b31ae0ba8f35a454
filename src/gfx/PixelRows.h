// The pixel-row writers and readers of every tile format: rows of B, G, R bytes
// (or of four bytes, B, G, R and a spare, as the JPEG decoder hands them out)
// into a tile's line, and a tile's line back into B, G, R bytes.
#pragma once
#include "gfx/PixelKind.h"

#include <cstdint>

namespace vandrel::pixelRows {

// Writes n pixels of B, G, R bytes to d in kind's layout; with adjustKey a pixel
// equal to the key grey is stored with its green lifted so it stays opaque.
// Other 16-bit layouts are left as they are; false for an unsupported kind.
bool write(PixelKind kind, uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey);
// The same from n pixels of four bytes each; the spare byte is never stored
// (a 32-bit pixel's fourth byte becomes 0).
bool writeQuads(PixelKind kind, uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey);
// Reads n pixels from s into B, G, R bytes; pixel i comes from n - 1 - i when
// mirrored. Other 16-bit layouts are not read; false for an unsupported kind.
bool read(PixelKind kind, const uint8_t* s, uint8_t* row, int32_t n, bool mirror);

} // namespace vandrel::pixelRows
