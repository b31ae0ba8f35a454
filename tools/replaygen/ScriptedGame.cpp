// Scripted play on the headless platform, recorded turn by turn.
#include "ScriptedGame.h"

#include "app/Game.h"
#include "input/Messages.h"

#include <array>

namespace vandrel {
namespace {

constexpr uint32_t startTick = 200000;
constexpr uint64_t mkLButton = 0x0001;
constexpr uint64_t mkRButton = 0x0002;

} // namespace

ScriptedGame::ScriptedGame(const std::string& path, const std::string& exePath, uint32_t frameMs, Store& store)
    : file_(path, std::ios::trunc), tick_(startTick), frameMs_(frameMs),
      recorder_(window_, file_, exePath, startTick, store) {}

ScriptedGame::~ScriptedGame() { recorder_.finish(); }

bool ScriptedGame::startUp() { return static_cast<bool>(file_) && recorder_.startUp(); }

bool ScriptedGame::turn() {
    if (ended_) return false;
    // Waiting messages are taken at once; a frame comes a frame time later.
    if (window_.queue().empty() && recorder_.window().queue().empty()) tick_ += frameMs_;
    if (!recorder_.step(tick_)) ended_ = true;
    return !ended_;
}

void ScriptedGame::run(uint32_t ms) {
    const uint32_t until = tick_ + ms;
    while (static_cast<int32_t>(until - tick_) > 0 && turn()) {}
    // Messages posted last are taken before the next frame.
    while (!window_.queue().empty() && turn()) {}
}

bool ScriptedGame::runUntil(const std::function<bool()>& done, uint32_t maxMs) {
    const uint32_t until = tick_ + maxMs;
    while (!done()) {
        if (static_cast<int32_t>(until - tick_) <= 0 || !turn()) return false;
    }
    return true;
}

bool ScriptedGame::runToEnd(uint32_t maxMs) {
    const uint32_t until = tick_ + maxMs;
    while (turn()) {
        if (static_cast<int32_t>(until - tick_) <= 0) return false;
    }
    return true;
}

void ScriptedGame::moveTo(int32_t x, int32_t y) { window_.post(msg::MouseMove, 0, makePointParam(x, y)); }

void ScriptedGame::click(int32_t x, int32_t y) {
    moveTo(x, y);
    window_.post(msg::LButtonDown, mkLButton, makePointParam(x, y));
    window_.post(msg::LButtonUp, mkLButton, makePointParam(x, y));
}

void ScriptedGame::rightClick() {
    const int64_t at = makePointParam(game().mouseX(), game().mouseY());
    window_.post(msg::RButtonDown, mkRButton, at);
    window_.post(msg::RButtonUp, mkRButton, at);
}

void ScriptedGame::keyDown(uint32_t vkCode) { window_.post(msg::KeyDown, vkCode); }
void ScriptedGame::keyUp(uint32_t vkCode) { window_.post(msg::KeyUp, vkCode); }

void ScriptedGame::press(uint32_t vkCode) {
    keyDown(vkCode);
    if (vkCode == vk::Return) window_.post(msg::Char, 13);
    if (vkCode == vk::Escape) window_.post(msg::Char, 27);
    if (vkCode == vk::Back) window_.post(msg::Char, 8);
    keyUp(vkCode);
}

void ScriptedGame::type(const std::string& text) {
    for (char c : text) {
        const uint32_t code = (c >= 'a' && c <= 'z') ? static_cast<uint32_t>(c - 'a' + 'A') : static_cast<uint8_t>(c);
        keyDown(code);
        window_.post(msg::Char, static_cast<uint8_t>(c));
        keyUp(code);
        run(120);
    }
}

void ScriptedGame::altEnter() {
    window_.post(msg::SysKeyDown, vk::Menu);
    window_.post(msg::SysKeyDown, vk::Return);
    window_.post(msg::SysChar, 13);
    window_.post(msg::SysKeyUp, vk::Return);
    window_.post(msg::KeyUp, vk::Menu);
}

bool ScriptedGame::findTarget(int32_t& px, int32_t& py) {
    const FigureCatalog& figures = game().figures().catalog;
    for (int32_t t = figures.typeCount() - 1; t >= 0; --t) {
        const FigureType& type = *figures.typeAt(t);
        const Animation* animation = figures.findAnimation(type.animationId);
        if (!animation) continue;
        for (const Figure& f : type.figures) {
            for (int32_t dy = -8; dy <= 8; dy += 2) {
                for (int32_t dx = -8; dx <= 8; dx += 2) {
                    const int32_t x = f.screenX + dx, y = f.y + dy;
                    if (x < 0 || x >= 640 || y < 60 || y >= 400) continue;
                    if (!animation->frames.hitTest(f.screenX, f.y, f.frameIndex, x, y, type.mirrored != 0)) continue;
                    if (game().backdrop().hitLayer(x, y) > type.layer) continue;
                    px = x;
                    py = y;
                    return true;
                }
            }
        }
    }
    return false;
}

bool ScriptedGame::findMiss(int32_t& px, int32_t& py) {
    static constexpr std::array<std::array<int32_t, 2>, 5> sky{{{320, 2}, {40, 4}, {600, 3}, {200, 6}, {450, 1}}};
    const FigureCatalog& figures = game().figures().catalog;
    for (const auto& p : sky) {
        bool clear = true;
        for (int32_t t = 0; t < figures.typeCount() && clear; ++t) {
            const FigureType& type = *figures.typeAt(t);
            const Animation* animation = figures.findAnimation(type.animationId);
            if (!animation) continue;
            for (const Figure& f : type.figures)
                if (animation->frames.hitTest(f.screenX, f.y, f.frameIndex, p[0], p[1], type.mirrored != 0))
                    clear = false;
        }
        if (clear) {
            px = p[0];
            py = p[1];
            return true;
        }
    }
    return false;
}

} // namespace vandrel
