// The running round: its clock, the magazine and the score, and the rules
// that move them. The set-up record gives the round's length and the
// magazine's size; the session plays the sounds and draws the head-up display.
#pragma once
#include <cstdint>

namespace vandrel {

struct SetupRecord;

class Round {
public:
    // The clock at the set-up's length from now (or at seconds, when above
    // 0), not yet over, a full magazine and no score.
    void start(const SetupRecord& setup, int32_t seconds = 0);
    // A magazine never holds fewer than 0 cartridges, whatever the set-up
    // record says: a negative size fills it with none.
    bool hasAmmo() const { return ammo_ > 0; }
    // One cartridge fewer; an empty magazine stays empty. The shot that
    // empties it starts the time a magazine that reloads itself waits.
    void useRound();
    // Refills an empty magazine (true); a partly filled one stays as it is (false).
    bool reload(int32_t magazineSize);
    // A result below zero becomes zero, one past the largest score stays there.
    void addScore(int32_t points);
    // Counts the clock down at now: one second per call at most, so a late
    // clock catches up a second a frame, and the round is over a full second
    // after 0:00 was first shown.
    void countDown(uint32_t now);
    // The clock's last second and the empty magazine's wait move on by ms:
    // time paused never counts.
    void shiftTime(uint32_t ms) {
        lastSecondTick_ += ms;
        emptiedAt_ += ms;
    }
    // The magazine has stood empty since a shot emptied it for at least ms at now.
    bool emptyFor(uint32_t ms, uint32_t now) const { return ammo_ == 0 && emptied_ && now - emptiedAt_ >= ms; }
    // The score goes to the high-score screen: the round keeps none, and its
    // clock no longer counts as run out.
    int32_t handOverScore();

    int32_t secondsLeft() const { return secondsLeft_; }
    int32_t ammo() const { return ammo_; }
    int32_t score() const { return score_; }
    bool over() const { return over_ != 0; }

private:
    uint32_t lastSecondTick_ = 0;
    int32_t secondsLeft_ = 0;
    int32_t ammo_ = 0;
    int32_t score_ = 0;
    uint8_t over_ = 0;
    // When a shot last emptied the magazine, and whether one did since the
    // last refill.
    uint32_t emptiedAt_ = 0;
    bool emptied_ = false;
};

} // namespace vandrel
