// The full loading pass over the data set: its eight steps in reading order,
// each with where the loading bar stands once it is done, and the second
// thread's own handle on the data set where there is one. Between a
// browser's frames the pass outlives the call that set it up, so its steps
// hold what they use themselves.
#pragma once
#include "app/LoadingSteps.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace vandrel {

class Backdrop;
class DataSet;
class FigureManager;
class Session;
class VideoDevice;

class FullLoad {
public:
    // The seven entries' uncompressed sizes, in the order the pass reads them.
    using EntrySizes = std::array<int32_t, 7>;
    static EntrySizes readEntrySizes(DataSet& data);
    // A damaged part of the data set does not stop the game; stderr names it.
    static void reportDamaged(const char* part);
    // Where the bar stands after each step: the set-up entry counts in two
    // truncating thirds, so the bar can stand at 99 before the final 100,
    // then one entry a step. The sizes come from the archive, each up to
    // INT32_MAX, so everything is counted in 64 bits.
    static std::array<int64_t, 8> marks(const EntrySizes& sizes);
    static int64_t total(const EntrySizes& sizes);
    // The bar, 0 to 100, at done of total; 0 for an empty total.
    static int32_t percent(int64_t done, int64_t total);

    // What the pass loads into; all of it outlives the pass.
    struct Parts {
        Session& session;
        Backdrop& backdrop;
        FigureManager& figures;
        VideoDevice* device;
    };

    // Sets the steps up over data, which stands open in the set-up entry just
    // past its record when readOn. With secondThread (where the build has
    // threads) the landscape, the cross-hair, the fonts and the cartridge are
    // read on a second thread through a data set of its own opened at
    // dataPath, while this thread reads the set-up entry and the figures and
    // draws the frames; where that file cannot be opened twice, this thread
    // reads them all.
    FullLoad(DataSet& data, const std::string& dataPath, const EntrySizes& sizes, bool readOn, bool secondThread,
             Parts parts);
    ~FullLoad();
    FullLoad(const FullLoad&) = delete;
    FullLoad& operator=(const FullLoad&) = delete;

    int64_t total() const { return total_; }
    // Every step, after(done) on this thread after each (see LoadingSteps::run).
    void run(const LoadingSteps::After& after) { steps_.run(after, secondData_ != nullptr); }
    // The next step on this thread; false once all have run.
    bool runNext(const LoadingSteps::After& after) { return steps_.runNext(after); }

private:
    LoadingSteps steps_;
    // The second thread's own handle on the data set, when it has one.
    std::unique_ptr<DataSet> secondData_;
    int64_t total_ = 0;
};

} // namespace vandrel
