// Glyph rendering with FreeType; the sheets put every glyph on one baseline,
// each letter and digit scaled across to one visible width and moved to one
// first column, the marks in the middle of that box.
#include "Glyphs.h"

#include "gfx/FontCells.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ft2build.h>
#include <utility>
#include FT_FREETYPE_H
#include <stdexcept>

namespace vandrel::assetgen {

const char* const sansFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const monoFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

struct GlyphRenderer::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool crisp = false;
};

GlyphRenderer::GlyphRenderer(const char* fontPath) : impl_(std::make_unique<Impl>()) {
    if (FT_Init_FreeType(&impl_->library) != 0) throw std::runtime_error("FreeType did not start");
    if (FT_New_Face(impl_->library, fontPath, 0, &impl_->face) != 0) {
        FT_Done_FreeType(impl_->library);
        throw std::runtime_error(std::string("cannot open font ") + fontPath);
    }
}

GlyphRenderer::~GlyphRenderer() {
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->library);
}

void GlyphRenderer::setCrisp(bool on) { impl_->crisp = on; }

Coverage GlyphRenderer::glyph(uint32_t ch, float pixelSize, float squeeze, int& left, int& top, float& advance) {
    FT_Face face = impl_->face;
    FT_Set_Char_Size(face, 0, FT_F26Dot6(pixelSize * 64.0f + 0.5f), 72, 72);
    FT_Matrix m{FT_Fixed(squeeze * 65536.0f), 0, 0, 0x10000};
    FT_Set_Transform(face, &m, nullptr);
    Coverage out;
    const FT_Int32 flags = impl_->crisp ? FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT : FT_LOAD_RENDER | FT_LOAD_NO_HINTING;
    if (FT_Load_Char(face, ch, flags) != 0) {
        left = top = 0;
        advance = 0;
        return out;
    }
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    out.width = int(bm.width);
    out.height = int(bm.rows);
    out.value.resize(size_t(out.width) * size_t(out.height));
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            out.value[size_t(y) * size_t(out.width) + size_t(x)] = bm.buffer[y * bm.pitch + x] / 255.0f;
        }
    }
    left = slot->bitmap_left;
    top = slot->bitmap_top;
    advance = float(slot->advance.x) / 64.0f;
    return out;
}

namespace {
std::vector<uint32_t> decodeUtf8(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        uint8_t c = uint8_t(s[i]);
        uint32_t cp = c;
        int extra = 0;
        if (c >= 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        }
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (uint8_t(s[i]) & 0x3F);
        out.push_back(cp);
    }
    return out;
}
} // namespace

float GlyphRenderer::textWidth(const std::string& utf8, float pixelSize, float tracking) {
    float pen = 0;
    for (uint32_t cp : decodeUtf8(utf8)) {
        int l, t;
        float adv;
        glyph(cp, pixelSize, 1.0f, l, t, adv);
        pen += adv + tracking;
    }
    return pen - tracking;
}

Coverage GlyphRenderer::text(const std::string& utf8, float pixelSize, int width, int height, float penX,
                             float baseline, float tracking) {
    Coverage out;
    out.width = width;
    out.height = height;
    out.value.assign(size_t(width) * size_t(height), 0.0f);
    float pen = penX;
    for (uint32_t cp : decodeUtf8(utf8)) {
        int l, t;
        float adv;
        Coverage g = glyph(cp, pixelSize, 1.0f, l, t, adv);
        int ox = int(std::lround(pen)) + l, oy = int(std::lround(baseline)) - t;
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) {
                int dx = ox + x, dy = oy + y;
                if (dx < 0 || dy < 0 || dx >= width || dy >= height) continue;
                float& v = out.value[size_t(dy) * size_t(width) + size_t(dx)];
                v = std::max(v, g.at(x, y));
            }
        }
        pen += adv + tracking;
    }
    return out;
}

namespace {
// Coverage grown by a disc of the given radius (the outline's extent).
Coverage dilate(const Coverage& c, float radius) {
    Coverage out = c;
    int r = int(std::ceil(radius));
    // Only the neighbourhood of the ink needs work.
    int x0 = c.width, y0 = c.height, x1 = -1, y1 = -1;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            if (c.at(x, y) <= 0) continue;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
    }
    for (int y = std::max(0, y0 - r); y <= std::min(c.height - 1, y1 + r); ++y) {
        for (int x = std::max(0, x0 - r); x <= std::min(c.width - 1, x1 + r); ++x) {
            float best = 0;
            for (int j = -r; j <= r; ++j) {
                for (int i = -r; i <= r; ++i) {
                    float d = std::sqrt(float(i * i + j * j));
                    float k = std::clamp(radius + 0.5f - d, 0.0f, 1.0f);
                    if (k <= 0) continue;
                    best = std::max(best, c.at(x + i, y + j) * k);
                }
            }
            out.value[size_t(y) * size_t(c.width) + size_t(x)] = best;
        }
    }
    return out;
}
} // namespace

void paintText(Canvas& canvas, const Coverage& cover, const TextStyle& style, float yTop, float yBottom) {
    Coverage outer = style.outline > 0 ? dilate(cover, style.outline) : cover;
    for (int y = 0; y < cover.height; ++y) { // shadow first, under everything
        for (int x = 0; x < cover.width; ++x) {
            float a = outer.at(x - style.shadowX, y - style.shadowY);
            if (a > 0) canvas.blend(x, y, style.ink, a * 0.85f);
        }
    }
    for (int y = 0; y < cover.height; ++y) {
        float t = std::clamp((float(y) - yTop) / std::max(1.0f, yBottom - yTop), 0.0f, 1.0f);
        Rgb fillColour = mix(style.top, style.bottom, t);
        for (int x = 0; x < cover.width; ++x) {
            float o = outer.at(x, y);
            if (o > 0) canvas.blend(x, y, style.ink, o);
            float f = cover.at(x, y);
            if (f > 0) canvas.blend(x, y, fillColour, f);
        }
    }
}

char fontCellChar(int k) { return fontCells::charOf(k); }

namespace {
struct SheetLayout {
    int width, height, originX, originY, cellW, cellH, gap, rows;
    float pixelSize;
    int baseline; // within the cell
    int inkLeft;  // the first visible column of every letter and digit in its cell
    int inkWidth; // the visible columns of every letter and digit, outline and shadow included
    TextStyle style;
};

bool evenlySpaced(char ch) { return std::isalnum(static_cast<unsigned char>(ch)) != 0; }

// The glyph painted with outline and shadow into a canvas of the cell's
// height, its bitmap's left edge at column ox.
Canvas paintGlyph(GlyphRenderer& glyphs, const SheetLayout& s, char ch, float squeeze, int ox, int canvasW) {
    int left, top;
    float adv;
    Coverage g = glyphs.glyph(uint8_t(ch), s.pixelSize, squeeze, left, top, adv);
    Coverage cell;
    cell.width = canvasW;
    cell.height = s.cellH;
    cell.value.assign(size_t(canvasW) * size_t(s.cellH), 0.0f);
    int oy = ch == '|' ? (s.cellH - g.height) / 2 : s.baseline - top;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) {
            int dx = ox + x, dy = oy + y;
            if (dx < 0 || dy < 0 || dx >= canvasW || dy >= s.cellH) continue;
            cell.value[size_t(dy) * size_t(canvasW) + size_t(dx)] = g.at(x, y);
        }
    }
    Canvas art(canvasW, s.cellH);
    float capTop = float(s.baseline) - s.pixelSize * 0.73f;
    paintText(art, cell, s.style, capTop, float(s.baseline));
    return art;
}

// First and last column that the game shows (the mask's opaque pixels).
std::pair<int, int> visibleColumns(const Canvas& c) {
    int first = c.width(), last = -1;
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            if (c.alpha(x, y) < 0.5f) continue;
            first = std::min(first, x);
            last = std::max(last, x);
        }
    }
    return {first, last};
}

struct Fit {
    float squeeze;
    int ox; // bitmap column within the cell
};

// Letters and digits are scaled across to one visible width and moved to one
// first column, so the gap between any two of them at the font's fixed pen
// advance is the same and every name starts at the same column. Marks keep
// the letters' average scale and sit in the middle of the same box.
Fit fitGlyph(GlyphRenderer& glyphs, const SheetLayout& s, char ch, float markSqueeze) {
    const int scratchW = s.cellW * 3, scratchX = s.cellW;
    auto width = [&](float q) {
        auto [first, last] = visibleColumns(paintGlyph(glyphs, s, ch, q, scratchX, scratchW));
        return last - first + 1;
    };
    float squeeze = markSqueeze;
    if (evenlySpaced(ch)) {
        float lo = 0.2f, hi = 3.0f; // the smallest squeeze that reaches the width
        for (int i = 0; i < 24; ++i) {
            float mid = 0.5f * (lo + hi);
            (width(mid) >= s.inkWidth ? hi : lo) = mid;
        }
        squeeze = hi;
    }
    auto [first, last] = visibleColumns(paintGlyph(glyphs, s, ch, squeeze, scratchX, scratchW));
    int target = evenlySpaced(ch) ? s.inkLeft : s.inkLeft + (s.inkWidth - (last - first + 1)) / 2;
    return {squeeze, scratchX + target - first};
}

Canvas fontSheet(GlyphRenderer& glyphs, const SheetLayout& s) {
    Canvas sheet(s.width, s.height);
    const int cells = s.rows * fontCells::perRow;
    std::vector<Fit> fits(size_t(cells), Fit{1.0f, 0});
    float sum = 0;
    int letters = 0;
    for (int k = 0; k < cells; ++k) {
        char ch = fontCellChar(k);
        if (!evenlySpaced(ch)) continue;
        fits[size_t(k)] = fitGlyph(glyphs, s, ch, 1.0f);
        sum += fits[size_t(k)].squeeze;
        ++letters;
    }
    for (int k = 0; k < cells; ++k) {
        char ch = fontCellChar(k);
        if (!evenlySpaced(ch)) fits[size_t(k)] = fitGlyph(glyphs, s, ch, sum / float(std::max(1, letters)));
        int cellX = s.originX + (k % fontCells::perRow) * (s.cellW + s.gap);
        int cellY = s.originY + (k / fontCells::perRow) * (s.cellH + s.gap);
        sheet.draw(paintGlyph(glyphs, s, ch, fits[size_t(k)].squeeze, fits[size_t(k)].ox, s.cellW), cellX, cellY);
    }
    return sheet;
}
} // namespace

Canvas largeFontSheet(GlyphRenderer& glyphs) {
    constexpr fontCells::CellLayout c = fontCells::largeFont;
    SheetLayout s{327, 236, c.origin, c.origin, c.cellWidth, c.cellHeight, c.gap, 6, 27.0f, 27, 2, 15, TextStyle{}};
    s.style.outline = 1.6f;
    s.style.shadowX = 2;
    s.style.shadowY = 2;
    return fontSheet(glyphs, s);
}

Canvas smallFontSheet(GlyphRenderer& glyphs) {
    constexpr fontCells::CellLayout c = fontCells::smallFont;
    SheetLayout s{208, 130, c.origin, c.origin, c.cellWidth, c.cellHeight, c.gap, 5, 8.5f, 7, 2, 8, TextStyle{}};
    s.style.top = rgb(255, 255, 255);
    s.style.bottom = rgb(200, 226, 255);
    s.style.ink = rgb(20, 18, 40);
    s.style.outline = 0.0f;
    s.style.shadowX = 1;
    s.style.shadowY = 1;
    glyphs.setCrisp(true);
    Canvas sheet = fontSheet(glyphs, s);
    glyphs.setCrisp(false);
    return sheet;
}

} // namespace vandrel::assetgen
