// Drawing UTF-8 text with the small font, glyph by glyph, composing the few
// characters it lacks.
#include "app/OverlayText.h"

#include "gfx/Font.h"
#include "video/PixelFormat.h"
#include "video/VideoSurface.h"

#include <algorithm>

namespace vandrel {

namespace {

// One character of a UTF-8 text: a letter with two dots over it is its base
// letter; anything else outside ASCII counts as a space.
struct Glyph {
    char base = ' ';
    bool dots = false;
};

Glyph next(std::string_view& text) {
    const auto c = static_cast<unsigned char>(text.front());
    if (c < 0x80) {
        text.remove_prefix(1);
        return {static_cast<char>(c), false};
    }
    if (c == 0xC3 && text.size() >= 2) {
        const auto d = static_cast<unsigned char>(text[1]);
        text.remove_prefix(2);
        switch (d) {
        case 0xA4: return {'a', true};
        case 0xB6: return {'o', true};
        case 0xBC: return {'u', true};
        case 0x84: return {'A', true};
        case 0x96: return {'O', true};
        case 0x9C: return {'U', true};
        default: return {};
        }
    }
    // Any other sequence: its lead byte and continuation bytes as one space.
    text.remove_prefix(1);
    while (!text.empty() && (static_cast<unsigned char>(text.front()) & 0xC0) == 0x80) text.remove_prefix(1);
    return {};
}

// The font's own blank is narrow for words in a sentence.
int32_t spaceOf(const Font& font) { return std::max(font.spaceAdvance(), font.advance() / 2); }

// Drawn from boxes: the small font has no glyphs for them.
bool drawnByHand(char c) { return c == '+' || c == '-' || c == '%' || c == '/'; }

// A box of the text's light colour, inside the clip and the surface.
void box(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!target) return;
    const Rect r{std::max({x, clip.left, 0}), std::max({y, clip.top, 0}),
                 std::min({x + w, clip.right, target->width()}), std::min({y + h, clip.bottom, target->height()})};
    if (r.right <= r.left || r.bottom <= r.top) return;
    const PixelFormat& f = target->format();
    target->fill(&r, f.redMask | f.greenMask | f.blueMask);
}

// The rows of a cell the letters stand in: the small sheet keeps its letters
// in the top ten rows of its taller cells, all the closing screen's wave
// leaves on screen.
int32_t letterRows(const Font& font) { return std::min(font.glyphHeight(), 10); }

// '-', '+', '%' and '/' as the capitals beside them stand: seven rows from the
// glyph cell's top, strokes two pixels thick, the marks centred on the
// capitals' middle line.
constexpr const char* minusRows[] = {"........", "........", ".######.", ".######.",
                                     "........", "........", "........"};
constexpr const char* plusRows[] = {"...##...", "...##...", ".######.", ".######.", "...##...", "...##...", "........"};
constexpr const char* percentRows[] = {".##...##", ".##..##.", "....##..", "...##...",
                                       "..##....", ".##..##.", "##...##."};
constexpr const char* slashRows[] = {".....##.", ".....##.", "....##..", "...##...",
                                     "..##....", ".##.....", ".##....."};

// The hand-drawn character c with its cell at (x, y).
void drawByHand(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, char c) {
    const char* const* rows = c == '+' ? plusRows : c == '-' ? minusRows : c == '/' ? slashRows : percentRows;
    for (int32_t row = 0; row < 7; ++row)
        for (int32_t col = 0; col < 8; ++col)
            if (rows[row][col] == '#') box(target, clip, x + col, y + row, 1, 1);
}

// The capitals' rows and the columns a cell's ink takes at most, the box's
// room around the text, and the distance from one line to the next.
constexpr int32_t capitalRows = 7;
constexpr int32_t inkColumns = 8;
constexpr int32_t boxMargin = 6;
int32_t lineStep(const Font& font) { return letterRows(font) + 8; }

} // namespace

int32_t OverlayText::width(const Font& font, std::string_view text) {
    int32_t w = 0;
    while (!text.empty()) {
        const Glyph g = next(text);
        w += Font::cellOf(g.base) >= 0 || drawnByHand(g.base) ? font.advance() : spaceOf(font);
    }
    return w;
}

void OverlayText::draw(VideoSurface* target, const Rect& clip, Font& font, int32_t x, int32_t y,
                       std::string_view text) {
    const int32_t h = letterRows(font);
    while (!text.empty()) {
        const Glyph g = next(text);
        if (drawnByHand(g.base)) {
            drawByHand(target, clip, x, y, g.base);
        } else if (font.drawChar(target, clip, x, y, g.base)) {
            if (g.dots) {
                const int32_t raise = g.base >= 'a' ? h * 3 / 5 : h * 4 / 5;
                font.drawChar(target, clip, x - 3, y - raise, '.');
                font.drawChar(target, clip, x + 2, y - raise, '.');
            }
        } else {
            x += spaceOf(font);
            continue;
        }
        x += font.advance();
    }
}

int32_t OverlayText::boxHeight(const Font& font, int32_t lines) {
    return 2 * boxMargin + (lines - 1) * lineStep(font) + capitalRows + 1;
}

void OverlayText::drawBox(VideoSurface* target, const Rect& clip, Font& font, int32_t top,
                          const std::vector<std::string_view>& lines) {
    if (!target || lines.empty()) return;
    // A line's ink ends inside its last cell, before the pen's advance does.
    const auto inkWidth = [&](std::string_view line) { return width(font, line) - font.advance() + inkColumns; };
    int32_t widest = 0;
    for (std::string_view line : lines) widest = std::max(widest, inkWidth(line));
    const int32_t centre = (clip.left + clip.right) / 2;
    Rect box{centre - widest / 2 - boxMargin - 2, top, centre - widest / 2 + widest + boxMargin + 2,
             top + boxHeight(font, static_cast<int32_t>(lines.size()))};
    // Inside the clip and the surface, which a fill does not reach past.
    box =
        Rect{std::max({box.left, clip.left, 0}), std::max({box.top, clip.top, 0}),
             std::min({box.right, clip.right, target->width()}), std::min({box.bottom, clip.bottom, target->height()})};
    if (box.right > box.left && box.bottom > box.top) target->fill(&box, 0);
    int32_t y = top + boxMargin;
    for (std::string_view line : lines) {
        draw(target, clip, font, centre - inkWidth(line) / 2, y, line);
        y += lineStep(font);
    }
}

} // namespace vandrel
