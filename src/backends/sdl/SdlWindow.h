// The game's window on SDL: input events become window messages (SdlInput),
// frames are uploaded to a texture and copied to the screen with
// vsync, full screen is the desktop's own, the frame scaled with aspect kept.
// The window itself opens at a whole multiple of the game's size; the game
// only ever sees its own frame size and pointer positions inside it.
#pragma once
#include "backends/sdl/SdlInput.h"
#include "backends/sdl/SdlPads.h"
#include "base/Presentation.h"
#include "video/Window.h"

#include <functional>
#include <memory>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Surface;
union SDL_Event;

namespace vandrel {

// SDL's handles, each let go by its own function when its owner goes.
struct SdlRelease {
    void operator()(SDL_Window* window) const;
    void operator()(SDL_Renderer* renderer) const;
    void operator()(SDL_Texture* texture) const;
    void operator()(SDL_Surface* surface) const;
};
template <class T>
using SdlHandle = std::unique_ptr<T, SdlRelease>;

class SdlWindow : public Window {
public:
    // Starts SDL's video system and makes the hidden window "Vandrel" with its
    // icon and renderer. Null with the reason in error when that fails.
    static std::unique_ptr<SdlWindow> create(std::string& error, const ScreenOptions& options = {});
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    void pumpEvents() override;
    void waitEvents(uint32_t timeoutMs) override;
    bool clientRect(Rect& out) const override;
    void setFullScreen(bool fullScreen) override;
    void setClientSize(int32_t width, int32_t height) override;
    void show() override;
    void destroy() override;
    bool isDestroyed() const override { return window_ == nullptr; }

    bool setVideoMode(bool fullScreen, int32_t width, int32_t height) override;
    bool showFrame(const VideoSurface& frame) override;
    void clientSize(int32_t& width, int32_t& height) const override;

    // Text input (and a touch screen's keyboard) only while a name is typed.
    void setTextEntry(bool active) override;
    void setTextEntryFull(bool full) override { textEntryFull_ = full; }
    void setMagazineArea(const Rect& area) override { magazine_ = area; }
    void setPadTuning(const PadTuning& tuning) override { input_.setPadTuning(tuning); }
    // A hit or an empty magazine rumbles the pads once one was used, and in
    // a browser vibrates a phone whose screen was touched last.
    void setRoundShown(const RoundShown& shown) override;
    void setHaptics(bool on) override { haptics_ = on; }
    void setLeftHanded(bool leftHanded) override { leftHanded_ = leftHanded; }
    InputDevice lastDevice() const override { return input_.lastDevice(); }

    // SDL's number for this window, as its window events carry it.
    uint32_t windowId() const;

    // Asks the window system for the window's drawable size now; false where
    // only SDL can tell. The window asks X11 itself; tests put a window system
    // of their own here (one that refuses full screen, say).
    using SizeProbe = std::function<bool(int32_t& width, int32_t& height)>;
    void setSizeProbe(SizeProbe probe);

protected:
    void applyCursor(bool visible) override;

private:
    SdlWindow() = default;
    void translate(const SDL_Event& e);
    // The pads' state since the last call becomes messages.
    void tickPads();
    InputView inputView() const;
    // The window system's size of the window, once per pumped batch of events
    // and once per frame (an X11 query is a round trip).
    void refreshNativeSize();
    PresentationShape shape(int32_t frameWidth, int32_t frameHeight) const;
    int32_t fittingScale(int32_t width, int32_t height) const;

    SdlHandle<SDL_Window> window_;
    SdlHandle<SDL_Renderer> renderer_;
    SdlHandle<SDL_Texture> texture_;
    uint32_t textureFormat_ = 0;
    // OpenGL's renderers count rows from the bottom of the real drawable.
    bool rowsFromBottom_ = false;
    SizeProbe sizeProbe_;
    int32_t nativeWidth_ = 0;
    int32_t nativeHeight_ = 0;
    int32_t textureWidth_ = 0;
    int32_t textureHeight_ = 0;
    bool fullScreen_ = false;
    int32_t clientWidth_ = 640;
    int32_t clientHeight_ = 480;
    int32_t frameWidth_ = 640;
    int32_t frameHeight_ = 480;
    ScreenOptions options_;
    int32_t outerWidth_ = 0;
    int32_t outerHeight_ = 0;
    SdlInput input_;
    SdlPads pads_;
    uint64_t lastPadTick_ = 0;
    bool textEntry_ = false;
    bool textEntryFull_ = false;
    Rect magazine_;
    bool leftHanded_ = false;
    bool haptics_ = true;
    HapticCues cues_;
};

// Shows the game's message boxes with SDL (installed by the backend).
void installSdlMessageBoxes();

} // namespace vandrel
