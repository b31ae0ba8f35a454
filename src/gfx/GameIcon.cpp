// The game's icon: a shooting target drawn from circles and bars, sampled
// several times per pixel so its edges are smooth at every size.
#include "gfx/GameIcon.h"

#include <algorithm>
#include <cmath>

namespace vandrel {
namespace {

// A colour with premultiplied alpha, so samples can be summed and averaged.
struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

Rgba paint(double r, double g, double b, double a = 1.0) { return {r / 255 * a, g / 255 * a, b / 255 * a, a}; }

// Lays `top` over `below`.
void over(Rgba& below, const Rgba& top) {
    double keep = 1.0 - top.a;
    below.r = top.r + below.r * keep;
    below.g = top.g + below.g * keep;
    below.b = top.b + below.b * keep;
    below.a = top.a + below.a * keep;
}

Rgba scaled(Rgba c, double alpha) { return {c.r * alpha, c.g * alpha, c.b * alpha, c.a * alpha}; }

double length(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

double smoothstep(double edge0, double edge1, double x) {
    double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Where the parts of the target go for one icon size, in pixels from the
// top-left corner of the icon.
struct Layout {
    double centre = 0;
    double radius = 0;     // of the target disc
    int bands = 5;         // red and white rings, counted from the centre; odd so the rim is red
    double halfBar = 1;    // half the width of the cross-hair's bars
    double dot = 0;        // radius of the cross-hair's centre dot
    double gap = 0;        // the bars start this far out; 0 draws them through the centre
    double armEnd = 0;     // how far out the bars reach
    bool detailed = false; // shading, rim, shadow and a halo round the bars
    bool holes = false;    // two bullet holes
};

Layout layoutFor(int size) {
    Layout l;
    double s = size;
    l.centre = s / 2;
    l.detailed = size >= 48;
    l.holes = size >= 64;
    // The big icons leave room for the shadow; the small ones use every pixel.
    l.radius = l.detailed ? s * 0.46 : s / 2;
    l.bands = size >= 32 ? 5 : 3;
    // Bars a whole number of pixels wide whose edges fall on pixel borders:
    // an even width on an even size, an odd width on an odd one.
    int bar = std::max(1, static_cast<int>(std::lround(s / 24)));
    if (bar < 2 && size >= 16) bar = 2;
    if (bar % 2 != size % 2) ++bar;
    l.halfBar = bar / 2.0;
    l.dot = std::max(l.halfBar * 1.2, s * 0.047);
    l.gap = size >= 24 ? s * 0.14 : 0;
    l.armEnd = l.detailed ? l.radius * 0.94 : l.radius;
    return l;
}

// Whether a point lies on the cross-hair, its bars and dot widened by `grow` pixels.
bool onCrossHair(const Layout& l, double dx, double dy, double grow) {
    double d = length(dx, dy);
    double half = l.halfBar + grow;
    if (d <= l.dot + grow) return true;
    if (d < l.gap - grow || d > l.armEnd + grow) return false;
    return std::fabs(dx) <= half || std::fabs(dy) <= half;
}

Rgba sampleAt(const Layout& l, double x, double y) {
    const double dx = x - l.centre, dy = y - l.centre;
    const double d = length(dx, dy);
    Rgba out;

    if (l.detailed) {
        // A soft shadow below and to the right, as if the target hung on a wall.
        double off = l.radius * 0.05;
        double ds = length(dx - off, dy - off * 1.4);
        double soft = l.radius * 0.06;
        double shadow = 1.0 - smoothstep(l.radius - soft, l.radius + soft, ds);
        over(out, paint(0, 0, 0, 0.35 * shadow));
    }
    if (d > l.radius) return out;

    const double band = l.radius / l.bands;
    int ring = std::min(static_cast<int>(d / band), l.bands - 1);
    Rgba face = ring % 2 == 0 ? paint(200, 30, 30) : paint(245, 235, 210);
    if (l.detailed) {
        // Light from the top left: brighter there, darker towards the bottom right
        // and near the rim, so the disc reads as a slightly domed board.
        double tilt = -(dx + dy) / (l.radius * std::sqrt(2.0));
        double rim = smoothstep(0.8 * l.radius, l.radius, d);
        double light = std::clamp(1.0 + 0.12 * tilt - 0.18 * rim, 0.0, 1.2);
        face.r = std::min(1.0, face.r * light);
        face.g = std::min(1.0, face.g * light);
        face.b = std::min(1.0, face.b * light);
        // A dark edge round the board and a fine line between the rings.
        double edge = std::max(1.0, l.radius / 40);
        if (d > l.radius - edge) face = paint(90, 12, 12);
        double toBorder = std::fabs(d - std::round(d / band) * band);
        if (ring > 0 && d < l.radius - edge && toBorder < edge * 0.35) face = paint(120, 40, 30);
    }
    over(out, face);

    if (l.holes) {
        // Two hits already on the board: a dark hole with a torn pale rim.
        const double holes[2][2] = {{0.62 * 0.766, 0.62 * -0.643}, {0.40 * -0.82, 0.40 * -0.57}};
        double holeR = l.radius * 0.065;
        for (const auto& h : holes) {
            double hd = length(dx - h[0] * l.radius, dy - h[1] * l.radius);
            if (hd < holeR * 1.35) over(out, paint(250, 240, 215, 0.9));
            if (hd < holeR) over(out, paint(25, 15, 15));
        }
    }

    if (l.detailed && onCrossHair(l, dx, dy, std::max(1.0, l.radius / 48))) over(out, paint(250, 245, 230, 0.85));
    if (onCrossHair(l, dx, dy, 0)) over(out, paint(20, 20, 20));
    return out;
}

} // namespace

std::vector<uint8_t> drawGameIcon(int size) {
    if (size < gameIconMinSize || size > gameIconMaxSize) return {};
    const Layout l = layoutFor(size);
    // Small icons get more samples per pixel: their edges are most of what they show.
    const int grid = size <= 64 ? 8 : 4;
    std::vector<uint8_t> out(static_cast<size_t>(size) * static_cast<size_t>(size) * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgba sum;
            for (int j = 0; j < grid; ++j) {
                for (int i = 0; i < grid; ++i) {
                    Rgba s = sampleAt(l, x + (i + 0.5) / grid, y + (j + 0.5) / grid);
                    sum.r += s.r;
                    sum.g += s.g;
                    sum.b += s.b;
                    sum.a += s.a;
                }
            }
            Rgba px = scaled(sum, 1.0 / (grid * grid));
            uint8_t* p = &out[(static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)) * 4];
            // Back to straight alpha for the file formats and SDL.
            auto channel = [&](double premultiplied) {
                double v = px.a > 0 ? premultiplied / px.a : 0;
                return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
            };
            p[0] = channel(px.r);
            p[1] = channel(px.g);
            p[2] = channel(px.b);
            p[3] = static_cast<uint8_t>(std::lround(std::clamp(px.a, 0.0, 1.0) * 255));
        }
    }
    return out;
}

} // namespace vandrel
