// The grey copy of a picture, line by line in the tiles' own format: the title
// screen's grey that fills to colour while the game loads.
#pragma once
#include "gfx/PixelKind.h"

#include <cstdint>

namespace vandrel::greyCopy {

// The grey of a colour: 0.11 blue + 0.59 green + 0.3 red, truncated.
uint8_t greyOf(uint8_t b, uint8_t g, uint8_t r);
// Makes n pixels of s grey into d, both of kind's layout; lines of other
// layouts come out black.
void line(PixelKind kind, const uint8_t* s, uint8_t* d, int32_t n);

} // namespace vandrel::greyCopy
