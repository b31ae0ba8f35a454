// JPEG and PNG encoding for the figure loader tests.
#include "PictureBlocks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>
#include <vector>

namespace vandrel::test {

namespace {

Bytes encodeJpeg(int32_t width, int32_t height) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (int32_t x = 0; x < width; ++x) {
        row[static_cast<size_t>(x) * 3] = 200;
        row[static_cast<size_t>(x) * 3 + 1] = 60;
        row[static_cast<size_t>(x) * 3 + 2] = 40;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes bytes(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes encodeMask(int32_t width, int32_t height, const std::function<bool(int32_t, int32_t)>& transparent) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendBytes, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 1,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(static_cast<size_t>((width + 7) / 8));
    for (int32_t y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int32_t x = 0; x < width; ++x)
            if (transparent(x, y)) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace

Bytes pictureBlocks(int32_t width, int32_t height, const std::function<bool(int32_t, int32_t)>& transparent) {
    return concat({block("JP", encodeJpeg(width, height)), block("PG", encodeMask(width, height, transparent))});
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
