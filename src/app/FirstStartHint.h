// How to play, shown over the title for a few seconds on the very first start
// (no settings file yet), in German or English by the system's language. It
// takes no input away: a click starts the round at once, as ever.
#pragma once
#include "base/Rect.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace vandrel {

class Font;
class VideoSurface;

class FirstStartHint {
public:
    static constexpr uint32_t shownMs = 8000;

    // Shown only when enabled: a first start, neither recorded nor replayed.
    FirstStartHint(bool enabled, bool german);

    // One title frame: the hint over it, counted from the first title frame.
    void drawOverTitle(VideoSurface* target, const Rect& clip, Font& font, uint32_t now);
    // The round has started: the hint is over.
    void dismiss() { over_ = true; }
    bool showing(uint32_t now) const;

    const std::vector<std::string_view>& lines() const { return lines_; }

private:
    bool over_;
    bool started_ = false;
    uint32_t start_ = 0;
    std::vector<std::string_view> lines_;
};

} // namespace vandrel
