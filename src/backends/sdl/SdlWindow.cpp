// SDL window and presenting; its events go through SdlInput.
#include "backends/sdl/SdlWindow.h"

#include "backends/sdl/SdlNativeSize.h"

#include "config/SettingsLocation.h"
#include "gfx/GameIcon.h"
#include "input/Messages.h"
#include "system/MessageBox.h"
#include "video/VideoSurface.h"

#include <SDL.h>
#if defined(__EMSCRIPTEN__)
#include <emscripten.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace vandrel {
namespace {

// The window's icon, drawn at a size window managers show well in task switchers.
[[maybe_unused]] SdlHandle<SDL_Surface> makeIcon() {
    constexpr int size = 64;
    std::vector<uint8_t> rgba = drawGameIcon(size);
    SdlHandle<SDL_Surface> s(SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGBA32));
    if (!s) return nullptr;
    for (int y = 0; y < size; ++y)
        std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, rgba.data() + y * size * 4, size * 4);
    return s;
}

uint32_t sdlFormatOf(const PixelFormat& f) {
    if (f.bitsPerPixel == 32) return SDL_PIXELFORMAT_RGB888;
    if (f.bitsPerPixel == 24) return SDL_PIXELFORMAT_BGR24;
    if (f.bitsPerPixel == 16 && f.greenMask == 0x07E0u) return SDL_PIXELFORMAT_RGB565;
    if (f.bitsPerPixel == 16 && f.greenMask == 0x03E0u) return SDL_PIXELFORMAT_RGB555;
    return SDL_PIXELFORMAT_UNKNOWN;
}

#ifdef _WIN32
// On Windows the window belongs to the class "MainWClass", and its icon is the
// icon group 103 of Vandrel.exe's resources: both are fixed when SDL registers
// the class, before its video starts.
void registerWindowClass() {
    static bool registered = false;
    if (registered) return;
    // Only the large icon is named: SDL loads a named small one at the large
    // size, which the title bar then shrinks. Without it Windows takes the
    // group's own 16-pixel image for the class's small icon.
    SDL_SetHint(SDL_HINT_WINDOWS_INTRESOURCE_ICON, "103");
    SDL_SetHint(SDL_HINT_WINDOWS_INTRESOURCE_ICON_SMALL, "");
    registered = SDL_RegisterApp("MainWClass", 0, nullptr) == 0;
}
#endif

// Where typing raises an on-screen keyboard (phones, tablets), text input is
// on only while a name is typed, so the keyboard does not cover the round;
// elsewhere it stays on, and every typed character reaches the game. In a
// browser the page passes the sound keys on itself (they must work whatever
// has the focus, and SDL makes no text of the keypad's keys there), so text
// from SDL as well would make each of them act twice.
bool textFollowsNameEntry() {
#ifdef __EMSCRIPTEN__
    return true;
#else
    return SDL_HasScreenKeyboardSupport() == SDL_TRUE;
#endif
}
} // namespace

void SdlRelease::operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
void SdlRelease::operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
void SdlRelease::operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
void SdlRelease::operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }

std::unique_ptr<SdlWindow> SdlWindow::create(std::string& error, const ScreenOptions& options) {
#ifdef _WIN32
    registerWindowClass();
#endif
    // The game catches the termination signals itself (system/CloseSignals.h).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    // Without a display SDL falls back to drivers that show nothing; the game
    // would then run unseen. Those count only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        !SDL_getenv("SDL_VIDEODRIVER")) {
        error = "no display found: neither X11 nor Wayland is reachable (DISPLAY and WAYLAND_DISPLAY unset?)";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    std::unique_ptr<SdlWindow> w(new SdlWindow());
    w->options_ = options;
    // High-density screens draw with real pixels; sizes stay in points. The
    // window has a maximise box, which switches to full screen; its border
    // cannot resize it (setClientSize). In a browser the page sizes the canvas.
    uint32_t flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
#ifndef __EMSCRIPTEN__
    flags |= SDL_WINDOW_RESIZABLE;
#endif
    w->window_.reset(SDL_CreateWindow("Vandrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, flags));
    if (!w->window_) {
        error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
#ifndef _WIN32
    if (const SdlHandle<SDL_Surface> icon = makeIcon()) SDL_SetWindowIcon(w->window_.get(), icon.get());
#endif
    w->renderer_.reset(SDL_CreateRenderer(w->window_.get(), -1, SDL_RENDERER_PRESENTVSYNC));
    if (!w->renderer_) w->renderer_.reset(SDL_CreateRenderer(w->window_.get(), -1, SDL_RENDERER_SOFTWARE));
    if (!w->renderer_) {
        error = SDL_GetError();
        w->window_.reset();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    SDL_RendererInfo info;
    w->rowsFromBottom_ =
        SDL_GetRendererInfo(w->renderer_.get(), &info) == 0 && std::strncmp(info.name, "opengl", 6) == 0;
    SdlWindow* self = w.get();
    w->sizeProbe_ = [self](int32_t& width, int32_t& height) {
        return nativeWindowSize(self->window_.get(), width, height);
    };
    // SDL starts with text input on: typed characters reach the game at any
    // time (the sound keys M, - and + among them), as a desktop's keyboard does.
    if (textFollowsNameEntry()) SDL_StopTextInput();
    // Without pads the game plays on with mouse, keys and touch. Mappings of
    // pads SDL does not know yet may wait in the settings folder; SDL reads
    // SDL_GAMECONTROLLERCONFIG itself.
    if (w->pads_.start()) {
        if (const auto folder = SettingsLocation::userFolder(); !folder.empty())
            (void)SdlPads::addMappings(folder / "gamecontrollerdb.txt"); // a bad file is logged; pads work on
        w->lastPadTick_ = SDL_GetPerformanceCounter();
    }
    installSdlMessageBoxes();
    return w;
}

SdlWindow::~SdlWindow() {
    destroy();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlWindow::destroy() {
    // The texture belongs to the renderer, the renderer to the window.
    texture_.reset();
    renderer_.reset();
    window_.reset();
}

void SdlWindow::pumpEvents() {
    refreshNativeSize();
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
    tickPads();
}

void SdlWindow::tickPads() {
    if (!window_ || lastPadTick_ == 0) return;
    const uint64_t now = SDL_GetPerformanceCounter();
    const double seconds = static_cast<double>(now - lastPadTick_) / static_cast<double>(SDL_GetPerformanceFrequency());
    lastPadTick_ = now;
    // No pad open and none ever used: the tick would hand nothing on, so the
    // window is not even asked for its view.
    if (pads_.count() == 0 && !input_.padUsed()) return;
    input_.padTick(pads_.state(), seconds, inputView(), queue());
}

void SdlWindow::setTextEntry(bool active) {
    if (active == textEntry_) return;
    textEntry_ = active;
    if (!textFollowsNameEntry()) return;
    if (active)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
}

void SdlWindow::waitEvents(uint32_t timeoutMs) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, static_cast<int>(timeoutMs))) {
        refreshNativeSize();
        translate(e);
        pumpEvents();
    }
}

void SdlWindow::translate(const SDL_Event& e) {
    if (!window_ || pads_.handle(e)) return;
    input_.translate(e, inputView(), queue());
}

InputView SdlWindow::inputView() const {
    InputView v;
    v.windowId = SDL_GetWindowID(window_.get());
    Rect client;
    if (clientRect(client)) v.shape = shape(client.width(), client.height());
    v.modState = static_cast<uint16_t>(SDL_GetModState());
    v.fullScreen = fullScreen_;
    v.textEntry = textEntry_;
    v.textFull = textEntryFull_;
    v.magazine = magazine_;
    v.leftHanded = leftHanded_;
    return v;
}

void SdlWindow::setRoundShown(const RoundShown& shown) {
    const HapticCue cue = cues_.next(shown);
    if (cue == HapticCue::None || !haptics_) return;
    if (input_.padUsed()) pads_.rumble(HapticCues::strength(cue), HapticCues::lengthMs(cue));
#if defined(__EMSCRIPTEN__)
    // A browser without a vibrator (a desktop's, an iPhone's) has no
    // navigator.vibrate, or one that does nothing.
    if (input_.touchedLast()) {
        EM_ASM(
            {
                if (navigator.vibrate) navigator.vibrate($0);
            },
            HapticCues::lengthMs(cue));
    }
#endif
}

void SdlWindow::setSizeProbe(SizeProbe probe) {
    sizeProbe_ = std::move(probe);
    refreshNativeSize();
}

void SdlWindow::refreshNativeSize() {
    int32_t w = 0, h = 0;
    if (window_ && sizeProbe_ && sizeProbe_(w, h) && w > 0 && h > 0) {
        nativeWidth_ = w;
        nativeHeight_ = h;
    } else {
        nativeWidth_ = nativeHeight_ = 0;
    }
}

PresentationShape SdlWindow::shape(int32_t frameWidth, int32_t frameHeight) const {
    PresentationShape s;
    SDL_GetWindowSize(window_.get(), &s.windowWidth, &s.windowHeight);
    if (!renderer_ || SDL_GetRendererOutputSize(renderer_.get(), &s.outputWidth, &s.outputHeight) != 0) {
        s.outputWidth = s.windowWidth;
        s.outputHeight = s.windowHeight;
    }
    // Once full screen is asked for, SDL takes the window to be the desktop's
    // size; with no window manager to grant it (a kiosk's bare X server) the
    // window keeps its own, and the frame is fitted into that. The window
    // system's size is in pixels, as pointer positions there count.
    if (nativeWidth_ > 0 && (nativeWidth_ != s.windowWidth || nativeHeight_ != s.windowHeight)) {
        s.windowWidth = s.outputWidth = nativeWidth_;
        s.windowHeight = s.outputHeight = nativeHeight_;
    }
    s.frameWidth = frameWidth;
    s.frameHeight = frameHeight;
    // The window is a whole multiple already; the choice is full screen's.
    s.integerScale = fullScreen_ && options_.integerScale;
    return s;
}

int32_t SdlWindow::fittingScale(int32_t width, int32_t height) const {
    if (options_.windowScale > 0) return options_.windowScale;
    SDL_Rect usable;
    int display = SDL_GetWindowDisplayIndex(window_.get());
    if (display < 0) display = 0;
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) return 1;
    // The frame around the client area, once the window manager has told;
    // before the window is first shown a title bar's worth is kept free.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window_.get(), &top, &left, &bottom, &right) != 0 || top + bottom == 0) {
        top = 32;
        left = right = bottom = 0;
    }
    const int32_t across = (usable.w - left - right) / width;
    const int32_t down = (usable.h - top - bottom) / height;
    return std::max(1, std::min(across, down));
}

bool SdlWindow::clientRect(Rect& out) const {
    if (!window_) return false;
    if (fullScreen_) {
        // The desktop shows the frame scaled; the game sees the frame's size.
        out = Rect{0, 0, frameWidth_, frameHeight_};
        return true;
    }
    // The window's client area has a fixed size. A window manager that
    // forces another size on it (a tiling one, say) gets the same frame
    // scaled, as in full screen, instead of a larger client area.
    out = Rect{0, 0, clientWidth_, clientHeight_};
    return true;
}

uint32_t SdlWindow::windowId() const { return window_ ? SDL_GetWindowID(window_.get()) : 0; }

void SdlWindow::clientSize(int32_t& width, int32_t& height) const {
    Rect r;
    if (!clientRect(r)) r = Rect{};
    width = r.width();
    height = r.height();
}

void SdlWindow::setFullScreen(bool fullScreen) {
    if (!window_) return;
    fullScreen_ = fullScreen;
    // Maximised, the way back from full screen would be the maximised window.
    if (fullScreen && (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_MAXIMIZED) != 0) SDL_RestoreWindow(window_.get());
    SDL_SetWindowFullscreen(window_.get(), fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void SdlWindow::setClientSize(int32_t width, int32_t height) {
    if (!window_ || width <= 0 || height <= 0) return;
    clientWidth_ = width;
    clientHeight_ = height;
    // The game keeps its client size; the window on the desktop is a whole
    // multiple of it. The border cannot change it: smallest and largest size
    // are the same.
    const int32_t scale = fittingScale(width, height);
    outerWidth_ = width * scale;
    outerHeight_ = height * scale;
    SDL_SetWindowMinimumSize(window_.get(), outerWidth_, outerHeight_);
    SDL_SetWindowMaximumSize(window_.get(), outerWidth_, outerHeight_);
    // In full screen SDL keeps size and place for the way back to a window;
    // resizing after that would leave SDL's idea of the size behind a window
    // manager that refuses it without a word.
    SDL_SetWindowSize(window_.get(), outerWidth_, outerHeight_);
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window_.get()));
    SDL_SetWindowPosition(window_.get(), SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                          SDL_WINDOWPOS_CENTERED_DISPLAY(display));
}

void SdlWindow::show() {
    if (!window_) return;
    SDL_ShowWindow(window_.get());
    SDL_RaiseWindow(window_.get());
    // A shown window is an active one, before its first event arrives.
    post(msg::Activate, activateActive);
}

bool SdlWindow::setVideoMode(bool fullScreen, int32_t width, int32_t height) {
    if (!renderer_ || width <= 0 || height <= 0) return false;
    if (fullScreen != fullScreen_) setFullScreen(fullScreen);
    frameWidth_ = width;
    frameHeight_ = height;
    return true;
}

bool SdlWindow::showFrame(const VideoSurface& frame) {
    if (!renderer_) return false;
    refreshNativeSize();
    uint32_t format = sdlFormatOf(frame.format());
    if (format == SDL_PIXELFORMAT_UNKNOWN) return false;
    if (!texture_ || format != textureFormat_ || frame.width() != textureWidth_ || frame.height() != textureHeight_) {
        texture_.reset(); // the old one goes before the new one is made
        texture_.reset(
            SDL_CreateTexture(renderer_.get(), format, SDL_TEXTUREACCESS_STREAMING, frame.width(), frame.height()));
        if (!texture_) return false;
        textureFormat_ = format;
        textureWidth_ = frame.width();
        textureHeight_ = frame.height();
    }
    if (SDL_UpdateTexture(texture_.get(), nullptr, frame.pixels(), frame.pitch()) != 0) return false;
    // Scaled with its aspect kept, black bars around it. Whole multiples keep
    // every pixel square and sharp; between them the player's filter decides.
    const PresentationShape s = shape(frame.width(), frame.height());
    const Rect r = frameRectOnOutput(s);
    if (r.width() <= 0 || r.height() <= 0) return false;
    // The renderer draws for the size SDL believes in. Where the real window
    // is smaller, it shows the top rows of that, or with OpenGL the bottom
    // rows, counted from the real drawable's foot.
    int32_t rendererWidth = 0, rendererHeight = 0;
    int32_t down = 0;
    if (rowsFromBottom_ && SDL_GetRendererOutputSize(renderer_.get(), &rendererWidth, &rendererHeight) == 0 &&
        rendererHeight > s.outputHeight)
        down = rendererHeight - s.outputHeight;
    const bool whole = r.width() % frame.width() == 0 && r.height() % frame.height() == 0 &&
                       r.width() / frame.width() == r.height() / frame.height();
    SDL_SetTextureScaleMode(texture_.get(),
                            whole || !options_.linearFilter ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    const SDL_Rect dst{r.left, r.top + down, r.width(), r.height()};
    SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
    SDL_RenderClear(renderer_.get());
    if (SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, &dst) != 0) return false;
    SDL_RenderPresent(renderer_.get());
    return true;
}

void SdlWindow::applyCursor(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void installSdlMessageBoxes() {
    setMessageBoxPresenter([](const std::string& caption, const std::string& text) {
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) != 0)
            SDL_Log("%s: %s", caption.c_str(), text.c_str());
    });
}

} // namespace vandrel
