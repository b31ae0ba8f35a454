// The figures of a round on the six depth layers, drawn from the loaded
// figure definitions, and the score popups and hit effects that shots leave behind.
#pragma once
#include "base/Rect.h"
#include "game/FigureCatalog.h"
#include "game/HitEffect.h"
#include "game/PlayClock.h"
#include "game/ScorePopup.h"

#include <cstdint>
#include <vector>

namespace vandrel {

class BlockReader;
class Font;
class Session;
class VideoDevice;
class VideoSurface;

class FigureManager {
public:
    static constexpr int32_t layerCount = FigureCatalog::layerCount;

    FigureManager() = default;
    FigureManager(const FigureManager&) = delete;
    FigureManager& operator=(const FigureManager&) = delete;

    // Reads the figure definitions into the catalog; see FigureCatalog::load.
    [[nodiscard]] bool load(BlockReader* reader, VideoDevice* device);
    // Empties the catalog, and first the hit effects that play its frame sets.
    void clear();

    // The game speed of the rounds started from now on, in per cent (1 to 100).
    void setSpeed(int32_t percent) { speed_ = percent; }
    // Empties the popups, removes every live figure and places the starting
    // ones; the figures' clock starts at the game speed.
    void startRound();
    // The figures' time at the game's time real (see PlayClock): what
    // updateLayer takes as now.
    uint32_t playTime(uint32_t real) const { return clock_.at(real); }
    // Every clock of the figures, their spawning, the hit effects and the
    // popups moves on by ms of the figures' time: after a pause they go on
    // from where they stood.
    void shiftTime(uint32_t ms);
    // Spawns, moves, animates, draws and retires the figures of one layer,
    // then draws that layer's hit effects and score popups.
    void updateLayer(int32_t layer, uint32_t now, float factor, int32_t scroll, VideoSurface* target, const Rect* clip,
                     int32_t widestWidth, int32_t viewWidth, Font* font);
    // Tests a shot at (x, y) against one layer's figures, newest and nearest
    // first; a hit is handled in full (sound, score, popup, effect).
    bool hitTestLayer(int32_t layer, int32_t x, int32_t y, int32_t opaqueLayer, Session& session);
    // One left click in a round: the front-most figure hit takes a round; a miss
    // takes one with the miss sound; an empty magazine only clicks. opaqueLayer
    // is the front-most landscape layer opaque at (x, y), which hides the
    // figures of the layers behind it (-1: none). True on a hit.
    bool shoot(int32_t x, int32_t y, int32_t opaqueLayer, Session& session);

    // The kinds of figure; each keeps its live figures.
    FigureCatalog catalog;
    std::vector<ScorePopup> popups;
    std::vector<HitEffect> effects;

private:
    void updateType(FigureType& type, uint32_t now, float factor, int32_t scroll, VideoSurface* target,
                    const Rect* clip, int32_t widestWidth, int32_t viewWidth);
    bool hitTestType(FigureType& type, int32_t layer, int32_t x, int32_t y, int32_t opaqueLayer, Session& session);
    // Unlike the figures, which share the frame's time, each effect and each popup
    // reads the figures' clock afresh: a slow frame ages the later ones a little more.
    void drawEffects(int32_t layer, float factor, int32_t scroll, VideoSurface* target, const Rect* clip);
    void drawPopups(int32_t layer, float factor, int32_t scroll, VideoSurface* target, const Rect* clip, Font* font);

    int32_t speed_ = PlayClock::fullSpeed;
    PlayClock clock_;
};

} // namespace vandrel
