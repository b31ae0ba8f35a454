// A TrueType or OpenType font drawn once into a glyph sheet in the game's
// cell layout, so the game reads it as it reads its own sheets. Drawn with
// FreeType where the build has it (the native one); elsewhere the kit is told
// to give a glyph sheet instead.
#pragma once
#include "kit/KitPictures.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vandrel::kit {

// Where the game looks for each glyph in a sheet: the first cell's corner,
// the cell's size and the gap between cells (13 cells a row).
struct SheetLayout {
    int32_t origin = 0;
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    int32_t gap = 0;
};

// The game's two fonts as its session lays them out.
inline constexpr SheetLayout largeSheet{2, 23, 37, 2};
inline constexpr SheetLayout smallSheet{0, 16, 26, 0};

// Whether this build can draw fonts at all.
bool canDrawFonts();

// Every character of the game's sheets drawn at pixelSize in colour (0xRRGGBB),
// its coverage as alpha; nullopt with why set when the font is refused.
std::optional<RgbaPicture> drawFontSheet(std::span<const uint8_t> font, int32_t pixelSize, uint32_t colour,
                                         const SheetLayout& layout, std::string& why);

} // namespace vandrel::kit
