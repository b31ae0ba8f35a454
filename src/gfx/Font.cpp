// Bitmap fonts: characters to glyph cells, drawing with a fixed pen advance,
// text measurement and the rippling wave of the closing credits.
#include "gfx/Font.h"

#include "gfx/FontCells.h"
#include "gfx/ImageLoader.h"
#include "base/Clock.h"

#include <algorithm>
#include <cmath>

namespace vandrel {

bool Font::load(BlockReader* reader, VideoDevice* device) { return loadImage(reader, &sheet_, device); }

void Font::setLayout(int32_t originX, int32_t originY, int32_t glyphWidth, int32_t glyphHeight, int32_t gapX,
                     int32_t gapY, int32_t advance, int32_t spaceAdvance) {
    originX_ = originX;
    originY_ = originY;
    glyphWidth_ = glyphWidth;
    glyphHeight_ = glyphHeight;
    gapX_ = gapX;
    gapY_ = gapY;
    advance_ = advance;
    spaceAdvance_ = spaceAdvance;
}

int32_t Font::cellOf(char ch) { return fontCells::cellOf(ch); }

bool Font::drawChar(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, char ch) {
    const int32_t cell = cellOf(ch);
    if (cell < 0) return false;
    if (!target) return true;
    const int32_t cellX = originX_ + (cell % fontCells::perRow) * (glyphWidth_ + gapX_);
    const int32_t cellY = originY_ + (cell / fontCells::perRow) * (glyphHeight_ + gapY_);
    // Only this cell may show: the clip is cut down to the glyph's own box.
    const Rect box{std::max(clip.left, x), std::max(clip.top, y), std::min(clip.right, x + glyphWidth_),
                   std::min(clip.bottom, y + glyphHeight_)};
    sheet_.blitPart(target, box, x, y, cellX, cellY, glyphWidth_, glyphHeight_, true);
    return true;
}

void Font::drawText(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, const char* text, bool wave) {
    if (!text) return;
    int32_t pen = x;
    for (const char* p = text; *p; ++p) {
        int32_t dy = 0;
        if (wave) {
            const uint32_t t = tickCount() + 5u * static_cast<uint32_t>(pen);
            dy = static_cast<int32_t>((std::sin(t * 0.005) + 1.0) * 10.0);
        }
        pen += drawChar(target, clip, pen, y + dy, *p) ? advance_ : spaceAdvance_;
    }
}

int32_t Font::textWidth(const char* text) const {
    if (!text) return 0;
    int32_t width = 0;
    for (const char* p = text; *p; ++p) width += *p == ' ' ? spaceAdvance_ : advance_;
    return width;
}

} // namespace vandrel
