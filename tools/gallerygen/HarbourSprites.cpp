// The harbour's figures and hit effects, the pointer and the cartridge. Each
// frame is painted three times larger and reduced, then given a dark rim so it
// reads against the night sky and the lit water alike.
#include "Harbour.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace vandrel::gallerygen {

using namespace assetgen;

namespace {

constexpr float pi = 3.14159265358979f;
constexpr int super = 3;

// A frame of w x h pixels painted on a canvas `super` times larger; paint
// works in frame pixels through the scale s.
template <typename Paint>
Canvas frame(int w, int h, Paint paint, Rgb ink = rgb(8, 8, 16)) {
    Canvas big(w * super, h * super);
    paint(big, float(super));
    Canvas small = big.downsample(super);
    small.outline(ink, 0.55f);
    return small;
}

std::vector<Vec2> scaled(std::vector<Vec2> points, float s, float ox = 0, float oy = 0) {
    for (Vec2& p : points) p = {(p.x + ox) * s, (p.y + oy) * s};
    return points;
}

// One wing as a curved blade from the shoulder, raised by lift (-1 down to 1 up).
void wing(Canvas& c, float s, float sx, float sy, float span, float lift, float dir, Rgb colour, Rgb tip) {
    const float ex = sx + dir * span * std::cos(lift * 0.9f), ey = sy - span * std::sin(lift * 0.9f);
    const float mx = (sx + ex) / 2, my = (sy + ey) / 2 - 4;
    c.fillPolygon(scaled({{sx - dir * 4, sy}, {mx, my - 3}, {ex, ey}, {mx, my + 5}, {sx + dir * 3, sy + 4}}, s),
                  colour);
    c.fillPolygon(scaled({{mx + (ex - mx) * 0.5f, my + (ey - my) * 0.5f - 2},
                          {ex, ey},
                          {mx + (ex - mx) * 0.6f, my + (ey - my) * 0.6f + 4}},
                         s),
                  tip);
}

Sprite gull(const std::string& name, int w, int h) {
    Sprite sp{name, {}, 80, w / 2, h / 2};
    const float lifts[6] = {0.9f, 0.5f, -0.1f, -0.6f, -0.2f, 0.5f};
    for (float lift : lifts) {
        sp.frames.push_back(frame(w, h, [&](Canvas& c, float s0) {
            const float s = s0 * float(w) / 56.0f;
            const Rgb white = rgb(236, 238, 240), grey = rgb(170, 176, 190), black = rgb(30, 30, 36);
            wing(c, s, 26, 20, 26, lift, -1, grey, black);
            c.fillEllipse(28 * s, 22 * s, 13 * s, 5 * s, white);
            c.fillPolygon(scaled({{14, 21}, {6, 18}, {8, 24}, {16, 24}}, s), grey);
            c.fillCircle(41 * s, 19 * s, 5 * s, white);
            c.fillPolygon(scaled({{45, 18}, {52, 20}, {45, 21}}, s), rgb(240, 190, 50));
            c.fillCircle(42.5f * s, 18 * s, 1.1f * s, black);
            wing(c, s, 30, 20, 24, lift * 0.8f + 0.1f, 1, white, black);
        }));
    }
    return sp;
}

Sprite bat() {
    Sprite sp{"bat", {}, 60, 20, 14};
    for (int f = 0; f < 4; ++f) {
        const float lift = std::cos(float(f) * pi / 2);
        sp.frames.push_back(frame(40, 28, [&](Canvas& c, float s) {
            const Rgb body = rgb(40, 30, 46), membrane = rgb(64, 48, 70);
            for (float dir : {-1.0f, 1.0f}) {
                const float tipY = 14 - 12 * lift, midY = 16 - 5 * lift;
                c.fillPolygon(scaled({{20, 12},
                                      {20 + dir * 9, midY - 4},
                                      {20 + dir * 19, tipY},
                                      {20 + dir * 15, midY + 4},
                                      {20 + dir * 11, midY + 1},
                                      {20 + dir * 7, midY + 6},
                                      {20, 18}},
                                     s),
                              membrane);
            }
            c.fillEllipse(20 * s, 15 * s, 4 * s, 6 * s, body);
            c.fillPolygon(scaled({{17, 10}, {18, 6}, {20, 9}, {22, 6}, {23, 10}}, s), body);
            c.fillCircle(18.5f * s, 11 * s, 0.8f * s, rgb(255, 140, 60));
            c.fillCircle(21.5f * s, 11 * s, 0.8f * s, rgb(255, 140, 60));
        }));
    }
    return sp;
}

Sprite owl() {
    Sprite sp{"owl", {}, 110, 28, 22};
    const float lifts[6] = {0.8f, 0.4f, -0.2f, -0.5f, -0.1f, 0.4f};
    for (float lift : lifts) {
        sp.frames.push_back(frame(56, 44, [&](Canvas& c, float s) {
            const Rgb brown = rgb(130, 100, 70), light = rgb(220, 200, 170), dark = rgb(70, 52, 36);
            wing(c, s, 26, 22, 25, lift, -1, dark, rgb(50, 36, 26));
            c.fillEllipse(30 * s, 24 * s, 12 * s, 9 * s, brown);
            c.fillEllipse(32 * s, 27 * s, 8 * s, 5 * s, light);
            c.fillCircle(42 * s, 19 * s, 8 * s, brown);
            c.fillEllipse(44 * s, 20 * s, 5.5f * s, 6 * s, light);
            c.fillCircle(42.5f * s, 18 * s, 2.3f * s, rgb(255, 200, 40));
            c.fillCircle(46.5f * s, 18 * s, 2.3f * s, rgb(255, 200, 40));
            c.fillCircle(42.5f * s, 18 * s, 1.1f * s, rgb(10, 10, 10));
            c.fillCircle(46.5f * s, 18 * s, 1.1f * s, rgb(10, 10, 10));
            c.fillPolygon(scaled({{44, 21}, {46, 21}, {45, 24}}, s), rgb(200, 160, 60));
            c.fillPolygon(scaled({{18, 24}, {8, 28}, {18, 30}}, s), dark);
            wing(c, s, 30, 21, 23, lift * 0.8f + 0.15f, 1, brown, dark);
        }));
    }
    return sp;
}

// A paper sky lantern drifting up, its flame breathing.
Sprite lantern() {
    Sprite sp{"lantern", {}, 140, 15, 20};
    for (int f = 0; f < 4; ++f) {
        const float flick = 0.8f + 0.2f * std::sin(float(f) * 1.7f);
        sp.frames.push_back(frame(
            30, 40,
            [&](Canvas& c, float s) {
                c.glow(15 * s, 22 * s, 14 * s, rgb(255, 120, 30), 0.5f * flick);
                c.fillPolygon(scaled({{7, 6}, {23, 6}, {26, 30}, {4, 30}}, s),
                              mix(rgb(230, 90, 40), rgb(255, 210, 120), flick - 0.4f));
                c.fillPolygon(scaled({{11, 8}, {19, 8}, {20, 28}, {10, 28}}, s), rgb(255, 230, 150), 0.7f * flick);
                c.fillRect(4 * s, 30 * s, 26 * s, 32 * s, rgb(90, 50, 30));
                c.fillEllipse(15 * s, 33 * s, 2.5f * s, (3 + f % 2) * s, rgb(255, 250, 200));
            },
            rgb(60, 20, 10)));
    }
    return sp;
}

// A rowing boat with a lantern on its bow; the oars sweep, the boat bobs. It
// stands on the water line (the hotspot).
Sprite rowboat() {
    Sprite sp{"rowboat", {}, 180, 45, 46};
    for (int f = 0; f < 4; ++f) {
        const float bob = std::sin(float(f) * pi / 2) * 1.2f;
        const float oar = std::cos(float(f) * pi / 2);
        sp.frames.push_back(frame(90, 52, [&](Canvas& c, float s) {
            const float y = bob;
            c.fillPolygon(scaled({{6, 34}, {84, 32}, {76, 46}, {14, 46}}, s, 0, y), rgb(110, 64, 36));
            c.fillRect(8 * s, (33 + y) * s, 82 * s, (36 + y) * s, rgb(200, 190, 170));
            // The rower: coat, head, cap.
            c.fillEllipse(44 * s, (25 + y) * s, 6 * s, 9 * s, rgb(40, 60, 100));
            c.fillCircle(44 * s, (14 + y) * s, 4.5f * s, rgb(230, 190, 150));
            c.fillRect(39 * s, (9 + y) * s, 49 * s, (12 + y) * s, rgb(30, 30, 60));
            c.line((44 + oar * 8) * s, (24 + y) * s, (44 - oar * 28) * s, (48 + y) * s, 1.8f * s, rgb(160, 120, 70));
            // The bow lantern on its pole.
            c.line(80 * s, (32 + y) * s, 80 * s, (14 + y) * s, 1.4f * s, rgb(50, 40, 30));
            c.glow(80 * s, (17 + y) * s, 7 * s, rgb(255, 180, 80), 0.7f);
            c.fillRect(77 * s, (14 + y) * s, 83 * s, (21 + y) * s, rgb(255, 220, 140));
            // The wake at the water line.
            for (int k = 0; k < 4; ++k)
                c.fillEllipse((20 + 18 * k) * s, 48 * s, (6 + f % 2) * s, 1.2f * s, rgb(170, 190, 210), 0.8f);
        }));
    }
    return sp;
}

// The harbour tug: sturdy, red and black, puffing smoke. Takes three hits.
Sprite tug() {
    Sprite sp{"tug", {}, 200, 55, 66};
    for (int f = 0; f < 4; ++f) {
        const float bob = std::sin(float(f) * pi / 2) * 1.0f;
        sp.frames.push_back(frame(110, 70, [&](Canvas& c, float s) {
            const float y = bob;
            for (int k = 0; k < 3; ++k) {
                const float age = float((k * 4 + f) % 12) / 12.0f;
                c.fillCircle((58 - age * 30) * s, (18 - age * 14 + y) * s, (4 + age * 6) * s, rgb(90, 90, 100),
                             0.9f - age * 0.4f);
            }
            c.fillPolygon(scaled({{2, 46}, {104, 44}, {96, 66}, {12, 66}}, s, 0, y), rgb(30, 28, 36));
            c.fillPolygon(scaled({{4, 52}, {102, 50}, {100, 56}, {6, 58}}, s, 0, y), rgb(170, 40, 36));
            // The tyres hung along the side as fenders.
            for (int k = 0; k < 5; ++k) c.fillCircle((18 + 18 * k) * s, (50 + y) * s, 3 * s, rgb(16, 16, 16));
            c.fillRect(34 * s, (26 + y) * s, 78 * s, (46 + y) * s, rgb(220, 214, 200));
            c.fillRect(30 * s, (22 + y) * s, 82 * s, (26 + y) * s, rgb(60, 60, 70));
            for (int k = 0; k < 4; ++k)
                c.fillRect((38 + 10 * k) * s, (30 + y) * s, (44 + 10 * k) * s, (36 + y) * s, rgb(255, 210, 120));
            c.fillRect(54 * s, (10 + y) * s, 62 * s, (22 + y) * s, rgb(30, 30, 36));
            c.fillRect(54 * s, (12 + y) * s, 62 * s, (15 + y) * s, rgb(200, 50, 40));
            c.line(74 * s, (22 + y) * s, 74 * s, (6 + y) * s, 1.5f * s, rgb(40, 40, 50));
            c.fillCircle(74 * s, (6 + y) * s, 1.8f * s, f % 2 ? rgb(255, 255, 255) : rgb(255, 80, 60));
        }));
    }
    return sp;
}

// The ghost ship: a pale three-master glowing green, seldom seen and worth a
// great deal; it takes two hits.
Sprite ghostShip() {
    Sprite sp{"ghost-ship", {}, 220, 75, 112};
    for (int f = 0; f < 4; ++f) {
        const float shimmer = 0.75f + 0.25f * std::sin(float(f) * pi / 2);
        sp.frames.push_back(frame(
            150, 116,
            [&](Canvas& c, float s) {
                const Rgb pale = mix(rgb(120, 220, 170), rgb(220, 255, 230), shimmer - 0.5f);
                const Rgb hullColour = rgb(40, 90, 80);
                c.glow(75 * s, 70 * s, 50 * s, rgb(60, 200, 140), 0.25f * shimmer);
                c.fillPolygon(scaled({{6, 84}, {144, 80}, {128, 108}, {20, 108}}, s), hullColour);
                c.fillPolygon(scaled({{110, 72}, {146, 70}, {144, 82}, {112, 84}}, s), hullColour);
                for (int k = 0; k < 6; ++k) c.fillCircle((30 + 16 * k) * s, 94 * s, 2.4f * s, pale);
                for (int m = 0; m < 3; ++m) {
                    const float mx = 38 + 36 * float(m), top = m == 1 ? 6.0f : 16.0f;
                    c.line(mx * s, 84 * s, mx * s, top * s, 2.0f * s, rgb(60, 110, 100));
                    for (int k = 0; k < 3; ++k) {
                        const float y0 = top + 6 + 20 * float(k), w = 15 - 2 * float(k);
                        // Torn sails: every other one has a bite out of its foot.
                        std::vector<Vec2> sail{
                            {mx - w, y0}, {mx + w, y0}, {mx + w + 2, y0 + 16}, {mx - w - 2, y0 + 16}};
                        if ((k + m) % 2)
                            sail = {{mx - w, y0},
                                    {mx + w, y0},
                                    {mx + w + 2, y0 + 16},
                                    {mx + 2, y0 + 11},
                                    {mx - w - 2, y0 + 16}};
                        c.fillPolygon(scaled(sail, s), pale, 0.95f);
                    }
                }
                c.line(144 * s, 72 * s, 110 * s, 10 * s, 1.0f * s, rgb(60, 110, 100));
                c.line(6 * s, 84 * s, 38 * s, 16 * s, 1.0f * s, rgb(60, 110, 100));
                c.fillRect(70 * s, 1 * s, 86 * s, 7 * s, rgb(30, 30, 30));
                c.fillCircle(78 * s, 4 * s, 1.5f * s, pale);
                for (int k = 0; k < 5; ++k)
                    c.fillEllipse((20 + 28 * k + f * 3) * s, 111 * s, 9 * s, 1.5f * s, pale, 0.7f);
            },
            rgb(4, 20, 16)));
    }
    return sp;
}

// A burst of lamp-gold sparks where a flyer was hit.
Sprite sparks() {
    Sprite sp{"sparks", {}, 70, 40, 40};
    for (int f = 0; f < 5; ++f) {
        const float t = float(f + 1) / 5.0f;
        sp.frames.push_back(frame(
            80, 80,
            [&](Canvas& c, float s) {
                Rng rng(77);
                for (int k = 0; k < 18; ++k) {
                    const float a = rng.range(0, 2 * pi), v = rng.range(12, 36);
                    const float x = 40 + std::cos(a) * v * t, y = 40 + std::sin(a) * v * t + 10 * t * t;
                    const float r = (1.0f - t * 0.7f) * rng.range(1.2f, 2.6f);
                    c.line(x * s, y * s, (x - std::cos(a) * 5 * t) * s, (y - std::sin(a) * 5 * t) * s, r * s,
                           mix(rgb(255, 250, 210), rgb(255, 120, 30), t));
                }
                if (f < 2) c.fillCircle(40 * s, 40 * s, (10 - 4 * float(f)) * s, rgb(255, 240, 200));
            },
            rgb(60, 20, 0)));
    }
    return sp;
}

// White water thrown up where a boat was hit.
Sprite splash() {
    Sprite sp{"splash", {}, 80, 45, 64};
    for (int f = 0; f < 5; ++f) {
        const float t = float(f + 1) / 5.0f;
        sp.frames.push_back(frame(
            90, 70,
            [&](Canvas& c, float s) {
                Rng rng(31);
                const float rise = std::sin(t * pi) * 50;
                for (int k = 0; k < 14; ++k) {
                    const float x = 45 + rng.range(-30, 30) * (0.4f + t);
                    const float h = rise * rng.range(0.5f, 1.0f);
                    c.line(x * s, 66 * s, (x + rng.range(-6, 6)) * s, (66 - h) * s, rng.range(2, 4) * s,
                           rgb(200, 224, 240));
                    c.fillCircle((x + rng.range(-5, 5)) * s, (66 - h - 3) * s, rng.range(1.5f, 3.0f) * s,
                                 rgb(240, 250, 255));
                }
                c.fillEllipse(45 * s, 66 * s, (20 + 20 * t) * s, 3 * s, rgb(220, 236, 248));
            },
            rgb(10, 30, 50)));
    }
    return sp;
}

} // namespace

std::vector<Sprite> paintHarbourSprites() {
    return {gull("gull", 56, 40),
            gull("gull-far", 34, 24),
            bat(),
            owl(),
            lantern(),
            rowboat(),
            tug(),
            ghostShip(),
            sparks(),
            splash()};
}

// A porthole ring with a fine cross and a lamp-gold centre.
Canvas paintHarbourCrossHair() {
    return frame(32, 32, [](Canvas& c, float s) {
        const Rgb brass = rgb(230, 200, 120), teal = rgb(150, 240, 230);
        for (int pass = 0; pass < 2; ++pass) {
            const float w = (pass == 0 ? 3.6f : 1.8f) * s;
            const Rgb colour = pass == 0 ? rgb(10, 14, 24) : brass;
            for (int i = 0; i < 48; ++i) {
                const float a0 = 2 * pi * float(i) / 48, a1 = 2 * pi * float(i + 1) / 48;
                c.line((16 + std::cos(a0) * 11) * s, (16 + std::sin(a0) * 11) * s, (16 + std::cos(a1) * 11) * s,
                       (16 + std::sin(a1) * 11) * s, w, colour);
            }
            for (int k = 0; k < 4; ++k) {
                const float a = pi / 2 * float(k);
                c.line((16 + std::cos(a) * 4) * s, (16 + std::sin(a) * 4) * s, (16 + std::cos(a) * 15) * s,
                       (16 + std::sin(a) * 15) * s, w, pass == 0 ? colour : teal);
            }
        }
        c.fillCircle(16 * s, 16 * s, 1.2f * s, rgb(255, 200, 80));
    });
}

// A signal flare shell: red hull, brass head.
Canvas paintHarbourCartridge() {
    return frame(18, 46, [](Canvas& c, float s) {
        for (int py = int(4 * s); py < int(44 * s); ++py) {
            for (int px = int(3 * s); px < int(15 * s); ++px) {
                const float u = (float(px) / s - 3) / 12;
                const float light = 0.55f + 0.7f * std::exp(-std::pow((u - 0.32f) / 0.2f, 2.0f)) - 0.25f * u;
                const float y = float(py) / s;
                const Rgb base = y < 33 ? rgb(200, 40, 36) : rgb(214, 176, 80);
                c.blend(px, py, scale(base, light), 1.0f);
            }
        }
        c.fillRect(3 * s, 4 * s, 15 * s, 6 * s, rgb(120, 24, 20));
        c.fillRect(2 * s, 42 * s, 16 * s, 45 * s, rgb(190, 150, 60));
        c.fillRect(4 * s, 14 * s, 14 * s, 22 * s, rgb(240, 230, 210), 0.9f);
        c.fillRect(5 * s, 17 * s, 13 * s, 19 * s, rgb(200, 40, 36), 0.9f);
    });
}

} // namespace vandrel::gallerygen
