// Surfaces filled from test pictures, read back, and compared with golden images.
#pragma once
#include "gfx/Surface.h"
#include "video/VideoSurface.h"
#include "support/TestImages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::test {

// Creates surface at the picture's size and writes its rows (key adjustment on).
// mask (optional, width * height bytes) is then painted as the key colour.
void fillSurface(Surface& surface, VideoDevice& device, const Picture& picture,
                 const std::vector<uint8_t>* mask = nullptr);

// The colour that fills glyph cell k of a test font sheet.
Rgb cellColour(int32_t k);
// A glyph sheet of 13 cells per row: cell k is cellColour(k) with a keyed
// notch in its top-right corner and a dark diagonal; the gaps and margins
// are opaque magenta so that a glyph showing its neighbours is caught.
void makeFontSheet(Surface& sheet, VideoDevice& device, int32_t width, int32_t height, int32_t originX, int32_t originY,
                   int32_t glyphWidth, int32_t glyphHeight, int32_t gapX, int32_t gapY);
constexpr Rgb sheetGap{255, 0, 255};

// A surface's pixels as 8-bit colours, through the same conversions as getRow.
Picture readSurface(const VideoSurface& surface);

// Compares the surface with tests/golden/NAME.png pixel for pixel; with
// VANDREL_UPDATE_GOLDEN=1 in the environment the file is written instead.
// Returns a description of the first difference, empty when equal.
std::string compareWithGolden(const std::string& name, const VideoSurface& surface);

} // namespace vandrel::test
