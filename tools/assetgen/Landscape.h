// The canyon at dusk: the four parallax layers of the play screen, back to
// front, and the panoramas behind the title, high-score and closing screens.
#pragma once
#include "Canvas.h"

namespace vandrel::assetgen {

// Layer 0: sky, sunset and the distant ranges; opaque.
Canvas paintSky(int width, int height);
// Layer 1: far mesas and buttes in the evening haze.
Canvas paintFarMesas(int width, int height);
// Layer 2: red-rock ridges with hoodoos and junipers.
Canvas paintMidRidges(int width, int height);
// Layer 3: the canyon floor in front, with spires, cacti and dead trees that
// reach up into the sky.
Canvas paintForeground(int width, int height);

// Shades the whole picture toward a night tint (for the screens after dark).
void nightfall(Canvas& canvas, float amount);
// Paints small stars into the upper part of a picture.
void starField(Canvas& canvas, int count, int maxY, unsigned seed);

} // namespace vandrel::assetgen
