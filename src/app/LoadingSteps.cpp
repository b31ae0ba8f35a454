// Running the loading steps on this thread, or on a second one ahead of the
// progress frames.
#include "app/LoadingSteps.h"

#include <exception>
#include <utility>

#if !defined(__EMSCRIPTEN__)
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#endif

namespace vandrel {

void LoadingSteps::add(int64_t done, Step step) { steps_.push_back({done, std::move(step)}); }

void LoadingSteps::run(const After& after, bool secondThread) {
    if (secondThread && canLoadOnSecondThread)
        runOnSecondThread(after);
    else
        runHere(after);
}

void LoadingSteps::runHere(const After& after) {
    for (Entry& entry : steps_) {
        entry.step();
        after(entry.done);
    }
}

#if defined(__EMSCRIPTEN__)
void LoadingSteps::runOnSecondThread(const After& after) { runHere(after); }
#else
void LoadingSteps::runOnSecondThread(const After& after) {
    std::mutex mutex;
    std::condition_variable changed;
    size_t finished = 0;        // steps done, all in order
    std::exception_ptr failure; // what the step after them threw
    bool stop = false;          // the caller gave up: start no more steps

    const auto work = [&] {
        for (Entry& entry : steps_) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (stop) return;
            }
            std::exception_ptr error;
            try {
                entry.step();
            } catch (...) {
                error = std::current_exception();
            }
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (error)
                    failure = error;
                else
                    ++finished;
            }
            changed.notify_one();
            if (error) return;
        }
    };
    std::thread worker;
    try {
        worker = std::thread(work);
    } catch (const std::system_error&) {
        // No thread to be had: the steps run here, as in a build without threads.
        runHere(after);
        return;
    }
    // However this ends, the steps' thread has stopped before the caller goes
    // on to use (or release) what they load.
    struct Joiner {
        std::thread& worker;
        std::mutex& mutex;
        bool& stop;
        ~Joiner() {
            {
                std::lock_guard<std::mutex> lock(mutex);
                stop = true;
            }
            worker.join();
        }
    } joiner{worker, mutex, stop};

    for (size_t i = 0; i < steps_.size(); ++i) {
        std::exception_ptr error;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return finished > i || failure; });
            if (finished <= i) error = failure;
        }
        if (error) std::rethrow_exception(error);
        after(steps_[i].done);
    }
}
#endif

} // namespace vandrel
