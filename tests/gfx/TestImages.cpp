// JPEG/PNG encoders for test data and the golden-image files.
#include "TestImages.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>
#include <sstream>
#include <stdexcept>

namespace vandrel::test {

Picture makePicture(int32_t width, int32_t height, const std::function<Rgb(int32_t, int32_t)>& colour) {
    Picture p{width, height, {}};
    p.pixels.resize(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            p.at(x, y) = colour(x, y);
    return p;
}

Bytes encodeJpeg(const Picture& picture, int quality, bool grey) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(picture.width) * 3);
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const Rgb& c = picture.at(x, y);
            if (grey) {
                row[x] = c.g;
                continue;
            }
            row[x * 3] = c.r;
            row[x * 3 + 1] = c.g;
            row[x * 3 + 2] = c.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

namespace {

void appendToBytes(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// Writes 8-bit rows of the given colour type into a PNG file in memory.
Bytes writePng(int32_t width, int32_t height, int bitDepth, int colourType, const std::vector<png_bytep>& rows) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("PNG encoding failed");
    }
    png_set_write_fn(png, &out, appendToBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace

Bytes encodeMaskPng(int32_t width, int32_t height, const std::vector<uint8_t>& mask) {
    const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
    std::vector<uint8_t> packed(rowBytes * height, 0);
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x)
            if (mask[static_cast<size_t>(y) * width + x])
                packed[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        rows[y] = packed.data() + y * rowBytes;
    }
    return writePng(width, height, 1, PNG_COLOR_TYPE_GRAY, rows);
}

void fillSurface(Surface& surface, VideoDevice& device, const Picture& picture, const std::vector<uint8_t>* mask) {
    if (!surface.create(picture.width, picture.height, &device, true) || !surface.lock())
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
        if (mask)
            surface.putMaskRow(mask->data() + static_cast<size_t>(y) * picture.width, y);
    }
    if (!surface.unlock())
        throw std::runtime_error("cannot unlock a test surface");
}

Rgb cellColour(int32_t k) {
    return Rgb{static_cast<uint8_t>(40 + k * 3), static_cast<uint8_t>(250 - k * 2), static_cast<uint8_t>(k * 37)};
}

void makeFontSheet(Surface& sheet, VideoDevice& device, int32_t width, int32_t height, int32_t originX,
                   int32_t originY, int32_t glyphWidth, int32_t glyphHeight, int32_t gapX, int32_t gapY) {
    std::vector<uint8_t> mask(static_cast<size_t>(width) * height, 0);
    const Picture picture = makePicture(width, height, [&](int32_t x, int32_t y) {
        const int32_t cx = x - originX, cy = y - originY;
        if (cx < 0 || cy < 0)
            return sheetGap;
        const int32_t column = cx / (glyphWidth + gapX), row = cy / (glyphHeight + gapY);
        const int32_t gx = cx % (glyphWidth + gapX), gy = cy % (glyphHeight + gapY);
        if (column >= 13 || gx >= glyphWidth || gy >= glyphHeight)
            return sheetGap;
        if (gx >= glyphWidth - 4 && gy < 4)
            mask[static_cast<size_t>(y) * width + x] = 1;
        if (gx == gy)
            return Rgb{10, 10, 10};
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

bool readRgbPng(const std::string& path, Picture& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr))
        return false;
    out.width = static_cast<int32_t>(image.width);
    out.height = static_cast<int32_t>(image.height);
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = Rgb{buffer[i * 3], buffer[i * 3 + 1], buffer[i * 3 + 2]};
    return true;
}

void writeRgbPng(const std::string& path, const Picture& picture) {
    std::vector<uint8_t> buffer(picture.pixels.size() * 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        buffer[i * 3] = picture.pixels[i].r;
        buffer[i * 3 + 1] = picture.pixels[i].g;
        buffer[i * 3 + 2] = picture.pixels[i].b;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(picture.height));
    for (int32_t y = 0; y < picture.height; ++y)
        rows[y] = buffer.data() + static_cast<size_t>(y) * picture.width * 3;
    const Bytes file = writePng(picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB, rows);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size())
        throw std::runtime_error("cannot write " + path);
    std::fclose(f);
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
    if (differing > 0)
        out << ", " << differing << " pixels differ";
    return out.str();
}

} // namespace vandrel::test
