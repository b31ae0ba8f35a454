// The harbour's title, table and farewell pictures: the play layers seen from
// three places along the quay, with lettering and a few figures.
#include "Harbour.h"

#include "Glyphs.h"
#include "Landscape.h"
#include "Screens.h"

#include <algorithm>
#include <cmath>

namespace vandrel::gallerygen {

using namespace assetgen;

namespace {

// The picture is twice the screen's width; the game shows the left half and
// the right half mirrors it, so a scroll past the edge shows no seam.
Canvas panorama(const std::vector<Canvas>& layers, int scroll) {
    const Canvas view = composeLandscape(layers, scroll, 640, 480);
    Canvas out(1280, 480, rgb(0, 0, 0));
    out.draw(view, 0, 0);
    out.draw(view.mirrored(), 640, 0);
    return out;
}

const Sprite& find(const std::vector<Sprite>& all, const std::string& name) {
    for (const Sprite& s : all)
        if (s.name == name) return s;
    return all.front();
}

// A frame placed with its hotspot at (x, y) and its hard edge, as the game
// draws it.
void place(Canvas& c, const std::vector<Sprite>& all, const std::string& name, int frame, int x, int y) {
    const Sprite& s = find(all, name);
    const Canvas& f = s.frames[size_t(frame) % s.frames.size()];
    Canvas hard = f;
    for (int yy = 0; yy < f.height(); ++yy)
        for (int xx = 0; xx < f.width(); ++xx)
            hard.set(xx, yy, f.colour(xx, yy), f.alpha(xx, yy) >= 0.5f ? 1.0f : 0.0f);
    c.draw(hard, x - s.hotspotX, y - s.hotspotY);
}

void lettering(Canvas& c, GlyphRenderer& glyphs, const std::string& text, float size, float baseline,
               const TextStyle& style) {
    const float w = glyphs.textWidth(text, size, 1.5f);
    const Coverage cover = glyphs.text(text, size, 1280, 480, 320.0f - w / 2.0f, baseline, 1.5f);
    paintText(c, cover, style, baseline - size * 0.75f, baseline);
}

void veil(Canvas& c, float cy, float ry, float strength) {
    for (int y = std::max(0, int(cy - ry * 2)); y < std::min(480, int(cy + ry * 2)); ++y) {
        for (int x = 0; x < 640; ++x) {
            const float dx = (float(x) - 320.0f) / 300.0f, dy = (float(y) - cy) / ry;
            c.blend(x, y, rgb(4, 8, 20), std::exp(-(dx * dx * dx * dx + dy * dy)) * strength);
        }
    }
}

} // namespace

HarbourScreens paintHarbourScreens(const std::vector<Canvas>& layers, const std::vector<Sprite>& sprites) {
    GlyphRenderer glyphs;
    HarbourScreens s;

    s.title = panorama(layers, 420);
    place(s.title, sprites, "gull", 1, 110, 90);
    place(s.title, sprites, "gull-far", 3, 520, 70);
    place(s.title, sprites, "lantern", 2, 560, 120);
    place(s.title, sprites, "lantern", 0, 84, 250);
    place(s.title, sprites, "bat", 1, 470, 330);
    place(s.title, sprites, "tug", 1, 200, 350);
    place(s.title, sprites, "rowboat", 2, 470, 430);
    veil(s.title, 200, 70, 0.55f);
    TextStyle big;
    big.top = rgb(250, 248, 236);
    big.bottom = rgb(255, 184, 84);
    big.ink = rgb(8, 12, 30);
    big.outline = 4.0f;
    big.shadowX = 5;
    big.shadowY = 6;
    lettering(s.title, glyphs, "Vandrel", 120.0f, 236.0f, big);
    TextStyle sub;
    sub.top = rgb(226, 240, 255);
    sub.bottom = rgb(150, 200, 240);
    sub.ink = rgb(6, 10, 28);
    lettering(s.title, glyphs, "Hafen bei Nacht", 30.0f, 280.0f, sub);

    s.highscore = panorama(layers, 1500);
    nightfall(s.highscore, 0.45f);
    for (int y = 60; y < 476; ++y)
        for (int x = 18; x < 622; ++x) s.highscore.blend(x, y, rgb(4, 10, 24), 0.7f);
    for (int i = 0; i < 10; ++i) {
        const float y = 80.0f + 38.0f * float(i);
        if (i % 2 == 0) s.highscore.fillRect(26, y - 2, 614, y + 36, rgb(80, 130, 170), 0.1f);
    }
    s.highscore.fillRect(26, 62, 614, 64, rgb(255, 196, 104), 0.8f);
    s.highscore.fillRect(26, 472, 614, 474, rgb(255, 196, 104), 0.8f);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 1280; ++x) s.highscore.blend(x, y, rgb(4, 8, 22), 0.45f * (1.0f - float(y) / 60.0f));

    s.end = panorama(layers, 2600);
    nightfall(s.end, 0.6f);
    veil(s.end, 196, 50, 0.5f);
    TextStyle farewell;
    farewell.top = rgb(240, 244, 255);
    farewell.bottom = rgb(160, 196, 255);
    farewell.ink = rgb(4, 8, 26);
    farewell.outline = 2.5f;
    farewell.shadowX = 3;
    farewell.shadowY = 3;
    lettering(s.end, glyphs, "Gute Nacht, Hafen!", 40.0f, 210.0f, farewell);
    // A calm band at the bottom for the scrolling credits.
    for (int y = 420; y < 480; ++y) {
        const float k = std::clamp((float(y) - 420.0f) / 20.0f, 0.0f, 1.0f);
        for (int x = 0; x < 1280; ++x) s.end.blend(x, y, rgb(4, 8, 20), k * 0.9f);
    }
    return s;
}

} // namespace vandrel::gallerygen
