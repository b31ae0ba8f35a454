// Drawing a font into a glyph sheet: each glyph on a common baseline at the
// left of its cell, cut at the cell's edges.
#include "kit/KitFont.h"

#include "gfx/FontCells.h"

#include <algorithm>

#ifdef VANDREL_KIT_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace vandrel::kit {

#ifdef VANDREL_KIT_FREETYPE

bool canDrawFonts() { return true; }

std::optional<RgbaPicture> drawFontSheet(std::span<const uint8_t> font, int32_t pixelSize, uint32_t colour,
                                         const SheetLayout& layout, std::string& why) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        why = "FreeType did not start";
        return std::nullopt;
    }
    FT_Face face = nullptr;
    std::optional<RgbaPicture> out;
    if (FT_New_Memory_Face(library, font.data(), static_cast<FT_Long>(font.size()), 0, &face) != 0) {
        why = "is not a font FreeType can read";
    } else if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        why = "cannot be drawn at " + std::to_string(pixelSize) + " pixels";
    } else {
        const int32_t rows = (fontCells::count + fontCells::perRow - 1) / fontCells::perRow;
        RgbaPicture sheet;
        sheet.width = layout.origin + fontCells::perRow * (layout.cellWidth + layout.gap);
        sheet.height = layout.origin + rows * (layout.cellHeight + layout.gap);
        sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height * 4, 0);
        for (size_t i = 0; i < sheet.pixels.size(); i += 4) {
            sheet.pixels[i] = static_cast<uint8_t>(colour >> 16);
            sheet.pixels[i + 1] = static_cast<uint8_t>(colour >> 8);
            sheet.pixels[i + 2] = static_cast<uint8_t>(colour);
        }
        // The baseline sits one ascender below the cell's top.
        const auto ascender = static_cast<int32_t>(face->size->metrics.ascender >> 6);
        for (int32_t cell = 0; cell < fontCells::count; ++cell) {
            if (FT_Load_Char(face, static_cast<unsigned char>(fontCells::charOf(cell)), FT_LOAD_RENDER) != 0) continue;
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) continue;
            const int32_t cellX = layout.origin + (cell % fontCells::perRow) * (layout.cellWidth + layout.gap);
            const int32_t cellY = layout.origin + (cell / fontCells::perRow) * (layout.cellHeight + layout.gap);
            const int32_t left = std::max<int32_t>(slot->bitmap_left, 0);
            const int32_t top = ascender - slot->bitmap_top;
            for (int32_t y = 0; y < static_cast<int32_t>(bitmap.rows); ++y) {
                const int32_t sy = top + y;
                if (sy < 0 || sy >= layout.cellHeight) continue;
                for (int32_t x = 0; x < static_cast<int32_t>(bitmap.width); ++x) {
                    const int32_t sx = left + x;
                    if (sx >= layout.cellWidth) break;
                    const uint8_t coverage = bitmap.buffer[static_cast<ptrdiff_t>(y) * bitmap.pitch + x];
                    sheet.pixels[(static_cast<size_t>(cellY + sy) * sheet.width + cellX + sx) * 4 + 3] = coverage;
                }
            }
        }
        out = std::move(sheet);
    }
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return out;
}

#else

bool canDrawFonts() { return false; }

std::optional<RgbaPicture> drawFontSheet(std::span<const uint8_t>, int32_t, uint32_t, const SheetLayout&,
                                         std::string& why) {
    why = "this build of the game draws no TTF or OTF fonts; give a glyph \"sheet\" instead of \"font\"";
    return std::nullopt;
}

#endif

} // namespace vandrel::kit
