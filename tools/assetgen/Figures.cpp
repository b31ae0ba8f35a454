// Sprites are painted at four times their size and reduced, which gives clean
// anti-aliased shapes even at 17 x 16; the reduced picture then gets a dark
// rim so it reads against the bright sky and the dark rock alike.
#include "Figures.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace vandrel::assetgen {

namespace {
constexpr float pi = 3.14159265358979f;
constexpr int super = 4;

// Paints in design units (designW x designH) into a w x h sprite.
Canvas sprite(int w, int h, float designW, float designH,
              const std::function<void(Canvas&, float, float, float)>& paint, float outlineStrength = 0.45f) {
    Canvas big(w * super, h * super);
    float s = std::min(float(w) / designW, float(h) / designH) * super;
    float ox = (float(w * super) - designW * s) * 0.5f, oy = (float(h * super) - designH * s) * 0.5f;
    paint(big, s, ox, oy);
    Canvas small = big.downsample(super);
    if (outlineStrength > 0) small.outline(rgb(20, 14, 30), outlineStrength);
    return small;
}

// Helper that maps design coordinates to the big canvas.
struct Pen {
    Canvas& c;
    float s, ox, oy;
    Vec2 p(float x, float y) const { return {ox + x * s, oy + y * s}; }
    void poly(std::initializer_list<Vec2> pts, Rgb col, float a = 1.0f) const {
        std::vector<Vec2> v;
        for (const Vec2& q : pts) v.push_back(p(q.x, q.y));
        c.fillPolygon(v, col, a);
    }
    void ellipse(float x, float y, float rx, float ry, Rgb col, float a = 1.0f, float rot = 0.0f) const {
        c.fillEllipse(ox + x * s, oy + y * s, rx * s, ry * s, col, a, rot);
    }
    void line(float x0, float y0, float x1, float y1, float w, Rgb col, float a = 1.0f) const {
        c.line(ox + x0 * s, oy + y0 * s, ox + x1 * s, oy + y1 * s, w * s, col, a);
    }
    void glow(float x, float y, float r, Rgb col, float k) const { c.glow(ox + x * s, oy + y * s, r * s, col, k); }
};

// Quadratic curve sampled into a polygon outline.
void curve(std::vector<Vec2>& out, Vec2 a, Vec2 ctrl, Vec2 b, int n) {
    for (int i = 1; i <= n; ++i) {
        float t = float(i) / float(n), u = 1 - t;
        out.push_back({u * u * a.x + 2 * u * t * ctrl.x + t * t * b.x, u * u * a.y + 2 * u * t * ctrl.y + t * t * b.y});
    }
}

// The dusk swift, facing right, in a 36 x 33 design box; phase 0..1 over the flap.
void paintSwift(const Pen& pen, float phase) {
    float e = std::cos(phase * 2 * pi);     // wing elevation, +1 up, -1 down
    float sweep = std::sin(phase * 2 * pi); // wing moving forward on the down-stroke
    Rgb back = rgb(58, 78, 132), wingDark = rgb(34, 44, 92), wingEdge = rgb(96, 120, 178);
    Rgb belly = rgb(238, 218, 176), throat = rgb(236, 124, 60);

    auto wing = [&](float rootX, float rootY, float len, float elevation, Rgb col, Rgb edge) {
        // Long sickle wings: the tip swept back, the leading edge bowed forward.
        Vec2 tip{rootX - len * 0.7f + sweep * 2.5f, rootY - len * elevation * 0.88f};
        std::vector<Vec2> w{{rootX + 4.0f, rootY}};
        curve(w, {rootX + 4.0f, rootY}, {rootX + 4.0f, rootY - len * elevation * 0.9f}, tip, 10);
        curve(w, tip, {rootX - 3.0f, rootY - len * elevation * 0.4f}, {rootX - 3.5f, rootY + 1.0f}, 10);
        std::vector<Vec2> mapped;
        for (const Vec2& q : w) mapped.push_back(pen.p(q.x, q.y));
        pen.c.fillPolygon(mapped, col);
        // A pale stripe along the leading edge.
        Vec2 mid{(rootX + 3.0f + tip.x) * 0.5f + 1.0f, rootY - len * elevation * 0.6f};
        pen.line(rootX + 3.0f, rootY - 0.5f, mid.x, mid.y, 1.2f, edge, 0.9f);
    };

    wing(19.0f, 16.5f, 15.0f, e * 0.92f, scale(wingDark, 0.8f), wingEdge); // far wing
    // Forked tail.
    pen.poly({{11, 17}, {1.5f, 12.5f}, {6.5f, 18.5f}, {1.5f, 24.0f}, {11, 20.5f}}, wingDark);
    // Body and belly.
    pen.ellipse(18.5f, 18.5f, 10.0f, 4.6f, back, 1.0f, -0.08f);
    pen.ellipse(19.5f, 20.2f, 7.5f, 2.6f, belly, 1.0f, -0.08f);
    // Head, throat, beak, eye.
    pen.ellipse(27.5f, 16.5f, 4.4f, 4.0f, back);
    pen.ellipse(28.6f, 18.6f, 2.6f, 1.8f, throat);
    pen.poly({{31.0f, 15.0f}, {35.5f, 16.6f}, {31.0f, 18.0f}}, rgb(250, 200, 80));
    pen.ellipse(29.2f, 15.4f, 1.35f, 1.35f, rgb(255, 255, 255));
    pen.ellipse(29.6f, 15.4f, 0.75f, 0.85f, rgb(10, 10, 20));
    wing(20.5f, 16.0f, 16.5f, e, wingDark, wingEdge); // near wing
}

// The ember beetle, facing right, in a 45 x 46 design box.
void paintBeetle(const Pen& pen, float phase) {
    float a = std::sin(phase * 2 * pi);
    Rgb shell = rgb(36, 150, 138), shellDark = rgb(18, 76, 82), head = rgb(34, 30, 46);
    Rgb wingCol = rgb(214, 236, 255);
    // Far wing.
    pen.ellipse(17.0f, 15.0f + a * 3.0f, 13.0f, 4.6f, scale(wingCol, 0.82f), 0.9f, -0.55f + a * 0.55f);
    // Legs.
    for (int i = 0; i < 3; ++i) {
        float x = 17.0f + i * 6.0f;
        pen.line(x, 31.0f, x - 3.0f + i, 38.5f, 1.3f, head);
        pen.line(x - 3.0f + i, 38.5f, x - 1.0f + i, 41.0f, 1.1f, head);
    }
    // Glowing abdomen at the back.
    float pulse = 0.75f + 0.25f * std::cos(phase * 2 * pi);
    pen.ellipse(8.5f, 27.5f, 6.5f, 6.0f, mix(rgb(255, 170, 40), rgb(255, 236, 120), pulse));
    pen.glow(7.5f, 27.5f, 6.0f, rgb(255, 200, 80), 0.35f * pulse);
    // Shell.
    pen.ellipse(21.0f, 25.5f, 13.5f, 9.5f, shellDark);
    pen.ellipse(21.0f, 24.5f, 12.5f, 8.3f, shell);
    pen.ellipse(18.5f, 21.0f, 6.5f, 2.6f, rgb(150, 234, 214), 0.9f, -0.2f);
    pen.line(10.0f, 25.5f, 33.0f, 24.0f, 0.9f, shellDark, 0.8f);
    // Head, eye, antennae.
    pen.ellipse(35.0f, 26.5f, 6.0f, 5.5f, head);
    pen.ellipse(37.5f, 25.0f, 1.6f, 1.6f, rgb(255, 230, 120));
    pen.line(37.0f, 22.0f, 41.0f, 13.0f, 1.0f, head);
    pen.line(41.0f, 13.0f, 44.0f, 12.0f, 1.0f, head);
    pen.line(39.0f, 23.0f, 43.5f, 17.0f, 1.0f, head);
    // Near wing, whirring.
    pen.ellipse(21.0f, 14.0f - a * 3.5f, 15.0f, 5.0f, wingCol, 0.92f, -0.5f + a * 0.6f);
    pen.line(10.0f, 19.0f - a * 2.0f, 31.0f, 9.0f - a * 4.0f, 0.7f, rgb(150, 180, 210), 0.7f);
}

// The hot-air balloon, symmetric, in a 93 x 113 design box.
void paintBalloon(Canvas& c, float s, float ox, float oy, int frame) {
    const float cx = 46.5f;
    const float breathe = 0.6f * std::sin(float(frame) / 8.0f * 2 * pi);
    const float topY = 3.0f - breathe * 0.5f, equatorY = 36.0f, mouthY = 84.0f;
    const float radius = 41.0f + breathe * 0.4f, mouthHalf = 9.0f;
    const Rgb gores[4] = {rgb(206, 52, 52), rgb(244, 224, 184), rgb(242, 146, 44), rgb(244, 224, 184)};
    auto halfWidth = [&](float y) {
        if (y < equatorY) {
            float t = (equatorY - y) / (equatorY - topY);
            return radius * std::sqrt(std::max(0.0f, 1.0f - t * t));
        }
        float t = (y - equatorY) / (mouthY - equatorY);
        float curveT = 1.0f - std::pow(t, 1.6f);
        return mouthHalf + (radius - mouthHalf) * curveT * (1.0f - 0.25f * t);
    };
    for (int py = 0; py < c.height(); ++py) {
        float y = (float(py) + 0.5f - oy) / s;
        if (y < topY || y > mouthY) continue;
        float hw = halfWidth(y);
        for (int px = 0; px < c.width(); ++px) {
            float x = (float(px) + 0.5f - ox) / s - cx;
            if (std::fabs(x) > hw) continue;
            float u = x / hw;
            float lon = std::asin(std::clamp(u, -1.0f, 1.0f)) / (pi / 2); // -1..1 across the sphere
            int gore = int(std::floor((lon + 1.0f) * 4.0f));
            gore = std::clamp(gore, 0, 7);
            Rgb col = gores[gore % 4];
            // A band of diamonds round the equator.
            float band = std::fabs(y - (equatorY + 6.0f));
            if (band < 4.0f && std::fabs(std::fmod((lon + 1.0f) * 8.0f, 1.0f) - 0.5f) * 8.0f < 4.0f - band) {
                col = rgb(60, 52, 120);
            }
            float shade = 0.58f + 0.42f * std::sqrt(std::max(0.0f, 1.0f - u * u));
            float lower = std::clamp((y - equatorY) / (mouthY - equatorY), 0.0f, 1.0f);
            shade *= 1.0f - 0.3f * lower;
            float rimTop = std::clamp(1.0f - (y - topY) / 10.0f, 0.0f, 1.0f);
            Rgb outc = mix(scale(col, shade), rgb(255, 210, 150), rimTop * 0.4f);
            // Seams between the gores.
            float seam = std::fabs(std::fmod((lon + 1.0f) * 4.0f + 1000.0f, 1.0f) - 0.5f);
            if (seam > 0.47f) outc = scale(outc, 0.75f);
            c.blend(px, py, outc, 1.0f);
        }
    }
    Pen pen{c, s, ox, oy};
    // Ropes and basket.
    Rgb rope = rgb(70, 50, 40);
    pen.line(cx - mouthHalf, mouthY, cx - 7.0f, 99.0f, 0.9f, rope);
    pen.line(cx + mouthHalf, mouthY, cx + 7.0f, 99.0f, 0.9f, rope);
    pen.line(cx - 3.0f, mouthY, cx - 2.5f, 99.0f, 0.8f, rope);
    pen.line(cx + 3.0f, mouthY, cx + 2.5f, 99.0f, 0.8f, rope);
    pen.poly({{cx - 9.0f, 98.0f}, {cx + 9.0f, 98.0f}, {cx + 7.5f, 111.0f}, {cx - 7.5f, 111.0f}}, rgb(132, 86, 46));
    pen.line(cx - 9.5f, 98.5f, cx + 9.5f, 98.5f, 2.0f, rgb(92, 58, 34));
    for (int i = 0; i < 3; ++i)
        pen.line(cx - 8.0f, 102.0f + i * 3.0f, cx + 8.0f, 102.0f + i * 3.0f, 0.6f, rgb(100, 64, 36));
    // Burner flame, flickering in a fixed pattern over the cycle.
    static const float flame[8] = {0.0f, 0.9f, 1.0f, 0.5f, 0.0f, 0.0f, 0.7f, 0.3f};
    float f = flame[frame % 8];
    if (f > 0) {
        float h = 4.0f + 7.0f * f;
        pen.poly({{cx - 2.6f, 95.0f}, {cx, 95.0f - h}, {cx + 2.6f, 95.0f}}, rgb(255, 150, 40));
        pen.poly({{cx - 1.3f, 95.0f}, {cx, 95.5f - h * 0.6f}, {cx + 1.3f, 95.0f}}, rgb(255, 240, 160));
        pen.glow(cx, mouthY - 4.0f, 9.0f, rgb(255, 160, 60), 0.5f * f);
    }
    pen.ellipse(cx, 95.5f, 3.2f, 1.4f, rgb(60, 60, 70));
}

// The brass gyrocopter, facing right, in a 91 x 94 design box.
void paintGyro(const Pen& pen, int frame) {
    float phi = pi * float(frame) / 5.0f; // two blades: the picture repeats every half turn
    Rgb brass = rgb(196, 148, 64), brassDark = rgb(120, 80, 36), copper = rgb(170, 90, 50);
    Rgb steel = rgb(70, 72, 84), red = rgb(190, 46, 40);
    // Tail boom and fin.
    pen.poly({{24, 55}, {8, 51}, {8, 55}, {24, 62}}, brassDark);
    pen.poly({{4, 34}, {12, 36}, {13, 56}, {5, 56}}, red);
    pen.poly({{4, 34}, {8, 35}, {8, 56}, {5, 56}}, scale(red, 0.7f));
    // Pusher propeller at the back, seen edge-on.
    float pl = 13.0f * std::cos(phi * 2.0f + 0.7f);
    pen.line(17.5f, 57.0f - pl, 17.5f, 57.0f + pl, 2.4f, steel);
    pen.ellipse(17.5f, 57.0f, 2.2f, 2.2f, copper);
    // Skids.
    pen.line(32, 68, 38, 80, 1.6f, steel);
    pen.line(58, 68, 54, 80, 1.6f, steel);
    pen.line(26, 81, 66, 81, 2.0f, steel);
    pen.line(66, 81, 70, 78, 2.0f, steel);
    // Fuselage: a brass teardrop with a copper band and rivets.
    pen.ellipse(46.0f, 60.0f, 26.0f, 12.5f, brassDark);
    pen.ellipse(46.5f, 59.0f, 25.0f, 11.2f, brass);
    pen.ellipse(50.0f, 54.5f, 16.0f, 3.0f, rgb(236, 204, 120), 0.8f);
    pen.line(36, 49, 36, 70, 2.6f, copper);
    for (int i = 0; i < 4; ++i) pen.ellipse(36.0f, 52.0f + i * 5.0f, 0.7f, 0.7f, rgb(250, 220, 150));
    // Nose cone and lamp.
    pen.ellipse(70.5f, 60.0f, 4.0f, 6.0f, copper);
    pen.ellipse(73.5f, 59.0f, 2.0f, 2.0f, rgb(255, 246, 190));
    pen.glow(75.0f, 59.0f, 4.0f, rgb(255, 220, 120), 0.5f);
    // Open cockpit with the pilot: leather cap, goggles and a scarf in the wind.
    float flutter = std::sin(phi * 4.0f) * 1.5f;
    pen.poly({{50.0f, 44.5f}, {34.0f, 41.0f + flutter}, {31.0f, 44.0f - flutter}, {38.0f, 45.0f}, {50.0f, 47.5f}},
             rgb(214, 44, 40));
    pen.ellipse(54.0f, 44.5f, 5.0f, 5.6f, rgb(236, 186, 140));
    pen.ellipse(53.0f, 39.6f, 5.4f, 3.0f, rgb(96, 60, 38));
    pen.line(49.5f, 42.4f, 58.5f, 42.4f, 1.5f, rgb(40, 36, 44));
    pen.ellipse(57.3f, 42.4f, 1.7f, 1.5f, rgb(150, 220, 240));
    pen.ellipse(58.6f, 46.4f, 1.0f, 0.6f, rgb(150, 60, 50)); // a grin
    pen.ellipse(55.0f, 51.5f, 11.0f, 3.4f, brassDark);
    pen.ellipse(62.0f, 46.0f, 2.6f, 4.2f, rgb(200, 230, 250), 0.85f); // windscreen
    // Mast and rotor.
    pen.line(46, 48, 45, 27, 2.8f, steel);
    float reach = 44.0f;
    for (int b = 0; b < 2; ++b) {
        float ang = phi + float(b) * pi;
        float dx = std::cos(ang) * reach, dy = std::sin(ang) * 3.0f;
        // A faint trailing ghost of the blade makes the spin read as motion.
        float ga = ang - 0.35f;
        pen.line(45.0f, 26.0f, 45.0f + std::cos(ga) * reach, 26.0f + std::sin(ga) * 3.0f, 1.6f, rgb(150, 150, 160),
                 0.55f);
        pen.line(45.0f, 26.0f, 45.0f + dx, 26.0f + dy, 2.4f, rgb(60, 56, 62));
    }
    pen.ellipse(45.0f, 26.0f, 3.2f, 2.2f, copper);
}

// A five-pointed star polygon.
void star(Canvas& c, float cx, float cy, float r, float rot, Rgb col) {
    std::vector<Vec2> pts;
    for (int i = 0; i < 10; ++i) {
        float a = rot + pi * float(i) / 5.0f - pi / 2;
        float rr = (i % 2 == 0) ? r : r * 0.45f;
        pts.push_back({cx + std::cos(a) * rr, cy + std::sin(a) * rr});
    }
    c.fillPolygon(pts, col);
}

Animation animation(int32_t id, int w, int h, int count, uint32_t duration, const std::function<Canvas(int)>& frame) {
    Animation a;
    a.id = id;
    a.durationMs = duration;
    a.hotspotX = w / 2;
    a.hotspotY = h / 2;
    for (int i = 0; i < count; ++i) a.frames.push_back(frame(i));
    return a;
}

std::vector<Canvas> mirroredFrames(const std::vector<Canvas>& frames) {
    std::vector<Canvas> out;
    for (const Canvas& f : frames) out.push_back(f.mirrored());
    return out;
}
} // namespace

uint32_t frameInfo(uint32_t durationMs, uint32_t hotspotX, uint32_t hotspotY) {
    return (durationMs & 0xFFF) | ((hotspotY & 0x3FF) << 12) | ((hotspotX & 0x3FF) << 22);
}

std::vector<Animation> paintAnimations() {
    auto swift = [](int w, int h, float outline) {
        return [=](int i) {
            return sprite(
                w, h, 36, 33,
                [&](Canvas& c, float s, float ox, float oy) {
                    paintSwift(Pen{c, s, ox, oy}, float(i) / 11.0f);
                },
                outline);
        };
    };
    auto beetle = [](int w, int h, float outline) {
        return [=](int i) {
            return sprite(
                w, h, 45, 46,
                [&](Canvas& c, float s, float ox, float oy) {
                    paintBeetle(Pen{c, s, ox, oy}, float(i) / 5.0f);
                },
                outline);
        };
    };
    std::vector<Animation> out;
    out.push_back(animation(4, 36, 33, 11, 50, swift(36, 33, 0.45f)));
    Animation left = out.back();
    left.id = 5;
    left.frames = mirroredFrames(left.frames);
    out.push_back(left);
    out.push_back(animation(6, 17, 16, 11, 50, swift(17, 16, 0.25f)));
    Animation smallLeft = out.back();
    smallLeft.id = 7;
    smallLeft.frames = mirroredFrames(smallLeft.frames);
    out.push_back(smallLeft);
    out.push_back(animation(29, 93, 113, 8, 350, [](int i) {
        return sprite(93, 113, 93, 113, [&](Canvas& c, float s, float ox, float oy) { paintBalloon(c, s, ox, oy, i); });
    }));
    out.push_back(animation(31, 91, 94, 5, 80, [](int i) {
        return sprite(91, 94, 91, 94, [&](Canvas& c, float s, float ox, float oy) { paintGyro(Pen{c, s, ox, oy}, i); });
    }));
    out.push_back(animation(32, 45, 46, 5, 80, beetle(45, 46, 0.45f)));
    out.push_back(animation(33, 22, 22, 5, 80, beetle(22, 22, 0.3f)));
    return out;
}

Animation paintStarBurst() {
    return animation(0, 100, 100, 4, 80, [](int i) {
        Canvas big(100 * super, 100 * super);
        float t = float(i + 1) / 4.0f;
        float c = 50.0f * super;
        if (i == 0) {
            big.glow(c, c, 16.0f * super, rgb(255, 240, 180), 1.0f);
            star(big, c, c, 14.0f * super, 0.2f, rgb(255, 255, 230));
        }
        const Rgb colours[3] = {rgb(255, 236, 120), rgb(255, 180, 70), rgb(255, 255, 240)};
        for (int k = 0; k < 8; ++k) {
            float a = float(k) * pi / 4 + 0.2f * t;
            float r = (10.0f + 36.0f * t) * super;
            float size = (7.5f - 3.5f * t) * super;
            star(big, c + std::cos(a) * r, c + std::sin(a) * r, size, t * 1.5f + float(k), colours[k % 3]);
        }
        if (i >= 1) {
            for (int k = 0; k < 8; ++k) {
                float a = float(k) * pi / 4 + pi / 8 - 0.3f * t;
                float r = (6.0f + 22.0f * t) * super;
                float size = (5.0f - 2.5f * t) * super;
                star(big, c + std::cos(a) * r, c + std::sin(a) * r, size, -t * 2.0f + float(k), colours[(k + 1) % 3]);
            }
        }
        Canvas small = big.downsample(super);
        small.outline(rgb(120, 50, 20), 0.4f);
        return small;
    });
}

Canvas paintCrossHair() {
    Canvas big(30 * super, 30 * super);
    float c = 15.0f * super;
    Rgb dark = rgb(20, 10, 16), bright = rgb(255, 244, 200), red = rgb(255, 70, 50);
    auto ring = [&](float r, float w, Rgb col) {
        std::vector<Vec2> outer, inner;
        for (int i = 0; i < 64; ++i) {
            float a = 2 * pi * float(i) / 64.0f;
            outer.push_back({c + std::cos(a) * (r + w / 2), c + std::sin(a) * (r + w / 2)});
        }
        for (int i = 64; i-- > 0;) {
            float a = 2 * pi * float(i) / 64.0f;
            inner.push_back({c + std::cos(a) * (r - w / 2), c + std::sin(a) * (r - w / 2)});
        }
        // Outer and inner boundaries joined with a seam: an annulus as one polygon.
        outer.push_back(outer.front());
        outer.push_back(inner.back());
        outer.insert(outer.end(), inner.begin(), inner.end());
        big.fillPolygon(outer, col);
    };
    const float ticks[4][4] = {{0, -1, 0, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {1, 0, 0, 0}};
    for (int pass = 0; pass < 2; ++pass) {
        float w = (pass == 0 ? 4.2f : 2.0f) * super;
        Rgb col = pass == 0 ? dark : bright;
        ring(9.0f * super, w, col);
        for (const auto& t : ticks) {
            float x0 = c + t[0] * 5.0f * super, y0 = c + t[1] * 5.0f * super;
            float x1 = c + t[0] * 13.2f * super, y1 = c + t[1] * 13.2f * super;
            big.line(x0, y0, x1, y1, w, col);
        }
    }
    big.fillCircle(c, c, 2.2f * super, dark);
    big.fillCircle(c, c, 1.2f * super, red);
    return big.downsample(super);
}

Canvas paintCartridge() {
    const int w = 18, h = 46;
    Canvas big(w * super, h * super);
    float s = super;
    auto cyl = [&](float x0, float x1, float y0, float y1, Rgb base) {
        for (int py = int(y0 * s); py < int(y1 * s); ++py) {
            for (int px = int(x0 * s); px < int(x1 * s); ++px) {
                float u = ((float(px) + 0.5f) / s - x0) / (x1 - x0); // 0..1 across
                float light = 0.55f + 0.75f * std::exp(-std::pow((u - 0.32f) / 0.18f, 2.0f)) - 0.25f * u;
                big.blend(px, py, scale(base, light), 1.0f);
            }
        }
    };
    // Bullet: a rounded copper point.
    std::vector<Vec2> tip;
    for (int i = 0; i <= 20; ++i) {
        float t = float(i) / 20.0f;
        float a = pi * t;
        tip.push_back({(9.0f - std::cos(a) * 5.0f) * s, (15.0f - std::sin(a) * 12.0f) * s});
    }
    big.fillPolygon(tip, rgb(184, 96, 56));
    cyl(4.0f, 14.0f, 13.0f, 16.0f, rgb(184, 96, 56));
    big.fillEllipse(7.2f * s, 8.0f * s, 1.3f * s, 4.0f * s, rgb(255, 200, 160), 0.7f);
    // Brass case with a neck, a groove and a rim.
    cyl(3.0f, 15.0f, 16.0f, 42.0f, rgb(220, 176, 72));
    cyl(3.0f, 15.0f, 38.0f, 39.5f, rgb(120, 90, 40));
    cyl(2.0f, 16.0f, 41.0f, 45.0f, rgb(200, 156, 60));
    Canvas small = big.downsample(super);
    small.outline(rgb(30, 20, 16), 0.6f);
    return small;
}

} // namespace vandrel::assetgen
