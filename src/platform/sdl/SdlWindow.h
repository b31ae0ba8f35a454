// The game's window on SDL: input events become window messages with Windows
// key codes, frames are uploaded to a texture and copied to the screen with
// vsync, full screen is the desktop's own, the frame scaled with aspect kept.
#pragma once
#include "platform/Window.h"

#include <memory>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace vandrel {

class SdlWindow : public Window {
public:
    // Starts SDL's video system and makes the hidden window "Vandrel" with its
    // icon and renderer. Null with the reason in error when that fails.
    static std::unique_ptr<SdlWindow> create(std::string& error);
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

protected:
    void applyCursor(bool visible) override;

private:
    SdlWindow() = default;
    void translate(const SDL_Event& e);

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    uint32_t textureFormat_ = 0;
    int32_t textureWidth_ = 0;
    int32_t textureHeight_ = 0;
    bool fullScreen_ = false;
    int32_t clientWidth_ = 640;
    int32_t clientHeight_ = 480;
    int32_t frameWidth_ = 640;
    int32_t frameHeight_ = 480;
};

// Shows the game's message boxes with SDL (installed by the backend).
void installSdlMessageBoxes();

} // namespace vandrel
