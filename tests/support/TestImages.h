// Test pictures made in code: RGB pictures in memory, their JPEG and 1-bit PNG
// mask encodings, 8-bit RGB PNG files, and the JP/PG picture blocks of entries.
#pragma once
#include "support/TestArchive.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vandrel::test {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A picture in memory, row-major.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Rgb> pixels;
    Rgb& at(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Rgb& at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture makePicture(int32_t width, int32_t height, const std::function<Rgb(int32_t, int32_t)>& colour);

// A baseline JPEG (4:4:4, so flat areas decode exactly at quality 100);
// grey makes a one-component JPEG of the pictures' green channel.
Bytes encodeJpeg(const Picture& picture, int quality = 100, bool grey = false);
// A greyscale PNG of bit depth 1: nonzero mask bytes become white (1).
Bytes encodeMaskPng(int32_t width, int32_t height, const std::vector<uint8_t>& mask);

// An 8-bit RGB PNG file; readRgbPng is false when the file is missing or unreadable.
void writeRgbPng(const std::string& path, const Picture& picture);
bool readRgbPng(const std::string& path, Picture& out);

// A JP block of one flat colour and the PG block of its mask, as a figure
// frame stores them; transparent(x, y) true marks a pixel the mask keys out.
Bytes pictureBlocks(int32_t width, int32_t height, const std::function<bool(int32_t, int32_t)>& transparent);

// "FC", "TI" and the pictures of a frame set of count w x h frames, every
// info word the same.
Bytes frameSetBlocks(int32_t count, int32_t width, int32_t height, uint32_t info);

} // namespace vandrel::test
