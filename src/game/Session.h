// The session: the set-up record of the archive, the title, high-score and
// closing screens, the fonts, cross-hair and cartridge pictures, the effect
// sounds and music, and the running round's clock, ammunition and score.
#pragma once
#include "base/Rect.h"
#include "data/SetupRecord.h"
#include "game/PlayOptions.h"
#include "game/Round.h"
#include "gfx/CursorStyle.h"
#include "gfx/Font.h"
#include "gfx/Surface.h"
#include "scores/HighscoreHost.h"
#include "scores/HighscoreTable.h"
#include "sound/SoundBuffer.h"
#include "sound/StreamingSound.h"

#include <cstdint>
#include <utility>

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
    // The head-up display; also counts the round clock down (a practice
    // round has none) and refills a magazine that reloads itself.
    void drawHud(VideoSurface* target, const Rect& clip);
    // Where drawHud puts a full magazine's cartridges, out to the frame's
    // bottom-right corner: a tap there reloads.
    Rect magazineArea() const;
    // The cross-hair with its hotspot on (x, y); remembers target, device and clip for snapshot().
    void drawCursor(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, VideoDevice* device);
    // How the cross-hair is drawn from now on; the plain style draws the
    // picture itself. A styled copy that cannot be made leaves the picture.
    void setCursorStyle(const CursorStyle& style);
    const CursorStyle& cursorStyle() const { return cursorStyle_; }

    // The player's choices for the rounds (see PlayOptions). They decide the
    // table too: set them before loadSetup, which loads the table of their kind.
    void setPlayOptions(const PlayOptions& options) { options_ = options; }
    const PlayOptions& playOptions() const { return options_; }
    TableKind tableKind() const { return options_.tableKind(); }
    // How long a magazine that reloads itself stands empty: the reload
    // sound's length, a second without one, five at most.
    uint32_t autoReloadMs() const;

    // The round and the magazine.
    // A round from its start: the clock at the set-up's length (or the
    // player's), no score and the magazine at the set-up's size as it stands
    // (a negative one gives no shot, and a reload leaves it empty).
    void startRound();
    bool hasAmmo() const { return round_.hasAmmo(); }
    // One cartridge fewer; with auto-reload the shot that empties the
    // magazine starts the reload sound, and the magazine is full again when
    // it ends (drawHud refills it).
    void useRound();
    void shotMissed();
    void playEmpty();
    // Refills an empty magazine (true); a partly filled one stays as it is (false).
    bool reload();
    void playReload();
    // A result below zero becomes zero.
    void addScore(int32_t points);
    // What the head-up display shows of the running round.
    int32_t secondsLeft() const { return round_.secondsLeft(); }
    int32_t ammo() const { return round_.ammo(); }
    int32_t score() const { return round_.score(); }
    // A pause of ms milliseconds ended: the round's clock goes on from where it stood.
    void shiftRoundTime(uint32_t ms) { round_.shiftTime(ms); }
    // The clock ran out: the round waits for its score to be handed over.
    bool roundOver() const { return round_.over(); }

    // The title screen: the loading bar at percent (0 to 100), and the first
    // round's start, after which the grey copy is not drawn again.
    void showLoadProgress(int32_t percent) { loadProgress_ = percent; }
    int32_t loadProgress() const { return loadProgress_; }
    void leaveTitle();

    // The music from the set-up entry: played in a loop from the end of the
    // loading, fed once a frame, let go before the display closes.
    void playMusic();
    void feedMusic();
    void stopMusic();
    // Holds the music where it is and plays it on from there.
    void pauseMusic() { music_.pause(); }
    void resumeMusic();

    // The high-score screen, opened with a copy of the last cross-hair frame
    // when it was drawn into backBuffer (a resized window has a new one).
    void openHighScores(const VideoSurface* backBuffer);
    // The ended round's score waits in the table for its name; the round has
    // no score left and is no longer over.
    void handOverScore();
    int32_t pendingScore() const { return highScores_.screen().pendingScore(); }
    // A name is being typed, or is about to be once the wipe ends.
    bool awaitsName() const { return highScores_.screen().awaitsName(); }
    // The name being typed takes no more characters.
    bool nameFull() const { return highScores_.screen().nameFull(); }
    // A character (or Enter) for the high-score screen's name.
    void typeOnHighScores(int32_t c) { highScores_.screen().typeChar(c); }
    // True once after the player has left the high-score screen.
    bool takeHighScoresDone() { return highScores_.screen().takeDone(); }
    [[nodiscard]] bool saveScores() { return highScores_.save(); }
    // Back to a new table's rows, before the set-up record of another
    // gallery names the table to load.
    void startTableOver() { highScores_.startOver(); }

    // Copies the last frame the cross-hair was drawn into for the high-score
    // screen. Before any such frame (on this display) the copy is empty.
    // Throws LoadError when the copy cannot be made.
    void snapshot();

    // Pictures made in memory instead of loaded, for a benchmark or a tool
    // that builds a session without an archive.
    void takeCursor(Surface&& image) {
        cursorImage_ = std::move(image);
        dropStyledCursor();
    }
    void takeAmmoImage(Surface&& image) { ammoImage_ = std::move(image); }

    // What the full loading pass lets go again when the other thread's part failed.
    void unloadCursor() {
        cursorImage_.destroy();
        dropStyledCursor();
    }
    void unloadLargeFont() { largeFont_.sheet().destroy(); }
    void unloadSmallFont() { smallFont_.sheet().destroy(); }
    void unloadAmmoImage() { ammoImage_.destroy(); }

    // Releases every picture, font and sound and puts the set-up values back
    // to their defaults; the table name, the round and the progress stay.
    void clear();

    // The set-up values: the archive's once loadSetup read them, else the defaults.
    const SetupRecord& setup() const { return setup_; }
    // Whether loadSetup passed a title, high-score or closing screen before
    // the set-up record: a full pass that reads on from the record would miss it.
    bool screensBeforeSetup() const { return screensBeforeSetup_; }
    // The fonts, for what others draw: the score popups and the player's notices.
    Font& largeFont() { return largeFont_; }
    Font& smallFont() { return smallFont_; }
    const Font& largeFont() const { return largeFont_; }
    const Font& smallFont() const { return smallFont_; }

    // What the high-score table asks of its session.
    int32_t highscoreScreenWidth() const override { return setup_.screenWidth; }
    int32_t highscoreScreenHeight() const override { return setup_.screenHeight; }
    Font* highscoreFont() override { return &largeFont_; }

private:
    void dropStyledCursor() {
        styledCursor_.picture.destroy();
        styledCursorTried_ = false;
    }

    // Tests look at the loaded pictures and sounds and set up values no
    // archive carries (tests/support/SessionProbe.h).
    friend struct SessionProbe;

    // Members in construction order.
    Surface cursorImage_;
    // The player's style and the copy drawn in it, made at the first draw
    // after the picture or the style changed.
    CursorStyle cursorStyle_;
    StyledCursor styledCursor_;
    bool styledCursorTried_ = false;
    Surface ammoImage_;
    SoundBuffer missSound_;
    SoundBuffer emptySound_;
    SoundBuffer reloadSound_;
    Round round_;
    PlayOptions options_;
    StreamingSound music_;
    Font smallFont_;
    Font largeFont_;
    Surface titleImage_;
    Surface titleGrey_;
    HighscoreTable highScores_;
    Surface endImage_;
    VideoSurface* lastTarget_ = nullptr;
    VideoDevice* lastDevice_ = nullptr;
    Rect lastClip_;
    int32_t loadProgress_ = 0;
    SetupRecord setup_;
    bool screensBeforeSetup_ = false;

    // When the closing screen's credits line started, once it has been drawn.
    uint32_t creditsStart_ = 0;
    bool creditsStarted_ = false;
};

} // namespace vandrel
