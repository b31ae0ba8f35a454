// The galleries a player has and the switch between them on the built game:
// what a galleries folder offers and what it refuses (and why), the start's
// choice, the title's switch with the wheel and the arrows (and only the
// title's), the choice kept in the settings file, and each gallery's own
// high-score table. The second gallery is the built-in one exported as a kit
// under a name and table of its own.
#include "app/FigureTargets.h"
#include "app/GalleryChoice.h"
#include "app/GameHost.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "base/Clock.h"
#include "config/Settings.h"
#include "config/SettingsFile.h"
#include "data/DataLayout.h"
#include "data/SetupRecord.h"
#include "kit/KitCompile.h"
#include "scores/HighscoreRows.h"
#include "scores/HighscoreStorage.h"
#include "support/SessionProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>

namespace vandrel {
namespace {

namespace fs = std::filesystem;

const char* const gamePath = VANDREL_GAME_FILE;

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// A folder of galleries made once for the whole suite, under a settings file
// of its own: the built-in gallery exported as the kit "Second" with its own
// table, its twin still on the built-in table, a kit that does not parse, a
// zip cut short and a folder without a manifest.
class GalleryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!fs::exists(gamePath)) return;
        root = fs::temp_directory_path() / ("vandrel-galleries-" + std::to_string(std::random_device()()));
        const fs::path folder = root / "config" / "galleries";
        // The game on its own: the build's galleries beside the built game are
        // not this suite's.
        fs::create_directories(game().parent_path());
        std::error_code linked;
        fs::create_hard_link(gamePath, game(), linked);
        if (linked) fs::copy_file(gamePath, game());
        std::string why;
        ASSERT_TRUE(kit::exportKit(gamePath, pathToUtf8(folder / "a-second"), why)) << why;
        builtInTable = readTableName(gamePath).value_or("");
        ASSERT_FALSE(builtInTable.empty());
        const fs::path manifest = folder / "a-second" / "gallery.toml";
        const std::string exported = readText(manifest);
        fs::copy(folder / "a-second", folder / "b-twin", fs::copy_options::recursive);
        const auto first = std::regex_constants::format_first_only;
        const std::string named =
            std::regex_replace(exported, std::regex("\nname = \"[^\"]*\""), "\nname = \"Second\"", first);
        writeText(manifest, std::regex_replace(named, std::regex("\ntable-name = \"[^\"]*\""),
                                               "\ntable-name = \"Second table\"", first));
        ASSERT_NE(readText(manifest).find("table-name = \"Second table\""), std::string::npos);
        writeText(folder / "b-twin" / "gallery.toml",
                  std::regex_replace(exported, std::regex("\nname = \"[^\"]*\""), "\nname = \"Twin\"",
                                     std::regex_constants::format_first_only));
        writeText(folder / "c-broken" / "gallery.toml", "format = 1\n[gallery\nname = \"Broken\"\n");
        writeText(folder / "d-cut.zip", std::string("PK\x03\x04\x14\x00\x00\x00", 8));
        fs::create_directories(folder / "e-empty");
        writeText(folder / "notes.txt", "not a gallery\n");
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }

    void SetUp() override {
        if (!fs::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove(settingsFile(), ec);
    }

    static fs::path settingsFile() { return root / "config" / "vandrel.ini"; }
    static fs::path game() { return root / "bin" / pathFromUtf8(gamePath).filename(); }
    static GalleryList galleries() { return findGalleries(pathToUtf8(game()), settingsFile()); }

    static fs::path root;
    static std::string builtInTable;
};

fs::path GalleryTest::root;
std::string GalleryTest::builtInTable;

TEST_F(GalleryTest, TheListOffersTheBuiltInGalleryAndKitsAndRefusesWhatCannotBePlayedWithTheReason) {
    const GalleryList list = galleries();
    std::map<std::string, const Gallery*> byFile;
    for (const Gallery& g : list.all()) byFile[pathToUtf8(pathFromUtf8(g.path).filename())] = &g;
    ASSERT_EQ(list.all().size(), 6u) << list.describe() << "notes.txt is no gallery and is not listed";

    const Gallery& builtIn = list.all().front();
    EXPECT_EQ(builtIn.origin, "built in");
    EXPECT_EQ(builtIn.tableName, builtInTable);
    EXPECT_TRUE(builtIn.offered());

    const Gallery& second = *byFile.at("a-second");
    EXPECT_EQ(second.name, "Second");
    EXPECT_EQ(second.tableName, "Second table");
    EXPECT_EQ(second.kind, Gallery::Kind::Kit);
    EXPECT_TRUE(second.offered()) << second.refusal;
    EXPECT_EQ(second.origin.rfind("yours: ", 0), 0u) << second.origin;

    // The twin's table is the built-in one's: refused, naming the first.
    const Gallery& twin = *byFile.at("b-twin");
    EXPECT_FALSE(twin.offered());
    EXPECT_NE(twin.refusal.find(builtIn.name), std::string::npos) << twin.refusal;
    EXPECT_NE(twin.refusal.find("built in"), std::string::npos) << twin.refusal;

    EXPECT_EQ(byFile.at("c-broken")->refusal.rfind("gallery.toml:2:", 0), 0u) << byFile.at("c-broken")->refusal;
    EXPECT_NE(byFile.at("d-cut.zip")->refusal.find("is not a data set"), std::string::npos);
    EXPECT_NE(byFile.at("e-empty")->refusal.find("gallery.toml"), std::string::npos) << byFile.at("e-empty")->refusal;

    const std::vector<Gallery> offered = list.offered();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[1].name, "Second");
    EXPECT_EQ(list.find("Second"), 1);
    EXPECT_EQ(list.find("Twin"), -1) << "a refused gallery is never found to be played";

    // --list-galleries names every one, the refused with their reason.
    const std::string text = list.describe();
    EXPECT_NE(text.find("Second\tyours: "), std::string::npos) << text;
    EXPECT_NE(text.find("table \"Second table\""), std::string::npos) << text;
    EXPECT_NE(text.find("not offered:\n    " + twin.refusal), std::string::npos) << text;
}

TEST_F(GalleryTest, AFolderNamedTwiceIsLookedInOnceSoItsGalleriesDoNotRefuseThemselves) {
    // A portable copy: the settings file beside the executable.
    const fs::path beside = pathFromUtf8(gamePath).parent_path() / "vandrel.ini";
    const std::vector<GalleryFolder> folders = galleryFolders(gamePath, beside);
    for (size_t i = 0; i < folders.size(); ++i)
        for (size_t j = i + 1; j < folders.size(); ++j) EXPECT_NE(folders[i].path, folders[j].path);
    EXPECT_EQ(folders.back().origin, "installed");
}

TEST_F(GalleryTest, TheStartPlaysTheGalleryAskedForAndFallsBackToTheBuiltInOne) {
    std::ostringstream report;
    const GalleryChoice second(galleries(), std::string("Second"), nullptr, report);
    EXPECT_EQ(second.current().name, "Second");
    EXPECT_EQ(second.position(), "2 / 2");
    EXPECT_EQ(readTableName(second.dataPath()), "Second table") << "the kit is compiled to be played";
    EXPECT_EQ(report.str(), "");

    for (const char* wanted : {"Nowhere", "Twin"}) {
        std::ostringstream unknown;
        const GalleryChoice fallback(galleries(), std::string(wanted), nullptr, unknown);
        EXPECT_EQ(fallback.chosen(), 0u);
        EXPECT_EQ(fallback.dataPath(), pathToUtf8(game()));
        EXPECT_NE(unknown.str().find(std::string("\"") + wanted + "\""), std::string::npos) << unknown.str();
    }
}

TEST_F(GalleryTest, TheWheelAndTheArrowsStepButARepeatedKeyDoesNot) {
    EXPECT_EQ(GalleryChoice::stepOf({msg::MouseWheel, makeWheelParam(wheelNotch), 0}), -1);
    EXPECT_EQ(GalleryChoice::stepOf({msg::MouseWheel, makeWheelParam(-2 * wheelNotch), 0}), 1);
    EXPECT_EQ(GalleryChoice::stepOf({msg::KeyDown, vk::Left, 0}), -1);
    EXPECT_EQ(GalleryChoice::stepOf({msg::KeyDown, vk::Right, 0}), 1);
    EXPECT_EQ(GalleryChoice::stepOf({msg::KeyDown, vk::Right, keyRepeated}), 0);
    EXPECT_EQ(GalleryChoice::stepOf({msg::KeyUp, vk::Right, 0}), 0);
    EXPECT_EQ(GalleryChoice::stepOf({msg::KeyDown, vk::Up, 0}), 0);
}

// The built game as a player runs it, with the galleries of the folder.
class GallerySwitchTest : public GalleryTest {
protected:
    void start(const std::optional<std::string>& wanted = std::nullopt) { start(galleries(), wanted); }
    void start(const GalleryList& list, const std::optional<std::string>& wanted = std::nullopt) {
        std::ostringstream report;
        settings.load(settingsFile(), report);
        choice = std::make_unique<GalleryChoice>(list, wanted, &settings, report);
        host = std::make_unique<GameHost>(HostSetup(window, store, choice->dataPath())
                                              .audio(audio)
                                              .player(settings, {}, false)
                                              .galleries(choice.get())
                                              .loadOnSecondThread(false));
        ASSERT_TRUE(host->program().startUp());
        run(1);
        ASSERT_EQ(game().state(), GameState::Title);
    }
    void run(int frames, uint32_t msPerFrame = 1) {
        int code = 0;
        for (int i = 0; i < frames; ++i) {
            while (!window.queue().empty())
                if (!host->program().step(code)) return;
            clock.advance(msPerFrame - 1);
            host->program().step(code);
        }
    }
    void key(uint32_t code) {
        window.post(msg::KeyDown, code, 0);
        window.post(msg::KeyUp, code, 0);
        run(1);
    }
    void click(int32_t x, int32_t y) {
        window.post(msg::MouseMove, 0, makePointParam(x, y));
        window.post(msg::LButtonDown, 1, makePointParam(x, y));
        window.post(msg::LButtonUp, 0, makePointParam(x, y));
        run(1, 16);
    }
    std::string playedTable() const { return host->game().setup().tableName; }
    std::optional<std::string> keptGallery() {
        SettingsFile file;
        std::string why;
        if (file.read(settingsFile(), why) != SettingsFile::ReadResult::Read) return std::nullopt;
        return file.get("gallery");
    }
    std::optional<StoreValue> storedTable(const std::string& table) const {
        return store.value(HighscoreStorage::keyPath(table), HighscoreStorage::textValueName);
    }
    Game& game() { return host->game(); }
    // A figure one shot takes, worth points.
    bool findTarget(int32_t& px, int32_t& py) {
        return findFigureTarget(game(), px, py, true,
                                [](const FigureType& type) { return type.scoreValue > 0 && type.hitPoints <= 1; });
    }

    ManualClock clock{100000};
    NullAudio audio;
    NullWindow window;
    MemoryStore store;
    Settings settings;
    std::unique_ptr<GalleryChoice> choice;
    std::unique_ptr<GameHost> host;
};

TEST_F(GallerySwitchTest, TheArrowsAndTheWheelLoadTheOtherGallerysTitleAndTheSettingsKeepIt) {
    start();
    EXPECT_EQ(playedTable(), builtInTable);
    key(vk::Right);
    EXPECT_EQ(game().state(), GameState::Title);
    EXPECT_EQ(playedTable(), "Second table");
    EXPECT_EQ(choice->position(), "2 / 2");
    EXPECT_EQ(keptGallery(), "Second");
    EXPECT_GT(game().figures().catalog.typeCount(), 0) << "the whole gallery is loaded";

    // Round the list: the wheel turned away from the player goes back.
    window.post(msg::MouseWheel, makeWheelParam(wheelNotch), 0);
    run(1);
    EXPECT_EQ(game().state(), GameState::Title);
    EXPECT_EQ(playedTable(), builtInTable);
    EXPECT_EQ(choice->chosen(), 0u);
    EXPECT_EQ(keptGallery(), choice->current().name);

    // The next start plays what was kept.
    key(vk::Left);
    host.reset();
    start(settings.gallery());
    EXPECT_EQ(playedTable(), "Second table");
}

TEST_F(GallerySwitchTest, NothingSwitchesInARoundOrWhileANameIsTyped) {
    start();
    click(320, 240);
    ASSERT_EQ(game().state(), GameState::InPlay);
    key(vk::Right);
    window.post(msg::MouseWheel, makeWheelParam(-wheelNotch), 0);
    run(1, 16);
    EXPECT_EQ(game().state(), GameState::InPlay);
    EXPECT_EQ(playedTable(), builtInTable);

    // The clock runs out into the table, where the score waits for its name.
    for (int i = 0; i < 200 && game().state() == GameState::InPlay; ++i) run(1, 1001);
    ASSERT_EQ(game().state(), GameState::HighScores);
    key(vk::Right);
    window.post(msg::MouseWheel, makeWheelParam(wheelNotch), 0);
    run(1);
    EXPECT_EQ(game().state(), GameState::HighScores);
    EXPECT_EQ(playedTable(), builtInTable);
    EXPECT_EQ(keptGallery(), std::nullopt);
}

TEST_F(GallerySwitchTest, AScoreOnTheSecondGalleryGoesIntoItsOwnTableAndLeavesTheFirstAsItWas) {
    // The first gallery's table holds a row of its own.
    HighscoreRows rows;
    rows.insert(5000);
    rows.type(0, 'E');
    HighscoreStorage storage(store);
    ASSERT_TRUE(storage.saveAs(builtInTable, rows));
    const std::optional<StoreValue> first = storedTable(builtInTable);
    ASSERT_TRUE(first.has_value());
    start();
    ASSERT_EQ(SessionProbe::highScores(game().session()).rows().score(0), 5000);
    key(vk::Right);
    ASSERT_EQ(playedTable(), "Second table");
    // The second gallery has nothing stored: a new table, not the first one's rows.
    EXPECT_EQ(SessionProbe::highScores(game().session()).rows().text(), HighscoreRows().text());

    // A round scored with shots at figures in the open, past the table's
    // lowest row (100), then its name.
    click(320, 240);
    ASSERT_EQ(game().state(), GameState::InPlay);
    for (int i = 0; i < 2000 && game().readings().score <= 100 && game().state() == GameState::InPlay; ++i) {
        int32_t x = 0, y = 0;
        if (game().session().ammo() == 0) window.post(msg::RButtonDown, mouseRightHeld, makePointParam(320, 240));
        if (findTarget(x, y))
            click(x, y);
        else
            run(1, 16);
    }
    const int32_t score = game().readings().score;
    ASSERT_GT(score, 100);
    for (int i = 0; i < 200 && game().state() == GameState::InPlay; ++i) run(1, 1001);
    ASSERT_EQ(game().readings().pendingScore, score);
    // The table takes the name once its wipe is over.
    run(300, 16);
    ASSERT_TRUE(game().enteringName());
    for (const char c : std::string("ZWEI\r")) window.post(msg::Char, static_cast<uint64_t>(c), 0);
    run(1);
    ASSERT_FALSE(game().enteringName());

    const std::optional<StoreValue> second = storedTable("Second table");
    ASSERT_TRUE(second.has_value());
    const std::string text(second->bytes.begin(), second->bytes.end());
    EXPECT_NE(text.find("ZWEI, " + std::to_string(score)), std::string::npos) << text;
    const std::optional<StoreValue> firstAfter = storedTable(builtInTable);
    ASSERT_TRUE(firstAfter.has_value());
    EXPECT_EQ(firstAfter->bytes, first->bytes);
    EXPECT_EQ(std::string(firstAfter->bytes.begin(), firstAfter->bytes.end()).find("ZWEI"), std::string::npos);
}

TEST_F(GallerySwitchTest, AGalleryWhoseDataSetIsDamagedInsideGivesWayToTheOneBefore) {
    // The second gallery's data set with its figures cut to nothing: its
    // set-up record reads, its full loading pass does not.
    kit::CompiledKit compiled = kit::compileKit(pathToUtf8(root / "config" / "galleries" / "a-second"));
    ASSERT_TRUE(compiled.ok());
    for (kit::DataEntry& e : compiled.entries)
        if (e.name == entryName::figures) e.bytes.assign(16, 0xEE);
    const std::string damaged = pathToUtf8(root / "damaged.zip");
    std::string why;
    ASSERT_TRUE(kit::writeDataSet(damaged, compiled.entries, why)) << why;
    GalleryList list;
    list.addBuiltIn(gamePath);
    list.addFolder({root / "none", "installed"});
    Gallery g;
    g.name = "Damaged";
    g.tableName = "Second table";
    g.path = damaged;
    g.origin = "yours";
    list.add(g);

    start(list);
    key(vk::Right);
    EXPECT_EQ(game().state(), GameState::Title);
    EXPECT_EQ(playedTable(), builtInTable);
    EXPECT_EQ(choice->position(), "1 / 2");
    EXPECT_EQ(keptGallery(), choice->current().name);
    // The title still switches.
    key(vk::Left);
    EXPECT_EQ(game().state(), GameState::Title);
}

} // namespace
} // namespace vandrel
