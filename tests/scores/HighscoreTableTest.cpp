// The high-score table: where a new score goes, what the name entry accepts, how the
// screen opens, and that the stored table comes back only when nobody edited it.
#include "scores/HighscoreTable.h"

#include "backends/null/MemoryStore.h"
#include "base/Clock.h"
#include "data/Credits.h"
#include "gfx/Font.h"
#include "scores/HighscoreHost.h"
#include "support/TempStore.h"
#include "video/VideoDevice.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <utility>

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using test::TempStore;

constexpr uint32_t snapshotColour = 0xFF0000;
constexpr uint32_t pictureColour = 0x0000FF;
constexpr uint32_t pictureTopColour = 0x00FF00;
constexpr uint32_t untouched = 0x123456;
constexpr uint32_t glyphColour = 0xFFFFFF;

struct Host : HighscoreHost {
    int32_t highscoreScreenWidth() const override { return 640; }
    int32_t highscoreScreenHeight() const override { return 480; }
    Font* highscoreFont() override { return &font; }
    Font font;
};

// A table attached to a host, with a screen picture whose top line is green and the
// rest blue, a red snapshot, and a font whose every glyph is a white block. It keeps
// its table in the store given, else in memory.
struct Screen {
    explicit Screen(Store* store = nullptr) : table(store ? *store : memory) {
        table.attach(host);
        back = device.createSurface(640, 480);
        back->fill(nullptr, untouched);
        Surface& picture = table.picture();
        EXPECT_TRUE(picture.create(640, 480, &device));
        std::vector<uint8_t> row(640 * 3);
        picture.lock();
        for (int32_t y = 0; y < 480; ++y) {
            for (int32_t x = 0; x < 640; ++x) {
                row[x * 3 + 0] = y == 0 ? 0 : 255;
                row[x * 3 + 1] = y == 0 ? 255 : 0;
                row[x * 3 + 2] = 0;
            }
            picture.putRow(row.data(), y, true);
        }
        picture.unlock();
        Surface& sheet = host.font.sheet();
        EXPECT_TRUE(sheet.create(327, 236, &device));
        std::vector<uint8_t> white(327 * 3, 255);
        sheet.lock();
        for (int32_t y = 0; y < 236; ++y) sheet.putRow(white.data(), y, true);
        sheet.unlock();
        openScreen(0);
    }

    // What the game does when the screen opens: reset, pending score, snapshot.
    void openScreen(int32_t pending) {
        table.screen().reset();
        table.screen().setPendingScore(pending);
        auto snapshot = device.createSurface(640, 480);
        snapshot->fill(nullptr, snapshotColour);
        table.screen().setSnapshot(std::move(snapshot));
    }
    void frame() { table.screen().draw(back.get(), &clip); }
    // Frames until the wipe is over; the table itself is not drawn yet.
    void runWipe() {
        for (int i = 0; i < 2000 && table.screen().revealX() < 630; ++i) {
            frame();
            clock.advance(5);
        }
        ASSERT_GE(table.screen().revealX(), 630);
    }
    void show(int32_t pending) {
        openScreen(pending);
        runWipe();
        frame();
    }
    void type(std::string_view text) {
        for (char c : text) table.screen().typeChar(static_cast<unsigned char>(c));
    }
    uint32_t at(int32_t x, int32_t y) const { return back->pixelAt(x, y) & 0xFFFFFF; }

    ManualClock clock{1000};
    VideoDevice device;
    Host host;
    MemoryStore memory;
    HighscoreTable table;
    std::unique_ptr<VideoSurface> back;
    Rect clip{0, 0, 640, 480};
};

std::string rows(const HighscoreTable& t) {
    std::string s;
    for (int32_t i = 0; i < t.rows().count(); ++i)
        s += std::string(t.rows().name(i)) + "=" + std::to_string(t.rows().score(i)) + ";";
    return s;
}

const std::string defaults =
    "Jorvane=900;Istro=800;Halvo=700;Gurim=600;Fenoli=500;Elvarn=400;Danto=300;Corvi=200;Ardel=100;";

TEST(HighscoreTable, NewScoreGoesBelowEqualScoresAndDropsTheLastRow) {
    {
        Screen s;
        s.show(100); // equal to the lowest row: not entered
        EXPECT_TRUE(s.table.screen().inserted());
        EXPECT_EQ(s.table.screen().editIndex(), -1);
        EXPECT_EQ(rows(s.table), defaults);
    }
    {
        Screen s;
        s.show(101); // one point more replaces the lowest row
        EXPECT_EQ(s.table.screen().editIndex(), 8);
        EXPECT_EQ(s.table.screen().cursorY(), 80 + 38 * 8);
        EXPECT_EQ(s.table.rows().count(), 9);
        EXPECT_EQ(std::string(s.table.rows().name(8)), "");
        EXPECT_EQ(s.table.rows().score(8), 101);
        EXPECT_EQ(s.table.rows().score(7), 200);
    }
    {
        Screen s;
        s.show(500); // equal to row 4: goes to row 5, the old row 8 drops out
        EXPECT_EQ(s.table.screen().editIndex(), 5);
        EXPECT_EQ(rows(s.table),
                  "Jorvane=900;Istro=800;Halvo=700;Gurim=600;Fenoli=500;=500;Elvarn=400;Danto=300;Corvi=200;");
    }
    {
        Screen s;
        s.show(0); // entered with Escape: nothing pending, no entry
        EXPECT_EQ(s.table.screen().editIndex(), -1);
        EXPECT_EQ(rows(s.table), defaults);
    }
}

// The name field and the sound keys follow this from the first frame of the
// wipe: a score that takes no row must not ask for a name meanwhile.
TEST(HighscoreTable, OnlyAScoreThatTakesARowAwaitsANameFromTheWipeOnUntilItIsEntered) {
    for (const auto& [pending, awaits] : {std::pair{0, false}, {100, false}, {101, true}, {950, true}}) {
        SCOPED_TRACE(pending);
        Screen s;
        s.openScreen(pending);
        s.frame();
        EXPECT_EQ(s.table.screen().awaitsName(), awaits); // during the wipe
        s.runWipe();
        s.frame();
        EXPECT_EQ(s.table.screen().awaitsName(), awaits); // at the entry
        s.table.screen().typeChar(13);
        EXPECT_FALSE(s.table.screen().awaitsName());
    }
}

TEST(HighscoreTable, NameEntryAcceptsElevenLettersDigitsAndBlanksOnly) {
    Screen s;
    s.show(950);
    ASSERT_EQ(s.table.screen().editIndex(), 0);
    s.table.screen().typeChar(8); // backspace on an empty name does nothing
    s.type("Ab, 9!-.");           // the comma and other punctuation cannot be typed
    EXPECT_EQ(std::string(s.table.rows().name(0)), "Ab 9");
    EXPECT_FALSE(s.table.screen().nameFull());
    s.type("xyzUVWq"); // 11 characters now
    EXPECT_TRUE(s.table.screen().nameFull()) << "what the window tells the pad's letter wheel";
    s.type("Z"); // the twelfth is refused
    EXPECT_EQ(std::string(s.table.rows().name(0)), "Ab 9xyzUVWq");
    s.table.screen().typeChar(8);
    EXPECT_FALSE(s.table.screen().nameFull());
    s.table.screen().typeChar(0xE4);  // a byte of an umlaut
    s.table.screen().typeChar(0x141); // a character beyond one byte
    EXPECT_EQ(std::string(s.table.rows().name(0)), "Ab 9xyzUVW");
    EXPECT_FALSE(s.table.screen().done());
    s.table.screen().typeChar(13);
    EXPECT_EQ(s.table.screen().editIndex(), -1);
    EXPECT_EQ(s.table.screen().cursorY(), 0);
    EXPECT_FALSE(s.table.screen().done()); // the first Enter ends the name ...
    s.type("Q");
    EXPECT_EQ(std::string(s.table.rows().name(0)), "Ab 9xyzUVW");
    s.table.screen().typeChar(13);
    EXPECT_TRUE(s.table.screen().done()); // ... the second leaves the screen
}

TEST(HighscoreTable, CharactersTypedDuringTheWipeAreLost) {
    Screen s;
    s.openScreen(950);
    for (int i = 0; i < 30; ++i) {
        s.frame();
        s.type("Lost\r");
        s.clock.advance(20);
    }
    EXPECT_LT(s.table.screen().revealX(), 630);
    s.runWipe();
    s.frame();
    EXPECT_EQ(s.table.screen().editIndex(), 0);
    EXPECT_EQ(std::string(s.table.rows().name(0)), "");
    EXPECT_FALSE(s.table.screen().done());
}

TEST(HighscoreTable, OpeningShowsTheLastFrameThenSlidesThePictureUpColumnByColumn) {
    Screen s;
    s.openScreen(950);
    for (int i = 0; i < 9; ++i) {
        s.frame();
        s.clock.advance(20);
    }
    EXPECT_EQ(s.at(320, 240), snapshotColour);
    EXPECT_EQ(s.table.screen().wipeStart(), 0u);

    s.back->fill(nullptr, untouched);
    s.frame(); // the tenth frame starts the clock of the wipe and draws nothing yet
    EXPECT_EQ(s.table.screen().wipeStart(), s.clock.now());
    EXPECT_EQ(s.at(5, 470), untouched);

    // 628 ms in, the first column is half way: the old frame squeezed into the top
    // half, the picture's top line at y = 240. Column k starts 20 * k ms late; from
    // x = 320 on nothing has started yet.
    s.clock.advance(628);
    s.frame();
    EXPECT_EQ(s.at(5, 100), snapshotColour);
    EXPECT_EQ(s.at(5, 240), pictureTopColour);
    EXPECT_EQ(s.at(5, 400), pictureColour);
    EXPECT_EQ(s.at(105, 400), pictureColour); // 200 ms behind: a quarter of the way
    EXPECT_EQ(s.at(105, 300), snapshotColour);
    EXPECT_EQ(s.at(325, 300), untouched);
    EXPECT_FALSE(s.table.screen().inserted());

    // Each column takes about 1257 ms; once the right-most is up, the wipe is over.
    s.runWipe();
    EXPECT_GT(s.clock.now() - s.table.screen().wipeStart(), 1257u + 63 * 20 - 40);
    EXPECT_FALSE(s.table.screen().inserted());
    s.frame(); // the table shows from the frame after
    EXPECT_TRUE(s.table.screen().inserted());
    EXPECT_EQ(s.at(635, 470), pictureColour);
    EXPECT_EQ(s.at(5, 0), pictureTopColour);
}

TEST(HighscoreTable, PendingScoreAndCursorBlinkEvery300Milliseconds) {
    Screen s;
    s.show(950);
    // Row 0 is being named and still empty: the cursor sits at x = 40, y = 80.
    // The pending score is centred at the bottom: "950" is 54 pixels wide.
    s.clock.set(((s.clock.now() / 300) | 1) * 300); // an odd 300 ms period
    s.frame();
    EXPECT_EQ(s.at(45, 90), glyphColour);
    EXPECT_EQ(s.at(320 - 27 + 2, 445), glyphColour);
    s.clock.advance(300);
    s.frame();
    EXPECT_EQ(s.at(45, 90), pictureColour);
    EXPECT_EQ(s.at(320 - 27 + 2, 445), pictureColour);
    // Scores are right-aligned 40 pixels before the edge: row 1 holds "900".
    EXPECT_EQ(s.at(640 - 40 - 54 - 1, 80 + 38 + 10), pictureColour);
    EXPECT_EQ(s.at(640 - 40 - 54 + 1, 80 + 38 + 10), glyphColour);
}

// MD5 computed by a program that has nothing to do with ours.
std::string md5sumOf(const std::string& bytes) {
    TempStore temp;
    fs::path file = temp.base() / "input";
    TempStore::writeFile(file, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    std::string command = "md5sum '" + file.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    char hex[33] = {};
    if (!pipe || std::fread(hex, 1, 32, pipe) != 32) ADD_FAILURE() << "md5sum did not run";
    if (pipe) ::pclose(pipe);
    return hex;
}

std::string hexOf(const std::vector<uint8_t>& bytes, uint8_t mask) {
    std::string s;
    char two[3];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b ^ mask);
        s += two;
    }
    return s;
}

std::vector<uint8_t> textBytes(std::string_view text, bool zero = true) {
    std::vector<uint8_t> b(text.begin(), text.end());
    if (zero) b.push_back(0);
    return b;
}

// Writes a stored table as the game would, with a check value made here.
void storeTable(const TempStore& temp, const std::string& name, const std::vector<uint8_t>& text) {
    TempStore::writeFile(temp.userKey(name) / "highscore.REG_SZ", text);
    std::string body(text.begin(), text.end());
    body = body.substr(0, body.find('\0'));
    auto check = HighscoreStorage::checkValue(body, name);
    TempStore::writeFile(temp.userKey(name) / "check.REG_BINARY", {check.begin(), check.end()});
}

TEST(HighscoreStorage, SavedTableIsPlainTextWithAnIndependentlyVerifiableCheck) {
    TempStore temp;
    {
        Screen s(&temp.store());
        EXPECT_FALSE(s.table.loadFromRegistry("Tafel")); // nothing stored yet: defaults stay
        s.show(650);
        s.type("Mira\r");
    }
    auto text = TempStore::readFile(temp.userKey("Tafel") / "highscore.REG_SZ");
    std::string expected = "Jorvane, 900\nIstro, 800\nHalvo, 700\nMira, 650\nGurim, 600\nFenoli, 500\n"
                           "Elvarn, 400\nDanto, 300\nCorvi, 200\n";
    EXPECT_EQ(text, textBytes(expected));

    auto check = TempStore::readFile(temp.userKey("Tafel") / "check.REG_BINARY");
    ASSERT_EQ(check.size(), 16u);
    EXPECT_EQ(hexOf(check, 0xA7), md5sumOf("silent harbor(s)" + expected + creditsLine + "Tafel"));

    HighscoreTable again(temp.store());
    EXPECT_TRUE(again.loadFromRegistry("Tafel"));
    EXPECT_EQ(rows(again), "Jorvane=900;Istro=800;Halvo=700;Mira=650;Gurim=600;Fenoli=500;"
                           "Elvarn=400;Danto=300;Corvi=200;");
}

TEST(HighscoreStorage, OneEditedCharacterEmptiesTheTableForGood) {
    TempStore temp;
    storeTable(temp, "Tafel", textBytes("Ana, 500\nBo, 400\n"));
    fs::path file = temp.userKey("Tafel") / "highscore.REG_SZ";
    auto text = TempStore::readFile(file);
    text[13] = '9'; // "Bo, 900"
    TempStore::writeFile(file, text);
    {
        HighscoreTable table(temp.store());
        EXPECT_TRUE(table.loadFromRegistry("Tafel"));
        EXPECT_EQ(table.rows().count(), 0);
        for (int32_t i = 0; i < HighscoreRows::maxRows; ++i) EXPECT_EQ(table.rows().name(i)[0], 0);
        // An empty table takes no new entry and is saved empty with a valid check.
        Screen s(&temp.store());
        EXPECT_TRUE(s.table.loadFromRegistry("Tafel"));
        s.show(99999);
        EXPECT_EQ(s.table.screen().editIndex(), -1);
        EXPECT_EQ(s.table.rows().count(), 0);
        EXPECT_TRUE(s.table.save()); // as the program does at its end
    }
    EXPECT_EQ(TempStore::readFile(file), textBytes(""));
    HighscoreTable later(temp.store());
    EXPECT_TRUE(later.loadFromRegistry("Tafel"));
    EXPECT_EQ(later.rows().count(), 0);

    // Values copied from the key of another table name do not check either.
    storeTable(temp, "Alpha", textBytes("Ana, 500\n"));
    for (auto f : {"highscore.REG_SZ", "check.REG_BINARY"})
        fs::copy_file(temp.userKey("Alpha") / f, temp.userKey("Tafel") / f, fs::copy_options::overwrite_existing);
    EXPECT_TRUE(later.loadFromRegistry("Tafel"));
    EXPECT_EQ(later.rows().count(), 0);
    EXPECT_TRUE(later.loadFromRegistry("Alpha"));
    EXPECT_EQ(rows(later), "Ana=500;");
}

TEST(HighscoreStorage, ParsingKeepsTenRowsEmptyNamesAndStopsAtANameWithoutScore) {
    TempStore temp;
    std::string eleven;
    for (int i = 0; i < 11; ++i) eleven += "P" + std::to_string(i) + ", " + std::to_string(1000 - i) + "\n";
    storeTable(temp, "Eleven", textBytes(eleven));
    HighscoreTable table(temp.store());
    ASSERT_TRUE(table.loadFromRegistry("Eleven"));
    EXPECT_EQ(table.rows().count(), 10);
    EXPECT_EQ(std::string(table.rows().name(9)), "P9");

    // An empty name, a negative score, an over-long name cut to eleven characters,
    // and a last line without a score that does not count.
    storeTable(temp, "Odd", textBytes(", 550\nNeg, -7\nAbcdefghijklmno, 3\nTail, "));
    ASSERT_TRUE(table.loadFromRegistry("Odd"));
    EXPECT_EQ(rows(table), "=550;Neg=-7;Abcdefghijk=3;");

    // Enter on an empty name stores a line that starts with the comma.
    Screen s(&temp.store());
    EXPECT_FALSE(s.table.loadFromRegistry("Empty"));
    s.show(950);
    s.type("\r");
    EXPECT_EQ(s.table.rows().text().substr(0, 6), ", 950\n");
    HighscoreTable back(temp.store());
    ASSERT_TRUE(back.loadFromRegistry("Empty"));
    EXPECT_EQ(std::string(back.rows().name(0)), "");
    EXPECT_EQ(back.rows().score(0), 950);
    EXPECT_EQ(back.rows().count(), 9);
}

TEST(HighscoreStorage, TextFillingTheWholeBufferIsNotReadPastItsEnd) {
    TempStore temp;
    // 10240 bytes without a terminating zero, checked as they are.
    std::string text = "Ana, 5\n" + std::string(10240 - 7 - 4, 'x') + ", 42";
    ASSERT_EQ(text.size(), 10240u);
    storeTable(temp, "Full", textBytes(text, false));
    HighscoreTable table(temp.store());
    ASSERT_TRUE(table.loadFromRegistry("Full"));
    EXPECT_EQ(rows(table), "Ana=5;xxxxxxxxxxx=42;");

    // One byte more than the buffer: refused, the rows stay.
    storeTable(temp, "TooLong", textBytes(text + "1", false));
    HighscoreTable other(temp.store());
    EXPECT_FALSE(other.loadFromRegistry("TooLong"));
    EXPECT_EQ(rows(other), defaults);
}

TEST(HighscoreStorage, MissingOrMistypedValuesLeaveTheRows) {
    TempStore temp;
    HighscoreTable table(temp.store());
    EXPECT_FALSE(table.loadFromRegistry("Nothing"));
    EXPECT_EQ(rows(table), defaults);

    storeTable(temp, "Short", textBytes("Ana, 5\n"));
    TempStore::writeFile(temp.userKey("Short") / "check.REG_BINARY", std::vector<uint8_t>(15, 0));
    EXPECT_FALSE(table.loadFromRegistry("Short"));

    storeTable(temp, "Typed", textBytes("Ana, 5\n"));
    fs::rename(temp.userKey("Typed") / "highscore.REG_SZ", temp.userKey("Typed") / "highscore.REG_BINARY");
    EXPECT_FALSE(table.loadFromRegistry("Typed"));
    EXPECT_EQ(rows(table), defaults);
}

TEST(HighscoreStorage, TableNamesThatCouldLeaveTheStoreLoadAndSaveNothing) {
    TempStore temp;
    storeTable(temp, "Tafel", textBytes("Ana, 5\n"));
    for (std::string name : {"..\\..\\..\\x", "../Tafel", "a/b", "bad\x01name", "", ".."}) {
        {
            HighscoreTable table(temp.store());
            EXPECT_FALSE(table.loadFromRegistry(name)) << name;
            EXPECT_EQ(rows(table), defaults);
            EXPECT_FALSE(table.saveToRegistry(name));
        }
        EXPECT_FALSE(HighscoreStorage::isUsableName(name));
    }
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::recursive_directory_iterator(temp.base())) ++entries;
    EXPECT_EQ(entries, 7); // data/vandrel/Software/Orvandel/Tafel and its two files
}

TEST(HighscoreStorage, NameIsStoredWhenTypedSoAReloadKeepsIt) {
    TempStore temp;
    Screen s(&temp.store());
    EXPECT_FALSE(s.table.loadFromRegistry("Tafel"));
    s.show(750);
    s.type("Kai\r");
    // A screen mode switch: the session unloads and reads its set-up again.
    s.table.screen().clear();
    EXPECT_TRUE(s.table.loadFromRegistry("Tafel"));
    EXPECT_EQ(std::string(s.table.rows().name(2)), "Kai");
    EXPECT_EQ(s.table.rows().score(2), 750);

    // A switch in the middle of typing ends the entry: the reloaded row is not
    // the new one and must not be renamed.
    s.show(850);
    s.type("Li");
    s.table.screen().clear();
    EXPECT_TRUE(s.table.loadFromRegistry("Tafel"));
    EXPECT_EQ(s.table.screen().editIndex(), -1);
    EXPECT_EQ(s.table.screen().cursorY(), 0);
    EXPECT_EQ(std::string(s.table.rows().name(1)), "Istro");
}

TEST(HighscoreStorage, LeftoverFromAnInterruptedSaveDoesNotDisturbTheTable) {
    TempStore temp;
    storeTable(temp, "Tafel", textBytes("Ana, 5\n"));
    TempStore::writeFile(temp.userKey("Tafel") / "highscore.REG_SZ.tmp.77.0", textBytes("Ev", false));
    {
        HighscoreTable table(temp.store());
        ASSERT_TRUE(table.loadFromRegistry("Tafel"));
        EXPECT_EQ(rows(table), "Ana=5;");
        table.rows().setScore(0, 6);
        ASSERT_TRUE(table.save());
    }
    EXPECT_FALSE(fs::exists(temp.userKey("Tafel") / "highscore.REG_SZ.tmp.77.0"));
    HighscoreTable table(temp.store());
    ASSERT_TRUE(table.loadFromRegistry("Tafel"));
    EXPECT_EQ(rows(table), "Ana=6;");
}

TEST(HighscoreStorage, TheTableWritesToTheStoreItIsGivenWhenANameIsDoneOrTheGameSaves) {
    MemoryStore store;
    const std::string key = HighscoreStorage::keyPath("Tafel");
    {
        Screen s(&store);
        EXPECT_FALSE(s.table.loadFromRegistry("Tafel"));
        s.show(650);
        s.type("Mi");
        EXPECT_EQ(store.writes(), 0) << "nothing is stored while the name is typed";
    }
    EXPECT_EQ(store.writes(), 0) << "a table that goes away stores nothing by itself";

    Screen s(&store);
    EXPECT_FALSE(s.table.loadFromRegistry("Tafel"));
    s.show(650);
    s.type("Mira\r");
    const int writesPerSave = store.writes();
    ASSERT_GT(writesPerSave, 0);
    const std::string expected = "Jorvane, 900\nIstro, 800\nHalvo, 700\nMira, 650\nGurim, 600\nFenoli, 500\n"
                                 "Elvarn, 400\nDanto, 300\nCorvi, 200\n";
    auto text = store.value(key, "highscore");
    auto check = store.value(key, "check");
    ASSERT_TRUE(text && check);
    EXPECT_EQ(text->type, StoreType::String);
    EXPECT_EQ(text->bytes, textBytes(expected));
    EXPECT_EQ(check->type, StoreType::Binary);
    const HighscoreStorage::Check want = HighscoreStorage::checkValue(expected, "Tafel");
    EXPECT_EQ(check->bytes, std::vector<uint8_t>(want.begin(), want.end()));

    // The save at the program's end stores the same bytes under the loaded name.
    ASSERT_TRUE(s.table.save());
    EXPECT_EQ(store.writes(), 2 * writesPerSave);
    EXPECT_EQ(store.value(key, "highscore")->bytes, textBytes(expected));
    HighscoreTable again(store);
    ASSERT_TRUE(again.loadFromRegistry("Tafel"));
    EXPECT_EQ(again.rows().text(), expected);
}

// A store with two places for each key, as the registry's two views are: the
// first is where keys are made, the second is read after it.
struct TwoPlaceStore : MemoryStore {
    std::vector<std::unique_ptr<StoreKey>> openEach(std::string_view keyPath) const override {
        std::vector<std::unique_ptr<StoreKey>> keys = MemoryStore::openEach(keyPath);
        if (auto key = second.open(keyPath)) keys.push_back(std::move(key));
        return keys;
    }
    MemoryStore second;
};

TEST(HighscoreStorage, AKeyWithoutAWholeTableDoesNotHideTheOneInTheNextPlace) {
    TwoPlaceStore store;
    const std::string key = HighscoreStorage::keyPath("Tafel");
    {
        HighscoreTable earlier(store.second);
        earlier.rows().clear();
        earlier.rows().append("Ana", 5);
        ASSERT_TRUE(earlier.saveToRegistry("Tafel"));
    }
    // The first place's key made by a save cut short before its values, then
    // one whose values do not check.
    ASSERT_TRUE(store.create(key));
    HighscoreTable table(store);
    ASSERT_TRUE(table.loadFromRegistry("Tafel"));
    EXPECT_EQ(rows(table), "Ana=5;");
    StoreValue text{"highscore", StoreType::String, textBytes("Eve, 9\n")};
    StoreValue check{"check", StoreType::Binary, std::vector<uint8_t>(16, 0)};
    ASSERT_TRUE(store.create(key)->write(std::vector<StoreValue>{text, check}));
    ASSERT_TRUE(table.loadFromRegistry("Tafel"));
    EXPECT_EQ(rows(table), "Ana=5;");

    // Saved, the table shown goes to the first place, the second is left alone.
    table.rows().append("Bo", 4);
    ASSERT_TRUE(table.save());
    EXPECT_EQ(store.value(key, "highscore")->bytes, textBytes("Ana, 5\nBo, 4\n"));
    EXPECT_EQ(store.second.value(key, "highscore")->bytes, textBytes("Ana, 5\n"));
    HighscoreTable again(store);
    ASSERT_TRUE(again.loadFromRegistry("Tafel"));
    EXPECT_EQ(rows(again), "Ana=5;Bo=4;");

    // With no whole table anywhere, one that does not check still empties the rows.
    TwoPlaceStore edited;
    ASSERT_TRUE(edited.create(key)->write(std::vector<StoreValue>{text, check}));
    ASSERT_TRUE(edited.second.create(key));
    HighscoreTable emptied(edited);
    ASSERT_TRUE(emptied.loadFromRegistry("Tafel"));
    EXPECT_EQ(rows(emptied), "");
}

} // namespace
} // namespace vandrel
