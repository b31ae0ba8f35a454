// Text from DejaVu Sans Bold through FreeType: the two font sheets of the game
// and lettering painted into the screen pictures, with outline and shadow.
#pragma once
#include "Canvas.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vandrel::assetgen {

extern const char* const sansFontPath; // DejaVu Sans Bold, for the screens' lettering
extern const char* const monoFontPath; // DejaVu Sans Mono Bold, for the glyph sheets

// A grey coverage map, 0..1 per pixel.
struct Coverage {
    int width = 0, height = 0;
    std::vector<float> value;
    float at(int x, int y) const {
        return (x < 0 || y < 0 || x >= width || y >= height) ? 0.0f : value[size_t(y) * size_t(width) + size_t(x)];
    }
};

struct TextStyle {
    Rgb top = rgb(255, 246, 220);   // fill at the top of the letters
    Rgb bottom = rgb(255, 178, 64); // fill at the baseline
    Rgb ink = rgb(36, 16, 24);      // outline and shadow
    float outline = 2.0f;           // outline radius in pixels
    int shadowX = 2, shadowY = 2;
};

class GlyphRenderer {
public:
    explicit GlyphRenderer(const char* fontPath = sansFontPath);
    ~GlyphRenderer();
    GlyphRenderer(const GlyphRenderer&) = delete;
    GlyphRenderer& operator=(const GlyphRenderer&) = delete;

    // Coverage of one character rendered at pixelSize, squeezed horizontally by
    // squeeze (1 = natural width); left/top place it relative to the pen and baseline.
    Coverage glyph(uint32_t ch, float pixelSize, float squeeze, int& left, int& top, float& advance);
    // A line of UTF-8 text laid out on a canvas-sized coverage map.
    Coverage text(const std::string& utf8, float pixelSize, int width, int height, float penX, float baseline,
                  float tracking = 0.0f);
    float textWidth(const std::string& utf8, float pixelSize, float tracking = 0.0f);
    // Crisp glyphs from here on: their heights hinted to the pixel grid, for
    // lettering only a few pixels high (off by default).
    void setCrisp(bool on);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Paints coverage onto a canvas with fill gradient between yTop and yBottom,
// an outline and a drop shadow.
void paintText(Canvas& canvas, const Coverage& cover, const TextStyle& style, float yTop, float yBottom);

// The font sheets in the game's cell order, drawn from the monospaced face:
// every letter and digit fills the same columns of its cell, so texts at the
// fixed pen advance space evenly. The small sheet's glyphs keep to the cells'
// top ten rows, where the closing screen's wave leaves them on the screen.
Canvas largeFontSheet(GlyphRenderer& mono);
Canvas smallFontSheet(GlyphRenderer& mono);
// The character of sheet cell k (a space past the last).
char fontCellChar(int k);

} // namespace vandrel::assetgen
