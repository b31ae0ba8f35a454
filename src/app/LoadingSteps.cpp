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
void LoadingSteps::runOnTwoThreads(const After& after) {
    const size_t n = steps_.size();
    enum Status : uint8_t { Waiting, Running, Finished, Failed };
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Status> status(n, Waiting);
    std::vector<std::exception_ptr> errors(n);
    size_t firstFailure = n; // the earliest step known to have failed
    bool stop = false;       // the run is over: start no more steps

    // Runs step i on this thread unless the run already ends before it;
    // false when it did not run or failed.
    const auto runStep = [&](size_t i) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (stop || firstFailure < i) return false;
            status[i] = Running;
        }
        std::exception_ptr error;
        try {
            steps_[i].step();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            status[i] = error ? Failed : Finished;
            if (error) {
                errors[i] = error;
                if (i < firstFailure) firstFailure = i;
            }
        }
        changed.notify_all();
        return !error;
    };

    std::thread worker;
    try {
        worker = std::thread([&] {
            for (size_t i = 0; i < n; ++i)
                if (steps_[i].lane == Lane::Second && !runStep(i)) return;
        });
    } catch (const std::system_error&) {
        // No thread to be had: the steps run here, as in a build without threads.
        runHere(after);
        return;
    }

    size_t next = 0;           // the next frame to draw
    size_t endAt = n;          // where the run ended early
    std::exception_ptr ending; // and why
    // Draws the frames of the steps finished so far, in order; with wait,
    // until every frame is drawn or the next one's step failed (false then).
    const auto drawFrames = [&](bool wait) {
        while (next < n) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                if (wait) changed.wait(lock, [&] { return status[next] == Finished || status[next] == Failed; });
                if (status[next] == Failed) {
                    endAt = next;
                    ending = errors[next];
                    return false;
                }
                if (status[next] != Finished) return true;
            }
            after(steps_[next].done);
            ++next;
        }
        return true;
    };
    try {
        for (size_t i = 0; i < n; ++i)
            if (steps_[i].lane == Lane::Caller && (!runStep(i) || !drawFrames(false))) break;
        drawFrames(true);
    } catch (...) {
        // A frame failed: the run ends there, its step loaded.
        endAt = next;
        ending = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
    }
    worker.join();
    if (!ending) return;
    // What ran ahead of the end goes, so that the pass leaves what it would
    // have left on one thread.
    for (size_t j = n; j-- > endAt + 1;) {
        if (status[j] == Waiting || !steps_[j].undo) continue;
        try {
            steps_[j].undo();
        } catch (...) {
            // Putting back is best effort; the run's own error is the one to report.
        }
    }
    std::rethrow_exception(ending);
}
#endif

} // namespace vandrel
