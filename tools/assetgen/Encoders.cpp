// The game's JPEG writer and libpng's, into memory. Nothing time- or
// host-dependent is written (no timestamps, no text chunks), so the bytes are
// the same every build.
#include "Encoders.h"

#include "Canvas.h"

#include <cstdio>
#include <png.h>
#include <stdexcept>

namespace vandrel::assetgen {

Bytes encodeJpeg(const uint8_t* pixels, int width, int height, int quality, const JpegLayout& layout) {
    return vandrel::encodeJpeg(pixels, width, height, layout.grey ? 1 : 3, quality, layout);
}

namespace {
void appendToBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void flushNothing(png_structp) {}

Bytes encodePng(const std::vector<Bytes>& rows, int width, int height, int bitDepth, int colourType) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) throw std::runtime_error("png_create_write_struct failed");
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("PNG encoding failed");
    }
    png_set_write_fn(png, &out, appendToBytes, flushNothing);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (const Bytes& row : rows) png_write_row(png, row.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}
} // namespace

Bytes encodePngMask(const uint8_t* transparent, int width, int height) {
    std::vector<Bytes> rows(size_t(height), Bytes(size_t((width + 7) / 8), 0));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (transparent[size_t(y) * size_t(width) + size_t(x)])
                rows[size_t(y)][size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        }
    }
    return encodePng(rows, width, height, 1, PNG_COLOR_TYPE_GRAY);
}

namespace {
Bytes encodePng8(const uint8_t* pixels, int width, int height, int channels, int colourType) {
    std::vector<Bytes> rows(static_cast<size_t>(height), Bytes{});
    const size_t stride = size_t(width) * size_t(channels);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + size_t(y) * stride;
        rows[size_t(y)].assign(row, row + stride);
    }
    return encodePng(rows, width, height, 8, colourType);
}
} // namespace

Bytes encodePngRgb(const uint8_t* rgb, int width, int height) {
    return encodePng8(rgb, width, height, 3, PNG_COLOR_TYPE_RGB);
}

Bytes encodePngRgba(const uint8_t* rgba, int width, int height) {
    return encodePng8(rgba, width, height, 4, PNG_COLOR_TYPE_RGB_ALPHA);
}

PicturePair encodePicture(const Canvas& canvas, bool withMask, int quality) {
    PicturePair pair;
    Bytes rgb = canvas.rgb8();
    pair.jpeg = encodeJpeg(rgb.data(), canvas.width(), canvas.height(), quality);
    if (withMask) {
        Bytes mask = canvas.transparency();
        pair.mask = encodePngMask(mask.data(), canvas.width(), canvas.height());
    }
    return pair;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

} // namespace vandrel::assetgen
