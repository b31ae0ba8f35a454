// The controls in the player's language, and how long they show.
#include "app/FirstStartHint.h"

#include "app/OverlayText.h"
#include "gfx/Font.h"

#include <utility>

namespace vandrel {

FirstStartHint::FirstStartHint(bool enabled, bool german) : over_(!enabled) {
    if (german)
        lines_ = {"Klick: Runde starten",
                  "Linke Maustaste: Schuss",
                  "Rechte Maustaste: nachladen",
                  "M: Ton an oder aus",
                  "- und +: Lautst\u00e4rke",
                  "Alt+Enter: Vollbild oder Fenster",
                  "Esc: Ende"};
    else
        lines_ = {"Click: start a round",
                  "Left button: shoot",
                  "Right button: reload",
                  "M: sound on or off",
                  "- and +: volume",
                  "Alt+Enter: full screen or window",
                  "Esc: quit"};
}

bool FirstStartHint::showing(uint32_t now) const { return !over_ && (!started_ || now - start_ < shownMs); }

void FirstStartHint::drawOverTitle(VideoSurface* target, const Rect& clip, Font& font, uint32_t now) {
    if (over_) return;
    if (!std::exchange(started_, true)) start_ = now;
    if (now - start_ >= shownMs) {
        over_ = true;
        return;
    }
    const int32_t height = OverlayText::boxHeight(font, static_cast<int32_t>(lines_.size()));
    OverlayText::drawBox(target, clip, font, (clip.top + clip.bottom - height) / 2, lines_);
}

} // namespace vandrel
