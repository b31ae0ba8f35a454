// Test helpers for pictures: JPEG and 1-bit PNG files made in code, surfaces
// filled from simple patterns, and golden-image comparison.
#pragma once
#include "gfx/Surface.h"
#include "platform/VideoSurface.h"
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

// Creates surface at the picture's size and writes its rows (key adjustment on).
// mask (optional, width * height bytes) is then painted as the key colour.
void fillSurface(Surface& surface, VideoDevice& device, const Picture& picture,
                 const std::vector<uint8_t>* mask = nullptr);

// The colour that fills glyph cell k of a test font sheet.
Rgb cellColour(int32_t k);
// A glyph sheet of 13 cells per row: cell k is cellColour(k) with a keyed
// notch in its top-right corner and a dark diagonal; the gaps and margins
// are opaque magenta so that a glyph showing its neighbours is caught.
void makeFontSheet(Surface& sheet, VideoDevice& device, int32_t width, int32_t height, int32_t originX,
                   int32_t originY, int32_t glyphWidth, int32_t glyphHeight, int32_t gapX, int32_t gapY);
constexpr Rgb sheetGap{255, 0, 255};

// A surface's pixels as 8-bit colours, through the same conversions as getRow.
Picture readSurface(const VideoSurface& surface);

// Compares the surface with tests/golden/NAME.png pixel for pixel; with
// VANDREL_UPDATE_GOLDEN=1 in the environment the file is written instead.
// Returns a description of the first difference, empty when equal.
std::string compareWithGolden(const std::string& name, const VideoSurface& surface);

} // namespace vandrel::test
