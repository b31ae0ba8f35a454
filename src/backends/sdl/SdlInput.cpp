// SDL events to window messages.
#include "backends/sdl/SdlInput.h"

#include "input/Messages.h"

#include <SDL.h>

#include <algorithm>

namespace vandrel {
namespace {

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

// Decodes one code point from UTF-8 text; advances i.
uint32_t nextCodePoint(const char* s, size_t& i) {
    auto c = static_cast<uint8_t>(s[i++]);
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra && s[i]; ++k) cp = (cp << 6) | (static_cast<uint8_t>(s[i++]) & 0x3F);
    return extra == 0 ? 0xFFFD : cp;
}

int64_t framePoint(const InputView& view, int32_t x, int32_t y) {
    const FramePoint p = pointerToFrame(view.shape, x, y);
    return makePointParam(p.x, p.y);
}

} // namespace

void SdlInput::translate(const SDL_Event& e, const InputView& view, MessageQueue& out) {
    const std::size_t before = out.size();
    switch (e.type) {
    case SDL_QUIT: out.post(msg::Close); break;
    case SDL_WINDOWEVENT:
        if (e.window.windowID == view.windowId) translateWindowEvent(e.window.event, view, out);
        break;
    case SDL_MOUSEMOTION: {
        // SDL's mouse made from a touch: the touch itself is handled below.
        if (e.motion.which == SDL_TOUCH_MOUSEID) break;
        uint64_t keys = 0;
        if (e.motion.state & SDL_BUTTON_LMASK) keys |= mouseLeftHeld;
        if (e.motion.state & SDL_BUTTON_RMASK) keys |= mouseRightHeld;
        const FramePoint p = pointerToFrame(view.shape, e.motion.x, e.motion.y);
        out.post(msg::MouseMove, keys, makePointParam(p.x, p.y));
        pad_.pointerMoved(p);
        touch_.pointerMovedElsewhere();
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (e.button.which == SDL_TOUCH_MOUSEID) break;
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        const int64_t at = framePoint(view, e.button.x, e.button.y);
        if (e.button.button == SDL_BUTTON_LEFT) out.post(down ? msg::LButtonDown : msg::LButtonUp, mouseLeftHeld, at);
        if (e.button.button == SDL_BUTTON_RIGHT) out.post(down ? msg::RButtonDown : msg::RButtonUp, mouseRightHeld, at);
        break;
    }
    case SDL_MOUSEWHEEL: {
        if (e.wheel.which == SDL_TOUCH_MOUSEID || e.wheel.y == 0) break;
        // SDL's "flipped" wheels turn the other way round.
        const int32_t notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        out.post(msg::MouseWheel, makeWheelParam(std::clamp(notches, -100, 100) * wheelNotch));
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: translateKey(e, out); break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: translateFinger(e, view, out); break;
    case SDL_TEXTINPUT: {
        if (view.modState & KMOD_ALT) break;
        size_t i = 0;
        while (e.text.text[i]) {
            const uint32_t cp = nextCodePoint(e.text.text, i);
            // The game's texts are single bytes; Latin-1 covers the German letters.
            if (cp >= 0x20 && cp <= 0xFF && cp != 0x7F) out.post(msg::Char, cp);
        }
        break;
    }
    default: break;
    }
    if (out.size() == before) return;
    if (e.type == SDL_MOUSEMOTION || e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP)
        lastDevice_ = InputDevice::Mouse;
    else if (e.type == SDL_KEYDOWN || e.type == SDL_TEXTINPUT)
        lastDevice_ = InputDevice::Keyboard;
    else if (e.type == SDL_FINGERDOWN || e.type == SDL_FINGERMOTION)
        lastDevice_ = InputDevice::Touch;
}

void SdlInput::translateKey(const SDL_Event& e, MessageQueue& out) {
    const uint32_t code = virtualKey(e.key.keysym.sym);
    if (code == 0) return;
    const bool down = e.type == SDL_KEYDOWN;
    // With Alt held the keys are system keys, as the window manager of the
    // original platform reports them; Alt+Enter becomes system character 13.
    const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0 || code == vk::Menu;
    if (alt) {
        out.post(down ? msg::SysKeyDown : msg::SysKeyUp, code);
        if (down && code != vk::Menu) {
            uint32_t ch = controlChar(code);
            if (ch == 0 && code >= 'A' && code <= 'Z') ch = code + ('a' - 'A');
            if (ch != 0) out.post(msg::SysChar, ch);
        }
        return;
    }
    out.post(down ? msg::KeyDown : msg::KeyUp, code, down && e.key.repeat != 0 ? keyRepeated : 0);
    if (down) {
        if (const uint32_t ch = controlChar(code)) out.post(msg::Char, ch);
    }
}

void SdlInput::translateFinger(const SDL_Event& e, const InputView& view, MessageQueue& out) {
    // SDL's touches made from the mouse: the mouse itself is handled above.
    if (e.tfinger.touchId == SDL_MOUSE_TOUCHID) return;
    // Positions come as shares of the window.
    const double x = static_cast<double>(e.tfinger.x) * view.shape.windowWidth;
    const double y = static_cast<double>(e.tfinger.y) * view.shape.windowHeight;
    const TouchLayout layout{view.shape, view.magazine, view.leftHanded};
    const bool aimed = touch_.aimed();
    const FramePoint before = touch_.pointer();
    if (e.type == SDL_FINGERDOWN) touch_.fingerDown(e.tfinger.fingerId, x, y, layout, out);
    if (e.type == SDL_FINGERMOTION) touch_.fingerMove(e.tfinger.fingerId, x, y, layout, out);
    if (e.type == SDL_FINGERUP) touch_.fingerUp(e.tfinger.fingerId, layout, out);
    if (touch_.aimed() && (!aimed || !(touch_.pointer() == before))) pad_.pointerMoved(touch_.pointer());
}

void SdlInput::padTick(const PadState& pads, double seconds, const InputView& view, MessageQueue& out) {
    PadScreen screen;
    screen.frameWidth = view.shape.frameWidth;
    screen.frameHeight = view.shape.frameHeight;
    screen.inRound = view.magazine.width() > 0 && view.magazine.height() > 0;
    screen.textEntry = view.textEntry;
    screen.textFull = view.textFull;
    screen.focused = focused();
    const FramePoint before = pad_.pointer();
    const std::size_t waiting = out.size();
    pad_.update(pads, seconds, screen, out);
    if (!(pad_.pointer() == before)) touch_.pointerMovedElsewhere();
    if (!(pad_.pointer() == before) || out.size() != waiting) lastDevice_ = InputDevice::Pad;
}

void SdlInput::translateWindowEvent(uint8_t event, const InputView& view, MessageQueue& out) {
    switch (event) {
    case SDL_WINDOWEVENT_CLOSE: out.post(msg::Close); break;
    // On X11 a minimise comes as HIDDEN and MINIMIZED, then the focus goes:
    // the game stays stopped until the window is back.
    case SDL_WINDOWEVENT_HIDDEN:
        hidden_ = true;
        postActivation(0, out);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        minimised_ = true;
        postActivation(0, out);
        break;
    case SDL_WINDOWEVENT_SHOWN:
        // Mapped again: whatever hid it is over.
        hidden_ = false;
        minimised_ = false;
        postActivation(activateActive, out);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        minimised_ = false;
        postActivation(activateActive, out);
        break;
    // The window's maximise box (or a double click on its title) asks for the
    // game at the desktop's size: the game's full screen, as its window
    // procedure switches to on the maximise command.
    case SDL_WINDOWEVENT_MAXIMIZED:
        minimised_ = false;
        postActivation(activateActive, out);
        if (!view.fullScreen) out.post(msg::SysCommand, sc::Maximize);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        focused_ = true;
        postActivation(activateActive, out);
        break;
    // Losing the focus alone keeps the frames running.
    case SDL_WINDOWEVENT_FOCUS_LOST:
        focused_ = false;
        postActivation(0, out);
        break;
    // The pointer left the client area: over the frame the system cursor belongs.
    case SDL_WINDOWEVENT_LEAVE: out.post(msg::NcMouseMove); break;
    default: break;
    }
}

void SdlInput::postActivation(uint64_t state, MessageQueue& out) const {
    out.post(msg::Activate, state | (stopped() ? activateMinimised : 0));
}

} // namespace vandrel
