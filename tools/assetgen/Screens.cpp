// The screen pictures reuse the play layers, so the title, the table and the
// farewell look like the same canyon at sunset, at dusk and at night.
#include "Screens.h"

#include "Glyphs.h"
#include "Landscape.h"
#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace vandrel::assetgen {

namespace {
const Animation& find(const std::vector<Animation>& all, int32_t id) {
    for (const Animation& a : all) {
        if (a.id == id) return a;
    }
    return all.front();
}

void place(Canvas& c, const std::vector<Animation>& all, int32_t id, int frame, int x, int y) {
    const Canvas& f = find(all, id).frames[size_t(frame) % find(all, id).frames.size()];
    // Sprites go in with their 1-bit edge, as the game would show them.
    Canvas hard = f;
    for (int yy = 0; yy < hard.height(); ++yy) {
        for (int xx = 0; xx < hard.width(); ++xx)
            hard.set(xx, yy, f.colour(xx, yy), f.alpha(xx, yy) >= 0.5f ? 1.0f : 0.0f);
    }
    c.draw(hard, x - f.width() / 2, y - f.height() / 2);
}

// Darkens a rounded rectangle behind text so it stays legible on any scenery.
void panel(Canvas& c, float x0, float y0, float x1, float y1, float radius, Rgb tint, float opacity) {
    std::vector<Vec2> pts;
    const float corners[4][3] = {{x1 - radius, y0 + radius, -1.5708f},
                                 {x1 - radius, y1 - radius, 0.0f},
                                 {x0 + radius, y1 - radius, 1.5708f},
                                 {x0 + radius, y0 + radius, 3.14159f}};
    for (const auto& k : corners) {
        for (int i = 0; i <= 8; ++i) {
            float a = k[2] + 1.5708f * float(i) / 8.0f;
            pts.push_back({k[0] + std::cos(a) * radius, k[1] + std::sin(a) * radius});
        }
    }
    c.fillPolygon(pts, tint, opacity);
}

// The screen pictures are twice the screen's width; the part the game shows
// is the left half, and the right half continues it as a mirror image, so the
// join has no seam.
Canvas panorama(const std::vector<Canvas>& layers, int scroll) {
    Canvas view = composeLandscape(layers, scroll, 640, 480);
    Canvas out(1280, 480, rgb(0, 0, 0));
    out.draw(view, 0, 0);
    out.draw(view.mirrored(), 640, 0);
    return out;
}
} // namespace

Canvas composeLandscape(const std::vector<Canvas>& layers, int scroll, int width, int height) {
    Canvas out(width, height, rgb(0, 0, 0));
    int widest = 0;
    for (const Canvas& l : layers) widest = std::max(widest, l.width());
    for (const Canvas& l : layers) {
        float f = widest > 640 ? float(l.width() - 640) / float(widest - 640) : 1.0f;
        int offset = int(float(scroll) * f);
        for (int y = 0; y < std::min(height, l.height()); ++y) {
            for (int x = 0; x < width; ++x) {
                int sx = x + offset;
                if (sx < 0 || sx >= l.width()) continue;
                if (l.alpha(sx, y) >= 0.5f) out.set(x, y, l.colour(sx, y));
            }
        }
    }
    return out;
}

Canvas paintTitleScreen(const ScreenParts& parts, GlyphRenderer& glyphs) {
    Canvas c = panorama(*parts.layers, 0);
    const auto& anims = *parts.animations;
    place(c, anims, 29, 2, 70, 80);
    place(c, anims, 29, 5, 1010, 150);
    place(c, anims, 31, 1, 540, 282);
    place(c, anims, 4, 3, 470, 118);
    place(c, anims, 6, 7, 520, 96);
    place(c, anims, 6, 2, 548, 112);
    place(c, anims, 32, 1, 206, 330);
    place(c, anims, 33, 3, 770, 250);
    place(c, anims, 5, 6, 880, 210);

    // A soft dark veil behind the name.
    for (int y = 120; y < 300; ++y) {
        for (int x = 0; x < 640; ++x) {
            float dx = (float(x) - 320.0f) / 300.0f, dy = (float(y) - 206.0f) / 70.0f;
            float k = std::exp(-(dx * dx * dx * dx + dy * dy)) * 0.45f;
            c.blend(x, y, rgb(30, 12, 40), k);
        }
    }
    const std::string name = "Vandrel";
    float size = 124.0f;
    float wName = glyphs.textWidth(name, size, 2.0f);
    Coverage cover = glyphs.text(name, size, 1280, 480, 320.0f - wName / 2.0f, 240.0f, 2.0f);
    TextStyle style;
    style.top = rgb(255, 250, 214);
    style.bottom = rgb(244, 120, 40);
    style.ink = rgb(46, 14, 30);
    style.outline = 4.0f;
    style.shadowX = 5;
    style.shadowY = 6;
    paintText(c, cover, style, 150.0f, 240.0f);

    const std::string line = "Jagd über dem Canyon";
    float wLine = glyphs.textWidth(line, 26.0f, 1.0f);
    Coverage sub = glyphs.text(line, 26.0f, 1280, 480, 320.0f - wLine / 2.0f, 282.0f, 1.0f);
    TextStyle small;
    small.top = rgb(255, 236, 200);
    small.bottom = rgb(255, 206, 140);
    small.ink = rgb(40, 16, 32);
    small.outline = 2.0f;
    paintText(c, sub, small, 262.0f, 282.0f);
    return c;
}

Canvas paintHighscoreScreen(const ScreenParts& parts, GlyphRenderer&) {
    Canvas c = panorama(*parts.layers, 1500);
    nightfall(c, 0.55f);
    starField(c, 140, 200, 77);
    place(c, *parts.animations, 29, 3, 1100, 180);
    // The table's panel and the faint stripes that carry its ten rows.
    panel(c, 22, 66, 618, 470, 14, rgb(14, 8, 30), 0.72f);
    for (int i = 0; i < 10; ++i) {
        float y = 80.0f + 38.0f * float(i);
        if (i % 2 == 0) c.fillRect(30, y - 2, 610, y + 36, rgb(110, 90, 170), 0.09f);
    }
    c.fillRect(30, 64, 610, 66, rgb(255, 190, 110), 0.7f);
    c.fillRect(30, 470, 610, 472, rgb(255, 190, 110), 0.7f);
    // The heading band at the top stays dim and even.
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 1280; ++x) c.blend(x, y, rgb(14, 10, 30), 0.35f * (1.0f - float(y) / 60.0f));
    }
    return c;
}

Canvas paintClosingScreen(const ScreenParts& parts, GlyphRenderer& glyphs) {
    Canvas c = panorama(*parts.layers, 2200);
    nightfall(c, 0.82f);
    starField(c, 260, 300, 99);
    // The moon over the canyon.
    c.glow(470, 96, 60, rgb(120, 140, 200), 0.35f);
    c.fillCircle(470, 96, 26, rgb(236, 236, 214));
    c.fillCircle(462, 104, 5, rgb(200, 200, 186), 0.6f);
    c.fillCircle(478, 84, 3.5f, rgb(200, 200, 186), 0.6f);

    const std::string text = "Bis zum nächsten Abend!";
    float size = 40.0f;
    float w = glyphs.textWidth(text, size, 1.0f);
    Coverage cover = glyphs.text(text, size, 1280, 480, 320.0f - w / 2.0f, 210.0f, 1.0f);
    TextStyle style;
    style.top = rgb(240, 240, 255);
    style.bottom = rgb(170, 190, 255);
    style.ink = rgb(10, 10, 30);
    style.outline = 2.5f;
    style.shadowX = 3;
    style.shadowY = 3;
    paintText(c, cover, style, 180.0f, 210.0f);

    // A calm band at the bottom for the scrolling credits.
    for (int y = 420; y < 480; ++y) {
        float k = std::clamp((float(y) - 420.0f) / 20.0f, 0.0f, 1.0f);
        Rgb band = mix(rgb(16, 14, 34), rgb(8, 8, 20), std::clamp((float(y) - 440.0f) / 40.0f, 0.0f, 1.0f));
        for (int x = 0; x < 1280; ++x) c.blend(x, y, band, k);
    }
    return c;
}

} // namespace vandrel::assetgen
