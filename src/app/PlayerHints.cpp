// The hints' texts in the player's language, and when each shows.
#include "app/PlayerHints.h"

#include "app/OverlayText.h"
#include "gfx/Font.h"

#include <utility>

namespace vandrel {

PlayerHints::PlayerHints(bool enabled, bool german) : german_(german), over_(!enabled) {
    // Escape leaves in three steps: the title to the table, the table to the
    // credits, the credits out.
    if (german)
        lines_ = {"Klick: Runde starten",           "Linke Maustaste: Schuss",
                  "Rechte Maustaste: nachladen",    "M: Ton an oder aus",
                  "- und +: Lautst\u00e4rke",       "Alt+Enter: Vollbild oder Fenster",
                  "Esc: Bestenliste, dreimal: Ende"};
    else
        lines_ = {"Click: start a round",
                  "Left button: shoot",
                  "Right button: reload",
                  "M: sound on or off",
                  "- and +: volume",
                  "Alt+Enter: full screen or window",
                  "Esc: high scores, three times: quit"};
}

std::string_view PlayerHints::startLine(InputDevice device) const {
    switch (device) {
    case InputDevice::Touch: return german_ ? "Tippen: Runde starten" : "Tap: start a round";
    case InputDevice::Pad: return german_ ? "Taste A: Runde starten" : "Button A: start a round";
    // The keyboard has no key that starts a round: the mouse's click does.
    case InputDevice::Keyboard:
    case InputDevice::Mouse: break;
    }
    return german_ ? "Klick: Runde starten" : "Click: start a round";
}

std::string_view PlayerHints::namePrompt() const { return german_ ? "Namen eingeben, Enter" : "Type your name, Enter"; }

void PlayerHints::onInput(const Message& m, bool enteringName, uint32_t now) {
    switch (m.message) {
    case msg::MouseMove:
    case msg::LButtonDown:
    case msg::RButtonDown:
    case msg::KeyDown:
    case msg::SysKeyDown: idleFrom_ = now; break;
    case msg::Char:
        idleFrom_ = now;
        if (enteringName) typed_ = true;
        break;
    default: break;
    }
}

bool PlayerHints::showing(uint32_t now) const { return !over_ && (!started_ || now - start_ < shownMs); }

void PlayerHints::drawOverTitle(InputDevice device, VideoSurface* target, const Rect& clip, Font& font, uint32_t now) {
    if (!std::exchange(onTitle_, true)) idleFrom_ = now;
    if (!over_) {
        if (!std::exchange(started_, true)) start_ = now;
        if (now - start_ < shownMs) {
            const int32_t height = OverlayText::boxHeight(font, static_cast<int32_t>(lines_.size()));
            OverlayText::drawBox(target, clip, font, (clip.top + clip.bottom - height) / 2, lines_);
            return;
        }
        // Over: the idle time counts from its end.
        over_ = true;
        idleFrom_ = now;
    }
    if (idleHintShowing(now)) drawLine(target, clip, font, startLine(device), true);
}

void PlayerHints::drawLine(VideoSurface* target, const Rect& clip, Font& font, std::string_view line, bool low) {
    // Low on the title, clear of its name; high on the table, over its
    // heading, clear of the rows and the round's score below them.
    const int32_t height = OverlayText::boxHeight(font, 1);
    OverlayText::drawBox(target, clip, font, low ? clip.bottom - height - height / 2 : clip.top + height / 2, {line});
}

void PlayerHints::drawOverNameEntry(bool enteringName, VideoSurface* target, const Rect& clip, Font& font) {
    // Each name asked for gets the prompt until its first character.
    if (enteringName && !std::exchange(asked_, true)) typed_ = false;
    if (!enteringName) asked_ = false;
    prompting_ = enteringName && !typed_;
    if (prompting_) drawLine(target, clip, font, namePrompt(), false);
}

} // namespace vandrel
