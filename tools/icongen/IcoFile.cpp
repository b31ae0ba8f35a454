// Writes .ico files: a directory of entries followed by each image.
#include "IcoFile.h"

#include "Encoders.h"

#include <stdexcept>

namespace vandrel::icongen {
namespace {

void put16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A bitmap entry: the header with twice the height (colour rows and mask rows),
// BGRA rows bottom up, then the 1-bit mask that older Windows versions draw with.
Bytes bitmapEntry(const IcoImage& img) {
    const auto n = static_cast<uint32_t>(img.size);
    const uint32_t maskStride = (n + 31) / 32 * 4;
    Bytes out;
    put32(out, 40);
    put32(out, n);
    put32(out, n * 2);
    put16(out, 1);  // planes
    put16(out, 32); // bits per pixel
    put32(out, 0);  // no compression
    put32(out, n * n * 4 + maskStride * n);
    for (int i = 0; i < 4; ++i) put32(out, 0); // resolution and palette: unused
    for (uint32_t row = n; row-- > 0;) {
        for (uint32_t x = 0; x < n; ++x) {
            const uint8_t* p = &img.rgba[(row * n + x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    for (uint32_t row = n; row-- > 0;) {
        Bytes mask(maskStride, 0);
        for (uint32_t x = 0; x < n; ++x) {
            if (img.rgba[(row * n + x) * 4 + 3] == 0) mask[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

} // namespace

Bytes encodeIco(const std::vector<IcoImage>& images) {
    std::vector<Bytes> bodies;
    for (const IcoImage& img : images) {
        if (img.size < 1 || img.size > 256) throw std::invalid_argument("an icon image must be 1 to 256 pixels wide");
        if (img.rgba.size() != static_cast<size_t>(img.size) * static_cast<size_t>(img.size) * 4)
            throw std::invalid_argument("icon pixels do not match the icon's size");
        bodies.push_back(img.size == 256 ? assetgen::encodePngRgba(img.rgba.data(), img.size, img.size)
                                         : bitmapEntry(img));
    }
    Bytes out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, static_cast<uint32_t>(images.size()));
    auto offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        // A width or height of 256 is written as 0: the field is one byte.
        out.push_back(static_cast<uint8_t>(images[i].size & 0xFF));
        out.push_back(static_cast<uint8_t>(images[i].size & 0xFF));
        out.push_back(0); // no palette
        out.push_back(0);
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<uint32_t>(bodies[i].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const Bytes& body : bodies) out.insert(out.end(), body.begin(), body.end());
    return out;
}

} // namespace vandrel::icongen
