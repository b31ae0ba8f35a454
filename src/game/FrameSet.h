// A timed sequence of pictures with hotspots, and their mirror images: what
// every figure and every hit effect is drawn from, and hit-tested against.
#pragma once
#include "base/Rect.h"
#include "gfx/Surface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vandrel {

class BlockReader;
class VideoDevice;
class VideoSurface;

struct Frame {
    Surface surface;
    // bits 0-11 duration (ms), 12-21 hotspotY, 22-31 hotspotX
    uint32_t info = 0;

    uint32_t duration() const { return info & 0xFFFu; }
    uint32_t hotspotX() const { return info >> 22; }
    uint32_t hotspotY() const { return (info >> 12) & 0x3FFu; }
};

class FrameSet {
public:
    FrameSet() = default;
    FrameSet(const FrameSet&) = delete;
    FrameSet& operator=(const FrameSet&) = delete;

    // Reads "FC", "TI" and the pictures at the reader's position. A picture
    // that fails to load ends the set there without failing it.
    [[nodiscard]] bool load(BlockReader* reader, VideoDevice* device);
    void destroy();

    // Index of the frame to show elapsed ms into the sequence.
    int32_t frameAt(int32_t elapsed) const;
    void buildMirrored(VideoDevice* device);

    bool draw(VideoSurface* target, const Rect* clip, int32_t x, int32_t y, int32_t index, bool useMirrored);
    bool hitTest(int32_t x, int32_t y, int32_t index, int32_t px, int32_t py, bool useMirrored) const;
    // Where the frame's hotspot lies when drawn centred on (x, y); false (and
    // hx, hy untouched) when there is no such frame.
    bool hotspotAt(int32_t x, int32_t y, int32_t index, bool useMirrored, int32_t& hx, int32_t& hy) const;

    // Appends a frame made elsewhere (the default hotspot applied) and
    // recounts; used by tools and tests that build sets in memory.
    void addFrame(std::unique_ptr<Frame> frame);
    // totalDuration and frameCount from the list.
    void recount();

    // The centre of the picture when the word names no hotspot.
    static uint32_t withDefaultHotspot(uint32_t info, int32_t width, int32_t height);

    std::vector<std::unique_ptr<Frame>> frames;
    std::vector<std::unique_ptr<Frame>> mirroredFrames;
    int32_t totalDuration = 0;
    int32_t frameCount = 0;
    bool mirroredBuilt = false;

private:
    Frame* pick(int32_t index, bool useMirrored) const;
};

} // namespace vandrel
