// PNG decoding, the mask encoder and the frame cutter of the kit compiler; its
// JPEGs come from the game's own writer. libpng reports errors by longjmp:
// nothing inside a setjmp frame owns memory that needs a destructor.
#include "kit/KitPictures.h"

#include "gfx/JpegEncoder.h"
#include "kit/KitKeys.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>

namespace vandrel::kit {
namespace {

using Bytes = std::vector<uint8_t>;

struct PngInput {
    std::span<const uint8_t> bytes;
    size_t at = 0;
};

void readFromSpan(png_structp png, png_bytep data, size_t length) {
    auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
    if (length > in->bytes.size() - in->at) png_error(png, "the file ends early");
    std::memcpy(data, in->bytes.data() + in->at, length);
    in->at += length;
}

void appendToBytes(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// libpng's message kept for the maker instead of printed on stderr.
void keepError(png_structp png, png_const_charp message) {
    auto* why = static_cast<std::string*>(png_get_error_ptr(png));
    *why = message;
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// The mask as the game's masks are: 1-bit grey, set bits transparent.
Bytes encodeMask(const RgbaPicture& picture) {
    const size_t rowBytes = (static_cast<size_t>(picture.width) + 7) / 8;
    std::vector<Bytes> rows(static_cast<size_t>(picture.height), Bytes(rowBytes, 0));
    bool any = false;
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x)
            if (picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4 + 3] < seenAlpha) {
                rows[static_cast<size_t>(y)][static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
                any = true;
            }
    if (!any) return {};
    Bytes out;
    std::vector<png_bytep> pointers;
    for (Bytes& row : rows) pointers.push_back(row.data());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::bad_alloc();
    }
    volatile bool ok = false; // set inside the setjmp frame
    if (!setjmp(png_jmpbuf(png))) {
        png_set_write_fn(png, &out, appendToBytes, flushNothing);
        // Fixed settings, no time chunk: the same mask gives the same bytes.
        png_set_compression_level(png, 9);
        png_set_IHDR(png, info, static_cast<uint32_t>(picture.width), static_cast<uint32_t>(picture.height), 1,
                     PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_write_image(png, pointers.data());
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    if (!ok) throw std::bad_alloc();
    return out;
}

Bytes encodeJpeg(const RgbaPicture& picture) {
    // Baseline coding, as the kit's pictures have always been written.
    return vandrel::encodeJpeg(picture.pixels.data(), picture.width, picture.height, 4, pngJpegQuality,
                               {.optimizeCoding = false});
}

} // namespace

std::optional<RgbaPicture> decodePng(std::span<const uint8_t> bytes, std::string& why) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &why, keepError, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        why = "out of memory";
        return std::nullopt;
    }
    PngInput input{bytes};
    RgbaPicture picture;
    std::vector<png_bytep> rows;
    volatile bool ok = false; // set inside the setjmp frame
    if (!setjmp(png_jmpbuf(png))) {
        png_set_read_fn(png, &input, readFromSpan);
        png_set_user_limits(png, limits::maxPictureSide, limits::maxPictureSide);
        png_read_info(png, info);
        const uint32_t width = png_get_image_width(png, info);
        const uint32_t height = png_get_image_height(png, info);
        if (static_cast<int64_t>(width) * height > limits::maxPicturePixels) png_error(png, "the picture is too large");
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        picture.width = static_cast<int32_t>(width);
        picture.height = static_cast<int32_t>(height);
        picture.pixels.resize(static_cast<size_t>(width) * height * 4);
        rows.resize(height);
        for (uint32_t y = 0; y < height; ++y) rows[y] = picture.pixels.data() + static_cast<size_t>(y) * width * 4;
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) return std::nullopt;
    return picture;
}

PicturePair splitPicture(const RgbaPicture& picture) { return {encodeJpeg(picture), encodeMask(picture)}; }

std::vector<RgbaPicture> cutFrames(const RgbaPicture& sheet, int32_t frameWidth, int32_t frameHeight, int32_t count) {
    std::vector<RgbaPicture> frames;
    const int32_t perRow = sheet.width / frameWidth;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t left = (i % perRow) * frameWidth;
        const int32_t top = (i / perRow) * frameHeight;
        RgbaPicture frame{frameWidth, frameHeight, {}};
        frame.pixels.reserve(static_cast<size_t>(frameWidth) * frameHeight * 4);
        for (int32_t y = 0; y < frameHeight; ++y) {
            const auto from = sheet.pixels.begin() + (static_cast<ptrdiff_t>(top + y) * sheet.width + left) * 4;
            frame.pixels.insert(frame.pixels.end(), from, from + static_cast<ptrdiff_t>(frameWidth) * 4);
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

} // namespace vandrel::kit
