// Baseline JPEG pictures written into memory, for the data set generator and
// the kit compiler alike. Nothing of the machine goes into them (no time, the
// exact integer transform on every build): the same pixels give the same bytes.
#pragma once
#include <cstdint>
#include <vector>

namespace vandrel {

// How a JPEG is laid out. Full chroma keeps flat colour areas exact; grey
// writes one component; optimised coding makes smaller files of the same picture.
struct JpegLayout {
    bool grey = false;
    bool fullChroma = false;
    bool optimizeCoding = true;
};

// pixels: height rows of width pixels, bytesPerPixel bytes each: one (grey),
// three (RGB) or four (RGB and a fourth byte that is left out, as alpha is).
std::vector<uint8_t> encodeJpeg(const uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerPixel,
                                int32_t quality, const JpegLayout& layout = {});

} // namespace vandrel
