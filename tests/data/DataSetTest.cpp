// The data set opened in one place: the archive behind an executable, its entries,
// the set-up record and the table name read from it, and nothing left open after.
#include "data/DataSet.h"

#include "data/BlockReader.h"
#include "data/DataLayout.h"
#include "data/SetupRecord.h"
#include "base/LoadError.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using test::block;
using test::Bytes;
using test::concat;
using test::putU32;

// This process's open files, counted on Linux. Under Wine /proc/self/fd is the host
// process's, where Wine's own threads open and close files at any time, so there the
// count is not taken and every comparison of it holds.
#ifdef _WIN32
constexpr bool countsOpenFiles = false;
#else
constexpr bool countsOpenFiles = true;
#endif

int openFiles() {
    int n = 0;
    if (countsOpenFiles)
        for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

#define EXPECT_OPEN_FILES(n)                                                                                           \
    do {                                                                                                               \
        if (countsOpenFiles) {                                                                                         \
            EXPECT_EQ(openFiles(), (n));                                                                               \
        }                                                                                                              \
    } while (0)

// A set-up record: the five numbers, the three screen flags, then as much of the
// start mode and the table name field as `tail` holds.
Bytes setupRecord(int32_t width, int32_t height, const Bytes& tail) {
    Bytes p;
    for (int32_t v : {width, height, 3, 15, 8}) putU32(p, static_cast<uint32_t>(v));
    for (uint8_t v : {1, 0, 1}) p.push_back(v);
    p.insert(p.end(), tail.begin(), tail.end());
    return p;
}

Bytes nameField(const std::string& name, size_t size = 31) {
    Bytes b(size, 0);
    std::copy_n(name.begin(), std::min(name.size(), size), b.begin());
    return b;
}

// This test program with a zip of the given stuff.x appended: an ELF image
// followed by a data set, as the built game is.
class GameFile {
public:
    explicit GameFile(const Bytes& stuff, const std::string& extra = "") {
        test::TestArchive zip({{"stuff.x", stuff}, {"cur.nl", Bytes(extra.begin(), extra.end())}});
        path_ = (fs::temp_directory_path() / ("vandrel-dataset-" + std::to_string(::getpid()))).string();
        Bytes bytes = test::readFile("/proc/self/exe");
        const Bytes archive = test::readFile(zip.path());
        bytes.insert(bytes.end(), archive.begin(), archive.end());
        std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    ~GameFile() { fs::remove(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(DataSet, OpensTheArchiveBehindAnExecutableAndClosesItWhenItGoes) {
    const GameFile game(concat({block("SS", setupRecord(800, 600, {})), block("ST")}), "cursor!");
    const int before = openFiles();
    {
        DataSet data(game.path());
        EXPECT_OPEN_FILES(before + 1);
        EXPECT_EQ(data.entrySize("CUR.NL"), 7) << "entry names compare without regard to case";
        EXPECT_EQ(data.entrySize("nothing"), 0);
        uint16_t tag = 0;
        BlockReader& reader = data.openEntry(entryName::setup);
        ASSERT_TRUE(reader.readHeader(tag));
        EXPECT_EQ(tag, blockTag::setupRecord);
        EXPECT_THROW(data.openEntry("nothing"), LoadError);
    }
    EXPECT_OPEN_FILES(before);
}

TEST(DataSet, RefusesWhatHoldsNoDataSetAndLeavesNothingOpen) {
    const int before = openFiles();
    EXPECT_THROW(DataSet(""), LoadError);
    EXPECT_THROW(DataSet("/nonexistent/vandrel"), LoadError);
    // An executable with nothing behind its image.
    EXPECT_THROW(DataSet("/proc/self/exe"), LoadError);
    EXPECT_OPEN_FILES(before);
}

TEST(SetupRecord, TheTableNameLookupReadsWhatTheGameReads) {
    {
        // Thirty-one characters without the terminating zero: the last is cut.
        const GameFile game(block("SS", setupRecord(640, 480, concat({{1}, nameField(std::string(31, 'N'))}))));
        EXPECT_EQ(readTableName(game.path()), std::string(30, 'N'));
    }
    {
        // A record cut short before its screen flags names no table at all.
        Bytes cut = setupRecord(640, 480, {});
        cut.resize(21);
        const GameFile game(concat({block("S9"), block("SS", cut)}));
        EXPECT_EQ(readTableName(game.path()), std::nullopt);
    }
    {
        // Blocks before the record are stepped over; the name is the record's.
        const GameFile game(
            concat({block("S1", Bytes(9, 1)), block("SS", setupRecord(640, 480, concat({{0}, nameField("Tafel")})))}));
        EXPECT_EQ(readTableName(game.path()), "Tafel");
    }
    EXPECT_EQ(readTableName("/proc/self/exe"), std::nullopt);
}

TEST(SetupRecord, AScreenSizeNoDisplayCouldShowBecomesTheGamesOwn) {
    test::TestArchive zip({{"stuff.x", block("SS", setupRecord(0, 100000, concat({{1}, nameField("T")})))}});
    SetupRecord record;
    ASSERT_TRUE(findSetupRecord(zip.entry("stuff.x"), record));
    EXPECT_EQ(record.screenWidth, 640);
    EXPECT_EQ(record.screenHeight, 480);
    EXPECT_EQ(record.roundMinutes, 3);
    EXPECT_EQ(record.magazineSize, 8);
    EXPECT_EQ(record.startFullScreen, 1);
    EXPECT_STREQ(record.tableName, "T");
}

} // namespace
} // namespace vandrel
