// One kind of figure: its look, sound, layer, speed, path, spawn rate and
// worth, and the live figures of that kind.
#pragma once
#include "game/Figure.h"
#include "game/FrameSet.h"
#include "sound/SoundBuffer.h"

#include <cstdint>
#include <vector>

namespace vandrel {

// Path kinds of the "motion" field.
enum : int32_t {
    MotionRight = 0,
    MotionLeft = 1,
    MotionWaveRight = 2,
    MotionWaveLeft = 3,
};

class FigureType {
public:
    FigureType();
    FigureType(const FigureType&) = delete;
    FigureType& operator=(const FigureType&) = delete;

    // One step of the periodic spawner (every 200 ms of its own clock).
    void spawnStep(uint32_t now, int32_t entryX);
    // The figures already on the field when play starts, at the figures' time
    // now (the game's clock when left out).
    void placeStartingFigures(uint32_t now);
    void placeStartingFigures();
    // Appends a new figure entering at startX, made at the figures' time now
    // (the game's clock when left out).
    void makeFigure(int32_t startX, uint32_t now);
    void makeFigure(int32_t startX);

    int32_t figureCount() const { return static_cast<int32_t>(figures.size()); }
    Figure* figureAt(int32_t index);
    int32_t xAt(int32_t index, uint32_t now) const;
    int32_t yAt(int32_t index, uint32_t now) const;
    // With hit set: the hit sounds, the figure loses a hit point and goes when
    // it has none left. Without: the figure goes at once, silently.
    void removeFigure(int32_t index, bool hit);
    void removeAllFigures();

    bool movesLeft() const { return motion == MotionLeft || motion == MotionWaveLeft; }

    // A value drawn from base and spread, never negative.
    static int32_t drawValue(int32_t base, int32_t spread);

    int32_t animationId = 0;
    uint32_t spawnClock = 0;
    // The running round's time paused so far, for the figures made from now on.
    uint32_t pausedMs = 0;
    std::vector<Figure> figures; // oldest first
    int32_t baseY = 0;
    int32_t ySpread = 0;
    int32_t layer = 0;
    int32_t baseSpeed = 0;
    int32_t speedSpread = 0;
    int32_t scoreValue = 0;
    int32_t maxCount = 0;
    int32_t hitPoints = 0;
    int32_t spawnChance = 0;
    int32_t motion = 0;
    uint8_t mirrored = 0;
    SoundBuffer hitSound;
    FrameSet ownFrames;
    int32_t effectSource = -1;
    uint8_t hasOwnFrames = 0;
    FrameSet* effectFrames = nullptr;
};

} // namespace vandrel
