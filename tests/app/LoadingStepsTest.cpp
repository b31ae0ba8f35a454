// The loading steps on one thread and on two: the same order, the same
// progress, the same end at a failing step; with two, the frames stay on the
// caller's thread while the next steps run ahead.
#include "app/LoadingSteps.h"
#include "platform/LoadError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace vandrel {
namespace {

class LoadingStepsTest : public ::testing::TestWithParam<bool> {};

// What a run did, as the caller's thread sees it afterwards.
struct Trace {
    std::vector<int> ran;            // steps, in the order they ran (read once run() is back)
    std::atomic<int> finished{0};    // the same count, for the frames to read meanwhile
    std::vector<std::string> frames; // "done/steps finished" at each after()
};

// Five steps reporting 10, 20, ... 50; step failAt (if any) throws what.
template <typename Error>
void addSteps(LoadingSteps& steps, Trace& trace, int failAt, const Error& what) {
    for (int i = 0; i < 5; ++i) {
        steps.add(10 * (i + 1), [&trace, i, failAt, what] {
            if (i == failAt) throw what;
            trace.ran.push_back(i);
            ++trace.finished;
        });
    }
}

TEST_P(LoadingStepsTest, EveryStepThenItsFrameInOrder) {
    LoadingSteps steps;
    Trace trace;
    addSteps(steps, trace, -1, LoadError());
    steps.run(
        [&](int64_t done) {
            trace.frames.push_back(std::to_string(done) + "/" + std::to_string(trace.finished.load()));
        },
        GetParam());
    EXPECT_EQ(trace.ran, (std::vector<int>{0, 1, 2, 3, 4}));
    // Each frame comes after its own step; on two threads later ones may
    // already be done, never fewer.
    ASSERT_EQ(trace.frames.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        const int finished = std::stoi(trace.frames[i].substr(trace.frames[i].find('/') + 1));
        EXPECT_EQ(trace.frames[i].substr(0, trace.frames[i].find('/')), std::to_string(10 * (i + 1)));
        EXPECT_GE(finished, static_cast<int>(i + 1));
        if (!GetParam()) {
            EXPECT_EQ(finished, static_cast<int>(i + 1));
        }
    }
}

TEST_P(LoadingStepsTest, AFailingStepEndsTheRunWhereItFailsWithItsOwnError) {
    for (int failAt : {0, 2, 4}) {
        LoadingSteps steps;
        Trace trace;
        addSteps(steps, trace, failAt, LoadError("damaged entry"));
        std::vector<int64_t> shown;
        try {
            steps.run([&](int64_t done) { shown.push_back(done); }, GetParam());
            ADD_FAILURE() << "no error from step " << failAt;
        } catch (const LoadError& e) {
            EXPECT_EQ(e.text(), "damaged entry");
        }
        std::vector<int> before;
        std::vector<int64_t> framesBefore;
        for (int i = 0; i < failAt; ++i) {
            before.push_back(i);
            framesBefore.push_back(10 * (i + 1));
        }
        // No step after the failing one ran, not even on the second thread.
        EXPECT_EQ(trace.ran, before) << "failing step " << failAt;
        EXPECT_EQ(shown, framesBefore) << "failing step " << failAt;
    }
    // Errors of other kinds come through as they are, too.
    LoadingSteps steps;
    Trace trace;
    addSteps(steps, trace, 1, std::runtime_error("out of memory"));
    EXPECT_THROW(steps.run([](int64_t) {}, GetParam()), std::runtime_error);
    EXPECT_EQ(trace.ran, std::vector<int>{0});
}

TEST_P(LoadingStepsTest, AFailingFrameStopsTheStepsBeforeRunReturns) {
    LoadingSteps steps;
    std::atomic<int> running{0};
    std::atomic<int> started{0};
    for (int i = 0; i < 50; ++i) {
        steps.add(i, [&] {
            ++running;
            ++started;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            --running;
        });
    }
    EXPECT_THROW(steps.run(
                     [](int64_t done) {
                         if (done == 2) throw std::runtime_error("no window");
                     },
                     GetParam()),
                 std::runtime_error);
    EXPECT_EQ(running.load(), 0) << "a step still ran after run() returned";
    EXPECT_LT(started.load(), 50) << "the steps went on to the end after the frame failed";
    EXPECT_GE(started.load(), 3);
}

TEST(LoadingStepsThreads, StepsRunAheadOnASecondThreadWhileFramesStayOnTheCaller) {
    if (!canLoadOnSecondThread) GTEST_SKIP() << "this build has no threads";
    const std::thread::id caller = std::this_thread::get_id();
    std::mutex mutex;
    std::condition_variable changed;
    bool secondStarted = false;
    std::vector<std::thread::id> stepThreads(3), frameThreads;
    LoadingSteps steps;
    steps.add(1, [&] { stepThreads[0] = std::this_thread::get_id(); });
    steps.add(2, [&] {
        stepThreads[1] = std::this_thread::get_id();
        std::lock_guard<std::mutex> lock(mutex);
        secondStarted = true;
        changed.notify_all();
    });
    steps.add(3, [&] { stepThreads[2] = std::this_thread::get_id(); });
    bool overlapped = false;
    steps.run(
        [&](int64_t done) {
            frameThreads.push_back(std::this_thread::get_id());
            if (done != 1) return;
            // The first frame waits for the second step: it must be able to
            // run while this frame is drawn.
            std::unique_lock<std::mutex> lock(mutex);
            overlapped = changed.wait_for(lock, std::chrono::seconds(10), [&] { return secondStarted; });
        },
        true);
    EXPECT_TRUE(overlapped);
    for (const auto& id : stepThreads) EXPECT_NE(id, caller);
    ASSERT_EQ(frameThreads.size(), 3u);
    for (const auto& id : frameThreads) EXPECT_EQ(id, caller);
}

INSTANTIATE_TEST_SUITE_P(Threads, LoadingStepsTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "SecondThread" : "OneThread"; });

} // namespace
} // namespace vandrel
