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
#include "kit/KitPictures.h"
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

const std::string kitDir = std::string(VANDREL_BINARY_DIR) + "/gallery-kits/hafen";
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

TEST(HarbourGallery, EveryFigureCrossesWhereTheLayersInFrontLetItBeSeen) {
    // The layers in front of a figure's own are opaque only in places at the
    // row through the middle of its frame: a boat below the quay or a bird
    // behind the basin's water would never be seen.
    std::vector<kit::RgbaPicture> layers;
    for (const char* name : {"layers/shore.png", "layers/basin.png", "layers/quay.png"}) {
        std::string why;
        std::optional<kit::RgbaPicture> picture = kit::decodePng(readFile(kitDir + "/" + name), why);
        ASSERT_TRUE(picture) << name << ": " << why;
        layers.push_back(std::move(*picture));
    }
    DataSet data(zipPath);
    VideoDevice device{PixelFormat::xrgb32()};
    FigureCatalog figures;
    ASSERT_TRUE(figures.load(&data.openEntry("figur.xx"), &device));
    for (int32_t t = 0; t < figures.typeCount(); ++t) {
        const FigureType& type = *figures.typeAt(t);
        const FrameSet& frames = figures.findAnimation(type.animationId)->frames;
        const auto& first = *frames.frames.front();
        const int32_t row = type.baseY - int32_t(first.hotspotY()) + first.surface.height() / 2;
        ASSERT_GE(row, 0) << "type " << t;
        ASSERT_LT(row, 480) << "type " << t;
        for (int32_t nearer = type.layer + 1; nearer <= 3; ++nearer) {
            const kit::RgbaPicture& l = layers[size_t(nearer - 1)];
            int32_t clear = 0;
            for (int32_t x = 0; x < l.width; ++x)
                clear += l.pixels[(size_t(row) * size_t(l.width) + size_t(x)) * 4 + 3] < kit::seenAlpha;
            EXPECT_GT(clear * 3, l.width) << "type " << t << " at row " << row << " is hidden by layer " << nearer;
        }
    }
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

TEST(HarbourKitFolder, WritesExactlyItsFilesAndQuotesTomlStrings) {
    const std::string dir = ::testing::TempDir() + "kit-folder";
    std::filesystem::create_directories(dir + "/old");
    std::ofstream(dir + "/old/stale.png") << "left from an earlier run";
    gallerygen::KitFolder kit;
    kit.manifest() = "format = 1\n";
    EXPECT_EQ(kit.addFile("sounds/a.ogg", {1, 2, 3}), "sounds/a.ogg");
    kit.addFile("sounds/a.ogg", {4}); // the same path again replaces the file
    std::string why;
    ASSERT_TRUE(kit.write(dir, why)) << why;
    EXPECT_FALSE(std::filesystem::exists(dir + "/old")) << "a stale file would be checked and compiled too";
    EXPECT_EQ(readFile(dir + "/sounds/a.ogg"), std::vector<uint8_t>{4});
    EXPECT_EQ(readFile(dir + "/gallery.toml").size(), 11u);
    EXPECT_EQ(gallerygen::quoted("a \"b\" \\c"), "\"a \\\"b\\\" \\\\c\"");
}

TEST(HarbourSprites, EveryAnimationMovesAndKeepsItsHotspotInsideItsFrames) {
    for (const gallerygen::Sprite& s : gallerygen::paintHarbourSprites()) {
        ASSERT_GE(s.frames.size(), 4u) << s.name;
        const assetgen::Canvas& first = s.frames.front();
        EXPECT_GE(s.hotspotX, 0) << s.name;
        EXPECT_LT(s.hotspotX, first.width()) << s.name;
        EXPECT_GE(s.hotspotY, 0) << s.name;
        EXPECT_LT(s.hotspotY, first.height()) << s.name;
        for (size_t f = 1; f < s.frames.size(); ++f) {
            const assetgen::Canvas& a = s.frames[f - 1];
            const assetgen::Canvas& b = s.frames[f];
            ASSERT_EQ(b.width(), first.width()) << s.name;
            ASSERT_EQ(b.height(), first.height()) << s.name;
            EXPECT_TRUE(a.rgb8() != b.rgb8() || a.transparency() != b.transparency())
                << s.name << ": frame " << f << " is the one before it again";
        }
    }
}

} // namespace
} // namespace vandrel::test
