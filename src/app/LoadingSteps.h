// The full loading pass as a list of steps, each followed by a progress frame
// on the calling thread. The steps may run on a second thread, ahead of the
// frames: each frame still comes after its own step and in the steps' order,
// and a step that fails ends the run at the same place as on one thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vandrel {

// Whether this build can load on a second thread; the browser build has no threads.
#if defined(__EMSCRIPTEN__)
inline constexpr bool canLoadOnSecondThread = false;
#else
inline constexpr bool canLoadOnSecondThread = true;
#endif

class LoadingSteps {
public:
    // A step loads its part and throws to fail. done is what the progress
    // frame after it reports as loaded.
    using Step = std::function<void()>;
    using After = std::function<void(int64_t done)>;

    void add(int64_t done, Step step);
    size_t size() const { return steps_.size(); }

    // Runs the steps in order and calls after(done) on this thread once each
    // has finished. The first step that throws ends the run: neither its
    // after nor any later step runs, and its exception comes out of run()
    // here, as if the step had run on this thread. An exception from after
    // stops the steps not yet started and comes out of run() too. With
    // secondThread the steps run on a thread of their own (which must not
    // touch what after does, save through the finished steps' results); a
    // build without threads ignores it.
    void run(const After& after, bool secondThread);

private:
    void runHere(const After& after);
    void runOnSecondThread(const After& after);

    struct Entry {
        int64_t done;
        Step step;
    };
    std::vector<Entry> steps_;
};

} // namespace vandrel
