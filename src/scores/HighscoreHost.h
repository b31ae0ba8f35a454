// What the high-score table needs from the session that owns it, and nothing more:
// the screen size and the font its texts are drawn in.
#pragma once
#include <cstdint>

namespace vandrel {

class Font;

class HighscoreHost {
public:
    virtual int32_t highscoreScreenWidth() const = 0;
    virtual int32_t highscoreScreenHeight() const = 0;
    // The large font; null while it is not loaded.
    virtual Font* highscoreFont() = 0;

protected:
    ~HighscoreHost() = default;
};

} // namespace vandrel
