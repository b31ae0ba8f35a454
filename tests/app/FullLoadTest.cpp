// The full loading pass's bar: where it stands after each step, from the
// entries' sizes as an archive declares them (up to INT32_MAX each), and on
// the built game's data set with its set-up entry declared that large.
#include "app/FullLoad.h"
#include "app/GameHost.h"
#include "data/Archive.h"
#include "base/Clock.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace vandrel {
namespace {

constexpr int32_t huge = std::numeric_limits<int32_t>::max();

// The bar after each mark must climb, stay within 0..100 and end below 100
// (the last frame, with the music, shows 100).
void expectClimbing(const FullLoad::EntrySizes& sizes) {
    const auto marks = FullLoad::marks(sizes);
    const int64_t total = FullLoad::total(sizes);
    int32_t last = 0;
    for (size_t i = 0; i < marks.size(); ++i) {
        const int32_t bar = FullLoad::percent(marks[i], total);
        EXPECT_GE(bar, last) << "step " << i;
        EXPECT_LE(bar, 100) << "step " << i;
        EXPECT_LE(marks[i], total) << "step " << i;
        last = bar;
    }
}

TEST(FullLoadTest, TheBarClimbsWithTheEntriesSizesHoweverLargeTheArchiveDeclaresThem) {
    // The set-up entry in two truncating thirds, then an entry a step.
    const FullLoad::EntrySizes small{3001, 10, 20, 30, 40, 50, 60};
    EXPECT_EQ(FullLoad::marks(small), (std::array<int64_t, 8>{1000, 3000, 3010, 3030, 3060, 3100, 3150, 3210}));
    EXPECT_EQ(FullLoad::total(small), 3211);
    expectClimbing(small);

    const FullLoad::EntrySizes allHuge{huge, huge, huge, huge, huge, huge, huge};
    const auto marks = FullLoad::marks(allHuge);
    EXPECT_EQ(marks[0], huge / 3);
    EXPECT_EQ(marks[1], huge / 3 + int64_t{2} * huge / 3) << "two thirds of the set-up entry, counted in 64 bits";
    EXPECT_EQ(marks[7], marks[1] + int64_t{6} * huge);
    EXPECT_EQ(FullLoad::total(allHuge), int64_t{7} * huge);
    expectClimbing(allHuge);
    EXPECT_EQ(FullLoad::percent(marks[7], FullLoad::total(allHuge)), 99);

    expectClimbing({huge, 1, 1, 1, 1, 1, 1});
    expectClimbing({1, huge, 0, huge, 0, 0, huge});
    expectClimbing({0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(FullLoad::percent(0, 0), 0) << "an empty archive divides by nothing";
    EXPECT_EQ(FullLoad::percent(int64_t{7} * huge, int64_t{7} * huge), 100);
}

// Overwrites the uncompressed size of entry name in both of the zip's
// headers (the local one and the central directory's).
bool declareSize(const std::string& path, const std::string& name, uint32_t size) {
    std::vector<char> zip;
    {
        std::ifstream in(path, std::ios::binary);
        zip.assign(std::istreambuf_iterator<char>(in), {});
    }
    const auto u16 = [&](size_t at) { return static_cast<uint8_t>(zip[at]) | static_cast<uint8_t>(zip[at + 1]) << 8; };
    int patched = 0;
    for (size_t at = 0; at + 46 < zip.size(); ++at) {
        if (zip[at] != 'P' || zip[at + 1] != 'K') continue;
        size_t nameAt = 0, sizeAt = 0, nameLength = 0;
        if (zip[at + 2] == 3 && zip[at + 3] == 4) {
            nameLength = u16(at + 26);
            nameAt = at + 30;
            sizeAt = at + 22;
        } else if (zip[at + 2] == 1 && zip[at + 3] == 2) {
            nameLength = u16(at + 28);
            nameAt = at + 46;
            sizeAt = at + 24;
        } else {
            continue;
        }
        if (nameAt + nameLength > zip.size() || std::string(&zip[nameAt], nameLength) != name) continue;
        for (int i = 0; i < 4; ++i) zip[sizeAt + static_cast<size_t>(i)] = static_cast<char>(size >> (8 * i));
        ++patched;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(zip.data(), static_cast<std::streamsize>(zip.size()));
    return patched == 2 && static_cast<bool>(out);
}

// Keeps the bar of every frame the game presents.
class BarWindow : public NullWindow {
public:
    bool showFrame(const VideoSurface& frame) override {
        if (game) bars.push_back(game->loadProgress());
        return NullWindow::showFrame(frame);
    }
    const Game* game = nullptr;
    std::vector<int32_t> bars;
};

TEST(FullLoadTest, ASetUpEntryDeclaredAtTheLargestSizeFillsTheBarInOrder) {
    std::vector<std::pair<std::string, test::Bytes>> entries;
    {
        std::FILE* file = std::fopen(VANDREL_DATASET_ZIP_FILE, "rb");
        if (!file) GTEST_SKIP() << "the data set is not built";
        Archive archive;
        ASSERT_NE(archive.open(file), nullptr);
        for (const ArchiveEntry& entry : archive.entries()) {
            test::Bytes bytes(entry.size);
            ASSERT_TRUE(archive.openEntry(entry.name.c_str()) && archive.read(bytes.data(), entry.size));
            entries.emplace_back(entry.name, bytes);
        }
        archive.close();
        std::fclose(file);
    }
    test::TestArchive zip(entries);
    ASSERT_TRUE(declareSize(zip.path(), "stuff.x", static_cast<uint32_t>(huge)));

    ManualClock clock{100000};
    NullAudio audio;
    BarWindow window;
    MemoryStore store;
    GameHost host(HostSetup(window, store, zip.path()).audio(audio).loadOnSecondThread(false));
    window.game = &host.game();
    ASSERT_TRUE(host.program().startUp());
    // The set-up entry outweighs the rest: a third, then all but a little of
    // the bar, then the last frame's 100.
    ASSERT_GE(window.bars.size(), 3u);
    EXPECT_EQ(window.bars[0], 33);
    EXPECT_EQ(window.bars[1], 99);
    for (size_t i = 1; i < window.bars.size(); ++i) EXPECT_GE(window.bars[i], window.bars[i - 1]) << "frame " << i;
    EXPECT_EQ(window.bars.back(), 100);
    host.game().releaseAll();
}

} // namespace
} // namespace vandrel
