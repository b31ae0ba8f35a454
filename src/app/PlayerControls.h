// What the player's settings add to a played game: the sound keys and their
// notice, the focus rule, the Alt+Enter choice kept for the next start and
// the first start's hint over the title. The program hands it the window's
// messages and the game draws it over each frame (with the pause notice and
// the note of a kept round); replays have none, and the kept rounds'
// recordings take each frame from beneath these texts, so they play and draw
// exactly as the game does without it.
#pragma once
#include "app/PlayerHints.h"
#include "app/SoundControls.h"
#include "base/Rect.h"
#include "input/InputDevice.h"
#include "input/Messages.h"

#include <cstdint>

namespace vandrel {

class AudioDevice;
class Font;
class GalleryChoice;
class Settings;
class VideoSurface;
enum class GameState : int32_t;

// What the texts over a frame go by: the game's screen and the player's device.
struct ScreenNow {
    GameState state;
    bool paused = false;
    bool enteringName = false;
    InputDevice device = InputDevice::Mouse;
};

class PlayerControls {
public:
    // settings outlives this; the hint shows when showHint (its first start).
    PlayerControls(Settings& settings, bool showHint, bool german);

    // A window message before the game sees it. True when it was the
    // player's sound key (the game does not see it then); typing a name
    // takes every character.
    bool onMessage(const Message& m, bool enteringName, uint32_t now);
    // The window now shows full screen or not, after Alt+Enter.
    void screenModeChosen(bool fullScreen);
    // The round that just ended was kept: the high-score screen it opened
    // says where, until the screen is left.
    void roundKept() { roundKept_ = true; }
    // Every turn of the loop: the levels and the focus to the mixer.
    void apply(AudioDevice* device) { sound_.apply(device); }
    // Over a finished frame on its way to the screen (never into the back
    // buffer the game keeps), outside the loading passes: a paused round's
    // notice in the middle of it, the hints over the title and the name entry.
    void drawOver(const ScreenNow& screen, VideoSurface* target, const Rect& clip, Font& smallFont, uint32_t now);

    // The galleries, whose name and place go over the title (borrowed; null: none).
    void setGalleries(const GalleryChoice* galleries) { galleries_ = galleries; }

    SoundControls& sound() { return sound_; }
    PlayerHints& hint() { return hint_; }

private:
    Settings& settings_;
    SoundControls sound_;
    PlayerHints hint_;
    bool german_ = false;
    bool roundKept_ = false;
    const GalleryChoice* galleries_ = nullptr;
};

} // namespace vandrel
