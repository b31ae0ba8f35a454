// The transparency half of a picture: a 1-bit greyscale PNG from the open
// block whose white pixels become the surface's key colour.
#include "data/BlockReader.h"
#include "gfx/ImageLoader.h"
#include "gfx/Surface.h"

#include <algorithm>
#include <csetjmp>
#include <new>
#include <png.h>
#include <vector>

namespace vandrel {
namespace {

void readFromBlock(png_structp png, png_bytep data, size_t length) {
    auto* reader = static_cast<BlockReader*>(png_get_io_ptr(png));
    if (length > 0xFFFFFFFFu || !reader->read(data, static_cast<uint32_t>(length))) png_error(png, "Read Error");
}

// The decoded mask, nonzero where the picture is transparent: the 1-bit masks
// of our pictures as libpng packs them (eight pixels a byte, the leftmost in
// the top bit), any other kind of PNG widened to a byte per pixel.
struct Mask {
    uint32_t width = 0;
    uint32_t height = 0;
    bool packed = false;
    size_t rowBytes = 0;
    std::vector<uint8_t> bytes;
};

// libpng reports errors by longjmp: everything that needs destruction lives
// outside the setjmp frame (mask, rows), and nothing inside it is a C++ object.
bool decodePng(BlockReader* reader, Mask& mask) {
    // libpng refuses versions other than its own, so the installed library's
    // version string is the one we ask for.
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    std::vector<png_bytep> rows;
    bool ok = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_set_read_fn(png, reader, readFromBlock);
        png_set_user_limits(png, maxImageSide, maxImageSide);
        png_read_info(png, info);
        const uint32_t width = png_get_image_width(png, info);
        const uint32_t height = png_get_image_height(png, info);
        if (static_cast<int64_t>(width) * height > maxImagePixels) png_error(png, "mask too large");
        const png_byte colourType = png_get_color_type(png, info);
        mask.packed = png_get_bit_depth(png, info) == 1 && colourType == PNG_COLOR_TYPE_GRAY &&
                      png_get_interlace_type(png, info) == PNG_INTERLACE_NONE;
        if (!mask.packed) {
            // Samples widened to a byte each, greys to 8 bits. Other kinds of
            // PNG are reduced to one grey channel.
            png_set_packing(png);
            png_set_expand(png);
            png_set_strip_16(png);
            png_set_strip_alpha(png);
            if (colourType & PNG_COLOR_MASK_COLOR) png_set_rgb_to_gray_fixed(png, 1, -1, -1);
            png_set_interlace_handling(png);
        }
        png_read_update_info(png, info);
        mask.rowBytes = png_get_rowbytes(png, info);
        if (mask.rowBytes != (mask.packed ? (static_cast<size_t>(width) + 7) / 8 : width))
            png_error(png, "mask row of unexpected size");
        mask.width = width;
        mask.height = height;
        mask.bytes.resize(mask.rowBytes * height);
        rows.resize(height);
        for (uint32_t y = 0; y < height; ++y) rows[y] = mask.bytes.data() + static_cast<size_t>(y) * mask.rowBytes;
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

} // namespace

bool decodeMask(BlockReader* reader, Surface* surface) {
    if (!reader || !surface) return false;
    try {
        // The whole mask is read before any of it is applied: a damaged one
        // leaves the picture as it was.
        Mask mask;
        if (!decodePng(reader, mask)) return false;
        if (!surface->lock()) return false;
        // A mask of another size than its picture counts only where both exist.
        const int32_t width = surface->width();
        const int32_t rows = std::min<int64_t>(mask.height, surface->height());
        const int32_t columns = std::min<int64_t>(mask.width, width);
        std::vector<uint8_t> padded;
        if (!mask.packed && mask.width < static_cast<uint32_t>(width)) padded.assign(static_cast<size_t>(width), 0);
        for (int32_t y = 0; y < rows; ++y) {
            const uint8_t* line = mask.bytes.data() + static_cast<size_t>(y) * mask.rowBytes;
            bool written;
            if (mask.packed) {
                written = surface->putMaskBits(line, columns, y);
            } else {
                if (!padded.empty()) {
                    std::copy(line, line + mask.width, padded.begin());
                    line = padded.data();
                }
                written = surface->putMaskRow(line, y);
            }
            if (!written) {
                surface->unlock();
                return false;
            }
        }
        return surface->unlock();
    } catch (const std::bad_alloc&) {
        surface->unlock();
        return false;
    }
}

} // namespace vandrel
