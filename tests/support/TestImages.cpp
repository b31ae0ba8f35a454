// The test pictures' encoders: the data set generator's JPEG and PNG writers,
// fed from pictures made in the test.
#include "support/TestImages.h"

#include "Encoders.h"

#include <png.h>
#include <stdexcept>

namespace vandrel::test {

Picture makePicture(int32_t width, int32_t height, const std::function<Rgb(int32_t, int32_t)>& colour) {
    Picture p{width, height, {}};
    p.pixels.resize(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) p.at(x, y) = colour(x, y);
    return p;
}

namespace {

Bytes rgbBytes(const Picture& picture) {
    Bytes out(picture.pixels.size() * 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        out[i * 3] = picture.pixels[i].r;
        out[i * 3 + 1] = picture.pixels[i].g;
        out[i * 3 + 2] = picture.pixels[i].b;
    }
    return out;
}

} // namespace

Bytes encodeJpeg(const Picture& picture, int quality, bool grey) {
    assetgen::JpegLayout layout;
    layout.grey = grey;
    layout.fullChroma = true;
    layout.optimizeCoding = false;
    Bytes pixels;
    if (grey) {
        pixels.reserve(picture.pixels.size());
        for (const Rgb& c : picture.pixels) pixels.push_back(c.g);
    } else {
        pixels = rgbBytes(picture);
    }
    return assetgen::encodeJpeg(pixels.data(), picture.width, picture.height, quality, layout);
}

Bytes encodeMaskPng(int32_t width, int32_t height, const std::vector<uint8_t>& mask) {
    if (mask.size() < static_cast<size_t>(width) * height) throw std::invalid_argument("mask smaller than the picture");
    return assetgen::encodePngMask(mask.data(), width, height);
}

void writeRgbPng(const std::string& path, const Picture& picture) {
    const Bytes rgb = rgbBytes(picture);
    if (!assetgen::writeFile(path, assetgen::encodePngRgb(rgb.data(), picture.width, picture.height)))
        throw std::runtime_error("cannot write " + path);
}

bool readRgbPng(const std::string& path, Picture& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) return false;
    out.width = static_cast<int32_t>(image.width);
    out.height = static_cast<int32_t>(image.height);
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = Rgb{buffer[i * 3], buffer[i * 3 + 1], buffer[i * 3 + 2]};
    return true;
}

Bytes pictureBlocks(int32_t width, int32_t height, const std::function<bool(int32_t, int32_t)>& transparent) {
    const Picture colour = makePicture(width, height, [](int32_t, int32_t) { return Rgb{200, 60, 40}; });
    std::vector<uint8_t> mask(static_cast<size_t>(width) * height, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) mask[static_cast<size_t>(y) * width + x] = transparent(x, y) ? 1 : 0;
    return concat({block("JP", encodeJpeg(colour, 95)), block("PG", encodeMaskPng(width, height, mask))});
}

Bytes frameSetBlocks(int32_t count, int32_t width, int32_t height, uint32_t info) {
    Bytes fc;
    putU32(fc, static_cast<uint32_t>(count));
    Bytes ti;
    for (int32_t i = 0; i < count; ++i) putU32(ti, info);
    Bytes out = concat({block("FC", fc), block("TI", ti)});
    // Opaque except a transparent left column.
    const Bytes picture = pictureBlocks(width, height, [](int32_t x, int32_t) { return x == 0; });
    for (int32_t i = 0; i < count; ++i) out.insert(out.end(), picture.begin(), picture.end());
    return out;
}

} // namespace vandrel::test
