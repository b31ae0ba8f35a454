// The loading steps on one thread, on two and one at a time: the same order
// of frames, the same progress, the same end at a failing step with the same
// parts loaded; with two, the frames stay on the caller's thread while the
// other thread's steps run at the same time.
#include "app/LoadingSteps.h"
#include "base/LoadError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vandrel {
namespace {

using Lane = LoadingSteps::Lane;

// How the steps are run: all in one call, on one thread or two, or one call per step.
enum class Mode { OneThread, SecondThread, StepByStep };

class LoadingStepsTest : public ::testing::TestWithParam<Mode> {};

// Six steps reporting 10, 20, ... 60: the first three on the caller's lane,
// the rest on the second. Each marks its part loaded; an undo clears it.
struct Rig {
    LoadingSteps steps;
    std::atomic<bool> loaded[6] = {};
    std::atomic<int> undone{0};
    std::vector<int64_t> shown;                   // the frames, as after() saw them
    std::vector<std::vector<bool>> loadedAtFrame; // which parts were loaded at each frame

    template <typename Error>
    Rig(int failAt, const Error& error) {
        for (int i = 0; i < 6; ++i) {
            steps.add(
                10 * (i + 1), i < 3 ? Lane::Caller : Lane::Second,
                [this, i, failAt, error] {
                    if (i == failAt) throw error;
                    loaded[i] = true;
                },
                [this, i] {
                    loaded[i] = false;
                    ++undone;
                });
        }
    }
    void run(Mode mode) {
        runWith(mode, [this](int64_t done) {
            shown.push_back(done);
            loadedAtFrame.push_back(parts());
        });
    }
    void runWith(Mode mode, const LoadingSteps::After& after) {
        if (mode != Mode::StepByStep) return steps.run(after, mode == Mode::SecondThread);
        size_t calls = 0;
        while (steps.runNext(after)) ++calls;
        EXPECT_EQ(calls, 6u) << "one step per call";
    }
    std::vector<bool> parts() const {
        std::vector<bool> now;
        for (const auto& l : loaded) now.push_back(l.load());
        return now;
    }
};

TEST_P(LoadingStepsTest, EveryFrameComesAfterItsStepAndAllBeforeItInOrder) {
    Rig rig(-1, LoadError());
    rig.run(GetParam());
    EXPECT_EQ(rig.shown, (std::vector<int64_t>{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(rig.parts(), std::vector<bool>(6, true));
    ASSERT_EQ(rig.loadedAtFrame.size(), 6u);
    for (size_t frame = 0; frame < 6; ++frame)
        for (size_t step = 0; step <= frame; ++step)
            EXPECT_TRUE(rig.loadedAtFrame[frame][step]) << "frame " << frame << " before step " << step;
    EXPECT_EQ(rig.undone.load(), 0);
}

TEST_P(LoadingStepsTest, AFailingStepEndsTheRunWhereItWouldOnOneThread) {
    // Failing on the caller's lane (while the second lane may run ahead) and
    // on the second lane (while the caller's may still be going).
    for (int failAt : {0, 2, 3, 5}) {
        Rig rig(failAt, LoadError("damaged entry"));
        try {
            rig.run(GetParam());
            ADD_FAILURE() << "no error from step " << failAt;
        } catch (const LoadError& e) {
            EXPECT_EQ(e.text(), "damaged entry");
        }
        // One step at a time, the failing one is the last to run.
        if (GetParam() == Mode::StepByStep) {
            EXPECT_FALSE(rig.steps.runNext([](int64_t) {}));
        }
        std::vector<int64_t> framesBefore;
        std::vector<bool> partsBefore(6, false);
        for (int i = 0; i < failAt; ++i) {
            framesBefore.push_back(10 * (i + 1));
            partsBefore[i] = true;
        }
        EXPECT_EQ(rig.shown, framesBefore) << "failing step " << failAt;
        // Nothing after the failing step stays loaded, even what ran ahead.
        EXPECT_EQ(rig.parts(), partsBefore) << "failing step " << failAt;
    }
    // Errors of other kinds come through as they are, too.
    Rig rig(4, std::runtime_error("out of memory"));
    EXPECT_THROW(rig.run(GetParam()), std::runtime_error);
    EXPECT_EQ(rig.parts(), (std::vector<bool>{true, true, true, true, false, false}));
}

TEST_P(LoadingStepsTest, AFailingFrameEndsTheRunThereWithItsStepLoaded) {
    Rig rig(-1, LoadError());
    EXPECT_THROW(rig.runWith(GetParam(),
                             [](int64_t done) {
                                 if (done == 40) throw std::runtime_error("no window");
                             }),
                 std::runtime_error);
    // Whatever the second lane ran beyond the frame is let go again.
    EXPECT_EQ(rig.parts(), (std::vector<bool>{true, true, true, true, false, false}));
}

TEST(LoadingStepsThreads, TheSecondLaneRunsOnItsOwnThreadWhileTheCallerWorksAndDraws) {
    if (!canLoadOnSecondThread) GTEST_SKIP() << "this build has no threads";
    const std::thread::id caller = std::this_thread::get_id();
    std::mutex mutex;
    std::condition_variable changed;
    bool secondStarted = false;
    std::thread::id firstThread, secondThread;
    std::vector<std::thread::id> frameThreads;
    LoadingSteps steps;
    bool overlapped = false;
    steps.add(1, Lane::Caller, [&] {
        firstThread = std::this_thread::get_id();
        // The caller's own step waits for the second lane's: both must run at once.
        std::unique_lock<std::mutex> lock(mutex);
        overlapped = changed.wait_for(lock, std::chrono::seconds(10), [&] { return secondStarted; });
    });
    steps.add(2, Lane::Second, [&] {
        secondThread = std::this_thread::get_id();
        std::lock_guard<std::mutex> lock(mutex);
        secondStarted = true;
        changed.notify_all();
    });
    steps.run([&](int64_t) { frameThreads.push_back(std::this_thread::get_id()); }, true);
    EXPECT_TRUE(overlapped);
    EXPECT_EQ(firstThread, caller);
    EXPECT_NE(secondThread, caller);
    EXPECT_EQ(frameThreads, (std::vector<std::thread::id>{caller, caller}));
}

const char* modeName(const ::testing::TestParamInfo<Mode>& info) {
    const char* names[] = {"OneThread", "SecondThread", "StepByStep"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Threads, LoadingStepsTest,
                         ::testing::Values(Mode::OneThread, Mode::SecondThread, Mode::StepByStep), modeName);

} // namespace
} // namespace vandrel
