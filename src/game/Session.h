// The session: the set-up record of the archive, the title, high-score and
// closing screens, the fonts, cross-hair and cartridge pictures, the effect
// sounds and music, and the running round's clock, ammunition and score.
#pragma once
#include "data/SetupRecord.h"
#include "game/Round.h"
#include "gfx/Font.h"
#include "gfx/Surface.h"
#include "platform/Rect.h"
#include "scores/HighscoreHost.h"
#include "scores/HighscoreTable.h"
#include "sound/SoundBuffer.h"
#include "sound/StreamingSound.h"

#include <cstdint>

namespace vandrel {

class BlockReader;
class Store;
class VideoDevice;
class VideoSurface;

class Session : public HighscoreHost {
public:
    // The high-score table loads from and saves to store, which outlives the session.
    explicit Session(Store& store);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loading. Each takes the reader standing inside an open entry; all but
    // loadSetup also need the video device and return false without it.
    [[nodiscard]] bool loadSetup(BlockReader* reader);
    [[nodiscard]] bool loadTitle(BlockReader* reader, VideoDevice* device);
    [[nodiscard]] bool loadScreens(BlockReader* reader, VideoDevice* device);
    [[nodiscard]] bool loadCursor(BlockReader* reader, VideoDevice* device);
    [[nodiscard]] bool loadAmmoImage(BlockReader* reader, VideoDevice* device);
    [[nodiscard]] bool loadLargeFont(BlockReader* reader, VideoDevice* device);
    [[nodiscard]] bool loadSmallFont(BlockReader* reader, VideoDevice* device);

    // Drawing into the display's back buffer, clipped to the client area.
    void drawTitle(VideoSurface* target, const Rect& clip, bool showProgress);
    void drawHighScores(VideoSurface* target, const Rect& clip);
    void drawCredits(VideoSurface* target, const Rect& clip);
    // The head-up display; also counts the round clock down.
    void drawHud(VideoSurface* target, const Rect& clip);
    // Where drawHud puts a full magazine's cartridges, out to the frame's
    // bottom-right corner: a tap there reloads.
    Rect magazineArea() const;
    // The cross-hair centred on (x, y); remembers target, device and clip for snapshot().
    void drawCursor(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, VideoDevice* device);

    // The round and the magazine.
    void startRound();
    bool hasAmmo() const { return round.hasAmmo(); }
    void useRound();
    void shotMissed();
    void playEmpty();
    // Refills an empty magazine (true); a partly filled one stays as it is (false).
    bool reload();
    void playReload();
    // A result below zero becomes zero.
    void addScore(int32_t points);

    // Copies the last frame the cross-hair was drawn into for the high-score
    // screen. Before any such frame (on this display) the copy is empty.
    // Throws LoadError when the copy cannot be made.
    void snapshot();

    // Releases every picture, font and sound and puts the set-up values back
    // to their defaults; the table name, the round and the progress stay.
    void clear();

    // What the high-score table asks of its session.
    int32_t highscoreScreenWidth() const override { return setup.screenWidth; }
    int32_t highscoreScreenHeight() const override { return setup.screenHeight; }
    Font* highscoreFont() override { return &largeFont; }

    // Members in construction order.
    Surface cursorImage;
    Surface ammoImage;
    SoundBuffer missSound;
    SoundBuffer emptySound;
    SoundBuffer reloadSound;
    Round round;
    StreamingSound music;
    Font smallFont;
    Font largeFont;
    Surface titleImage;
    Surface titleGrey;
    HighscoreTable highScores;
    Surface endImage;
    VideoSurface* lastTarget = nullptr;
    VideoDevice* lastDevice = nullptr;
    Rect lastClip;
    int32_t loadProgress = 0;
    SetupRecord setup;
    // Whether loadSetup passed a title, high-score or closing screen before
    // the set-up record: a full pass that reads on from the record would miss it.
    bool screensBeforeSetup = false;

    // When the closing screen's credits line started, once it has been drawn.
    uint32_t creditsStart = 0;
    bool creditsStarted = false;
};

} // namespace vandrel
