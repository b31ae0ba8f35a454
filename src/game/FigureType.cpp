// Spawning, paths and removal of the live figures of one type.
#include "game/FigureType.h"

#include "base/Clock.h"
#include "base/Random.h"

#include <cmath>

namespace vandrel {

namespace {
// The wave's travel per radian and amplitude divisor, picked by the
// millisecond of the figure's moveStart.
constexpr double wavePeriods[5] = {100.0, 125.0, 150.0, 200.0, 250.0};
constexpr int32_t waveDivisors[3] = {2, 3, 4};
constexpr uint32_t spawnInterval = 200;
} // namespace

FigureType::FigureType() : spawnClock(tickCount()) {}

int32_t FigureType::drawValue(int32_t base, int32_t spread) {
    int32_t v = base;
    if (spread != 0) v = gameRand() % spread + base - spread / 2;
    return v < 0 ? 0 : v;
}

void FigureType::makeFigure(int32_t startX) { makeFigure(startX, tickCount()); }

void FigureType::makeFigure(int32_t startX, uint32_t now) {
    Figure f;
    f.animationStart = now;
    // The path starts 0 to 9 ms after the animation.
    const int32_t offset = gameRand() % 10;
    f.moveStart = static_cast<uint32_t>(offset) + now;
    f.pausedMs = pausedMs;
    f.startX = startX;
    f.speed = drawValue(baseSpeed, speedSpread);
    f.lineY = drawValue(baseY, ySpread);
    f.hitPoints = hitPoints;
    figures.push_back(f);
}

void FigureType::placeStartingFigures() { placeStartingFigures(tickCount()); }

void FigureType::placeStartingFigures(uint32_t now) {
    int32_t k = maxCount / 10;
    if (maxCount > 0 && k == 0) k = 1;
    // Anywhere across the landscape, whatever the direction; those beyond
    // their layer's right end leave in the first update.
    while (figureCount() < k) makeFigure(gameRand() % 3000 - 150, now);
    spawnClock = now;
}

void FigureType::spawnStep(uint32_t now, int32_t entryX) {
    if (now - spawnClock <= spawnInterval) return;
    // Advance by one step only: after a long frame the missed steps follow
    // one per frame.
    spawnClock += spawnInterval;
    if (figureCount() >= maxCount) return;
    if (gameRand() % 100 >= spawnChance) return;
    makeFigure(movesLeft() ? entryX : -150, now);
}

Figure* FigureType::figureAt(int32_t index) {
    if (index < 0 || index >= figureCount()) return nullptr;
    return &figures[static_cast<size_t>(index)];
}

int32_t FigureType::xAt(int32_t index, uint32_t now) const {
    const Figure& f = figures[static_cast<size_t>(index)];
    // Signed 32-bit throughout: a figure drawn just before its moveStart
    // stands a pixel or so behind its start.
    const int32_t elapsed = static_cast<int32_t>(now - f.moveStart);
    const int32_t product = static_cast<int32_t>(static_cast<uint32_t>(elapsed) * static_cast<uint32_t>(f.speed));
    const int32_t d = product / 1000;
    return movesLeft() ? f.startX - d : f.startX + d;
}

int32_t FigureType::yAt(int32_t index, uint32_t now) const {
    const Figure& f = figures[static_cast<size_t>(index)];
    if (motion != MotionWaveRight && motion != MotionWaveLeft) return f.lineY;
    const uint32_t s = f.moveStart - f.pausedMs;
    const double dist = static_cast<double>(now - f.moveStart) * f.speed * 0.001;
    const double angle = dist / wavePeriods[s % 5] + f.speed;
    const double v = (s & 1u) ? std::sin(angle) : std::cos(angle);
    return f.lineY + static_cast<int32_t>(v * ySpread / waveDivisors[s % 3] + 0.5);
}

void FigureType::removeFigure(int32_t index, bool hit) {
    if (index < 0 || index >= figureCount()) return;
    auto it = figures.begin() + index;
    if (hit) {
        hitSound.playFromStart();
        it->hitPoints -= 1;
        if (it->hitPoints > 0) return;
    }
    figures.erase(it);
}

void FigureType::removeAllFigures() { figures.clear(); }

} // namespace vandrel
