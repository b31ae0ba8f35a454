// Where finished frames go: the backend's screen. The video device hands it the
// visible surface; the backend shows it 1:1 in a window or scaled to the
// desktop, aspect kept, in full screen.
#pragma once
#include <cstdint>

namespace vandrel {

class VideoSurface;

class VideoSink {
public:
    virtual ~VideoSink() = default;
    // The frames that follow are width x height; full screen shows them over
    // the whole desktop. False when the backend cannot show such frames.
    virtual bool setVideoMode(bool fullScreen, int32_t width, int32_t height) = 0;
    // Shows one finished frame. False when it could not be shown.
    virtual bool showFrame(const VideoSurface& frame) = 0;
    // The frame as the game drew it, just before the player's texts (notices,
    // the hint, the pause) go over the copy that showFrame then gets. What a
    // recording compares is this one: a replay has no player's texts.
    virtual void frameBeneathTexts(const VideoSurface& frame) { (void)frame; }
    // The size of the area a windowed primary surface covers (the client area).
    virtual void clientSize(int32_t& width, int32_t& height) const = 0;
};

} // namespace vandrel
