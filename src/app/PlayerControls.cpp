// Routing the player's keys and focus, and the texts over the frame.
#include "app/PlayerControls.h"

#include "app/GalleryChoice.h"
#include "app/Game.h"
#include "app/OverlayText.h"
#include "config/Settings.h"

namespace vandrel {

PlayerControls::PlayerControls(Settings& settings, bool showHint, bool german)
    : settings_(settings), sound_(&settings), hint_(showHint, german), german_(german) {
    // The file is made now, so the hint shows on this start only.
    if (showHint) settings_.keep();
}

bool PlayerControls::onMessage(const Message& m, bool enteringName, uint32_t now) {
    hint_.onInput(m, enteringName, now);
    switch (m.message) {
    case msg::Activate:
        // The low word is the window's activation: 0 when another has the focus.
        sound_.setFocused((m.wParam & 0xFFFF) != 0);
        return false;
    case msg::Char: return !enteringName && sound_.onChar(static_cast<int32_t>(m.wParam), now);
    default: return false;
    }
}

void PlayerControls::screenModeChosen(bool fullScreen) { settings_.setFullScreen(fullScreen); }

void PlayerControls::drawOver(const ScreenNow& screen, VideoSurface* target, const Rect& clip, Font& smallFont,
                              uint32_t now) {
    if (screen.state == GameState::Title && galleries_) galleries_->drawOverTitle(target, clip, smallFont);
    if (screen.state == GameState::Title)
        hint_.drawOverTitle(screen.device, target, clip, smallFont, now);
    else
        hint_.leftTitle();
    if (screen.state == GameState::InPlay) hint_.dismiss();
    hint_.drawOverNameEntry(screen.enteringName, target, clip, smallFont);
    if (screen.paused && screen.state == GameState::InPlay) {
        const int32_t height = OverlayText::boxHeight(smallFont, 1);
        OverlayText::drawBox(target, clip, smallFont, (clip.top + clip.bottom - height) / 2, {"Pause"});
    }
    if (screen.state != GameState::HighScores) roundKept_ = false;
    if (roundKept_) {
        // The font has no slash: the folder is named, not its path.
        const int32_t height = OverlayText::boxHeight(smallFont, 1);
        OverlayText::drawBox(target, clip, smallFont, clip.bottom - height - 4,
                             {german_ ? "Runde behalten im Ordner rounds bei vandrel.ini"
                                      : "Round kept in the folder rounds beside vandrel.ini"});
    }
    sound_.drawNotice(target, clip, smallFont, now);
}

} // namespace vandrel
