// The game's icon, drawn from one vector description at whatever size is asked
// for: the window's icon, the installed theme icons and the Windows .ico.
#pragma once
#include <cstdint>
#include <vector>

namespace vandrel {

// Smallest and largest edge the drawing is made for; sizes outside are refused.
constexpr int gameIconMinSize = 8;
constexpr int gameIconMaxSize = 1024;

// A red and white target with a dark cross-hair, size x size pixels, as RGBA
// bytes (straight alpha, rows top to bottom). Small sizes snap the cross-hair
// to whole pixels and use fewer, wider rings so they stay crisp; large sizes add
// shading, outlines and bullet holes. Empty for a size outside the range above.
std::vector<uint8_t> drawGameIcon(int size);

} // namespace vandrel
