// The four layers of the harbour at night. The sky and the outer water are
// opaque; the far shore stands on the horizon; the inner basin's water covers
// the lower part of the screen in front of it, with the cranes and the
// freighter at its far side; the quay, its lamps and a moored mast are in
// front of everything. Lights are mirrored in the water below them as broken
// streaks, since the water moves.
#include "Harbour.h"

#include "Landscape.h"
#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace vandrel::gallerygen {

using namespace assetgen;

namespace {

constexpr float pi = 3.14159265358979f;
constexpr int horizon = 300;  // where the outer water meets the sky
constexpr int basinTop = 352; // the inner basin's far edge (layer 2)
constexpr int quayTop = 440;  // the front quay's edge (layer 3)
const Rgb lampGold = rgb(255, 196, 104);
const Rgb lampWhite = rgb(255, 244, 214);
const Rgb signalRed = rgb(255, 64, 48);

// The broken mirror image of a light on water: short wavy dashes below it,
// thinner and fainter the farther down they are.
void reflection(Canvas& c, float x, float waterY, float length, Rgb colour, float strength, uint32_t seed) {
    Rng rng(seed);
    for (float y = waterY + 2; y < waterY + length; y += rng.range(2.5f, 5.0f)) {
        const float t = (y - waterY) / length;
        const float half = rng.range(1.5f, 5.0f) * (1.0f + t * 1.5f);
        const float shift = std::sin(y * 0.7f + float(seed)) * 2.5f * t + rng.range(-1.5f, 1.5f) * t;
        if (rng.uniform() < 0.25f + 0.4f * t) continue; // the swell breaks the image up
        c.fillRect(x - half + shift, y, x + half + shift, y + 1.2f, colour,
                   strength * (1.0f - t) * rng.range(0.5f, 1.0f));
    }
}

// A light with its halo: the core is opaque, so it keeps on a masked layer.
void lamp(Canvas& c, float x, float y, float r, Rgb colour) {
    c.glow(x, y, r * 2.5f, colour, 0.55f);
    c.fillCircle(x, y, r, mix(colour, rgb(255, 255, 255), 0.5f));
}

// A lattice girder between two points: two rails and zigzag struts.
void girder(Canvas& c, Vec2 a, Vec2 b, float depth, float width, Rgb colour) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float len = std::sqrt(dx * dx + dy * dy);
    const float nx = -dy / len * depth * 0.5f, ny = dx / len * depth * 0.5f;
    c.line(a.x + nx, a.y + ny, b.x + nx, b.y + ny, width, colour);
    c.line(a.x - nx, a.y - ny, b.x - nx, b.y - ny, width, colour);
    const int bays = std::max(2, int(len / (depth * 1.2f)));
    for (int i = 0; i < bays; ++i) {
        const float t0 = float(i) / float(bays), t1 = float(i + 1) / float(bays);
        const float s = (i % 2) ? 1.0f : -1.0f;
        c.line(a.x + dx * t0 + nx * s, a.y + dy * t0 + ny * s, a.x + dx * t1 - nx * s, a.y + dy * t1 - ny * s,
               width * 0.7f, colour);
    }
}

// A container crane: legs on the quay, a tall frame, and a boom reaching out
// over the water, with red lights on top and a work lamp under the boom.
void containerCrane(Canvas& c, float x, float baseY, float h, Rgb steel, std::vector<Vec2>& lights) {
    const float w = h * 0.42f;
    girder(c, {x, baseY}, {x + w * 0.1f, baseY - h * 0.78f}, 6, 2.2f, steel);
    girder(c, {x + w, baseY}, {x + w * 0.9f, baseY - h * 0.78f}, 6, 2.2f, steel);
    c.fillRect(x - 4, baseY - h * 0.78f, x + w + 4, baseY - h * 0.75f, steel);
    // The boom and its back stay.
    girder(c, {x - h * 0.55f, baseY - h * 0.72f}, {x + w + h * 0.35f, baseY - h * 0.72f}, 10, 2.0f, steel);
    c.line(x + w * 0.5f, baseY - h, x - h * 0.5f, baseY - h * 0.74f, 1.6f, steel);
    c.line(x + w * 0.5f, baseY - h, x + w + h * 0.3f, baseY - h * 0.74f, 1.6f, steel);
    c.line(x + w * 0.5f, baseY - h, x + w * 0.5f, baseY - h * 0.72f, 3.0f, steel);
    // The trolley and its hanging spreader.
    const float tx = x - h * 0.25f;
    c.fillRect(tx - 6, baseY - h * 0.72f, tx + 6, baseY - h * 0.66f, steel);
    c.line(tx, baseY - h * 0.66f, tx, baseY - h * 0.45f, 1.0f, steel);
    c.fillRect(tx - 12, baseY - h * 0.45f, tx + 12, baseY - h * 0.43f, steel);
    lights.push_back({x + w * 0.5f, baseY - h});
    lights.push_back({x - h * 0.55f, baseY - h * 0.72f});
    lamp(c, x + w * 0.5f, baseY - h - 2, 2.0f, signalRed);
    lamp(c, x - h * 0.55f, baseY - h * 0.72f, 1.6f, signalRed);
    lamp(c, tx, baseY - h * 0.63f, 2.2f, lampWhite);
}

// Lit windows in a rectangle of a building or a ship: a few on, most dark.
void windows(Canvas& c, float x0, float y0, float x1, float y1, float step, float share, uint32_t seed) {
    Rng rng(seed);
    for (float y = y0 + 3; y + 3 < y1; y += step) {
        for (float x = x0 + 3; x + 3 < x1; x += step * 0.8f) {
            if (rng.uniform() < share) {
                const Rgb colour = rng.uniform() < 0.7f ? lampGold : rgb(200, 220, 255);
                c.fillRect(x, y, x + step * 0.4f, y + step * 0.45f, colour, rng.range(0.6f, 1.0f));
            }
        }
    }
}

// Layer 0: the night sky with the moon and stars over the outer water.
Canvas paintSkyAndSea(int width, int height) {
    Canvas c(width, height, rgb(0, 0, 0));
    c.verticalGradient(0, horizon, rgb(4, 6, 22), rgb(40, 52, 86));
    starField(c, 260, horizon - 40, 4711);
    const float moonX = 930, moonY = 96;
    c.glow(moonX, moonY, 90, rgb(60, 80, 130), 0.5f);
    c.glow(moonX, moonY, 36, rgb(180, 190, 220), 0.5f);
    c.fillCircle(moonX, moonY, 28, rgb(240, 238, 220));
    c.fillCircle(moonX - 9, moonY + 6, 6, rgb(214, 212, 196), 0.7f);
    c.fillCircle(moonX + 8, moonY - 9, 4, rgb(214, 212, 196), 0.7f);
    c.fillCircle(moonX + 10, moonY + 11, 3, rgb(220, 218, 200), 0.6f);
    // Thin clouds, lit from the moon's side.
    for (int y = 40; y < horizon - 20; ++y) {
        for (int x = 0; x < width; ++x) {
            const float n = fbm2(float(x) * 0.004f, float(y) * 0.02f, 91, 4);
            const float k = std::clamp((n - 0.56f) * 3.0f, 0.0f, 1.0f) * 0.55f;
            if (k <= 0) continue;
            const float lit = std::exp(-std::abs(float(x) - moonX) / 260.0f);
            c.blend(x, y, mix(rgb(30, 36, 64), rgb(120, 130, 160), lit), k);
        }
    }
    // The water: darker towards the front, with ripples that catch the sky.
    for (int y = horizon; y < height; ++y) {
        const float t = float(y - horizon) / float(height - horizon);
        const Rgb base = mix(rgb(28, 40, 68), rgb(6, 10, 22), std::sqrt(t));
        for (int x = 0; x < width; ++x) {
            const float ripple = fbm2(float(x) * 0.02f / (1 + t * 3), float(y) * 0.35f, 17, 3);
            c.set(x, y, scale(base, 0.8f + ripple * 0.45f));
        }
    }
    // The moon's path on the water: glints that widen towards the front.
    Rng rng(27);
    for (int i = 0; i < 900; ++i) {
        const float y = rng.range(float(horizon) + 1, float(height));
        const float t = (y - float(horizon)) / float(height - horizon);
        const float spread = 18 + t * 120;
        const float x = moonX + (rng.uniform() + rng.uniform() - 1.0f) * spread;
        const float half = rng.range(1.0f, 3.5f) * (1 + t * 2);
        c.fillRect(x - half, y, x + half, y + 1, rgb(230, 230, 210), rng.range(0.3f, 0.9f) * (1.0f - t * 0.6f));
    }
    // The far shore's lights along the horizon.
    for (int i = 0; i < 120; ++i) {
        const float x = rng.range(0, float(width));
        const Rgb colour = rng.uniform() < 0.6f ? lampGold : lampWhite;
        c.fillRect(x, horizon - 2, x + 1.5f, horizon, colour, rng.range(0.4f, 1.0f));
        reflection(c, x + 0.7f, horizon, 14, colour, 0.35f, uint32_t(i) + 300);
    }
    return c;
}

// Layer 1: the far shore, the town, a lighthouse on its point and two far
// cranes, on a breakwater just above the horizon.
Canvas paintFarShore(int width, int height) {
    Canvas c(width, height);
    const Rgb hill = rgb(14, 18, 36), town = rgb(20, 24, 44);
    // Low hills behind the town.
    for (int x = 0; x < width; ++x) {
        const float top = 250 - 40 * fbm1(float(x) * 0.004f, 5, 4);
        c.fillRect(float(x), top, float(x + 1), float(horizon + 18), hill);
    }
    // The town: houses and a church tower, each with some lit windows.
    Rng rng(12);
    for (float x = 40; x < float(width) - 40;) {
        const float w = rng.range(18, 46), h = rng.range(14, 52);
        const float top = float(horizon) - h;
        c.fillRect(x, top, x + w, float(horizon + 18), town);
        if (rng.uniform() < 0.4f) c.fillPolygon({{x - 2, top}, {x + w / 2, top - w * 0.45f}, {x + w + 2, top}}, town);
        windows(c, x, top, x + w, float(horizon), 6, 0.3f, uint32_t(x));
        x += w + rng.range(0, 30);
        if (rng.uniform() < 0.08f) x += 120; // a gap of dark shore
    }
    // The church tower with its spire.
    c.fillRect(700, 198, 718, float(horizon), town);
    c.fillPolygon({{697, 198}, {709, 150}, {721, 198}}, town);
    lamp(c, 709, 215, 2.2f, lampGold);
    // The lighthouse on its point at the left.
    c.fillPolygon({{80, float(horizon + 4)}, {120, 268}, {190, 272}, {230, float(horizon + 4)}}, hill);
    c.fillPolygon({{142, 272}, {148, 190}, {164, 190}, {170, 272}}, rgb(200, 196, 190));
    for (int band = 0; band < 3; ++band) {
        const float y = 205 + 24 * float(band);
        c.fillRect(146 - band * 0.6f, y, 166 + band * 0.6f, y + 10, rgb(170, 40, 40));
    }
    c.fillRect(144, 178, 168, 190, rgb(30, 30, 40));
    c.glow(156, 184, 7, rgb(255, 230, 160), 0.7f);
    c.fillRect(147, 180, 165, 188, rgb(255, 248, 210));
    c.fillPolygon({{142, 178}, {156, 168}, {170, 178}}, rgb(30, 30, 40));
    // Two far cranes over the docks.
    std::vector<Vec2> lights;
    containerCrane(c, 1080, float(horizon + 4), 120, rgb(26, 30, 52), lights);
    containerCrane(c, 1300, float(horizon + 4), 104, rgb(26, 30, 52), lights);
    // The breakwater: a dark line with a lamp at each end.
    c.fillRect(0, float(horizon + 4), float(width), float(horizon + 18), rgb(10, 12, 24));
    for (int x = 0; x < width; x += 4)
        c.fillRect(float(x), float(horizon + 4), float(x + 2), float(horizon + 6), rgb(30, 34, 56));
    lamp(c, 330, float(horizon + 1), 2.0f, rgb(80, 255, 120));
    lamp(c, 1520, float(horizon + 1), 2.0f, signalRed);
    (void)height;
    return c;
}

// Layer 2: the inner basin: the freighter at the far quay, the big cranes
// over it, and the water in front reflecting their lights.
Canvas paintInnerBasin(int width, int height) {
    Canvas c(width, height);
    const Rgb steel = rgb(34, 40, 66), hull = rgb(24, 20, 34);
    std::vector<Vec2> lights;
    // The far quay: a low wall with stacked containers.
    c.fillRect(0, float(basinTop - 14), float(width), float(basinTop + 2), rgb(22, 24, 40));
    Rng rng(5);
    const Rgb boxColours[5] = {rgb(120, 40, 36), rgb(36, 70, 110), rgb(150, 110, 40), rgb(40, 90, 70),
                               rgb(90, 90, 100)};
    for (float x = 10; x < float(width);) {
        const int stack = 1 + (rng.uniform() < 0.3f ? 1 : 0);
        const float w = rng.uniform() < 0.5f ? 40.0f : 60.0f;
        for (int s = 0; s < stack; ++s) {
            const float y1 = float(basinTop - 14) - 16.0f * float(s), y0 = y1 - 16;
            const Rgb box = scale(boxColours[rng.below(5)], 0.55f);
            c.fillRect(x, y0, x + w, y1 - 1, box);
            for (float rx = x + 3; rx < x + w - 2; rx += 4) c.fillRect(rx, y0 + 2, rx + 1, y1 - 3, scale(box, 0.7f));
        }
        x += w + 2 + (rng.uniform() < 0.45f ? rng.range(80, 260) : 0.0f);
    }
    // The freighter: a long dark hull, its bridge aft, its masthead lights.
    const float shipX = 620, shipW = 620;
    c.fillPolygon({{shipX, float(basinTop - 40)},
                   {shipX + shipW, float(basinTop - 46)},
                   {shipX + shipW - 30, float(basinTop + 4)},
                   {shipX + 20, float(basinTop + 4)}},
                  hull);
    c.fillRect(shipX + 10, float(basinTop - 38), shipX + shipW - 20, float(basinTop - 34), rgb(110, 30, 30));
    for (int k = 0; k < 6; ++k) {
        const float x = shipX + 150 + 70 * float(k);
        c.fillRect(x, float(basinTop - 70), x + 60, float(basinTop - 40), scale(boxColours[k % 5], 0.5f));
    }
    c.fillRect(shipX + 30, float(basinTop - 118), shipX + 120, float(basinTop - 40), rgb(60, 62, 80));
    c.fillRect(shipX + 24, float(basinTop - 124), shipX + 126, float(basinTop - 116), rgb(44, 46, 62));
    windows(c, shipX + 30, float(basinTop - 114), shipX + 120, float(basinTop - 44), 8, 0.55f, 33);
    c.fillRect(shipX + 70, float(basinTop - 150), shipX + 80, float(basinTop - 124), rgb(70, 30, 30));
    c.line(shipX + 100, float(basinTop - 124), shipX + 100, float(basinTop - 170), 2.0f, steel);
    lamp(c, shipX + 100, float(basinTop - 172), 2.2f, lampWhite);
    lamp(c, shipX + shipW - 40, float(basinTop - 80), 2.0f, lampWhite);
    c.line(shipX + shipW - 40, float(basinTop - 46), shipX + shipW - 40, float(basinTop - 78), 1.6f, steel);
    lights.push_back({shipX + 100, float(basinTop - 60)});
    lights.push_back({shipX + shipW - 40, float(basinTop - 60)});
    // The big cranes along the quay.
    for (float x : {180.0f, 900.0f, 1130.0f, 1700.0f, 2020.0f})
        containerCrane(c, x, float(basinTop - 12), 250 + 30 * std::sin(x), steel, lights);
    // Quay lamps on short posts.
    for (float x = 60; x < float(width); x += 240) {
        c.line(x, float(basinTop - 14), x, float(basinTop - 40), 1.6f, steel);
        lamp(c, x, float(basinTop - 42), 2.4f, lampGold);
        lights.push_back({x, float(basinTop - 42)});
    }
    // The basin's water, opaque to the bottom.
    for (int y = basinTop; y < height; ++y) {
        const float t = float(y - basinTop) / float(height - basinTop);
        const Rgb base = mix(rgb(16, 24, 44), rgb(4, 8, 18), t);
        for (int x = 0; x < width; ++x) {
            const float ripple = fbm2(float(x) * 0.015f, float(y) * 0.3f, 23, 3);
            c.set(x, y, scale(base, 0.75f + ripple * 0.5f));
        }
    }
    // The dark shape of the ship and the quay mirrored just below the edge.
    for (int y = basinTop; y < basinTop + 24; ++y) {
        for (int x = int(shipX + 20); x < int(shipX + shipW - 30); ++x)
            c.blend(x, y, rgb(6, 6, 12), 0.5f * (1.0f - float(y - basinTop) / 24.0f));
    }
    uint32_t seed = 900;
    for (const Vec2& l : lights) {
        const Rgb colour = l.y < float(basinTop - 150) ? signalRed : lampGold;
        reflection(c, l.x, float(basinTop), std::min(110.0f, float(basinTop) - l.y + 30), colour, 0.7f, seed++);
    }
    return c;
}

// Layer 3: the quay in front: its stone edge, lamp posts, bollards with
// ropes, crates and barrels, a moored sailing boat's mast with its rigging,
// and a crane hook hanging from the top.
Canvas paintQuay(int width, int height) {
    Canvas c(width, height);
    const Rgb stone = rgb(46, 44, 54), dark = rgb(14, 12, 20), iron = rgb(24, 26, 34);
    // The quay wall: cobbles on top, big blocks down the face.
    c.fillRect(0, float(quayTop), float(width), float(height), stone);
    Rng rng(8);
    for (int row = 0; row < 3; ++row) {
        const float y0 = float(quayTop + 10 + row * 10);
        for (float x = float(row * 17 % 40) - 40; x < float(width); x += rng.range(30, 56)) {
            c.fillRect(x, y0, x + 1.5f, y0 + 10, dark);
            c.fillRect(x + 2, y0 + 1, x + 20, y0 + 2.5f, rgb(70, 66, 76), 0.6f);
        }
        c.fillRect(0, y0 - 0.5f, float(width), y0 + 1, dark);
    }
    c.fillRect(0, float(quayTop), float(width), float(quayTop + 4), rgb(84, 80, 88));
    // Lamp posts with their pools of light on the cobbles.
    for (float x = 210; x < float(width); x += 560) {
        c.fillRect(x - 5, float(quayTop - 10), x + 5, float(quayTop + 2), iron);
        c.line(x, float(quayTop - 8), x, 176, 4.0f, iron);
        c.line(x, 180, x + 22, 166, 3.0f, iron);
        c.line(x + 22, 166, x + 22, 172, 2.0f, iron);
        c.fillPolygon({{x + 12, 172}, {x + 32, 172}, {x + 28, 192}, {x + 16, 192}}, rgb(255, 220, 150));
        c.fillPolygon({{x + 10, 172}, {x + 22, 164}, {x + 34, 172}}, iron);
        c.glow(x + 22, 184, 14, lampGold, 0.9f);
        for (int y = quayTop; y < quayTop + 12; ++y) {
            for (int px = int(x - 60); px < int(x + 100); ++px) {
                const float d = std::abs(float(px) - x - 22) / 80.0f;
                if (px >= 0 && px < width) c.blend(px, y, lampGold, std::max(0.0f, 0.35f * (1 - d)));
            }
        }
    }
    // Bollards with their mooring ropes over the edge.
    for (float x = 90; x < float(width); x += rng.range(300, 520)) {
        c.fillRect(x - 9, float(quayTop - 16), x + 9, float(quayTop + 2), iron);
        c.fillEllipse(x, float(quayTop - 16), 12, 5, rgb(40, 42, 52));
        c.fillRect(x - 7, float(quayTop - 14), x - 4, float(quayTop), rgb(60, 62, 72));
        for (float t = 0; t < 1.0f; t += 0.02f) {
            const float px = x + 8 + t * 70, py = float(quayTop - 8) + t * 30 + std::sin(t * pi) * 14;
            c.fillCircle(px, py, 1.8f, rgb(120, 100, 70));
        }
    }
    // Crates and barrels in small heaps.
    for (float x = 420; x < float(width); x += rng.range(500, 900)) {
        for (int k = 0; k < 3; ++k) {
            const float bx = x + float(k) * 36, s = k == 1 ? 40.0f : 34.0f;
            c.fillRect(bx, float(quayTop) - s, bx + s - 2, float(quayTop + 1), rgb(70, 50, 34));
            c.line(bx + 2, float(quayTop) - s + 2, bx + s - 4, float(quayTop - 2), 2.0f, rgb(50, 34, 22));
            c.fillRect(bx, float(quayTop) - s, bx + s - 2, float(quayTop) - s + 3, rgb(92, 68, 46));
        }
        c.fillRect(x + 20, float(quayTop) - 74, x + 56, float(quayTop) - 40, rgb(64, 46, 30));
        const float barrel = x + 130;
        c.fillRect(barrel, float(quayTop - 36), barrel + 24, float(quayTop + 1), rgb(40, 60, 80));
        c.fillRect(barrel, float(quayTop - 28), barrel + 24, float(quayTop - 26), iron);
        c.fillRect(barrel, float(quayTop - 10), barrel + 24, float(quayTop - 8), iron);
    }
    // A moored sailing boat's mast with its stays, reaching into the sky.
    for (float mx : {1500.0f, 3050.0f}) {
        c.line(mx, float(quayTop + 30), mx, 40, 5.0f, rgb(58, 44, 32));
        c.line(mx, 40, mx - 150, float(quayTop + 30), 1.2f, iron);
        c.line(mx, 40, mx + 170, float(quayTop + 30), 1.2f, iron);
        c.line(mx, 150, mx + 110, 146, 3.0f, rgb(58, 44, 32));
        c.fillPolygon({{mx - 2, 60}, {mx - 2, 140}, {mx - 60, 140}}, rgb(60, 58, 66));
        lamp(c, mx, 38, 2.2f, lampWhite);
        c.fillPolygon({{mx - 90, float(quayTop + 10)},
                       {mx + 120, float(quayTop + 10)},
                       {mx + 100, float(quayTop + 40)},
                       {mx - 70, float(quayTop + 40)}},
                      rgb(150, 146, 140));
        c.fillRect(mx - 88, float(quayTop + 10), mx + 118, float(quayTop + 14), rgb(40, 70, 110));
    }
    // A crane hook on its chain, hanging into the view from above.
    for (float hx : {820.0f, 2400.0f}) {
        for (float y = -4; y < 96; y += 7) {
            c.fillEllipse(hx, y, 2.5f, 4.0f, iron);
            c.fillEllipse(hx, y + 3.5f, 1.2f, 3.0f, rgb(60, 60, 70));
        }
        c.fillRect(hx - 14, 96, hx + 14, 120, iron);
        c.fillRect(hx - 12, 100, hx + 12, 104, rgb(180, 140, 40));
        for (float a = 0; a < pi * 1.25f; a += 0.05f)
            c.fillCircle(hx + std::sin(a) * 14, 138 - std::cos(a) * 14, 3.6f, iron);
        c.line(hx, 120, hx, 126, 6.0f, iron);
    }
    return c;
}

} // namespace

std::vector<Canvas> paintHarbourLayers() {
    std::vector<Canvas> layers;
    layers.push_back(paintSkyAndSea(1280, 480));
    layers.push_back(paintFarShore(1600, 480));
    layers.push_back(paintInnerBasin(2240, 480));
    layers.push_back(paintQuay(3520, 480));
    return layers;
}

} // namespace vandrel::gallerygen
