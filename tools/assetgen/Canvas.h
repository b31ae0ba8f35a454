// A floating-point RGBA painting surface for the generated art: anti-aliased
// polygons, ellipses and strokes, gradients, and the conversion to the 8-bit
// colour rows and 1-bit transparency masks the archive stores.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vandrel::assetgen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }
Rgb mix(Rgb a, Rgb b, float t);
Rgb scale(Rgb a, float k);

struct Vec2 {
    float x = 0, y = 0;
};

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height);           // fully transparent
    Canvas(int width, int height, Rgb fill); // fully opaque

    int width() const { return w_; }
    int height() const { return h_; }
    bool empty() const { return w_ == 0 || h_ == 0; }

    Rgb colour(int x, int y) const { return px_[index(x, y)]; }
    float alpha(int x, int y) const { return al_[index(x, y)]; }
    void set(int x, int y, Rgb c, float a = 1.0f);
    // Source-over blend of colour c with coverage a at one pixel (clipped).
    void blend(int x, int y, Rgb c, float a);

    void fill(Rgb c, float a = 1.0f);
    void verticalGradient(int y0, int y1, Rgb top, Rgb bottom);
    void fillRect(float x0, float y0, float x1, float y1, Rgb c, float a = 1.0f);
    void fillPolygon(const std::vector<Vec2>& points, Rgb c, float a = 1.0f);
    void fillEllipse(float cx, float cy, float rx, float ry, Rgb c, float a = 1.0f, float rotation = 0.0f);
    void fillCircle(float cx, float cy, float r, Rgb c, float a = 1.0f) { fillEllipse(cx, cy, r, r, c, a); }
    // A stroke with round ends; width in pixels.
    void line(float x0, float y0, float x1, float y1, float width, Rgb c, float a = 1.0f);
    // A soft radial glow added on top (used for the sun, flames and sparks).
    void glow(float cx, float cy, float radius, Rgb c, float strength);

    // Paints src over this canvas with its top-left corner at (dx, dy).
    void draw(const Canvas& src, int dx, int dy, float opacity = 1.0f);
    Canvas mirrored() const;
    Canvas crop(int x, int y, int cw, int ch) const;
    // Box-filtered reduction by an integer factor; colours are averaged by coverage.
    Canvas downsample(int factor) const;
    // Darkens opaque pixels that border transparent ones, so small sprites
    // read against both sky and rock.
    void outline(Rgb ink, float strength, float threshold = 0.5f);

    // 8-bit RGB rows. Transparent pixels get the colour of nearby opaque ones so
    // that JPEG ringing does not bleed a foreign colour into the edges, and no
    // opaque pixel is left on the transparent key grey.
    std::vector<uint8_t> rgb8(float threshold = 0.5f) const;
    // One byte per pixel, 1 = transparent.
    std::vector<uint8_t> transparency(float threshold = 0.5f) const;
    bool hasTransparency(float threshold = 0.5f) const;

private:
    size_t index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x);
    }
    void coverSpan(std::vector<float>& row, float xa, float xb, float weight) const;

    int w_ = 0, h_ = 0;
    std::vector<Rgb> px_;
    std::vector<float> al_;
};

} // namespace vandrel::assetgen
