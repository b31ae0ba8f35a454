// Test surfaces: filled from pictures, read back through the row conversions,
// and compared with the golden-image files.
#include "SurfacePictures.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace vandrel::test {

void fillSurface(Surface& surface, VideoDevice& device, const Picture& picture, const std::vector<uint8_t>* mask) {
    if (!surface.create(picture.width, picture.height, &device) || !surface.lock())
        throw std::runtime_error("cannot make a test surface");
    std::vector<uint8_t> row(static_cast<size_t>(picture.width) * 3);
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const Rgb& c = picture.at(x, y);
            row[x * 3] = c.b;
            row[x * 3 + 1] = c.g;
            row[x * 3 + 2] = c.r;
        }
        surface.putRow(row.data(), y, true);
        if (mask) surface.putMaskRow(mask->data() + static_cast<size_t>(y) * picture.width, y);
    }
    if (!surface.unlock()) throw std::runtime_error("cannot unlock a test surface");
}

Rgb cellColour(int32_t k) {
    return Rgb{static_cast<uint8_t>(40 + k * 3), static_cast<uint8_t>(250 - k * 2), static_cast<uint8_t>(k * 37)};
}

void makeFontSheet(Surface& sheet, VideoDevice& device, int32_t width, int32_t height, int32_t originX, int32_t originY,
                   int32_t glyphWidth, int32_t glyphHeight, int32_t gapX, int32_t gapY) {
    std::vector<uint8_t> mask(static_cast<size_t>(width) * height, 0);
    const Picture picture = makePicture(width, height, [&](int32_t x, int32_t y) {
        const int32_t cx = x - originX, cy = y - originY;
        if (cx < 0 || cy < 0) return sheetGap;
        const int32_t column = cx / (glyphWidth + gapX), row = cy / (glyphHeight + gapY);
        const int32_t gx = cx % (glyphWidth + gapX), gy = cy % (glyphHeight + gapY);
        if (column >= 13 || gx >= glyphWidth || gy >= glyphHeight) return sheetGap;
        if (gx >= glyphWidth - 4 && gy < 4) mask[static_cast<size_t>(y) * width + x] = 1;
        if (gx == gy) return Rgb{10, 10, 10};
        return cellColour(row * 13 + column);
    });
    fillSurface(sheet, device, picture, &mask);
}

Picture readSurface(const VideoSurface& surface) {
    const PixelFormat& f = surface.format();
    return makePicture(surface.width(), surface.height(), [&](int32_t x, int32_t y) {
        const uint32_t v = surface.pixelAt(x, y);
        if (f.bitsPerPixel != 16)
            return Rgb{static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
        if (f.greenMask == 0x07E0)
            return Rgb{static_cast<uint8_t>((v >> 8) & 0xF8), static_cast<uint8_t>((v >> 3) & 0xFC),
                       static_cast<uint8_t>((v << 3) & 0xFF)};
        return Rgb{static_cast<uint8_t>((v >> 7) & 0xF8), static_cast<uint8_t>((v >> 2) & 0xF8),
                   static_cast<uint8_t>((v << 3) & 0xFF)};
    });
}

namespace {

std::string goldenPath(const std::string& name) {
    return std::string(VANDREL_SOURCE_DIR) + "/tests/golden/" + name + ".png";
}

} // namespace

std::string compareWithGolden(const std::string& name, const VideoSurface& surface) {
    const Picture actual = readSurface(surface);
    const std::string path = goldenPath(name);
    const char* update = std::getenv("VANDREL_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        writeRgbPng(path, actual);
        return {};
    }
    Picture expected;
    if (!readRgbPng(path, expected))
        return "missing golden image " + path + " (run with VANDREL_UPDATE_GOLDEN=1 to make it)";
    std::ostringstream out;
    if (expected.width != actual.width || expected.height != actual.height) {
        out << name << ": size " << actual.width << "x" << actual.height << ", golden " << expected.width << "x"
            << expected.height;
        return out.str();
    }
    int differing = 0;
    for (int32_t y = 0; y < actual.height; ++y)
        for (int32_t x = 0; x < actual.width; ++x)
            if (!(actual.at(x, y) == expected.at(x, y)) && differing++ == 0)
                out << name << ": first difference at (" << x << ", " << y << ")";
    if (differing > 0) out << ", " << differing << " pixels differ";
    return out.str();
}

} // namespace vandrel::test
