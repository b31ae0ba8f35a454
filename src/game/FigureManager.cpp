// A round on the six depth layers: spawning, moving, drawing and retiring
// figures, testing shots against them, and the popups and hit effects.
#include "game/FigureManager.h"

#include "base/Clock.h"
#include "base/Random.h"
#include "game/Session.h"
#include "gfx/Font.h"

#include <cmath>
#include <cstdio>

namespace vandrel {

namespace {

// A layer x on the screen, for the layer's scroll factor.
int32_t toScreenX(int32_t x, int32_t scroll, float factor) {
    const float shifted = static_cast<float>(x) - static_cast<float>(scroll) * factor;
    return static_cast<int32_t>(static_cast<double>(shifted) + 0.5);
}

// How far the layer's right end lies beyond the screen's, at full scroll.
float layerOverhang(int32_t widestWidth, int32_t viewWidth, float factor) {
    return static_cast<float>(widestWidth - viewWidth) * factor;
}

bool hasLeft(int32_t x, int32_t y, float factor, int32_t widestWidth, int32_t viewWidth) {
    const float back = static_cast<float>(x + 200) / factor;
    if (back < 0.0f || std::isnan(back)) return true;
    if (static_cast<float>(x) - layerOverhang(widestWidth, viewWidth, factor) > static_cast<float>(viewWidth + 200))
        return true;
    return y < -200 || y > 680;
}

} // namespace

bool FigureManager::load(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    effects.clear();
    return catalog.load(reader, device);
}

void FigureManager::clear() {
    // The effects play frame sets owned by the types about to go; none may
    // outlive them.
    effects.clear();
    catalog.clear();
}

void FigureManager::shiftTime(uint32_t ms) {
    for (int32_t t = 0; t < catalog.typeCount(); ++t) {
        FigureType& type = *catalog.typeAt(t);
        type.spawnClock += ms;
        type.pausedMs += ms;
        for (Figure& f : type.figures) {
            f.animationStart += ms;
            f.moveStart += ms;
            f.pausedMs += ms;
        }
    }
    for (HitEffect& e : effects) e.startTime += ms;
    for (ScorePopup& p : popups) p.moveClock += ms;
}

void FigureManager::startRound() {
    // Effects still running are left to end by themselves.
    popups.clear();
    const uint32_t now = tickCount();
    clock_.restart(now, speed_);
    for (auto& type : catalog.types) {
        type->spawnClock = now;
        type->pausedMs = 0;
        type->removeAllFigures();
    }
    for (auto& type : catalog.types) type->placeStartingFigures(now);
}

void FigureManager::updateLayer(int32_t layer, uint32_t now, float factor, int32_t scroll, VideoSurface* target,
                                const Rect* clip, int32_t widestWidth, int32_t viewWidth, Font* font) {
    for (auto& type : catalog.types)
        if (type->layer == layer) updateType(*type, now, factor, scroll, target, clip, widestWidth, viewWidth);
    drawEffects(layer, factor, scroll, target, clip);
    drawPopups(layer, factor, scroll, target, clip, font);
}

void FigureManager::updateType(FigureType& type, uint32_t now, float factor, int32_t scroll, VideoSurface* target,
                               const Rect* clip, int32_t widestWidth, int32_t viewWidth) {
    // 200 pixels beyond the right end of the layer.
    const int32_t entryX =
        static_cast<int32_t>(static_cast<float>(viewWidth) + layerOverhang(widestWidth, viewWidth, factor) + 200.0f);
    type.spawnStep(now, entryX);
    if (type.animationId < 0) return;
    Animation* animation = catalog.findAnimation(type.animationId);
    if (!animation) return;
    FrameSet& frames = animation->frames;
    const int32_t total = frames.totalDuration;

    int32_t j = 0;
    while (j < type.figureCount()) {
        Figure& f = type.figures[static_cast<size_t>(j)];
        const int32_t e = static_cast<int32_t>(now - f.animationStart);
        // Keeps the stored start within a cycle of now; the frame shown is the same.
        if (e > total) f.animationStart += static_cast<uint32_t>(total);
        const int32_t frameIndex = total > 0 ? frames.frameAt(e % total) : 0;
        const int32_t y = type.yAt(j, now);
        const int32_t x = type.xAt(j, now);
        const int32_t sx = toScreenX(x, scroll, factor);
        frames.draw(target, clip, sx, y, frameIndex, type.mirrored != 0);
        f.screenX = sx;
        f.worldX = x;
        f.y = y;
        f.frameIndex = frameIndex;
        if (hasLeft(x, y, factor, widestWidth, viewWidth))
            type.removeFigure(j, false); // the next figure moved up into place j
        else
            ++j;
    }
}

void FigureManager::drawEffects(int32_t layer, float factor, int32_t scroll, VideoSurface* target, const Rect* clip) {
    if (!target || !clip) return;
    size_t i = 0;
    while (i < effects.size()) {
        HitEffect& effect = effects[i];
        const int32_t e = static_cast<int32_t>(clock_.now() - effect.startTime);
        if (e >= effect.frames->totalDuration) {
            effects.erase(effects.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (effect.layer == layer) {
            const int32_t sx = toScreenX(effect.worldX, scroll, factor);
            effect.frames->draw(target, clip, sx, effect.y, effect.frames->frameAt(e), false);
        }
        ++i;
    }
}

void FigureManager::drawPopups(int32_t layer, float factor, int32_t scroll, VideoSurface* target, const Rect* clip,
                               Font* font) {
    if (!target || !clip || !font) return;
    size_t i = 0;
    while (i < popups.size()) {
        ScorePopup& popup = popups[i];
        // One pixel per pass at most; each of the six layer passes of a frame
        // may take a step.
        if (clock_.now() - popup.moveClock > static_cast<uint32_t>(popup.stepInterval)) {
            popup.y -= 1;
            popup.moveClock += static_cast<uint32_t>(popup.stepInterval);
        }
        if (popup.y < -40) {
            popups.erase(popups.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (popup.layer == layer) {
            char text[16];
            std::snprintf(text, sizeof text, "%d", popup.value);
            const int32_t sx = toScreenX(popup.worldX, scroll, factor);
            font->drawText(target, *clip, sx - font->textWidth(text) / 2, popup.y, text, false);
        }
        ++i;
    }
}

bool FigureManager::hitTestLayer(int32_t layer, int32_t x, int32_t y, int32_t opaqueLayer, Session& session) {
    // Reverse drawing order: later types cover earlier ones.
    for (auto it = catalog.types.rbegin(); it != catalog.types.rend(); ++it)
        if (hitTestType(**it, layer, x, y, opaqueLayer, session)) return true;
    return false;
}

bool FigureManager::shoot(int32_t x, int32_t y, int32_t opaqueLayer, Session& session) {
    if (!session.hasAmmo()) {
        session.playEmpty();
        return false;
    }
    for (int32_t layer = layerCount - 1; layer >= 0; --layer) {
        if (hitTestLayer(layer, x, y, opaqueLayer, session)) {
            session.useRound();
            return true;
        }
    }
    session.shotMissed();
    return false;
}

bool FigureManager::hitTestType(FigureType& type, int32_t layer, int32_t x, int32_t y, int32_t opaqueLayer,
                                Session& session) {
    if (type.layer != layer || type.animationId < 0) return false;
    Animation* animation = catalog.findAnimation(type.animationId);
    if (!animation) return false;
    FrameSet& frames = animation->frames;
    const bool mirrored = type.mirrored != 0;
    // Scenery nearer than this layer that is opaque at the point hides it.
    if (layer < opaqueLayer) return false;

    for (int32_t j = type.figureCount() - 1; j >= 0; --j) {
        const Figure& f = type.figures[static_cast<size_t>(j)];
        if (!frames.hitTest(f.screenX, f.y, f.frameIndex, x, y, mirrored)) continue;

        if (f.hitPoints <= 1) {
            ScorePopup popup;
            popup.moveClock = clock_.now();
            popup.stepInterval = gameRand() % 9 + 4;
            popup.worldX = f.worldX;
            popup.y = f.y;
            popup.value = type.scoreValue;
            popup.layer = layer;
            popups.push_back(popup);
            session.addScore(type.scoreValue);
            if (type.effectFrames && type.effectFrames->totalDuration > 0) {
                // Line the effect's first hotspot up with the hotspot of the
                // frame that was hit, in layer coordinates.
                int32_t hx = f.worldX, hy = f.y;
                frames.hotspotAt(f.worldX, f.y, f.frameIndex, mirrored, hx, hy);
                int32_t ex = hx, ey = hy;
                type.effectFrames->hotspotAt(hx, hy, 0, false, ex, ey);
                HitEffect effect;
                effect.startTime = clock_.now();
                effect.worldX = 2 * hx - ex;
                effect.y = 2 * hy - ey;
                effect.frames = type.effectFrames;
                effect.layer = layer;
                effects.push_back(effect);
            }
        }
        type.removeFigure(j, true);
        return true;
    }
    return false;
}

} // namespace vandrel
