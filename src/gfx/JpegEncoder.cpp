// libjpeg's compressor into a memory buffer, one row at a time.
#include "gfx/JpegEncoder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

namespace vandrel {

std::vector<uint8_t> encodeJpeg(const uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerPixel,
                                int32_t quality, const JpegLayout& layout) {
    const int components = layout.grey ? 1 : 3;
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
    // Rows whose pixels carry a byte more than the picture's components are
    // copied without it; others are handed over as they are.
    std::vector<uint8_t> row(bytesPerPixel == components ? 0 : static_cast<size_t>(width) * components);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = layout.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = layout.optimizeCoding ? TRUE : FALSE;
    // The exact integer transform on every build, so the bytes do not
    // depend on the machine's floating point or SIMD.
    cinfo.dct_method = JDCT_ISLOW;
    if (layout.fullChroma) {
        for (int i = 0; i < cinfo.num_components; ++i) {
            cinfo.comp_info[i].h_samp_factor = 1;
            cinfo.comp_info[i].v_samp_factor = 1;
        }
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* from = pixels + static_cast<size_t>(cinfo.next_scanline) * stride;
        JSAMPROW line = const_cast<JSAMPROW>(from);
        if (!row.empty()) {
            for (int32_t x = 0; x < width; ++x)
                std::memcpy(&row[static_cast<size_t>(x) * components], from + static_cast<size_t>(x) * bytesPerPixel,
                            static_cast<size_t>(components));
            line = row.data();
        }
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

} // namespace vandrel
