// A TrueType or OpenType font drawn once into a glyph sheet in the game's
// cell layout, so the game reads it as it reads its own sheets. Drawn with
// FreeType where the build has it (the native one); elsewhere the kit is told
// to give a glyph sheet instead.
#pragma once
#include "gfx/FontCells.h"
#include "kit/KitPictures.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vandrel::kit {

// Where the game looks for each glyph in a sheet (13 cells a row).
using SheetLayout = fontCells::CellLayout;

// The game's two fonts as its session lays them out.
inline constexpr SheetLayout largeSheet = fontCells::largeFont;
inline constexpr SheetLayout smallSheet = fontCells::smallFont;

// Whether this build can draw fonts at all.
bool canDrawFonts();

// Every character of the game's sheets drawn at pixelSize in colour (0xRRGGBB),
// its coverage as alpha; nullopt with why set when the font is refused.
std::optional<RgbaPicture> drawFontSheet(std::span<const uint8_t> font, int32_t pixelSize, uint32_t colour,
                                         const SheetLayout& layout, std::string& why);

} // namespace vandrel::kit
