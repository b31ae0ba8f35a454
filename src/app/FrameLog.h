// Frame times of a long run of the real game, for soak tests: every interval,
// one line with the frames run and the mean and longest time between two frames.
#pragma once
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace vandrel {

class FrameLog {
public:
    // Lines go to out (kept open by the caller), one every intervalMs.
    explicit FrameLog(std::FILE* out, uint32_t intervalMs = 10000);
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    // VANDREL_FRAME_LOG=FILE: a log into FILE, closed with the log, every ten
    // seconds; null when the variable is unset or the file cannot be made.
    static std::unique_ptr<FrameLog> fromEnvironment();

    // Called as each frame starts.
    void frame();

private:
    using Clock = std::chrono::steady_clock;
    std::FILE* out_;
    // The file the log made itself and closes.
    std::FILE* owned_ = nullptr;
    Clock::duration interval_;
    Clock::time_point start_{};
    Clock::time_point last_{};
    Clock::duration sum_{};
    Clock::duration longest_{};
    uint64_t frames_ = 0;
    bool started_ = false;
};

} // namespace vandrel
