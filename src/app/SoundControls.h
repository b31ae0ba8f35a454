// The player's hold on the sound: M mutes and unmutes, - and + (main keys and
// keypad) lower and raise the master level in steps of 10 %. The levels and
// whether the window has the focus go to the mixer, the levels to the
// settings file, and a notice drawn over the top of the frame for 1.5 s says
// what changed. Without a key press it draws nothing.
#pragma once
#include "base/Rect.h"
#include "audio/SoundLevels.h"

#include <cstdint>
#include <string>

namespace vandrel {

class AudioDevice;
class Font;
class Settings;
class VideoSurface;

class SoundControls {
public:
    static constexpr uint32_t noticeMs = 1500;

    // Starts at the settings' levels and writes every change to them; null
    // settings: full levels, kept nowhere.
    explicit SoundControls(Settings* settings);

    // A typed character outside the name entry. True when it was a sound key.
    bool onChar(int32_t c, uint32_t now);
    void setFocused(bool focused);
    // Hands the levels and the focus to device whenever they, or the device,
    // changed since the last call. Called every turn; cheap when nothing did.
    void apply(AudioDevice* device);

    // The notice over the top of the frame, while it lasts.
    void drawNotice(VideoSurface* target, const Rect& clip, Font& font, uint32_t now);
    const SoundLevels& levels() const { return levels_; }
    // What the notice says, or nothing once it is over.
    std::string notice(uint32_t now) const;

private:
    void changed(uint32_t now);

    Settings* settings_;
    SoundLevels levels_;
    bool focused_ = true;
    AudioDevice* device_ = nullptr;
    bool dirty_ = true;
    std::string notice_;
    uint32_t noticeStart_ = 0;
};

} // namespace vandrel
