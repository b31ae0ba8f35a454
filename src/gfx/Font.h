// A bitmap font: a sheet of glyph cells, 13 per row, drawn with a fixed pen
// advance; measures texts and can make them ripple in a moving sine wave.
#pragma once
#include "gfx/Surface.h"

#include <cstdint>

namespace vandrel {

class BlockReader;

class Font {
public:
    // Loads the glyph sheet, the next picture of the reader's entry.
    [[nodiscard]] bool load(BlockReader* reader, VideoDevice* device);
    void setLayout(int32_t originX, int32_t originY, int32_t glyphWidth, int32_t glyphHeight, int32_t gapX,
                   int32_t gapY, int32_t advance, int32_t spaceAdvance);

    // Draws ch with its cell's top-left corner at (x, y); false when ch has no
    // glyph. Without a target nothing is drawn but a glyph still counts.
    bool drawChar(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, char ch);
    // Draws a zero-terminated text from the pen position (x, y); with wave each
    // character bobs 0 to 20 pixels down, following the clock.
    void drawText(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, const char* text, bool wave);
    // The pen advance of the whole text.
    int32_t textWidth(const char* text) const;

    // The cell of a character, or -1 when it has no glyph.
    static int32_t cellOf(char ch);

    Surface& sheet() { return sheet_; }
    const Surface& sheet() const { return sheet_; }
    int32_t advance() const { return advance_; }
    int32_t spaceAdvance() const { return spaceAdvance_; }
    int32_t glyphWidth() const { return glyphWidth_; }
    int32_t glyphHeight() const { return glyphHeight_; }

private:
    Surface sheet_;
    int32_t originX_ = 2;
    int32_t originY_ = 2;
    int32_t glyphWidth_ = 23;
    int32_t glyphHeight_ = 37;
    int32_t gapX_ = 2;
    int32_t gapY_ = 2;
    int32_t advance_ = 18;
    int32_t spaceAdvance_ = 10;
};

} // namespace vandrel
