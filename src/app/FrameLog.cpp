// Frame time lines: "frames N mean M ms max X ms" per interval.
#include "app/FrameLog.h"

#include <algorithm>
#include <cstdlib>

namespace vandrel {

FrameLog::FrameLog(std::FILE* out, uint32_t intervalMs) : out_(out), interval_(std::chrono::milliseconds(intervalMs)) {}

FrameLog::~FrameLog() {
    if (owned_) std::fclose(owned_);
}

std::unique_ptr<FrameLog> FrameLog::fromEnvironment() {
    const char* path = std::getenv("VANDREL_FRAME_LOG");
    if (!path || !*path) return nullptr;
    std::FILE* file = std::fopen(path, "w");
    if (!file) return nullptr;
    auto log = std::make_unique<FrameLog>(file);
    log->owned_ = file;
    return log;
}

void FrameLog::frame() {
    const Clock::time_point now = Clock::now();
    if (!started_) {
        started_ = true;
        start_ = last_ = now;
        return;
    }
    const Clock::duration gap = now - last_;
    last_ = now;
    sum_ += gap;
    longest_ = std::max(longest_, gap);
    ++frames_;
    if (now - start_ < interval_) return;
    using Ms = std::chrono::duration<double, std::milli>;
    std::fprintf(out_, "frames %llu mean %.3f ms max %.3f ms\n", static_cast<unsigned long long>(frames_),
                 Ms(sum_).count() / static_cast<double>(frames_), Ms(longest_).count());
    std::fflush(out_);
    start_ = now;
    sum_ = longest_ = Clock::duration{};
    frames_ = 0;
}

} // namespace vandrel
