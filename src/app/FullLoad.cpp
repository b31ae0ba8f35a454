// The full loading pass's steps: which entry each reads, on which thread,
// what it loads into, what undoes it, and where the bar stands after it.
#include "app/FullLoad.h"

#include "data/BlockReader.h"
#include "data/DataLayout.h"
#include "data/DataSet.h"
#include "game/Backdrop.h"
#include "game/FigureManager.h"
#include "game/Session.h"
#include "gfx/ImageLoader.h"
#include "base/LoadError.h"

#include <cstdio>
#include <iterator>

namespace vandrel {
namespace {

// The entries in the order the pass reads them.
constexpr const char* entryOrder[] = {entryName::setup,     entryName::backdrop,  entryName::figures, entryName::cursor,
                                      entryName::largeFont, entryName::smallFont, entryName::ammo};

} // namespace

void FullLoad::reportDamaged(const char* part) {
    std::fprintf(stderr, "vandrel: the data set's %s could not be read; the game goes on without it\n", part);
}

FullLoad::EntrySizes FullLoad::readEntrySizes(DataSet& data) {
    static_assert(std::size(entryOrder) == std::tuple_size_v<EntrySizes>);
    EntrySizes sizes{};
    for (size_t i = 0; i < std::size(entryOrder); ++i) sizes[i] = data.entrySize(entryOrder[i]);
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
    if (secondThread && canLoadOnSecondThread) {
        try {
            secondData_ = std::make_unique<DataSet>(dataPath);
        } catch (const LoadError&) {
            secondData_.reset();
        }
    }
    DataSet* here = &data;
    BlockReader* reader = &data.reader();
    DataSet* other = secondData_ ? secondData_.get() : here;
    using Lane = LoadingSteps::Lane;
    const Lane otherLane = secondData_ ? Lane::Second : Lane::Caller;
    Session& session = parts.session;
    Backdrop& backdrop = parts.backdrop;
    FigureManager& figures = parts.figures;
    VideoDevice* device = parts.device;
    // One entry read whole by loader, on the thread of its lane.
    const auto entry = [](DataSet* set, const char* name, auto loader) {
        return [set, name, loader] {
            loader(&set->openEntry(name));
            set->reader().closeEntry();
        };
    };

    // A part that cannot be read is left out and the loading goes on: the
    // screens draw without it, as they do for a data set that has none, and
    // stderr names it. Only the figures, without which there is no round,
    // stop the loading. What one thread loads ahead of a damaged entry on the
    // other is let go again.
    const std::array<int64_t, 8> mark = marks(sizes);
    steps_.add(mark[0], Lane::Caller, [here, reader, device, readOn, &session] {
        if (!readOn) here->openEntry(entryName::setup);
        if (!session.loadTitle(reader, device)) reportDamaged("title picture");
    });
    // The same entry, read on from where the title picture ended.
    steps_.add(mark[1], Lane::Caller, [reader, device, &session] {
        if (!session.loadScreens(reader, device)) reportDamaged("high-score and closing pictures");
    });
    steps_.add(mark[2], otherLane,
               entry(other, entryName::backdrop,
                     [device, &backdrop](BlockReader* r) {
                         // The layers read before a damaged one still scroll.
                         if (!loadImageList(r, &backdrop, device)) reportDamaged("landscape");
                     }),
               [&backdrop] { backdrop.clear(); });
    steps_.add(mark[3], Lane::Caller,
               entry(here, entryName::figures,
                     [device, &figures](BlockReader* r) {
                         if (!figures.load(r, device)) throw LoadError();
                     }),
               [&figures] { figures.clear(); });
    steps_.add(mark[4], otherLane,
               entry(other, entryName::cursor,
                     [device, &session](BlockReader* r) {
                         // Without it a round is played with no cross-hair drawn.
                         if (!session.loadCursor(r, device)) reportDamaged("cross-hair");
                     }),
               [&session] { session.unloadCursor(); });
    steps_.add(mark[5], otherLane,
               entry(other, entryName::largeFont,
                     [device, &session](BlockReader* r) {
                         // Without a font the texts are left out; the round itself still plays.
                         if (!session.loadLargeFont(r, device)) reportDamaged("large font");
                     }),
               [&session] { session.unloadLargeFont(); });
    steps_.add(mark[6], otherLane,
               entry(other, entryName::smallFont,
                     [device, &session](BlockReader* r) {
                         if (!session.loadSmallFont(r, device)) reportDamaged("small font");
                     }),
               [&session] { session.unloadSmallFont(); });
    steps_.add(mark[7], otherLane,
               entry(other, entryName::ammo,
                     [device, &session](BlockReader* r) {
                         // The magazine still counts; only its picture is missing.
                         if (!session.loadAmmoImage(r, device)) reportDamaged("cartridge picture");
                     }),
               [&session] { session.unloadAmmoImage(); });
}

FullLoad::~FullLoad() = default;

} // namespace vandrel
