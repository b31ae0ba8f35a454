// Writing recorded games line by line as the game runs.
#include "replay/ReplayWriter.h"

#include "replay/MessageNames.h"

#include <cstdio>
#include <sstream>

namespace vandrel {
namespace {

std::string checkFields(const ReplayCheck& c) {
    std::ostringstream s;
    s << c.tick << ' ' << c.state << ' ' << c.score << ' ' << c.pending << ' ' << hexText(c.frameHash);
    return s.str();
}

} // namespace

void ReplayWriter::header(uint64_t dataHash, uint32_t randState, uint32_t startTick) {
    out_ << "vandrel-replay 1\n"
         << "data " << hexText(dataHash) << '\n'
         << "rand " << randState << '\n'
         << "start " << startTick << '\n';
    lastTick_ = startTick;
}

void ReplayWriter::startMode(bool fullScreen) {
    flushSteps();
    out_ << "mode " << (fullScreen ? "fullscreen" : "window") << '\n';
}

void ReplayWriter::play(const PlayOptions& options) {
    flushSteps();
    const PlayOptions standard;
    if (options.speedPercent != standard.speedPercent) out_ << "play speed " << options.speedPercent << '\n';
    if (options.roundSeconds != standard.roundSeconds) out_ << "play length " << options.roundSeconds << '\n';
    if (options.autoReload != standard.autoReload) out_ << "play auto_reload " << int{options.autoReload} << '\n';
    if (options.practice != standard.practice) out_ << "play practice " << int{options.practice} << '\n';
    if (options.cursor.percent != standard.cursor.percent)
        out_ << "play crosshair_size " << options.cursor.percent << '\n';
    if (options.cursor.outline != standard.cursor.outline)
        out_ << "play crosshair_outline " << int{options.cursor.outline} << '\n';
    if (options.cursor.colour != standard.cursor.colour)
        out_ << "play crosshair_colour " << options.cursor.colour << '\n';
}

void ReplayWriter::flushSteps() {
    if (runCount_ == 0) return;
    out_ << "s " << runDelta_;
    if (runCount_ > 1) out_ << 'x' << runCount_;
    out_ << '\n';
    runCount_ = 0;
}

void ReplayWriter::size(int32_t width, int32_t height, uint32_t query) {
    flushSteps();
    out_ << "size " << width << ' ' << height << ' ' << query << '\n';
}

void ReplayWriter::message(const Message& m) {
    flushSteps();
    out_ << "m " << messageName(m.message) << ' ' << m.wParam << ' ';
    if (isPointMessage(m.message))
        out_ << pointParamX(m.lParam) << ',' << pointParamY(m.lParam);
    else
        out_ << m.lParam;
    out_ << '\n';
}

void ReplayWriter::step(uint32_t tick) {
    const uint32_t delta = tick - lastTick_;
    lastTick_ = tick;
    if (runCount_ > 0 && delta != runDelta_) flushSteps();
    runDelta_ = delta;
    ++runCount_;
}

void ReplayWriter::check(const ReplayCheck& c) {
    flushSteps();
    out_ << "c " << checkFields(c) << '\n';
}

void ReplayWriter::end(const ReplayEnd& e) {
    flushSteps();
    out_ << "end " << e.exitCode << ' ' << checkFields(e.check) << '\n';
}

void ReplayWriter::storeLine(const char* key, const ReplayStoreValue& v) {
    flushSteps();
    out_ << key << ' ' << v.name << ' ' << (v.binary ? "bin" : "sz") << ' ';
    if (!v.bytes) {
        out_ << '-';
    } else {
        char buf[3];
        for (uint8_t b : *v.bytes) {
            std::snprintf(buf, sizeof buf, "%02x", b);
            out_ << buf;
        }
    }
    out_ << '\n';
}

void ReplayWriter::comment(std::string_view text) {
    flushSteps();
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t nl = rest.find('\n');
        out_ << "# " << rest.substr(0, nl) << '\n';
        if (nl == std::string_view::npos) break;
        rest.remove_prefix(nl + 1);
    }
}

void ReplayWriter::flush() {
    flushSteps();
    out_.flush();
}

} // namespace vandrel
