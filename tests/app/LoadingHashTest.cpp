// The full loading pass on the built game, fingerprinted: every picture it
// makes (raw pixels of every tile, the unused fourth byte included), every
// effect's decoded sound and every frame it presents, with the progress shown,
// in a window (32-bit) and in full screen (16-bit), decoding on a second
// thread and on one. The fingerprints are kept in
// tests/golden/loading_hashes.txt, so a faster loader must produce exactly
// what the plain one did, with its thread and without. Set VANDREL_UPDATE_GOLDEN=1 to rewrite them after a
// deliberate change (or a new data set).
#include "app/GameHost.h"
#include "audio/AudioOutput.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "base/Fnv1a.h"
#include "data/Archive.h"
#include "support/SessionProbe.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace vandrel {
namespace {

const char* const gamePath = VANDREL_GAME_FILE;
const char* const archivePath = VANDREL_DATASET_ZIP_FILE;
const char* const hashFile = VANDREL_SOURCE_DIR "/tests/golden/loading_hashes.txt";

// Every byte a picture's pixels occupy, tile by tile, without the line padding.
uint64_t surfaceHash(const Surface& s) {
    Fnv1a f;
    f.addLittle32(static_cast<uint32_t>(s.width()));
    f.addLittle32(static_cast<uint32_t>(s.height()));
    for (int32_t i = 0; i < s.tileCount(); ++i) {
        const PixelView t = s.tileView(i);
        if (t.isEmpty()) {
            f.addLittle32(0);
            continue;
        }
        f.addLittle32(t.format.bitsPerPixel);
        const size_t rowBytes = static_cast<size_t>(t.width) * t.format.bytesPerPixel();
        for (int32_t y = 0; y < t.height; ++y) f.add(t.line(y), rowBytes);
    }
    return f.value();
}

std::string hexText(uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

// The data set the game carries, as the build zipped it.
uint64_t archiveHash() {
    std::ifstream in(archivePath, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Fnv1a f;
    f.add(bytes.data(), bytes.size());
    return f.value();
}

uint64_t soundHash(const SoundBuffer& sound) {
    Fnv1a f;
    const AudioBuffer* buffer = sound.staticPart().audioBuffer();
    if (!buffer) return 0;
    // Locking is the only way into a buffer's bytes; the test only reads them.
    auto* b = const_cast<AudioBuffer*>(buffer);
    AudioLock regions;
    if (b->lock(0, 0, regions, audioLockEntireBuffer) != AudioResult::Ok) return 1;
    f.addLittle32(regions.firstBytes);
    f.add(regions.first, regions.firstBytes);
    b->unlock(regions);
    return f.value();
}

// Keeps every presented frame's bytes (without padding) and the progress.
class HashingWindow : public NullWindow {
public:
    bool showFrame(const VideoSurface& frame) override {
        Fnv1a f;
        const size_t rowBytes = static_cast<size_t>(frame.width()) * frame.format().bytesPerPixel();
        for (int32_t y = 0; y < frame.height(); ++y)
            f.add(frame.pixels() + static_cast<size_t>(y) * frame.pitch(), rowBytes);
        char line[64];
        std::snprintf(line, sizeof line, "frame %d %s", game ? game->loadProgress() : -1, hexText(f.value()).c_str());
        frames.push_back(line);
        return NullWindow::showFrame(frame);
    }
    Game* game = nullptr;
    std::vector<std::string> frames;
};

class LoadingHashTest : public ::testing::TestWithParam<std::tuple<bool, bool>> {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
    }
};

// Runs start-up's two passes on a display of the given kind, from the game
// at path, and lists the fingerprints in a fixed order.
std::vector<std::string> fingerprintPass(bool fullScreen, bool secondThread, const std::string& path = gamePath) {
    NullAudio audio;
    HashingWindow window;
    MemoryStore store;
    GameHost host(
        HostSetup(window, store, path).audio(audio).startFullScreen(fullScreen).loadOnSecondThread(secondThread));
    Game* game = &host.game();
    window.game = game;
    std::vector<std::string> out;
    out.push_back("archive " + hexText(archiveHash()));
    // Start-up's two passes, with the display between them; the archive's
    // start mode gives way to the one asked for.
    if (!host.program().startUp() || game->state() == GameState::Starting) return out;
    out.push_back("state " + std::to_string(static_cast<int32_t>(game->state())));

    const auto picture = [&](const std::string& name, const Surface& s) {
        out.push_back("picture " + name + " " + std::to_string(s.width()) + "x" + std::to_string(s.height()) + " " +
                      hexText(surfaceHash(s)));
    };
    const auto effect = [&](const std::string& name, const SoundBuffer& s) {
        out.push_back("sound " + name + " " + hexText(soundHash(s)));
    };
    const Session& session = game->session();
    picture("title", SessionProbe::titleImage(session));
    picture("title-grey", SessionProbe::titleGrey(session));
    picture("high-scores", SessionProbe::highScores(session).picture());
    picture("closing", SessionProbe::endImage(session));
    for (int32_t i = 0; i < game->backdrop().layerCount(); ++i)
        picture("layer-" + std::to_string(i), *game->backdrop().layer(i));
    const auto frameSet = [&](const std::string& name, const FrameSet& set) {
        for (size_t i = 0; i < set.frames.size(); ++i)
            picture(name + "-frame-" + std::to_string(i), set.frames[i]->surface);
        for (size_t i = 0; i < set.mirroredFrames.size(); ++i)
            picture(name + "-mirrored-" + std::to_string(i), set.mirroredFrames[i]->surface);
    };
    for (size_t i = 0; i < game->figures().catalog.animations.size(); ++i)
        frameSet("animation-" + std::to_string(game->figures().catalog.animations[i]->id),
                 game->figures().catalog.animations[i]->frames);
    for (int32_t i = 0; i < game->figures().catalog.typeCount(); ++i) {
        const FigureType* type = game->figures().catalog.types[static_cast<size_t>(i)].get();
        frameSet("type-" + std::to_string(i), type->ownFrames);
        effect("type-" + std::to_string(i) + "-hit", type->hitSound);
    }
    picture("cursor", SessionProbe::cursorImage(session));
    picture("cartridge", SessionProbe::ammoImage(session));
    picture("large-font", session.largeFont().sheet());
    picture("small-font", session.smallFont().sheet());
    effect("miss", SessionProbe::missSound(session));
    effect("empty", SessionProbe::emptySound(session));
    effect("reload", SessionProbe::reloadSound(session));
    out.insert(out.end(), window.frames.begin(), window.frames.end());
    game->releaseAll();
    return out;
}

std::vector<std::string> storedSection(const std::string& section) {
    std::ifstream in(hashFile);
    std::vector<std::string> lines;
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.rfind("[", 0) == 0) {
            inside = line == "[" + section + "]";
            continue;
        }
        if (inside && !line.empty()) lines.push_back(line);
    }
    return lines;
}

void storeSection(const std::string& section, const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::vector<std::string>>> sections;
    for (const char* name : {"window-32", "full-screen-16"})
        sections.emplace_back(name, name == section ? lines : storedSection(name));
    std::ofstream out(hashFile);
    out << "# Fingerprints of the full loading pass (tests/app/LoadingHashTest.cpp).\n";
    for (const auto& [name, body] : sections) {
        out << "[" << name << "]\n";
        for (const auto& l : body) out << l << "\n";
    }
}

TEST_P(LoadingHashTest, EveryPictureSoundAndProgressFrameIsAsRecorded) {
    const auto [fullScreen, secondThread] = GetParam();
    const std::string section = fullScreen ? "full-screen-16" : "window-32";
    const std::vector<std::string> actual = fingerprintPass(fullScreen, secondThread);
    ASSERT_GT(actual.size(), 100u) << "the pass did not get through";
    // The one-thread pass is the one recorded; the threaded one is held to it.
    if (const char* update = std::getenv("VANDREL_UPDATE_GOLDEN"); update && *update == '1' && !secondThread) {
        storeSection(section, actual);
        return;
    }
    const std::vector<std::string> expected = storedSection(section);
    ASSERT_FALSE(expected.empty()) << "no fingerprints in " << hashFile << " (run with VANDREL_UPDATE_GOLDEN=1)";
    ASSERT_EQ(actual.front(), expected.front())
        << "the data set changed: record the fingerprints again with VANDREL_UPDATE_GOLDEN=1";
    // Line by line, so a failure names the first picture or frame that differs.
    for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        ASSERT_EQ(actual[i], expected[i]);
    }
    EXPECT_EQ(actual.size(), expected.size());
}

// The data set's entries, each with its inflated bytes.
std::vector<std::pair<std::string, test::Bytes>> archiveEntries() {
    std::vector<std::pair<std::string, test::Bytes>> out;
    std::FILE* file = std::fopen(archivePath, "rb");
    if (!file) return out;
    Archive archive;
    if (archive.open(file)) {
        for (const ArchiveEntry& entry : archive.entries()) {
            test::Bytes bytes(entry.size);
            if (!archive.openEntry(entry.name.c_str()) || (!bytes.empty() && !archive.read(bytes.data(), bytes.size())))
                bytes.clear();
            out.emplace_back(entry.name, bytes);
        }
    }
    archive.close();
    std::fclose(file);
    return out;
}

// A damaged entry ends the pass at the same step, after the same frames, with
// the same pictures loaded, whether the steps ran on a second thread or not;
// nothing after the damaged entry is loaded.
TEST(LoadingFailureTest, ADamagedEntryEndsThePassAtTheSameStepWithItsThreadAndWithout) {
    if (!std::filesystem::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
    const auto entries = archiveEntries();
    ASSERT_EQ(entries.size(), 7u);
    struct Damage {
        const char* entry;
        bool cut; // cut to half its length, or left out
        size_t framesShown;
    };
    // Two frames for the set-up entry's two steps, one for each entry after it.
    // The landscape is read on the caller's thread while the figures may
    // already be loading on the other: they must be let go again.
    for (const Damage& damage :
         {Damage{"figur.xx", true, 3}, Damage{"cur.nl", false, 4}, Damage{"back.nb", false, 2}}) {
        std::vector<std::pair<std::string, test::Bytes>> damaged;
        for (const auto& [name, bytes] : entries) {
            if (name != damage.entry)
                damaged.emplace_back(name, bytes);
            else if (damage.cut)
                damaged.emplace_back(name, test::Bytes(bytes.begin(), bytes.begin() + bytes.size() / 2));
        }
        test::TestArchive zip(damaged);
        const auto oneThread = fingerprintPass(false, false, zip.path());
        const auto twoThreads = fingerprintPass(false, true, zip.path());
        EXPECT_EQ(oneThread, twoThreads) << damage.entry;
        const auto has = [&](const std::string& line) {
            return std::find(twoThreads.begin(), twoThreads.end(), line) != twoThreads.end();
        };
        EXPECT_TRUE(has("state " + std::to_string(static_cast<int>(GameState::Loading)))) << damage.entry;
        EXPECT_TRUE(has("picture cursor 0x0 " + hexText(surfaceHash(Surface())))) << damage.entry;
        if (damage.framesShown < 3) {
            EXPECT_EQ(std::count_if(twoThreads.begin(), twoThreads.end(),
                                    [](const std::string& l) { return l.rfind("picture animation-", 0) == 0; }),
                      0)
                << damage.entry;
        }
        EXPECT_EQ(std::count_if(twoThreads.begin(), twoThreads.end(),
                                [](const std::string& l) { return l.rfind("frame ", 0) == 0; }),
                  static_cast<std::ptrdiff_t>(damage.framesShown))
            << damage.entry;
    }
}

// The full pass reads on in the set-up entry from where the quick pass left
// it, unless a screen came before the set-up record: then it starts over, and
// the title and screens load as they always did.
TEST(LoadingFailureTest, ScreensBeforeTheSetUpRecordAreStillFound) {
    if (!std::filesystem::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
    auto entries = archiveEntries();
    ASSERT_EQ(entries.size(), 7u);
    const std::vector<std::string> golden = storedSection("window-32");
    ASSERT_FALSE(golden.empty());
    for (auto& [name, bytes] : entries) {
        if (name != "stuff.x") continue;
        // The title's three blocks (its marker, the colours, the mask) go first.
        std::vector<test::Bytes> blocks;
        for (size_t at = 0; at + 6 <= bytes.size();) {
            const size_t length =
                bytes[at + 2] | bytes[at + 3] << 8 | bytes[at + 4] << 16 | size_t{bytes[at + 5]} << 24;
            blocks.emplace_back(bytes.begin() + at, bytes.begin() + at + 6 + length);
            at += 6 + length;
        }
        const auto title =
            std::find_if(blocks.begin(), blocks.end(), [](const test::Bytes& b) { return b[0] == 'S' && b[1] == 'T'; });
        ASSERT_LE(title + 3, blocks.end());
        std::rotate(blocks.begin(), title, title + 3);
        bytes.clear();
        for (const auto& b : blocks) bytes.insert(bytes.end(), b.begin(), b.end());
    }
    test::TestArchive zip(entries);
    for (const bool secondThread : {false, true}) {
        const auto actual = fingerprintPass(false, secondThread, zip.path());
        ASSERT_GT(actual.size(), 100u);
        // Everything but the archive's own fingerprint is as recorded.
        EXPECT_EQ(std::vector<std::string>(actual.begin() + 1, actual.end()),
                  std::vector<std::string>(golden.begin() + 1, golden.end()));
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, LoadingHashTest, ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) ? "FullScreen16" : "Window32") +
                                    (std::get<1>(info.param) ? "SecondThread" : "OneThread");
                         });

} // namespace
} // namespace vandrel
