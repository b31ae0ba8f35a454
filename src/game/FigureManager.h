// The figure definitions of the "figur.xx" entry, the live figures on the six
// depth layers, and the score popups and hit effects that shots leave behind.
#pragma once
#include "game/FigureType.h"
#include "game/FrameSet.h"
#include "game/HitEffect.h"
#include "game/ScorePopup.h"
#include "platform/Rect.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vandrel {

class BlockReader;
class Font;
class Session;
class VideoDevice;
class VideoSurface;

struct Animation {
    int32_t id = 0;
    FrameSet frames;
};

class FigureManager {
public:
    static constexpr int32_t layerCount = 6;

    FigureManager() = default;
    FigureManager(const FigureManager&) = delete;
    FigureManager& operator=(const FigureManager&) = delete;

    // Reads the whole figure entry. False fails the full load; what was read
    // before the failure stays until the next clear.
    [[nodiscard]] bool load(BlockReader* reader, VideoDevice* device);
    // Destroys every animation and type with their figures, frame sets and
    // sounds, and the hit effects that play those frame sets.
    void clear();

    Animation* findAnimation(int32_t id);
    const Animation* findAnimation(int32_t id) const;
    int32_t typeCount() const { return static_cast<int32_t>(types.size()); }
    FigureType* typeAt(int32_t index);

    // Empties the popups, removes every live figure and places the starting ones.
    void startRound();
    // Spawns, moves, animates, draws and retires the figures of one layer,
    // then draws that layer's hit effects and score popups.
    void updateLayer(int32_t layer, uint32_t now, float factor, int32_t scroll, VideoSurface* target, const Rect* clip,
                     int32_t widestWidth, int32_t viewWidth, Font* font);
    // Tests a shot at (x, y) against one layer's figures, newest and nearest
    // first; a hit is handled in full (sound, score, popup, effect).
    bool hitTestLayer(int32_t layer, int32_t x, int32_t y, int32_t opaqueLayer, Session& session);

    std::vector<std::unique_ptr<Animation>> animations;
    std::vector<std::unique_ptr<FigureType>> types;
    std::vector<ScorePopup> popups;
    std::vector<HitEffect> effects;

private:
    bool readEntry(BlockReader* reader, VideoDevice* device);
    bool readTypeGroup(BlockReader* reader, VideoDevice* device, FigureType& type);
    bool typeIsPlayable(const FigureType& type) const;
    void updateType(FigureType& type, uint32_t now, float factor, int32_t scroll, VideoSurface* target,
                    const Rect* clip, int32_t widestWidth, int32_t viewWidth);
    bool hitTestType(FigureType& type, int32_t layer, int32_t x, int32_t y, int32_t opaqueLayer, Session& session);
    // Both go by the frame's now, as the figures do, so one frame is drawn at one time.
    void drawEffects(int32_t layer, uint32_t now, float factor, int32_t scroll, VideoSurface* target, const Rect* clip);
    void drawPopups(int32_t layer, uint32_t now, float factor, int32_t scroll, VideoSurface* target, const Rect* clip,
                    Font* font);
};

} // namespace vandrel
