// The headless window: a client area of a set size, a queue that only the test
// and the game post to, and a screen that keeps the last frame shown so a test
// can read what the player would have seen.
#pragma once
#include "video/PixelFormat.h"
#include "video/Window.h"

#include <cstdint>
#include <vector>

namespace vandrel {

// A copy of one shown frame, in the format it was shown in.
struct ShownFrame {
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
    PixelFormat format;
    std::vector<uint8_t> bytes;

    bool empty() const { return width == 0 || height == 0; }
    // Keeps a copy of frame's size, format and pixels.
    void copyOf(const VideoSurface& frame);
    // The pixel at (x, y) as 0xRRGGBB, whatever the format; 0 outside.
    uint32_t rgbAt(int32_t x, int32_t y) const;
};

class NullWindow : public Window {
public:
    NullWindow() = default;

    void pumpEvents() override {}
    void waitEvents(uint32_t timeoutMs) override;
    bool clientRect(Rect& out) const override;
    void setFullScreen(bool fullScreen) override { fullScreen_ = fullScreen; }
    void setClientSize(int32_t width, int32_t height) override;
    // Showing activates the window, as the window system reports it.
    void show() override;
    void destroy() override { destroyed_ = true; }
    bool isDestroyed() const override { return destroyed_; }

    bool setVideoMode(bool fullScreen, int32_t width, int32_t height) override;
    bool showFrame(const VideoSurface& frame) override;
    void clientSize(int32_t& width, int32_t& height) const override;
    void setTextEntry(bool active) override { textEntry_ = active; }
    void setTextEntryFull(bool full) override { textEntryFull_ = full; }
    void setMagazineArea(const Rect& area) override { magazineArea_ = area; }

    // What a test inspects.
    bool isFullScreen() const { return fullScreen_; }
    bool isShown() const { return shown_; }
    bool cursorVisible() const { return cursorVisible_; }
    const ShownFrame& lastFrame() const { return lastFrame_; }
    uint32_t framesShown() const { return framesShown_; }
    bool videoFullScreen() const { return videoFullScreen_; }
    // What the game last told of its screen.
    bool textEntry() const { return textEntry_; }
    bool textEntryFull() const { return textEntryFull_; }
    Rect magazineArea() const { return magazineArea_; }
    // Makes the client rectangle unreadable, as for a window that is gone.
    void failClientRect(bool fail) { failClientRect_ = fail; }

protected:
    void applyCursor(bool visible) override { cursorVisible_ = visible; }

private:
    int32_t clientWidth_ = 640;
    int32_t clientHeight_ = 480;
    bool fullScreen_ = false;
    bool videoFullScreen_ = false;
    bool shown_ = false;
    bool destroyed_ = false;
    bool cursorVisible_ = true;
    bool failClientRect_ = false;
    bool textEntry_ = false;
    bool textEntryFull_ = false;
    Rect magazineArea_;
    uint32_t framesShown_ = 0;
    ShownFrame lastFrame_;
};

} // namespace vandrel
