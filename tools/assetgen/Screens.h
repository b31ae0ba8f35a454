// The three full-screen pictures of stuff.x: the title, the high-score screen
// and the closing screen, each 1280 x 480 (the game shows the left 640 x 480).
#pragma once
#include "Canvas.h"
#include "Figures.h"

#include <vector>

namespace vandrel::assetgen {

class GlyphRenderer;

struct ScreenParts {
    const std::vector<Canvas>* layers;        // the four backdrop layers
    const std::vector<Animation>* animations; // for figures placed into the scenes
};

Canvas paintTitleScreen(const ScreenParts& parts, GlyphRenderer& glyphs);
// Leaves the band y < 60 for the heading and ten rows at y = 80 + 38 i
// between x = 40 and 600 clear and calm.
Canvas paintHighscoreScreen(const ScreenParts& parts, GlyphRenderer& glyphs);
// Keeps the bottom 40 pixels calm for the scrolling credits line.
Canvas paintClosingScreen(const ScreenParts& parts, GlyphRenderer& glyphs);

// The landscape as the play screen shows it at a scroll position: layers
// drawn back to front, each shifted by its parallax share.
Canvas composeLandscape(const std::vector<Canvas>& layers, int scroll, int width, int height);

} // namespace vandrel::assetgen
