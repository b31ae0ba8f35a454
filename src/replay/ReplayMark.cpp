// A five by seven font of the few capitals the mark needs, drawn by filling.
#include "replay/ReplayMark.h"

#include "base/Rect.h"
#include "video/VideoSurface.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace vandrel {
namespace {

struct Glyph {
    char letter;
    std::array<uint8_t, 7> rows; // five bits each, the leftmost the highest
};

constexpr Glyph glyphs[] = {
    {'A', {0x0e, 0x11, 0x11, 0x1f, 0x11, 0x11, 0x11}}, {'B', {0x1e, 0x11, 0x11, 0x1e, 0x11, 0x11, 0x1e}},
    {'D', {0x1e, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1e}}, {'E', {0x1f, 0x10, 0x10, 0x1e, 0x10, 0x10, 0x1f}},
    {'G', {0x0e, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0f}}, {'I', {0x0e, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0e}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1f}}, {'P', {0x1e, 0x11, 0x11, 0x1e, 0x10, 0x10, 0x10}},
    {'R', {0x1e, 0x11, 0x11, 0x1e, 0x14, 0x12, 0x11}}, {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0a}},
    {'Y', {0x11, 0x11, 0x0a, 0x04, 0x04, 0x04, 0x04}}, {'/', {0x01, 0x02, 0x02, 0x04, 0x08, 0x08, 0x10}},
};

constexpr std::string_view markText = "WIEDERGABE / REPLAY";
constexpr int32_t dot = 2;     // pixels per font dot
constexpr int32_t advance = 6; // dots from one letter to the next
constexpr int32_t margin = 4;  // pixels of box around the text

const Glyph* glyphOf(char c) {
    for (const Glyph& g : glyphs)
        if (g.letter == c) return &g;
    return nullptr;
}

} // namespace

void drawReplayMark(VideoSurface& frame) {
    const int32_t textWidth = static_cast<int32_t>(markText.size()) * advance * dot - dot;
    const Rect box{margin, margin, margin + textWidth + 2 * margin, margin + 7 * dot + 2 * margin};
    if (box.right > frame.width() || box.bottom > frame.height()) return;
    const PixelFormat& f = frame.format();
    const uint32_t white = f.redMask | f.greenMask | f.blueMask;
    // Failures only mean a frame without its mark.
    (void)frame.fill(&box, 0);
    int32_t x = box.left + margin;
    for (char c : markText) {
        if (const Glyph* g = glyphOf(c)) {
            for (int32_t row = 0; row < 7; ++row)
                for (int32_t col = 0; col < 5; ++col)
                    if (g->rows[static_cast<size_t>(row)] & (0x10 >> col)) {
                        const Rect px{x + col * dot, box.top + margin + row * dot, x + (col + 1) * dot,
                                      box.top + margin + (row + 1) * dot};
                        (void)frame.fill(&px, white);
                    }
        }
        x += advance * dot;
    }
}

} // namespace vandrel
