// The page's keys and characters as window messages, and the name entry's
// start and end told to the page.
#include "PageBridge.h"

#include "app/Game.h"
#include "input/Messages.h"
#include "video/Window.h"

#include <emscripten.h>

#include <cstdint>

namespace vandrel {
namespace {

Window* target = nullptr;

bool pageKeyAllowed(uint32_t code) {
    return code == vk::Return || code == vk::Back || code == vk::Escape || code == vk::Left || code == vk::Right ||
           code == static_cast<uint32_t>(Game::pauseKey);
}

void tellPage(const char* event, bool value) {
    EM_ASM(
        {
            if (Module.onGameEvent) Module.onGameEvent(UTF8ToString($0), $1, '');
        },
        event, value ? 1 : 0);
}

} // namespace

void PageBridge::attach(Window* window) { target = window; }

void PageBridge::afterFrame(Game& game) {
    const bool inRound = game.state() == GameState::InPlay;
    if (inRound != inRound_) tellPage("round", inRound_ = inRound);
    const bool paused = inRound && game.paused();
    if (paused != paused_) tellPage("paused", paused_ = paused);
    const bool naming = game.enteringName();
    if (naming == naming_) return;
    naming_ = naming;
    // A name left with Escape keeps its row, which the desktop stores when the
    // program ends. A page has no such end: the tab may be closed or reloaded
    // on the closing screen. So the table is stored as the entry is left; Enter
    // has stored it already. A refused save has been said on stderr.
    if (!naming && game.state() != GameState::HighScores) static_cast<void>(game.saveScores());
    tellPage("nameEntry", naming);
}

} // namespace vandrel

// Called by the page. Only the few keys the page has reasons to send, and
// only characters the game's single-byte texts can hold.
extern "C" {

EMSCRIPTEN_KEEPALIVE void vandrel_page_key(int code, int down) {
    using namespace vandrel;
    const auto key = static_cast<uint32_t>(code);
    if (!target || !pageKeyAllowed(key)) return;
    target->post(down ? msg::KeyDown : msg::KeyUp, key);
    if (down) {
        if (const uint32_t ch = controlChar(key)) target->post(msg::Char, ch);
    }
}

EMSCRIPTEN_KEEPALIVE void vandrel_page_char(int c) {
    using namespace vandrel;
    if (!target || c < 0x20 || c > 0xFF || c == 0x7F) return;
    target->post(msg::Char, static_cast<uint64_t>(c));
}
}
