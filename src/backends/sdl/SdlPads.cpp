// Game controllers opened, closed and read through SDL's events.
#include "backends/sdl/SdlPads.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

namespace vandrel {
namespace {

uint32_t buttonBit(uint8_t button) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return padButton::A;
    case SDL_CONTROLLER_BUTTON_B: return padButton::B;
    case SDL_CONTROLLER_BUTTON_X: return padButton::X;
    case SDL_CONTROLLER_BUTTON_Y: return padButton::Y;
    case SDL_CONTROLLER_BUTTON_BACK: return padButton::Back;
    case SDL_CONTROLLER_BUTTON_START: return padButton::Start;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return padButton::LeftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return padButton::RightShoulder;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return padButton::Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return padButton::Down;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return padButton::Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return padButton::Right;
    default: return 0;
    }
}

// SDL's axes run from -32768 to 32767, the triggers from 0.
float axisValue(int16_t v) { return std::max(-1.0f, static_cast<float>(v) / 32767.0f); }

void setAxis(PadState& s, uint8_t axis, float v) {
    switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX: s.leftX = v; break;
    case SDL_CONTROLLER_AXIS_LEFTY: s.leftY = v; break;
    case SDL_CONTROLLER_AXIS_RIGHTX: s.rightX = v; break;
    case SDL_CONTROLLER_AXIS_RIGHTY: s.rightY = v; break;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT: s.leftTrigger = std::max(0.0f, v); break;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: s.rightTrigger = std::max(0.0f, v); break;
    default: break;
    }
}

// What one pad holds now.
PadState readPad(SDL_GameController* c) {
    PadState s;
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
        if (SDL_GameControllerGetButton(c, static_cast<SDL_GameControllerButton>(b)))
            s.buttons |= buttonBit(static_cast<uint8_t>(b));
    for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a)
        setAxis(s, static_cast<uint8_t>(a),
                axisValue(SDL_GameControllerGetAxis(c, static_cast<SDL_GameControllerAxis>(a))));
    return s;
}

} // namespace

SdlPads::~SdlPads() {
    for (Pad& p : pads_) SDL_GameControllerClose(p.controller);
    pads_.clear();
    if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool SdlPads::start() {
    if (started_) return true;
    // SDL keeps reading the pads while another window has the focus, so what
    // is let go meanwhile is not held still when the focus comes back (and a
    // page whose canvas SDL never saw focused reads them at all). Whether
    // they act is the event translation's: only with the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return started_;
}

int SdlPads::addMappings(const std::filesystem::path& file) {
    // SDL's own database file is about half a megabyte.
    constexpr std::uintmax_t largest = 8u << 20;
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) return 0;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    std::string text;
    if (!ec && size <= largest) {
        // Read here rather than by SDL, so a name in any script opens on Windows too.
        std::ifstream in(file, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in && !in.eof()) text.clear();
    }
    const int added =
        text.empty()
            ? -1
            : SDL_GameControllerAddMappingsFromRW(SDL_RWFromConstMem(text.data(), static_cast<int>(text.size())), 1);
    if (added < 0) SDL_Log("pad mappings not read from %s", file.filename().string().c_str());
    return added;
}

void SdlPads::open(int32_t deviceIndex) {
    SDL_GameController* c = SDL_GameControllerOpen(deviceIndex);
    if (!c) return;
    const int32_t id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
    // SDL reports pads present at the start once more after they were opened.
    if (std::any_of(pads_.begin(), pads_.end(), [id](const Pad& p) { return p.id == id; })) {
        SDL_GameControllerClose(c);
        return;
    }
    pads_.push_back(Pad{id, c});
}

void SdlPads::rumble(uint16_t strength, uint32_t ms) const {
    // The low-frequency motor a little stronger than the high one, as a
    // recoil feels; a pad that cannot rumble answers -1, which changes nothing.
    const auto high = static_cast<uint16_t>(strength / 2);
    for (const Pad& p : pads_) static_cast<void>(SDL_GameControllerRumble(p.controller, strength, high, ms));
}

void SdlPads::close(int32_t id) {
    for (auto it = pads_.begin(); it != pads_.end(); ++it) {
        if (it->id != id) continue;
        SDL_GameControllerClose(it->controller);
        pads_.erase(it);
        return;
    }
}

bool SdlPads::handle(const SDL_Event& e) {
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED: open(e.cdevice.which); return true;
    case SDL_CONTROLLERDEVICEREMOVED: close(e.cdevice.which); return true;
    // What the pads hold is read at each tick (state()).
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION: return true;
    default: return false;
    }
}

PadState SdlPads::state() const {
    PadState all;
    auto farther = [](float& into, float v) {
        if (std::fabs(v) > std::fabs(into)) into = v;
    };
    for (const Pad& p : pads_) {
        const PadState s = readPad(p.controller);
        all.buttons |= s.buttons;
        // A stick moves as a whole: both its axes from the pad that tilts it most.
        if (std::hypot(s.leftX, s.leftY) > std::hypot(all.leftX, all.leftY)) {
            all.leftX = s.leftX;
            all.leftY = s.leftY;
        }
        farther(all.rightX, s.rightX);
        farther(all.rightY, s.rightY);
        farther(all.leftTrigger, s.leftTrigger);
        farther(all.rightTrigger, s.rightTrigger);
    }
    return all;
}

} // namespace vandrel
