// Figures built in memory for the game tests: frames with a chosen opaque
// shape, animations, figure types, and a shot fired the way a left click in a
// round fires it.
#pragma once
#include "game/FigureManager.h"
#include "game/Session.h"
#include "video/VideoDevice.h"
#include "video/VideoSurface.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace vandrel::test {

using OpaqueAt = std::function<bool(int32_t x, int32_t y)>;

// Colour the figure frames are painted in, as (B, G, R).
constexpr uint8_t figureBlue = 30, figureGreen = 60, figureRed = 220;

inline bool everywhere(int32_t, int32_t) { return true; }

// A w x h frame, opaque where opaque says, transparent elsewhere; info as stored.
std::unique_ptr<Frame> makeFrame(VideoDevice& device, int32_t w, int32_t h, uint32_t info,
                                 const OpaqueAt& opaque = everywhere, uint8_t blue = figureBlue,
                                 uint8_t green = figureGreen, uint8_t red = figureRed);

// An animation of count frames of w x h, each shown duration ms.
Animation& addAnimation(FigureCatalog& figures, VideoDevice& device, int32_t id, int32_t count, int32_t w, int32_t h,
                        uint32_t duration, const OpaqueAt& opaque = everywhere);

// A type that stands still on a straight line and never spawns by itself.
FigureType& addType(FigureCatalog& figures, int32_t animationId, int32_t layer);

// A figure of type placed at (x, y) for hit tests: made, then drawn once so
// the hit test knows where it stands.
void placeFigure(FigureType& type, int32_t x, int32_t y);

// One left click in a round (FigureManager::shoot); true on a hit.
bool shoot(FigureManager& figures, Session& session, int32_t x, int32_t y, int32_t opaqueLayer = -1);

// Everything drawn into a back buffer, hashed.
uint64_t frameHash(const VideoSurface& surface);

} // namespace vandrel::test
