// What to do next, told over the picture in German or English by the
// system's language: how to play on the very first start (no settings file
// yet) for a few seconds; on any later title left alone for a while, how to
// start a round with the device last used; and while a name is asked for,
// how to type it, until its first character. None takes input away: a click
// starts the round at once, as ever. Drawn over the frame shown only, so
// recordings and replays never hold them.
#pragma once
#include "base/Rect.h"
#include "input/InputDevice.h"
#include "input/Messages.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace vandrel {

class Font;
class VideoSurface;

class PlayerHints {
public:
    static constexpr uint32_t shownMs = 8000;
    // How long a title stands without input before it says how to start.
    static constexpr uint32_t idleMs = 10000;

    // The first start's hint shows only when enabled: a first start, neither
    // recorded nor replayed.
    PlayerHints(bool enabled, bool german);

    // A window message on its way to the game: any press or move is the
    // player's input; a character typed into a name ends the name's prompt.
    void onInput(const Message& m, bool enteringName, uint32_t now);

    // One title frame: the first start's hint over it, counted from the first
    // title frame, or once the title has stood idle, how to start a round.
    void drawOverTitle(InputDevice device, VideoSurface* target, const Rect& clip, Font& font, uint32_t now);
    // A frame of any other screen: the next title counts its idle time anew.
    void leftTitle() { onTitle_ = false; }
    // A frame of the high-score screen or after: the prompt while a name is
    // asked for and nothing is typed yet.
    void drawOverNameEntry(bool enteringName, VideoSurface* target, const Rect& clip, Font& font);

    // The round has started: the first start's hint is over.
    void dismiss() { over_ = true; }
    bool showing(uint32_t now) const;
    bool idleHintShowing(uint32_t now) const { return onTitle_ && over_ && now - idleFrom_ >= idleMs; }
    bool namePromptShowing() const { return prompting_; }

    const std::vector<std::string_view>& lines() const { return lines_; }
    // The one line that says how to start a round with the device.
    std::string_view startLine(InputDevice device) const;
    std::string_view namePrompt() const;

private:
    static void drawLine(VideoSurface* target, const Rect& clip, Font& font, std::string_view line, bool low);

    bool german_;
    bool over_;
    bool started_ = false;
    uint32_t start_ = 0;
    std::vector<std::string_view> lines_;

    bool onTitle_ = false;
    uint32_t idleFrom_ = 0;
    bool asked_ = false; // a name was asked for on the last frame
    bool typed_ = false; // a character went into the name asked for
    bool prompting_ = false;
};

} // namespace vandrel
