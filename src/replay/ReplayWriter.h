// The writer of recorded games (the format is told in ReplayLog.h).
#pragma once
#include "replay/ReplayLog.h"

#include <cstdint>
#include <ostream>
#include <string_view>

namespace vandrel {

// Writes a recording as the game runs, folding equal loop turns into one line.
class ReplayWriter {
public:
    explicit ReplayWriter(std::ostream& out) : out_(out) {}
    ~ReplayWriter() { flushSteps(); }
    ReplayWriter(const ReplayWriter&) = delete;
    ReplayWriter& operator=(const ReplayWriter&) = delete;

    void header(uint64_t dataHash, uint32_t randState, uint32_t startTick);
    void startMode(bool fullScreen);
    // A line for each option that is not its default; none for the defaults.
    void play(const PlayOptions& options);
    void store(const ReplayStoreValue& v) { storeLine("store", v); }
    void size(int32_t width, int32_t height, uint32_t query);
    void message(const Message& m);
    void step(uint32_t tick);
    void check(const ReplayCheck& c);
    void end(const ReplayEnd& e);
    void finalStore(const ReplayStoreValue& v) { storeLine("final", v); }
    void comment(std::string_view text);
    void flush();

private:
    void flushSteps();
    void storeLine(const char* key, const ReplayStoreValue& v);

    std::ostream& out_;
    uint32_t lastTick_ = 0;
    uint32_t runDelta_ = 0;
    uint32_t runCount_ = 0;
};

} // namespace vandrel
