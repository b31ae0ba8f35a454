// The file formats the archive and the preview use: baseline JPEG colour
// pictures, 1-bit greyscale PNG masks, 8-bit RGB PNGs for review and RGBA PNGs
// for the icons.
#pragma once
#include "gfx/JpegEncoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::assetgen {

class Canvas;
using Bytes = std::vector<uint8_t>;

// The data set uses the default layout.
using JpegLayout = vandrel::JpegLayout;

// pixels: RGB rows, or one byte a pixel when layout.grey is set.
Bytes encodeJpeg(const uint8_t* pixels, int width, int height, int quality, const JpegLayout& layout = {});
// transparent: one byte per pixel, nonzero = transparent (stored as white).
Bytes encodePngMask(const uint8_t* transparent, int width, int height);
Bytes encodePngRgb(const uint8_t* rgb, int width, int height);
// rgba: four bytes a pixel, straight alpha.
Bytes encodePngRgba(const uint8_t* rgba, int width, int height);

// The colour half and the mask half of one picture; the mask is empty when
// every pixel is opaque and the picture is stored without one.
struct PicturePair {
    Bytes jpeg;
    Bytes mask;
};
PicturePair encodePicture(const Canvas& canvas, bool withMask, int quality);

bool writeFile(const std::string& path, const Bytes& bytes);

} // namespace vandrel::assetgen
