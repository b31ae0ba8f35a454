// The full loading pass's steps: which entry each reads, on which thread,
// what it loads into, what undoes it, and where the bar stands after it.
#include "app/FullLoad.h"

#include "base/LoadError.h"
#include "data/BlockReader.h"
#include "data/DataLayout.h"
#include "data/DataSet.h"
#include "game/Backdrop.h"
#include "game/FigureManager.h"
#include "game/Session.h"
#include "gfx/ImageLoader.h"

#include <cstddef>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>

namespace vandrel {
namespace {

using Lane = LoadingSteps::Lane;

// How a step reads its entry.
enum class Reading {
    Whole,   // opens it, reads it through and closes it
    Opening, // opens it unless it already stands open just past its record; reading goes on after
    On,      // reads on from where the step before it ended
};

// One step of the pass. Its loader returns false when what it read is
// damaged: the part is then named on stderr and left out, and the screens
// draw without it, as they do for a data set that has none. Only the figures,
// without which there is no round, have no name: their damage stops the
// pass. The undo lets the part go again when it ran on the second thread
// ahead of a failure on this one.
struct StepRow {
    const char* entry;
    Reading reading;
    Lane lane; // Second: on the second thread where there is one
    bool (*load)(const FullLoad::Parts& parts, BlockReader* reader);
    void (*undo)(const FullLoad::Parts& parts);
    const char* part; // named when damaged; none for the figures
};

// The steps in reading order, one mark of the bar each.
constexpr StepRow fullLoadSteps[] = {
    {entryName::setup, Reading::Opening, Lane::Caller,
     [](const FullLoad::Parts& p, BlockReader* r) { return p.session.loadTitle(r, p.device); }, nullptr,
     "title picture"},
    // The same entry, read on from where the title picture ended.
    {entryName::setup, Reading::On, Lane::Caller,
     [](const FullLoad::Parts& p, BlockReader* r) { return p.session.loadScreens(r, p.device); }, nullptr,
     "high-score and closing pictures"},
    // The layers read before a damaged one still scroll.
    {entryName::backdrop, Reading::Whole, Lane::Second,
     [](const FullLoad::Parts& p, BlockReader* r) { return loadImageList(r, &p.backdrop, p.device); },
     [](const FullLoad::Parts& p) { p.backdrop.clear(); }, "landscape"},
    {entryName::figures, Reading::Whole, Lane::Caller,
     [](const FullLoad::Parts& p, BlockReader* r) { return p.figures.load(r, p.device); },
     [](const FullLoad::Parts& p) { p.figures.clear(); }, nullptr},
    // Without it a round is played with no cross-hair drawn.
    {entryName::cursor, Reading::Whole, Lane::Second,
     [](const FullLoad::Parts& p, BlockReader* r) { return p.session.loadCursor(r, p.device); },
     [](const FullLoad::Parts& p) { p.session.unloadCursor(); }, "cross-hair"},
    // Without a font the texts are left out; the round itself still plays.
    {entryName::largeFont, Reading::Whole, Lane::Second,
     [](const FullLoad::Parts& p, BlockReader* r) { return p.session.loadLargeFont(r, p.device); },
     [](const FullLoad::Parts& p) { p.session.unloadLargeFont(); }, "large font"},
    {entryName::smallFont, Reading::Whole, Lane::Second,
     [](const FullLoad::Parts& p, BlockReader* r) { return p.session.loadSmallFont(r, p.device); },
     [](const FullLoad::Parts& p) { p.session.unloadSmallFont(); }, "small font"},
    // The magazine still counts; only its picture is missing.
    {entryName::ammo, Reading::Whole, Lane::Second,
     [](const FullLoad::Parts& p, BlockReader* r) { return p.session.loadAmmoImage(r, p.device); },
     [](const FullLoad::Parts& p) { p.session.unloadAmmoImage(); }, "cartridge picture"},
};
static_assert(std::size(fullLoadSteps) == std::tuple_size_v<decltype(FullLoad::marks(FullLoad::EntrySizes{}))>);

// How many entries the pass reads: one a step, but for the step that reads on.
constexpr size_t entryCount() {
    size_t count = 0;
    for (const StepRow& row : fullLoadSteps) count += row.reading != Reading::On;
    return count;
}
static_assert(entryCount() == std::tuple_size_v<FullLoad::EntrySizes>);

// The step of row on set, on the thread of its lane.
LoadingSteps::Step loadStep(const StepRow* row, DataSet* set, bool readOn, FullLoad::Parts parts) {
    return [row, set, readOn, parts] {
        const bool opens = row->reading == Reading::Whole || (row->reading == Reading::Opening && !readOn);
        if (opens) set->openEntry(row->entry);
        // A damaged part is named and left out, and the pass goes on; only the figures stop it.
        if (!row->load(parts, &set->reader())) {
            if (!row->part) throw LoadError();
            FullLoad::reportDamaged(row->part);
        }
        if (row->reading == Reading::Whole) set->reader().closeEntry();
    };
}

LoadingSteps::Step undoStep(const StepRow* row, FullLoad::Parts parts) {
    if (!row->undo) return {};
    return [undo = row->undo, parts] { undo(parts); };
}

// The second thread's own handle on the data set; none when it cannot be opened twice.
std::unique_ptr<DataSet> openSecond(const std::string& dataPath) {
    try {
        return std::make_unique<DataSet>(dataPath);
    } catch (const LoadError&) {
        return nullptr;
    }
}

} // namespace

void FullLoad::reportDamaged(const char* part) {
    std::fprintf(stderr, "vandrel: the data set's %s could not be read; the game goes on without it\n", part);
}

FullLoad::EntrySizes FullLoad::readEntrySizes(DataSet& data) {
    EntrySizes sizes{};
    size_t next = 0;
    for (const StepRow& row : fullLoadSteps)
        if (row.reading != Reading::On) sizes[next++] = data.entrySize(row.entry);
    return sizes;
}

std::array<int64_t, 8> FullLoad::marks(const EntrySizes& sizes) {
    const int64_t setup = sizes[0];
    std::array<int64_t, 8> out{};
    out[0] = setup / 3;
    out[1] = setup / 3 + 2 * setup / 3;
    for (size_t i = 1; i < sizes.size(); ++i) out[i + 1] = out[i] + sizes[i];
    return out;
}

int64_t FullLoad::total(const EntrySizes& sizes) {
    int64_t sum = 0;
    for (const int32_t size : sizes) sum += size;
    return sum;
}

int32_t FullLoad::percent(int64_t done, int64_t total) {
    // An empty total must not divide by zero; seven sizes of up to INT32_MAX
    // times 100 stay far inside 64 bits.
    return total > 0 ? static_cast<int32_t>(done * 100 / total) : 0;
}

FullLoad::FullLoad(DataSet& data, const std::string& dataPath, const EntrySizes& sizes, bool readOn, bool secondThread,
                   Parts parts)
    : total_(total(sizes)) {
    if (secondThread && canLoadOnSecondThread) secondData_ = openSecond(dataPath);
    const std::array<int64_t, 8> mark = marks(sizes);
    for (size_t i = 0; i < std::size(fullLoadSteps); ++i) {
        const StepRow* row = &fullLoadSteps[i];
        // Without a second handle the second lane's steps run here, on this one.
        const bool second = row->lane == Lane::Second && secondData_;
        DataSet* set = second ? secondData_.get() : &data;
        steps_.add(mark[i], second ? Lane::Second : Lane::Caller, loadStep(row, set, readOn, parts),
                   undoStep(row, parts));
    }
}

FullLoad::~FullLoad() = default;

} // namespace vandrel
