// `vandrel --where-scores`: the table name is read from the archive behind the
// executable, and the answer is the store folder, made by nobody.
#include "scores/ScoreLocation.h"

#include "data/SetupRecord.h"

#include "support/TempStore.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using namespace vandrel::test;

// An executable with an archive whose stuff.x holds a set-up record naming name.
fs::path gameWithTable(const TempStore& temp, const std::string& name) {
    Bytes record(55, 0);
    record[0] = 0x80;
    record[1] = 0x02;
    std::copy(name.begin(), name.end(), record.begin() + 24);
    TestArchive zip({{"stuff.x", concat({block("S9", {1, 2}), block("SS", record), block("ST")})}});
    fs::path exe = temp.base() / "game";
    Bytes bytes = readFile("/proc/self/exe");
    Bytes archive = readFile(zip.path());
    bytes.insert(bytes.end(), archive.begin(), archive.end());
    TempStore::writeFile(exe, bytes);
    return exe;
}

TEST(ScoreLocation, NamesTheFolderOfTheTableInTheDataSet) {
    TempStore temp;
    fs::path exe = gameWithTable(temp, "Bergwacht");
    EXPECT_EQ(readTableName(exe.string()), "Bergwacht");
    EXPECT_EQ(describeScoreLocation(exe.string(), temp.store()), temp.userKey("Bergwacht").string());
    EXPECT_FALSE(fs::exists(temp.userRoot()));

    exe = gameWithTable(temp, "../../etc");
    EXPECT_NE(describeScoreLocation(exe.string(), temp.store()).find("no usable"), std::string::npos);

    EXPECT_FALSE(readTableName((temp.base() / "missing").string()));
    EXPECT_NE(describeScoreLocation("/proc/self/cmdline", temp.store()).find("could not be read"), std::string::npos);
}

} // namespace
} // namespace vandrel
