// Procedural painting of the canyon. Terrain is filled column by column under
// a height profile; spires, cacti and trees are polygons; a texture pass and a
// rim-light pass give every layer the same light: a low sun behind the ranges.
#include "Landscape.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace vandrel::assetgen {

namespace {
constexpr float pi = 3.14159265358979f;
using Profile = std::vector<float>;

// Fills every column below its profile height; the boundary pixel gets the
// fractional coverage so ridgelines stay smooth.
void fillProfile(Canvas& c, const Profile& top, const std::function<Rgb(int, int, float)>& shade) {
    for (int x = 0; x < c.width(); ++x) {
        float t = top[size_t(x)];
        int y0 = std::max(0, int(std::floor(t)));
        for (int y = y0; y < c.height(); ++y) {
            float cover = std::clamp(float(y + 1) - t, 0.0f, 1.0f);
            if (cover <= 0) continue;
            c.blend(x, y, shade(x, y, float(y) - t), cover);
        }
    }
}

// Brightens opaque pixels just below a transparent one: the glow of the sky
// on every upper edge.
void rimLight(Canvas& c, Rgb light, int depth, float strength) {
    for (int x = 0; x < c.width(); ++x) {
        int since = 1000;
        for (int y = 0; y < c.height(); ++y) {
            if (c.alpha(x, y) < 0.5f) {
                since = 1000;
                continue;
            }
            if (since == 1000) since = 0;
            if (y == 0 || c.alpha(x, y - 1) < 0.5f) since = 0;
            if (since < depth) {
                float k = strength * (1.0f - float(since) / float(depth));
                c.set(x, y, mix(c.colour(x, y), light, k), c.alpha(x, y));
            }
            ++since;
        }
    }
}

// Horizontal strata and grain over every opaque pixel.
void rockTexture(Canvas& c, uint32_t seed, float strength, float grainX, float grainY) {
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            float a = c.alpha(x, y);
            if (a <= 0) continue;
            float n = fbm2(float(x) / grainX, float(y) / grainY, seed, 4);
            float strata = 0.5f + 0.5f * std::sin(float(y) * 0.35f + fbm1(float(x) / 90.0f, seed + 7, 3) * 9.0f);
            float k = 1.0f + strength * ((n - 0.5f) * 1.6f + (strata - 0.5f) * 0.5f);
            c.set(x, y, scale(c.colour(x, y), k), a);
        }
    }
}

// A tall column of stacked rock with a cap, from the ground up to topY.
void hoodoo(Canvas& c, float cx, float groundY, float topY, float width, Rgb body, Rgb shadow, Rng& rng) {
    std::vector<Vec2> leftSide, rightSide;
    int steps = 24;
    float phase = rng.range(0, 6.28f);
    float bulges = rng.range(2.0f, 3.5f);
    for (int i = 0; i <= steps; ++i) {
        float t = float(i) / float(steps); // 0 at the ground, 1 at the top
        float y = groundY + (topY - groundY) * t;
        float taper = 1.0f - 0.45f * t;
        float bulge = 0.18f * std::sin(t * bulges * 2 * pi + phase);
        float halfW = width * 0.5f * (taper + bulge);
        float lean = std::sin(t * 2.0f + phase) * width * 0.12f;
        leftSide.push_back({cx - halfW + lean, y});
        rightSide.push_back({cx + halfW + lean, y});
    }
    std::vector<Vec2> poly = leftSide;
    for (auto it = rightSide.rbegin(); it != rightSide.rend(); ++it) poly.push_back(*it);
    c.fillPolygon(poly, body);
    // Shadowed side, away from the sun.
    std::vector<Vec2> dark(leftSide.begin(), leftSide.end());
    for (auto i = leftSide.size(); i-- > 0;) {
        float mid = leftSide[i].x + (rightSide[i].x - leftSide[i].x) * 0.42f;
        dark.push_back({mid, leftSide[i].y});
    }
    c.fillPolygon(dark, shadow, 0.7f);
    // Cap rock, wider than the column below it.
    float capW = width * rng.range(0.55f, 0.8f);
    float capX = (leftSide.back().x + rightSide.back().x) * 0.5f;
    c.fillEllipse(capX, topY, capW * 0.62f, width * 0.16f, mix(body, shadow, 0.3f));
}

void saguaro(Canvas& c, float x, float groundY, float height, float girth, Rgb body, Rng& rng) {
    float top = groundY - height;
    c.line(x, groundY + 10, x, top + girth * 0.5f, girth, body);
    int arms = 1 + rng.below(2);
    for (int i = 0; i < arms; ++i) {
        float side = (i % 2 == 0) ? 1.0f : -1.0f;
        if (rng.uniform() < 0.5f) side = -side;
        float armY = groundY - height * rng.range(0.35f, 0.6f);
        float reach = girth * rng.range(1.3f, 1.8f);
        float armTop = armY - height * rng.range(0.22f, 0.38f);
        float w = girth * 0.72f;
        c.line(x, armY, x + side * reach, armY, w, body);
        c.line(x + side * reach, armY, x + side * reach, armTop, w, body);
    }
    // The sunward edge catches the light.
    c.line(x + girth * 0.3f, groundY, x + girth * 0.3f, top + girth * 0.6f, std::max(1.5f, girth * 0.16f),
           mix(body, rgb(200, 150, 90), 0.45f), 0.8f);
    // Ribs.
    Rgb rib = scale(body, 0.7f);
    for (float dx = -girth * 0.25f; dx <= girth * 0.26f; dx += girth * 0.25f) {
        c.line(x + dx, groundY, x + dx, top + girth, 1.0f, rib, 0.5f);
    }
}

void deadTree(Canvas& c, float x, float y, float angle, float length, float width, int depth, Rgb bark, Rng& rng) {
    float x1 = x + std::cos(angle) * length, y1 = y + std::sin(angle) * length;
    c.line(x, y, x1, y1, width, bark);
    if (depth == 0) return;
    int branches = 2 + (rng.uniform() < 0.3f ? 1 : 0);
    for (int i = 0; i < branches; ++i) {
        float a = angle + rng.range(-0.75f, 0.75f);
        deadTree(c, x1, y1, a, length * rng.range(0.55f, 0.78f), std::max(1.2f, width * 0.62f), depth - 1, bark, rng);
    }
}

void juniper(Canvas& c, float x, float groundY, float size, Rgb leaves, Rgb trunk, Rng& rng) {
    c.line(x, groundY + 4, x + size * 0.1f, groundY - size * 0.6f, std::max(2.0f, size * 0.12f), trunk);
    for (int i = 0; i < 9; ++i) {
        float bx = x + rng.range(-0.45f, 0.45f) * size;
        float by = groundY - size * rng.range(0.45f, 1.05f);
        float r = size * rng.range(0.18f, 0.3f);
        c.fillEllipse(bx, by, r * 1.2f, r, mix(leaves, rgb(0, 0, 0), rng.range(0.0f, 0.25f)));
    }
}

void grassTuft(Canvas& c, float x, float groundY, float size, Rgb colour, Rng& rng) {
    int blades = 5 + rng.below(4);
    for (int i = 0; i < blades; ++i) {
        float a = -pi / 2 + rng.range(-0.7f, 0.7f);
        float len = size * rng.range(0.5f, 1.0f);
        c.line(x, groundY, x + std::cos(a) * len, groundY + std::sin(a) * len, 1.3f, colour);
    }
}
} // namespace

Canvas paintSky(int width, int height) {
    Canvas c(width, height, rgb(0, 0, 0));
    struct Stop {
        float y;
        Rgb colour;
    };
    const Stop stops[] = {{0, rgb(22, 18, 58)},     {120, rgb(64, 38, 100)},  {210, rgb(150, 64, 112)},
                          {280, rgb(226, 108, 96)}, {330, rgb(252, 168, 88)}, {360, rgb(255, 208, 128)},
                          {480, rgb(255, 214, 140)}};
    for (int y = 0; y < height; ++y) {
        Rgb col = stops[0].colour;
        for (size_t i = 0; i + 1 < std::size(stops); ++i) {
            if (float(y) >= stops[i].y && float(y) <= stops[i + 1].y) {
                float t = (float(y) - stops[i].y) / (stops[i + 1].y - stops[i].y);
                col = mix(stops[i].colour, stops[i + 1].colour, t * t * (3 - 2 * t));
            }
        }
        for (int x = 0; x < width; ++x) c.set(x, y, col);
    }
    starField(c, 90, 150, 11);

    const float sunX = width * 0.62f, sunY = 336;
    c.glow(sunX, sunY, 190, rgb(255, 120, 60), 0.35f);
    c.glow(sunX, sunY, 70, rgb(255, 190, 110), 0.55f);
    c.fillCircle(sunX, sunY, 30, rgb(255, 236, 176));
    c.glow(sunX, sunY, 34, rgb(255, 250, 220), 0.4f);

    // Long evening clouds, lit from below by the sun.
    for (int y = 60; y < 290; ++y) {
        for (int x = 0; x < width; ++x) {
            float band = fbm2(float(x) / 260.0f, float(y) / 22.0f, 21, 5);
            float streak = fbm2(float(x) / 70.0f, float(y) / 6.0f, 22, 3);
            float d = (band - 0.52f) * 3.2f + (streak - 0.5f) * 0.8f;
            float fade =
                std::clamp((float(y) - 60) / 40.0f, 0.0f, 1.0f) * std::clamp((290 - float(y)) / 50.0f, 0.0f, 1.0f);
            float a = std::clamp(d, 0.0f, 1.0f) * fade * 0.85f;
            if (a <= 0.01f) continue;
            float lit = std::clamp((float(y) - 90) / 200.0f, 0.0f, 1.0f);
            float sunNear = std::exp(-std::pow((float(x) - sunX) / 380.0f, 2.0f));
            Rgb shadowSide = rgb(84, 52, 104);
            Rgb litSide = mix(rgb(236, 120, 120), rgb(255, 196, 130), sunNear);
            c.blend(x, y, mix(shadowSide, litSide, std::clamp(lit * 0.8f + sunNear * 0.35f, 0.0f, 1.0f)), a);
        }
    }

    // Two distant ranges, bluer and paler with distance.
    Profile far(static_cast<size_t>(width)), near(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        far[size_t(x)] = 318 - 44 * fbm1(float(x) / 150.0f, 31, 5) + 10 * std::sin(float(x) / 97.0f);
        near[size_t(x)] = 352 - 40 * std::pow(fbm1(float(x) / 110.0f, 32, 5), 1.6f);
    }
    fillProfile(c, far, [&](int x, int y, float depth) {
        float glowNear = std::exp(-std::pow((float(x) - sunX) / 300.0f, 2.0f));
        Rgb base = mix(rgb(170, 104, 140), rgb(214, 134, 128), glowNear * 0.6f);
        return mix(base, rgb(120, 74, 116), std::clamp(depth / 120.0f, 0.0f, 1.0f) * 0.5f + float(y) * 0.0f);
    });
    fillProfile(c, near, [&](int x, int, float depth) {
        float glowNear = std::exp(-std::pow((float(x) - sunX) / 260.0f, 2.0f));
        Rgb base = mix(rgb(116, 66, 110), rgb(150, 82, 104), glowNear * 0.6f);
        return mix(base, rgb(70, 40, 80), std::clamp(depth / 140.0f, 0.0f, 1.0f));
    });
    return c;
}

Canvas paintFarMesas(int width, int height) {
    Canvas c(width, height);
    Rng rng(101);
    Profile top(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) top[size_t(x)] = 392 - 22 * fbm1(float(x) / 120.0f, 41, 4);
    // Flat-topped mesas and narrow buttes: a cliff, sometimes a ledge and a
    // second cliff, then a talus skirt; the walls are ragged with erosion.
    float x = rng.range(-60, 80);
    uint32_t mesaSeed = 400;
    while (x < float(width) + 100) {
        bool butte = rng.uniform() < 0.4f;
        float plateau = butte ? rng.range(30, 80) : rng.range(120, 360);
        float plateauY = butte ? rng.range(210, 270) : rng.range(240, 310);
        float wall = rng.range(10, 24);
        float cliff = rng.range(26, 50);
        float ledge = rng.uniform() < 0.6f ? rng.range(10, 34) : 0.0f;
        float cliff2 = rng.range(18, 36);
        float skirt = rng.range(40, 90);
        float tilt = rng.range(-10, 10);
        float x0 = x, x1 = x + plateau;
        ++mesaSeed;
        float reach = wall + ledge + wall + skirt;
        for (int px = std::max(0, int(x0 - reach)); px < std::min(width, int(x1 + reach) + 1); ++px) {
            float fx = float(px);
            float edge = std::min(fx - x0, x1 - fx); // distance inside the plateau
            float h;
            if (edge >= 0) {
                h = plateauY + tilt * (fx - x0) / plateau + 4 * fbm1(fx / 14.0f, mesaSeed, 3);
            } else {
                float out = -edge;
                float base = plateauY + tilt * (fx < x0 ? 0.0f : 1.0f);
                if (out < wall) {
                    h = base + (out / wall) * cliff;
                } else if (out < wall + ledge) {
                    h = base + cliff + (out - wall) * 0.2f;
                } else if (out < wall + ledge + wall * 0.8f) {
                    h = base + cliff + ledge * 0.2f + (out - wall - ledge) / (wall * 0.8f) * cliff2;
                } else {
                    float t = (out - wall - ledge - wall * 0.8f) / skirt;
                    h = base + cliff + ledge * 0.2f + cliff2 + t * t * 110;
                }
                h += 7 * (fbm1(fx / 6.0f, mesaSeed + 50, 3) - 0.5f);
            }
            top[size_t(px)] = std::min(top[size_t(px)], h);
        }
        x = x1 + reach * 0.6f + rng.range(0, 200);
    }
    fillProfile(c, top, [&](int, int y, float depth) {
        Rgb rock = mix(rgb(150, 78, 98), rgb(98, 48, 78), std::clamp(depth / 90.0f, 0.0f, 1.0f));
        return mix(rock, rgb(70, 36, 70), std::clamp((float(y) - 380) / 100.0f, 0.0f, 1.0f));
    });
    rockTexture(c, 45, 0.12f, 50.0f, 5.0f);
    rimLight(c, rgb(255, 170, 120), 4, 0.55f);
    return c;
}

Canvas paintMidRidges(int width, int height) {
    Canvas c(width, height);
    Rng rng(202);
    Profile top(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        float fx = float(x);
        top[size_t(x)] = 408 - 58 * fbm1(fx / 180.0f, 51, 5) - 16 * std::sin(fx / 260.0f + 1.0f);
    }
    Rgb rock = rgb(156, 72, 52), shadow = rgb(92, 40, 44);
    fillProfile(c, top, [&](int, int y, float depth) {
        Rgb base = mix(rock, shadow, std::clamp(depth / 70.0f, 0.0f, 1.0f) * 0.8f);
        return mix(base, rgb(60, 30, 40), std::clamp((float(y) - 420) / 60.0f, 0.0f, 1.0f));
    });
    // Hoodoos standing on the ridge.
    for (float x = rng.range(120, 260); x < float(width) - 60; x += rng.range(260, 520)) {
        float ground = top[size_t(int(x))] + 14;
        float tall = rng.range(120, 210);
        hoodoo(c, x, ground, ground - tall, rng.range(26, 44), rock, shadow, rng);
        if (rng.uniform() < 0.5f) {
            float x2 = x + rng.range(34, 60);
            if (x2 < float(width) - 20) {
                float g2 = top[size_t(int(x2))] + 12;
                hoodoo(c, x2, g2, g2 - tall * rng.range(0.4f, 0.7f), rng.range(18, 28), rock, shadow, rng);
            }
        }
    }
    // A natural arch standing on the ridge, the sky showing through it.
    {
        float ax = float(width) * 0.47f, groundY = top[size_t(int(ax))] + 18;
        float rx = 120, ry = 150, thick = 34;
        float prevX = ax - rx, prevY = groundY;
        for (int i = 0; i <= 48; ++i) {
            float t = pi + pi * float(i) / 48.0f; // left foot, over the top, to the right foot
            float x = ax + std::cos(t) * rx, y = groundY + std::sin(t) * ry;
            float w = thick * (1.0f + 0.35f * std::fabs(std::cos(t))); // heavier legs than span
            c.line(prevX, prevY, x, y, w, mix(rock, shadow, 0.25f));
            prevX = x;
            prevY = y;
        }
    }
    rockTexture(c, 55, 0.16f, 40.0f, 4.0f);
    // Junipers on the ridge, after the texture so they stay dark and even.
    for (float x = rng.range(40, 120); x < float(width) - 30; x += rng.range(90, 260)) {
        float ground = top[size_t(int(x))] + 6;
        juniper(c, x, ground, rng.range(22, 40), rgb(44, 62, 48), rgb(60, 40, 34), rng);
    }
    rimLight(c, rgb(255, 176, 110), 4, 0.6f);
    return c;
}

Canvas paintForeground(int width, int height) {
    Canvas c(width, height);
    Rng rng(303);
    Profile top(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        float fx = float(x);
        top[size_t(x)] = 440 - 26 * fbm1(fx / 140.0f, 61, 5) - 10 * std::sin(fx / 330.0f);
    }
    Rgb ground = rgb(92, 52, 40), deep = rgb(40, 22, 26);
    fillProfile(c, top,
                [&](int, int, float depth) { return mix(ground, deep, std::clamp(depth / 40.0f, 0.0f, 1.0f)); });

    Rgb rock = rgb(104, 54, 44), rockShadow = rgb(52, 26, 30);
    // Great spires that reach far up: scenery in front of the flyers.
    const float spireX[] = {380, 1240, 2080, 2860};
    for (float sx : spireX) {
        float x = sx + rng.range(-60, 60);
        float g = top[size_t(int(x))] + 20;
        hoodoo(c, x, g, rng.range(70, 140), rng.range(70, 96), rock, rockShadow, rng);
        hoodoo(c, x + rng.range(50, 70), g, g - rng.range(120, 190), rng.range(30, 44), rock, rockShadow, rng);
    }
    // Boulders.
    for (float x = rng.range(0, 100); x < float(width); x += rng.range(120, 300)) {
        float g = top[size_t(std::min(width - 1, int(x)))];
        float r = rng.range(14, 34);
        // Shadowed body, then the face that catches the evening light.
        c.fillEllipse(x, g + 4, r * 1.4f, r, rockShadow);
        c.fillEllipse(x - r * 0.18f, g + 4 - r * 0.22f, r * 1.15f, r * 0.74f, rock);
        c.fillEllipse(x - r * 0.4f, g + 4 - r * 0.5f, r * 0.5f, r * 0.22f, mix(rock, rgb(230, 150, 100), 0.35f), 0.8f);
    }
    rockTexture(c, 65, 0.18f, 30.0f, 4.0f);

    // Saguaros and dead trees, backlit.
    const float cactusX[] = {760, 1660, 2440, 3240};
    for (float cx : cactusX) {
        float x = cx + rng.range(-80, 80);
        saguaro(c, x, top[size_t(int(x))] + 4, rng.range(200, 270), rng.range(20, 26), rgb(40, 60, 42), rng);
    }
    const float treeX[] = {120, 1000, 1900, 2620, 3420};
    for (float tx : treeX) {
        float x = tx + rng.range(-50, 50);
        if (x >= float(width) - 10) x = float(width) - 40;
        deadTree(c, x, top[size_t(int(x))] + 6, -pi / 2 + rng.range(-0.15f, 0.15f), rng.range(70, 100),
                 rng.range(8, 11), 4, rgb(58, 36, 34), rng);
    }
    for (float x = rng.range(0, 40); x < float(width); x += rng.range(18, 70)) {
        grassTuft(c, x, top[size_t(std::min(width - 1, int(x)))] + 3, rng.range(8, 18),
                  mix(rgb(120, 100, 50), rgb(70, 60, 40), rng.uniform()), rng);
    }
    rimLight(c, rgb(255, 160, 96), 3, 0.65f);
    return c;
}

void nightfall(Canvas& canvas, float amount) {
    Rgb night = rgb(18, 22, 60);
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            Rgb p = canvas.colour(x, y);
            float lum = 0.3f * p.r + 0.59f * p.g + 0.11f * p.b;
            Rgb cool = {lum * 0.55f + night.r * 0.6f, lum * 0.65f + night.g * 0.6f, lum * 0.95f + night.b * 0.8f};
            canvas.set(x, y, mix(p, cool, amount), canvas.alpha(x, y));
        }
    }
}

void starField(Canvas& canvas, int count, int maxY, unsigned seed) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        float x = rng.range(0, float(canvas.width())), y = rng.range(0, float(maxY));
        float fade = 1.0f - y / float(maxY);
        float b = rng.range(0.3f, 1.0f) * fade;
        canvas.glow(x, y, rng.range(0.5f, 1.1f), rgb(255, 250, 230), b);
    }
}

} // namespace vandrel::assetgen
