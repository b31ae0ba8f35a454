// The full loading pass as a list of steps, each followed by a progress frame
// on the calling thread. With a second thread the steps are shared between
// the two: the calling thread runs its own steps and draws the frames, the
// second thread runs the others at the same time. Each frame still comes
// after its own step and every step before it, in the steps' order, and a
// step that fails ends the run after the same frames, with the same parts
// loaded, as on one thread.
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
    // A step loads its part and throws to fail. An undo puts its part back
    // as it was before the step (empty), for a step that ran on the second
    // thread ahead of one that failed.
    using Step = std::function<void()>;
    using After = std::function<void(int64_t done)>;

    // Which thread runs a step when there are two; on one thread every step
    // runs on the caller's, in order.
    enum class Lane {
        Caller,
        Second,
    };

    // done is what the progress frame after the step reports as loaded.
    void add(int64_t done, Lane lane, Step step, Step undo = {});
    size_t size() const { return steps_.size(); }

    // Runs every step and calls after(done) on this thread once each step and
    // all before it have finished, in order. The first step (in order) that
    // throws ends the run: neither its after nor any later one is called, any
    // later step that ran on the other thread is undone, and the step's
    // exception comes out of run() here, as if every step had run on this
    // thread. An exception from after ends the run the same way at that
    // frame. The steps of each lane run in their order; steps of the two
    // lanes must not share what they load. A build without threads, or
    // secondThread false, runs all steps on this thread.
    void run(const After& after, bool secondThread);
    // The same run one step at a time on this thread, for a caller that must
    // get control back between steps (a browser's frame): runs the next step
    // and calls after(done) for it; false, running nothing, once every step
    // has run. A step or after that throws ends the run as in run(): the
    // exception comes out, and later calls run nothing.
    bool runNext(const After& after);

private:
    // One run shared with a second thread (not in a build without threads).
    class TwoLaneRun;

    void runHere(const After& after);
    void runOnTwoThreads(const After& after);

    struct Entry {
        int64_t done;
        Lane lane;
        Step step;
        Step undo;
    };
    std::vector<Entry> steps_;
    size_t next_ = 0; // the next step runNext() runs
};

} // namespace vandrel
