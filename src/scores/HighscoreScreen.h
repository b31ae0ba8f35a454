// The high-score screen: it opens with a wipe that slides its picture up over the
// last game frame column by column, then shows the rows, the score of the round
// just ended and, when that score took a row, the name being typed into it.
#pragma once
#include "base/Rect.h"
#include "gfx/Surface.h"

#include <cstdint>
#include <memory>
#include <utility>

namespace vandrel {

class HighscoreHost;
class HighscoreRows;
class HighscoreStorage;
class VideoSurface;

class HighscoreScreen {
public:
    // Shows rows and saves them to storage when a name is done; both outlive it.
    HighscoreScreen(HighscoreRows& rows, HighscoreStorage& storage) : rows_(rows), storage_(storage) {}
    HighscoreScreen(const HighscoreScreen&) = delete;
    HighscoreScreen& operator=(const HighscoreScreen&) = delete;

    // The owning session, which tells the screen size and lends the font.
    void attach(HighscoreHost& host) { host_ = &host; }
    // The screen's picture, loaded by the session from the archive.
    Surface& picture() { return picture_; }
    const Surface& picture() const { return picture_; }

    // Called each time the screen opens, before the pending score and the
    // snapshot are handed over: the wipe starts again.
    void reset();
    // The score of the round just ended, entered into the rows on the first frame
    // after the wipe; 0 for none.
    void setPendingScore(int32_t score) { pendingScore_ = score; }
    int32_t pendingScore() const { return pendingScore_; }
    // The last game frame, which the wipe slides the picture over; may be null.
    void setSnapshot(std::unique_ptr<VideoSurface> snapshot) { snapshot_ = std::move(snapshot); }
    const VideoSurface* snapshot() const { return snapshot_.get(); }
    // Releases the picture and the snapshot; the rows stay.
    void clear();

    // One frame of the screen into dest, within clip.
    void draw(VideoSurface* dest, const Rect* clip);
    // A typed character; Enter (vk::Return) also comes from a left click. Lost
    // while the wipe runs; Enter ends a name (and saves the rows), or else leaves.
    void typeChar(int32_t ch);
    // Ends the entry of a name without saving: the rows were replaced.
    void endEntry();

    // What Enter does once no name is being typed: the player leaves the screen.
    void leave() { done_ = true; }
    // Whether the player confirmed leaving the screen; takeDone() also forgets it.
    bool done() const { return done_; }
    bool takeDone() { return std::exchange(done_, false); }

    // What a test looks at: the wipe and the entry.
    int32_t revealX() const { return revealX_; }
    uint32_t wipeStart() const { return wipeStart_; }
    bool inserted() const { return inserted_; }
    int32_t editIndex() const { return editIndex_; }
    // A name is being typed, or will be once the wipe is over: the pending
    // score takes a row.
    bool awaitsName() const;
    // The name being typed has all the characters a name takes.
    bool nameFull() const;
    // y of the row being named; 0 = no cursor.
    int32_t cursorY() const;

private:
    void insertPending();
    bool wipeRunning() const;
    void drawWipe(VideoSurface* dest, const Rect& clip, int32_t width, int32_t height);
    void drawTable(VideoSurface* dest, const Rect& clip, int32_t width, int32_t height);

    HighscoreRows& rows_;
    HighscoreStorage& storage_;
    HighscoreHost* host_ = nullptr;
    Surface picture_;
    std::unique_ptr<VideoSurface> snapshot_; // the last game frame
    int32_t framesShown_ = 0;
    int32_t revealX_ = -1;   // left edge of the right-most column the wipe revealed
    uint32_t wipeStart_ = 0; // tick count when the wipe began; 0 = not begun
    int32_t pendingScore_ = 0;
    bool inserted_ = false; // the pending score has been dealt with
    bool done_ = false;
    int32_t editIndex_ = -1; // row being named; -1 = none
};

} // namespace vandrel
