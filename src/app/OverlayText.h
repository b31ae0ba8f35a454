// The game's own short texts over a frame (the sound notice, the first start's
// hint) in its small font, on a black box. The font has letters, digits, '.',
// ':' and ',' only: umlauts are put together from a letter and two dots, and
// '-', '+', '%' and '/' are drawn from boxes.
#pragma once
#include "base/Rect.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace vandrel {

class Font;
class VideoSurface;

class OverlayText {
public:
    // The pen advance of a UTF-8 text.
    static int32_t width(const Font& font, std::string_view text);
    // Draws a UTF-8 text from the pen position (x, y), the glyph cells' top.
    static void draw(VideoSurface* target, const Rect& clip, Font& font, int32_t x, int32_t y, std::string_view text);
    // The height of a box of that many lines.
    static int32_t boxHeight(const Font& font, int32_t lines);
    // Draws the lines centred one under another on a black box whose top
    // edge is at top, centred on the clip.
    static void drawBox(VideoSurface* target, const Rect& clip, Font& font, int32_t top,
                        const std::vector<std::string_view>& lines);
};

} // namespace vandrel
