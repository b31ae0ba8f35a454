// Reaches into a session where its own verbs cannot: the loaded pictures and
// sounds to be looked at (or filled with known pixels, as no loader writes
// them exactly), the set-up values bent past what an archive may carry, and
// when the credits line started. Everything else a test does goes through the
// session's verbs and queries, as the game does. Each reach takes a session or
// a const one and hands back the part in kind.
#pragma once
#include "game/Session.h"

#include <cstdint>
#include <optional>

namespace vandrel {

struct SessionProbe {
    template <class S>
    static auto& setup(S& s) {
        return s.setup_;
    }
    template <class S>
    static auto& titleImage(S& s) {
        return s.titleImage_;
    }
    template <class S>
    static auto& titleGrey(S& s) {
        return s.titleGrey_;
    }
    template <class S>
    static auto& endImage(S& s) {
        return s.endImage_;
    }
    template <class S>
    static auto& cursorImage(S& s) {
        return s.cursorImage_;
    }
    template <class S>
    static auto& ammoImage(S& s) {
        return s.ammoImage_;
    }
    template <class S>
    static auto& highScores(S& s) {
        return s.highScores_;
    }
    template <class S>
    static auto& missSound(S& s) {
        return s.missSound_;
    }
    template <class S>
    static auto& emptySound(S& s) {
        return s.emptySound_;
    }
    template <class S>
    static auto& reloadSound(S& s) {
        return s.reloadSound_;
    }
    template <class S>
    static auto& music(S& s) {
        return s.music_;
    }
    // When the closing screen's credits line last started over; none before it was drawn.
    static std::optional<uint32_t> creditsStart(const Session& s) {
        return s.creditsStarted_ ? std::optional<uint32_t>{s.creditsStart_} : std::nullopt;
    }
};

} // namespace vandrel
