// Running the loading steps on this thread, or shared with a second one while
// this one also draws the progress frames.
#include "app/LoadingSteps.h"

#include <cstdint>
#include <exception>
#include <utility>

#if !defined(__EMSCRIPTEN__)
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#endif

namespace vandrel {

void LoadingSteps::add(int64_t done, Lane lane, Step step, Step undo) {
    steps_.push_back({done, lane, std::move(step), std::move(undo)});
}

void LoadingSteps::run(const After& after, bool secondThread) {
    if (secondThread && canLoadOnSecondThread)
        runOnTwoThreads(after);
    else
        runHere(after);
}

void LoadingSteps::runHere(const After& after) {
    while (runNext(after)) {}
}

bool LoadingSteps::runNext(const After& after) {
    if (next_ >= steps_.size()) return false;
    Entry& entry = steps_[next_];
    // Until the step and its frame are through, a throw leaves nothing to run.
    const size_t following = next_ + 1;
    next_ = steps_.size();
    entry.step();
    after(entry.done);
    next_ = following;
    return true;
}

#if defined(__EMSCRIPTEN__)
void LoadingSteps::runOnTwoThreads(const After& after) { runHere(after); }
#else
// One run shared between this thread and a second one. Every step has a
// status under the mutex; this thread runs the caller's lane and draws the
// frames in order as their steps finish, the second thread runs its lane.
class LoadingSteps::TwoLaneRun {
public:
    TwoLaneRun(std::vector<Entry>& steps, const After& after)
        : steps_(steps), after_(after), status_(steps.size(), Waiting), errors_(steps.size()),
          firstFailure_(steps.size()), endAt_(steps.size()) {}

    // Starts the second lane on a thread of its own; false, with nothing run,
    // when no thread can be had.
    bool start();
    // Runs this thread's lane with every frame, then ends the run: waits for
    // the second lane, undoes what ran ahead of a failure and rethrows it.
    void finish();

private:
    enum Status : uint8_t { Waiting, Running, Finished, Failed };

    bool runStep(size_t i);
    void runCallerLane();
    bool drawFrames(bool wait);
    void undoAhead();

    std::vector<Entry>& steps_;
    const After& after_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Status> status_;
    std::vector<std::exception_ptr> errors_;
    size_t firstFailure_; // the earliest step known to have failed
    bool stop_ = false;   // the run is over: start no more steps
    std::thread worker_;
    size_t next_ = 0;           // the next frame to draw
    size_t endAt_;              // where the run ended early
    std::exception_ptr ending_; // and why
};

bool LoadingSteps::TwoLaneRun::start() {
    try {
        worker_ = std::thread([this] {
            for (size_t i = 0; i < steps_.size(); ++i)
                if (steps_[i].lane == Lane::Second && !runStep(i)) return;
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

// Runs step i on this thread unless the run already ends before it; false
// when it did not run or failed.
bool LoadingSteps::TwoLaneRun::runStep(size_t i) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_ || firstFailure_ < i) return false;
        status_[i] = Running;
    }
    std::exception_ptr error;
    try {
        steps_[i].step();
    } catch (...) {
        error = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        status_[i] = error ? Failed : Finished;
        if (error) {
            errors_[i] = error;
            if (i < firstFailure_) firstFailure_ = i;
        }
    }
    changed_.notify_all();
    return !error;
}

// Draws the frames of the steps finished so far, in order; with wait, until
// every frame is drawn or the next one's step failed (false then).
bool LoadingSteps::TwoLaneRun::drawFrames(bool wait) {
    const size_t n = steps_.size();
    while (next_ < n) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (wait) changed_.wait(lock, [&] { return status_[next_] == Finished || status_[next_] == Failed; });
            if (status_[next_] == Failed) {
                endAt_ = next_;
                ending_ = errors_[next_];
                return false;
            }
            if (status_[next_] != Finished) return true;
        }
        after_(steps_[next_].done);
        ++next_;
    }
    return true;
}

void LoadingSteps::TwoLaneRun::runCallerLane() {
    for (size_t i = 0; i < steps_.size(); ++i)
        if (steps_[i].lane == Lane::Caller && (!runStep(i) || !drawFrames(false))) break;
    drawFrames(true);
}

void LoadingSteps::TwoLaneRun::finish() {
    try {
        runCallerLane();
    } catch (...) {
        // A frame failed: the run ends there, its step loaded.
        endAt_ = next_;
        ending_ = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    worker_.join();
    if (!ending_) return;
    undoAhead();
    std::rethrow_exception(ending_);
}

// What ran ahead of the end goes, so that the pass leaves what it would have
// left on one thread.
void LoadingSteps::TwoLaneRun::undoAhead() {
    for (size_t j = steps_.size(); j-- > endAt_ + 1;) {
        if (status_[j] == Waiting || !steps_[j].undo) continue;
        try {
            steps_[j].undo();
        } catch (...) {
            // Putting back is best effort; the run's own error is the one to report.
        }
    }
}

void LoadingSteps::runOnTwoThreads(const After& after) {
    TwoLaneRun run(steps_, after);
    // No thread to be had: the steps run here, as in a build without threads.
    if (!run.start()) return runHere(after);
    run.finish();
}
#endif

} // namespace vandrel
