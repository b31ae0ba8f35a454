// The harbour at night, the game's second gallery: its backdrop layers,
// figures, hit effects, pointer, cartridge, screens, sounds and music, painted
// and played by code and handed to the kit writer as ordinary pictures and
// sounds.
#pragma once
#include "Canvas.h"
#include "Synth.h"

#include <string>
#include <vector>

namespace vandrel::gallerygen {

using assetgen::Canvas;
using assetgen::Samples;

// One animation: its frames (all the same size) and where each stands on
// its path.
struct Sprite {
    std::string name;
    std::vector<Canvas> frames;
    int durationMs = 100;
    int hotspotX = 0, hotspotY = 0;
};

// The layers far to near: the sky over the outer water, the far shore with
// the lighthouse, the cranes and the freighter over the inner basin, the
// quay in front.
std::vector<Canvas> paintHarbourLayers();

// Figures and hit effects, by name: gull, gull-far, bat, owl, lantern,
// rowboat, tug, ghost-ship; sparks, splash.
std::vector<Sprite> paintHarbourSprites();
Canvas paintHarbourCrossHair(); // 32 x 32, aims at its middle
Canvas paintHarbourCartridge(); // one flare shell of the magazine row

// The title, the table's and the farewell picture, 1280 x 480 (the game
// shows the left half), made from the layers and the figures.
struct HarbourScreens {
    Canvas title, highscore, end;
};
HarbourScreens paintHarbourScreens(const std::vector<Canvas>& layers, const std::vector<Sprite>& sprites);

// Sounds as mono samples at 44.1 kHz.
struct HarbourSounds {
    Samples miss, empty, reload, music;
    std::vector<std::pair<std::string, Samples>> hits; // by figure name
};
HarbourSounds makeHarbourSounds();
// The tune: 48 bars at 96 beats a minute, two minutes, a round's length,
// mixed so its end runs into its start.
Samples harbourMusic();
constexpr int harbourBpm = 96;
constexpr int harbourBars = 48;

} // namespace vandrel::gallerygen
