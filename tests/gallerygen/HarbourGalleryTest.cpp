// The harbour gallery as the build makes it: painted again it gives the same
// kit and, through the kit compiler, the same data set, whose fingerprint is
// the one its recorded round was made with; the kit passes the checker clean;
// its figures, sounds and music are what the gallery promises a player.
#include "Harbour.h"
#include "KitFolder.h"

#include "data/DataSet.h"
#include "game/FigureCatalog.h"
#include "game/FigureType.h"
#include "kit/KitCheck.h"
#include "kit/KitCompile.h"
#include "replay/FrameHash.h"
#include "sound/OggSoundStream.h"
#include "video/VideoDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vandrel::test {
namespace {

const std::string kitDir = std::string(VANDREL_BINARY_DIR) + "/galleries/hafen-kit";
const std::string zipPath = std::string(VANDREL_BINARY_DIR) + "/galleries/hafen.zip";

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A sound of the kit decoded by the game's own decoder.
std::vector<int16_t> decode(const std::string& kitPath) {
    OggSoundStream stream(readFile(kitDir + "/" + kitPath));
    std::vector<int16_t> pcm;
    int16_t block[4096];
    while (stream.prepare(sizeof block, false) > 0) {
        const int32_t got = stream.read(block, sizeof block);
        if (got <= 0) break;
        pcm.insert(pcm.end(), block, block + got / 2);
    }
    return pcm;
}

int peak(const std::vector<int16_t>& pcm) {
    int p = 0;
    for (const int16_t v : pcm) p = std::max(p, std::abs(int(v)));
    return p;
}

TEST(HarbourGallery, PaintedAgainItGivesTheBuildsKitAndDataSetAndTheRecordedFingerprint) {
    const gallerygen::KitFolder kit = gallerygen::makeHarbourKit();
    const std::string& manifest = kit.manifest();
    EXPECT_TRUE(std::vector<uint8_t>(manifest.begin(), manifest.end()) == readFile(kitDir + "/gallery.toml"));
    size_t onDisk = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kitDir)) onDisk += entry.is_regular_file();
    EXPECT_EQ(onDisk, kit.files().size() + 1) << "the build's kit holds files the generator did not write";
    for (const auto& [path, bytes] : kit.files())
        EXPECT_TRUE(bytes == readFile(kitDir + "/" + path)) << path << " differs from the build's";

    const kit::CompiledKit compiled = kit::compileKit(kitDir);
    ASSERT_TRUE(compiled.ok());
    const std::string again = ::testing::TempDir() + "hafen-again.zip";
    std::string why;
    ASSERT_TRUE(kit::writeDataSet(again, compiled.entries, why)) << why;
    EXPECT_TRUE(readFile(again) == readFile(zipPath)) << "compiling the kit again gives other bytes";

    // The recorded round on the harbour names the data set it was made with.
    std::ifstream recording(std::string(VANDREL_SOURCE_DIR) + "/tests/replay/hafen.vrec");
    std::string line, recorded;
    while (std::getline(recording, line))
        if (line.rfind("data ", 0) == 0) recorded = line.substr(5);
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016" PRIx64, archiveHash(zipPath));
    EXPECT_EQ(recorded, hash) << "the harbour's data set changed: its recorded round must be made again";
}

TEST(HarbourGallery, TheKitPassesTheCheckerCleanAndTheDataSetFitsItsBudget) {
    const kit::KitReport report = kit::checkKit(kitDir);
    for (const kit::Problem& p : report.problems) ADD_FAILURE() << p.text();
    EXPECT_EQ(report.found.layers, 4);
    EXPECT_GE(report.found.figureTypes, 8);
    std::string why;
    EXPECT_TRUE(DataSet::holdsGame(zipPath, why)) << why;
    EXPECT_LE(std::filesystem::file_size(zipPath), 1300u * 1000u);
}

TEST(HarbourGallery, FiguresIncludeAToughOneAndARareOneWorthALot) {
    DataSet data(zipPath);
    VideoDevice device{PixelFormat::xrgb32()};
    FigureCatalog figures;
    ASSERT_TRUE(figures.load(&data.openEntry("figur.xx"), &device));
    ASSERT_GE(figures.typeCount(), 8);
    int32_t best = 0, tough = 0, rarest = 100, bestChance = 0;
    for (int32_t t = 0; t < figures.typeCount(); ++t) {
        const FigureType& type = *figures.typeAt(t);
        ASSERT_NE(figures.findAnimation(type.animationId), nullptr) << "type " << t;
        ASSERT_NE(type.effectFrames, nullptr) << "type " << t;
        tough = std::max(tough, type.hitPoints);
        rarest = std::min(rarest, type.spawnChance);
        if (type.scoreValue > best) {
            best = type.scoreValue;
            bestChance = type.spawnChance;
        }
    }
    EXPECT_GE(tough, 3);
    // The best figure is worth several times the next and is the rarest.
    EXPECT_GE(best, 300);
    EXPECT_EQ(bestChance, rarest);
    EXPECT_EQ(rarest, 1);
}

TEST(HarbourGallery, MusicLastsARoundAndLoopsWithoutAClick) {
    const std::vector<int16_t> s = decode("music/night.ogg");
    // Two minutes, the round's length, to the sample.
    EXPECT_EQ(s.size(), size_t(120 * 44100));
    ASSERT_GT(s.size(), 44100u);
    std::vector<int> steps;
    for (size_t i = 1; i < s.size(); ++i) steps.push_back(std::abs(int(s[i]) - int(s[i - 1])));
    std::sort(steps.begin(), steps.end());
    EXPECT_LE(std::abs(int(s.back()) - int(s.front())), steps[steps.size() * 999 / 1000]);
    auto rms = [&](size_t from, size_t n) {
        double acc = 0;
        for (size_t i = from; i < from + n; ++i) acc += double(s[i]) * s[i];
        return std::sqrt(acc / double(n));
    };
    const double head = rms(0, 4410), tail = rms(s.size() - 4410, 4410);
    EXPECT_GT(std::min(head, tail), 300.0) << "the loop fades out or starts silent";
    EXPECT_LT(std::max(head, tail) / std::min(head, tail), 3.0);
}

TEST(HarbourGallery, MusicAndAnyEffectTogetherStayBelowFullScale) {
    // The mixer adds sounds at full level: the loudest of the music and the
    // loudest effect on top of it must still fit, so a round never needs
    // the limiter.
    const int music = peak(decode("music/night.ogg"));
    EXPECT_GT(music, 8000) << "the music is too quiet to hear";
    for (const char* sound : {"sounds/miss.ogg", "sounds/empty.ogg", "sounds/reload.ogg", "sounds/gull.ogg",
                              "sounds/gull-far.ogg", "sounds/bat.ogg", "sounds/owl.ogg", "sounds/lantern.ogg",
                              "sounds/rowboat.ogg", "sounds/tug.ogg", "sounds/ghost-ship.ogg"}) {
        const int effect = peak(decode(sound));
        EXPECT_GT(effect, 8000) << sound;
        EXPECT_LT(music + effect, 32767) << sound;
    }
}

} // namespace
} // namespace vandrel::test
