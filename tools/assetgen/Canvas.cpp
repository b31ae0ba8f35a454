// Painting primitives for the generated art; coverage is computed with four
// sub-scanlines and exact horizontal spans, which is plenty at 640 x 480.
#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace vandrel::assetgen {

namespace {
constexpr int subRows = 4;
constexpr float pi = 3.14159265358979f;

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
} // namespace

Rgb mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Rgb scale(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }

Canvas::Canvas(int width, int height)
    : w_(width), h_(height), px_(static_cast<size_t>(width) * height), al_(static_cast<size_t>(width) * height, 0.0f) {}

Canvas::Canvas(int width, int height, Rgb fill)
    : w_(width), h_(height), px_(static_cast<size_t>(width) * height, fill),
      al_(static_cast<size_t>(width) * height, 1.0f) {}

void Canvas::set(int x, int y, Rgb c, float a) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    px_[index(x, y)] = c;
    al_[index(x, y)] = a;
}

void Canvas::blend(int x, int y, Rgb c, float a) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0.0f) return;
    a = std::min(a, 1.0f);
    size_t i = index(x, y);
    float below = al_[i] * (1.0f - a);
    float out = a + below;
    if (out <= 0.0f) return;
    Rgb& p = px_[i];
    p.r = (c.r * a + p.r * below) / out;
    p.g = (c.g * a + p.g * below) / out;
    p.b = (c.b * a + p.b * below) / out;
    al_[i] = out;
}

void Canvas::fill(Rgb c, float a) {
    std::fill(px_.begin(), px_.end(), c);
    std::fill(al_.begin(), al_.end(), a);
}

void Canvas::verticalGradient(int y0, int y1, Rgb top, Rgb bottom) {
    for (int y = std::max(0, y0); y < std::min(h_, y1); ++y) {
        float t = (y1 - 1 > y0) ? float(y - y0) / float(y1 - 1 - y0) : 0.0f;
        Rgb c = mix(top, bottom, t);
        for (int x = 0; x < w_; ++x) set(x, y, c);
    }
}

void Canvas::fillRect(float x0, float y0, float x1, float y1, Rgb c, float a) {
    fillPolygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, c, a);
}

void Canvas::coverSpan(std::vector<float>& row, float xa, float xb, float weight) const {
    xa = std::max(xa, 0.0f);
    xb = std::min(xb, float(w_));
    if (xb <= xa) return;
    int ia = int(xa), ib = int(xb);
    if (ia == ib) {
        row[ia] += (xb - xa) * weight;
        return;
    }
    row[ia] += (float(ia + 1) - xa) * weight;
    for (int x = ia + 1; x < ib && x < w_; ++x) row[x] += weight;
    if (ib < w_) row[ib] += (xb - float(ib)) * weight;
}

void Canvas::fillPolygon(const std::vector<Vec2>& points, Rgb c, float a) {
    if (points.size() < 3) return;
    float minY = points[0].y, maxY = points[0].y;
    for (const Vec2& p : points) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    int y0 = std::max(0, int(std::floor(minY)));
    int y1 = std::min(h_ - 1, int(std::ceil(maxY)));
    std::vector<float> row(static_cast<size_t>(w_) + 1);
    std::vector<float> xs;
    for (int y = y0; y <= y1; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        bool any = false;
        for (int s = 0; s < subRows; ++s) {
            float sy = float(y) + (float(s) + 0.5f) / subRows;
            xs.clear();
            for (size_t i = 0; i < points.size(); ++i) {
                const Vec2& p = points[i];
                const Vec2& q = points[(i + 1) % points.size()];
                if ((p.y <= sy && q.y > sy) || (q.y <= sy && p.y > sy)) {
                    xs.push_back(p.x + (sy - p.y) / (q.y - p.y) * (q.x - p.x));
                }
            }
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2) {
                coverSpan(row, xs[i], xs[i + 1], 1.0f / subRows);
                any = true;
            }
        }
        if (!any) continue;
        for (int x = 0; x < w_; ++x) {
            if (row[x] > 0.0f) blend(x, y, c, clamp01(row[x]) * a);
        }
    }
}

void Canvas::fillEllipse(float cx, float cy, float rx, float ry, Rgb c, float a, float rotation) {
    int n = std::max(16, int((rx + ry) * 1.5f));
    std::vector<Vec2> pts;
    pts.reserve(n);
    float cr = std::cos(rotation), sr = std::sin(rotation);
    for (int i = 0; i < n; ++i) {
        float t = 2.0f * pi * float(i) / float(n);
        float ex = std::cos(t) * rx, ey = std::sin(t) * ry;
        pts.push_back({cx + ex * cr - ey * sr, cy + ex * sr + ey * cr});
    }
    fillPolygon(pts, c, a);
}

void Canvas::line(float x0, float y0, float x1, float y1, float width, Rgb c, float a) {
    float dx = x1 - x0, dy = y1 - y0;
    float len = std::sqrt(dx * dx + dy * dy);
    float r = width * 0.5f;
    if (len < 1e-4f) {
        fillCircle(x0, y0, r, c, a);
        return;
    }
    float ang = std::atan2(dy, dx);
    int n = std::max(4, int(r * 2.0f));
    std::vector<Vec2> pts;
    for (int i = 0; i <= n; ++i) { // cap around the end point
        float t = ang - pi / 2 + pi * float(i) / float(n);
        pts.push_back({x1 + std::cos(t) * r, y1 + std::sin(t) * r});
    }
    for (int i = 0; i <= n; ++i) { // cap around the start point
        float t = ang + pi / 2 + pi * float(i) / float(n);
        pts.push_back({x0 + std::cos(t) * r, y0 + std::sin(t) * r});
    }
    fillPolygon(pts, c, a);
}

void Canvas::glow(float cx, float cy, float radius, Rgb c, float strength) {
    int x0 = std::max(0, int(cx - radius * 2.5f)), x1 = std::min(w_ - 1, int(cx + radius * 2.5f));
    int y0 = std::max(0, int(cy - radius * 2.5f)), y1 = std::min(h_ - 1, int(cy + radius * 2.5f));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            float dx = (float(x) + 0.5f - cx) / radius, dy = (float(y) + 0.5f - cy) / radius;
            float k = std::exp(-(dx * dx + dy * dy)) * strength;
            if (k < 0.002f) continue;
            size_t i = index(x, y);
            Rgb& p = px_[i];
            p.r = std::min(1.0f, p.r + c.r * k);
            p.g = std::min(1.0f, p.g + c.g * k);
            p.b = std::min(1.0f, p.b + c.b * k);
            al_[i] = std::max(al_[i], std::min(1.0f, k));
        }
    }
}

void Canvas::draw(const Canvas& src, int dx, int dy, float opacity) {
    for (int y = 0; y < src.h_; ++y) {
        for (int x = 0; x < src.w_; ++x) {
            float a = src.al_[src.index(x, y)] * opacity;
            if (a > 0.0f) blend(x + dx, y + dy, src.px_[src.index(x, y)], a);
        }
    }
}

Canvas Canvas::mirrored() const {
    Canvas out(w_, h_);
    for (int y = 0; y < h_; ++y) {
        for (int x = 0; x < w_; ++x) {
            out.px_[out.index(w_ - 1 - x, y)] = px_[index(x, y)];
            out.al_[out.index(w_ - 1 - x, y)] = al_[index(x, y)];
        }
    }
    return out;
}

Canvas Canvas::crop(int x0, int y0, int cw, int ch) const {
    Canvas out(cw, ch);
    for (int y = 0; y < ch; ++y) {
        for (int x = 0; x < cw; ++x) {
            int sx = x + x0, sy = y + y0;
            if (sx < 0 || sy < 0 || sx >= w_ || sy >= h_) continue;
            out.px_[out.index(x, y)] = px_[index(sx, sy)];
            out.al_[out.index(x, y)] = al_[index(sx, sy)];
        }
    }
    return out;
}

Canvas Canvas::downsample(int factor) const {
    Canvas out(w_ / factor, h_ / factor);
    float n = float(factor * factor);
    for (int y = 0; y < out.h_; ++y) {
        for (int x = 0; x < out.w_; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < factor; ++j) {
                for (int i = 0; i < factor; ++i) {
                    size_t k = index(x * factor + i, y * factor + j);
                    float pa = al_[k];
                    r += px_[k].r * pa;
                    g += px_[k].g * pa;
                    b += px_[k].b * pa;
                    a += pa;
                }
            }
            size_t o = out.index(x, y);
            if (a > 0) out.px_[o] = {r / a, g / a, b / a};
            out.al_[o] = a / n;
        }
    }
    return out;
}

void Canvas::outline(Rgb ink, float strength, float threshold) {
    std::vector<Rgb> next = px_;
    for (int y = 0; y < h_; ++y) {
        for (int x = 0; x < w_; ++x) {
            if (al_[index(x, y)] < threshold) continue;
            bool edge = false;
            const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& o : d) {
                int nx = x + o[0], ny = y + o[1];
                if (nx < 0 || ny < 0 || nx >= w_ || ny >= h_ || al_[index(nx, ny)] < threshold) edge = true;
            }
            if (edge) next[index(x, y)] = mix(px_[index(x, y)], ink, strength);
        }
    }
    px_.swap(next);
}

std::vector<uint8_t> Canvas::transparency(float threshold) const {
    std::vector<uint8_t> out(al_.size());
    for (size_t i = 0; i < al_.size(); ++i) out[i] = al_[i] < threshold ? 1 : 0;
    return out;
}

bool Canvas::hasTransparency(float threshold) const {
    return std::any_of(al_.begin(), al_.end(), [&](float a) { return a < threshold; });
}

std::vector<uint8_t> Canvas::rgb8(float threshold) const {
    // Transparent pixels take the colour of the nearest opaque pixel in their
    // column (then row), which keeps the JPEG's edge blocks free of foreign colour.
    std::vector<Rgb> colour = px_;
    std::vector<int> dist(px_.size(), 1 << 30);
    for (size_t i = 0; i < px_.size(); ++i) {
        if (al_[i] >= threshold) dist[i] = 0;
    }
    auto relax = [&](size_t from, size_t to) {
        if (dist[from] + 1 < dist[to]) {
            dist[to] = dist[from] + 1;
            colour[to] = colour[from];
        }
    };
    for (int x = 0; x < w_; ++x) {
        for (int y = 1; y < h_; ++y) relax(index(x, y - 1), index(x, y));
        for (int y = h_ - 1; y-- > 0;) relax(index(x, y + 1), index(x, y));
    }
    for (int y = 0; y < h_; ++y) {
        for (int x = 1; x < w_; ++x) relax(index(x - 1, y), index(x, y));
        for (int x = w_ - 1; x-- > 0;) relax(index(x + 1, y), index(x, y));
    }
    std::vector<uint8_t> out(colour.size() * 3);
    for (size_t i = 0; i < colour.size(); ++i) {
        Rgb c = dist[i] < (1 << 30) ? colour[i] : Rgb{0.5f, 0.5f, 0.5f};
        uint8_t r = uint8_t(clamp01(c.r) * 255.0f + 0.5f);
        uint8_t g = uint8_t(clamp01(c.g) * 255.0f + 0.5f);
        uint8_t b = uint8_t(clamp01(c.b) * 255.0f + 0.5f);
        if (r == 180 && g == 180 && b == 180) g = 182; // the transparent key grey
        out[i * 3] = r;
        out[i * 3 + 1] = g;
        out[i * 3 + 2] = b;
    }
    return out;
}

} // namespace vandrel::assetgen
