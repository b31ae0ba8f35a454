// Any bytes as a recorded game, which may come from anywhere: the reader either
// refuses them, saying where and why, or reads a whole recording; what it reads
// is written back by the writer and reads again as the same recording.
// fuzz-libs: vandrel_video vandrel_config vandrel_system
// fuzz-sources: src/replay/ReplayLog.cpp src/replay/ReplayWriter.cpp src/replay/MessageNames.cpp
#include "replay/MessageNames.h"
#include "replay/ReplayLog.h"
#include "replay/ReplayWriter.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

using vandrel::ReplayEvent;

// Longer runs of equal turns are left out of the round trip: writing them back
// turn by turn would take the fuzzer's time, not test anything more.
constexpr uint64_t longestRunWritten = 100000;

// The events as the writer folds them: neighbouring runs of equal turns as one.
std::vector<ReplayEvent> folded(const std::vector<ReplayEvent>& events) {
    std::vector<ReplayEvent> out;
    for (const ReplayEvent& e : events) {
        if (e.kind == ReplayEvent::Kind::Steps && !out.empty() && out.back().kind == ReplayEvent::Kind::Steps &&
            out.back().delta == e.delta) {
            out.back().count += e.count;
            continue;
        }
        out.push_back(e);
    }
    return out;
}

bool sameEvent(const ReplayEvent& a, const ReplayEvent& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
    case ReplayEvent::Kind::Message:
        if (a.message.message != b.message.message || a.message.wParam != b.message.wParam) return false;
        // A click or a move is recorded by its client position, all the game reads of it.
        if (vandrel::isPointMessage(a.message.message))
            return vandrel::pointParamX(a.message.lParam) == vandrel::pointParamX(b.message.lParam) &&
                   vandrel::pointParamY(a.message.lParam) == vandrel::pointParamY(b.message.lParam);
        return a.message.lParam == b.message.lParam;
    case ReplayEvent::Kind::Size: return a.width == b.width && a.height == b.height && a.query == b.query;
    case ReplayEvent::Kind::Steps: return a.delta == b.delta && a.count == b.count;
    case ReplayEvent::Kind::Check: return a.check == b.check;
    }
    return false;
}

// Writes log through the writer as a recording game would have; false when a
// run is too long to write turn by turn.
bool writeBack(const vandrel::ReplayLog& log, std::ostream& out) {
    vandrel::ReplayWriter w(out);
    w.header(log.dataHash, log.randState, log.startTick);
    if (log.startFullScreen) w.startMode(*log.startFullScreen);
    for (const auto& v : log.storeBefore) w.store(v);
    uint32_t tick = log.startTick;
    for (const ReplayEvent& e : log.events) {
        switch (e.kind) {
        case ReplayEvent::Kind::Message: w.message(e.message); break;
        case ReplayEvent::Kind::Size: w.size(e.width, e.height, e.query); break;
        case ReplayEvent::Kind::Check: w.check(e.check); break;
        case ReplayEvent::Kind::Steps:
            if (e.count > longestRunWritten) return false;
            for (uint32_t i = 0; i < e.count; ++i) w.step(tick += e.delta);
            break;
        }
    }
    if (log.end) w.end(*log.end);
    for (const auto& v : log.storeAfter) w.finalStore(v);
    w.flush();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    vandrel::ReplayLog log;
    std::string error;
    if (!log.read(in, error)) {
        if (error.rfind("line ", 0) != 0) std::abort(); // a refusal names its line
        return 0;
    }
    std::ostringstream out;
    if (!writeBack(log, out)) return 0;
    std::istringstream again(out.str());
    vandrel::ReplayLog back;
    if (!back.read(again, error)) std::abort(); // what the writer writes reads again
    const std::vector<ReplayEvent> before = folded(log.events), after = folded(back.events);
    if (back.dataHash != log.dataHash || back.randState != log.randState || back.startTick != log.startTick ||
        back.startFullScreen != log.startFullScreen || back.storeBefore != log.storeBefore ||
        back.storeAfter != log.storeAfter || before.size() != after.size())
        std::abort();
    if (back.end.has_value() != log.end.has_value() ||
        (log.end && (back.end->exitCode != log.end->exitCode || !(back.end->check == log.end->check))))
        std::abort();
    for (size_t i = 0; i < before.size(); ++i)
        if (!sameEvent(before[i], after[i])) std::abort();
    return 0;
}
