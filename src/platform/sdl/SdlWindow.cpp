// SDL window, event translation and presenting.
#include "platform/sdl/SdlWindow.h"

#include "platform/GameIcon.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/VideoSurface.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vandrel {
namespace {

constexpr uint64_t kActive = 1; // WA_ACTIVE
constexpr uint64_t kMkLButton = 0x1;
constexpr uint64_t kMkRButton = 0x2;

// Windows virtual-key code of an SDL key; 0 for keys the game never sees.
uint32_t virtualKey(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z) return 'A' + static_cast<uint32_t>(k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return '0' + static_cast<uint32_t>(k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12) return 0x70 + static_cast<uint32_t>(k - SDLK_F1);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return 0x61 + static_cast<uint32_t>(k - SDLK_KP_1);
    switch (k) {
    case SDLK_LEFT: return vk::Left;
    case SDLK_RIGHT: return vk::Right;
    case SDLK_UP: return vk::Up;
    case SDLK_DOWN: return vk::Down;
    case SDLK_ESCAPE: return vk::Escape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return vk::Return;
    case SDLK_BACKSPACE: return vk::Back;
    case SDLK_TAB: return vk::Tab;
    case SDLK_SPACE: return vk::Space;
    case SDLK_DELETE: return vk::Delete;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return vk::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return vk::Control;
    case SDLK_LALT:
    case SDLK_RALT: return vk::Menu;
    case SDLK_HOME: return 0x24;
    case SDLK_END: return 0x23;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_INSERT: return 0x2D;
    case SDLK_KP_0: return 0x60;
    case SDLK_COMMA: return 0xBC;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_MINUS: return 0xBD;
    default: return 0;
    }
}

// The character a key types on its own, as the keyboard translation gives it
// for the keys that bring no text input of their own.
uint32_t controlChar(uint32_t vkCode) {
    switch (vkCode) {
    case vk::Return: return 13;
    case vk::Back: return 8;
    case vk::Escape: return 27;
    case vk::Tab: return 9;
    default: return 0;
    }
}

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

// Decodes one code point from UTF-8 text; advances i.
uint32_t nextCodePoint(const char* s, size_t& i) {
    auto c = static_cast<uint8_t>(s[i++]);
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra && s[i]; ++k) cp = (cp << 6) | (static_cast<uint8_t>(s[i++]) & 0x3F);
    return extra == 0 ? 0xFFFD : cp;
}

#ifdef _WIN32
// On Windows the window belongs to the class "MainWClass", and its icon is the
// icon group 103 of Vandrel.exe's resources: both are fixed when SDL registers
// the class, before its video starts.
void registerWindowClass() {
    static bool registered = false;
    if (registered) return;
    SDL_SetHint(SDL_HINT_WINDOWS_INTRESOURCE_ICON, "103");
    SDL_SetHint(SDL_HINT_WINDOWS_INTRESOURCE_ICON_SMALL, "103");
    registered = SDL_RegisterApp("MainWClass", 0, nullptr) == 0;
}
#endif

} // namespace

void SdlRelease::operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
void SdlRelease::operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
void SdlRelease::operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
void SdlRelease::operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }

std::unique_ptr<SdlWindow> SdlWindow::create(std::string& error, const ScreenOptions& options) {
#ifdef _WIN32
    registerWindowClass();
#endif
    // The game catches the termination signals itself (platform/CloseSignals.h).
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
    // High-density screens draw with real pixels; sizes stay in points.
    w->window_.reset(SDL_CreateWindow("Vandrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480,
                                      SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI));
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
    SDL_StartTextInput();
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
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
}

void SdlWindow::waitEvents(uint32_t timeoutMs) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, static_cast<int>(timeoutMs))) {
        translate(e);
        pumpEvents();
    }
}

void SdlWindow::translate(const SDL_Event& e) {
    if (!window_) return;
    switch (e.type) {
    case SDL_QUIT: post(msg::Close); break;
    case SDL_WINDOWEVENT:
        if (e.window.windowID == SDL_GetWindowID(window_.get())) translateWindowEvent(e.window.event);
        break;
    case SDL_MOUSEMOTION: {
        uint64_t keys = 0;
        if (e.motion.state & SDL_BUTTON_LMASK) keys |= kMkLButton;
        if (e.motion.state & SDL_BUTTON_RMASK) keys |= kMkRButton;
        const FramePoint p = toFrame(e.motion.x, e.motion.y);
        post(msg::MouseMove, keys, makePointParam(p.x, p.y));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        bool down = e.type == SDL_MOUSEBUTTONDOWN;
        const FramePoint p = toFrame(e.button.x, e.button.y);
        int64_t at = makePointParam(p.x, p.y);
        if (e.button.button == SDL_BUTTON_LEFT) post(down ? msg::LButtonDown : msg::LButtonUp, kMkLButton, at);
        if (e.button.button == SDL_BUTTON_RIGHT) post(down ? msg::RButtonDown : msg::RButtonUp, kMkRButton, at);
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        uint32_t code = virtualKey(e.key.keysym.sym);
        if (code == 0) break;
        bool down = e.type == SDL_KEYDOWN;
        // With Alt held the keys are system keys, as the window manager of the
        // original platform reports them; Alt+Enter becomes system character 13.
        bool alt = (e.key.keysym.mod & KMOD_ALT) != 0 || code == vk::Menu;
        if (alt) {
            post(down ? msg::SysKeyDown : msg::SysKeyUp, code);
            if (down && code != vk::Menu) {
                uint32_t ch = controlChar(code);
                if (ch == 0 && code >= 'A' && code <= 'Z') ch = code + ('a' - 'A');
                if (ch != 0) post(msg::SysChar, ch);
            }
            break;
        }
        post(down ? msg::KeyDown : msg::KeyUp, code);
        if (down) {
            if (uint32_t ch = controlChar(code)) post(msg::Char, ch);
        }
        break;
    }
    case SDL_TEXTINPUT: {
        if (SDL_GetModState() & KMOD_ALT) break;
        size_t i = 0;
        while (e.text.text[i]) {
            uint32_t cp = nextCodePoint(e.text.text, i);
            // The game's texts are single bytes; Latin-1 covers the German letters.
            if (cp >= 0x20 && cp <= 0xFF && cp != 0x7F) post(msg::Char, cp);
        }
        break;
    }
    default: break;
    }
}

void SdlWindow::translateWindowEvent(uint8_t event) {
    switch (event) {
    case SDL_WINDOWEVENT_CLOSE: post(msg::Close); break;
    // On X11 a minimise comes as HIDDEN and MINIMIZED, then the focus goes:
    // the game stays stopped until the window is back.
    case SDL_WINDOWEVENT_HIDDEN:
        hidden_ = true;
        postActivation(0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        minimised_ = true;
        postActivation(0);
        break;
    case SDL_WINDOWEVENT_SHOWN:
        // Mapped again: whatever hid it is over.
        hidden_ = false;
        minimised_ = false;
        postActivation(kActive);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        minimised_ = false;
        postActivation(kActive);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: postActivation(kActive); break;
    // Losing the focus alone keeps the frames running.
    case SDL_WINDOWEVENT_FOCUS_LOST: postActivation(0); break;
    // The pointer left the client area: over the frame the system cursor belongs.
    case SDL_WINDOWEVENT_LEAVE: post(msg::NcMouseMove); break;
    default: break;
    }
}

void SdlWindow::postActivation(uint64_t state) {
    post(msg::Activate, state | (minimised_ || hidden_ ? kActivateMinimised : 0));
}

PresentationShape SdlWindow::shape(int32_t frameWidth, int32_t frameHeight) const {
    PresentationShape s;
    SDL_GetWindowSize(window_.get(), &s.windowWidth, &s.windowHeight);
    if (!renderer_ || SDL_GetRendererOutputSize(renderer_.get(), &s.outputWidth, &s.outputHeight) != 0) {
        s.outputWidth = s.windowWidth;
        s.outputHeight = s.windowHeight;
    }
    s.frameWidth = frameWidth;
    s.frameHeight = frameHeight;
    // The window is a whole multiple already; the choice is full screen's.
    s.integerScale = fullScreen_ && options_.integerScale;
    return s;
}

FramePoint SdlWindow::toFrame(int32_t x, int32_t y) const {
    Rect client;
    if (!clientRect(client)) return FramePoint{x, y};
    return pointerToFrame(shape(client.width(), client.height()), x, y);
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
    post(msg::Activate, kActive);
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
    const Rect r = frameRectOnOutput(shape(frame.width(), frame.height()));
    if (r.width() <= 0 || r.height() <= 0) return false;
    const bool whole = r.width() % frame.width() == 0 && r.height() % frame.height() == 0 &&
                       r.width() / frame.width() == r.height() / frame.height();
    SDL_SetTextureScaleMode(texture_.get(),
                            whole || !options_.linearFilter ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    const SDL_Rect dst{r.left, r.top, r.width(), r.height()};
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
