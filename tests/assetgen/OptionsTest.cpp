// The set-up record a packager can change on assetgen's command line, and the
// promise that the generator gives the same bytes every time it runs.
#include "DatasetFiles.h"

#include "BlockStream.h"
#include "Dataset.h"
#include "Options.h"

#include <gtest/gtest.h>

namespace vandrel::test {
namespace {

using assetgen::Options;
using assetgen::parseArguments;

bool parse(std::vector<std::string> args, Options& out, std::string* error = nullptr) {
    std::string e;
    bool ok = parseArguments(args, out, e);
    if (error) *error = e;
    return ok;
}

TEST(AssetgenOptions, DefaultsDescribeTheShippedGame) {
    Options o;
    ASSERT_TRUE(parse({"out"}, o));
    EXPECT_EQ(o.outDir, "out");
    Bytes ss = assetgen::encodeSetup(o.setup);
    ASSERT_EQ(ss.size(), 55u);
    const int32_t words[5] = {640, 480, 2, 0, 10};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(i32At(ss, size_t(i) * 4), words[i]);
    EXPECT_EQ(ss[23], 1) << "starts full screen";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&ss[24])), "Vandrel");
}

TEST(AssetgenOptions, OverridesReachTheSetUpRecord) {
    Options o;
    ASSERT_TRUE(parse({"out", "--round-minutes", "0", "--round-seconds", "5", "--magazine", "3", "--windowed",
                       "--table-name", "Test Table"},
                      o));
    Bytes ss = assetgen::encodeSetup(o.setup);
    EXPECT_EQ(i32At(ss, 8), 0);
    EXPECT_EQ(i32At(ss, 12), 5);
    EXPECT_EQ(i32At(ss, 16), 3);
    EXPECT_EQ(ss[20], 1);
    EXPECT_EQ(ss[23], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&ss[24])), "Test Table");
    // A thirty-character name fills the field and keeps its terminating zero.
    ASSERT_TRUE(parse({"out", "--table-name", std::string(30, 'x')}, o));
    ss = assetgen::encodeSetup(o.setup);
    EXPECT_EQ(ss.size(), 55u);
    EXPECT_EQ(ss[54], 0);
}

TEST(AssetgenOptions, RejectsWhatTheGameCouldNotUse) {
    Options o;
    std::string error;
    EXPECT_FALSE(parse({}, o, &error));
    EXPECT_FALSE(parse({"out", "--table-name", std::string(31, 'x')}, o, &error));
    EXPECT_FALSE(parse({"out", "--table-name", ""}, o, &error));
    EXPECT_FALSE(parse({"out", "--table-name", "a/b"}, o, &error));
    EXPECT_FALSE(parse({"out", "--table-name", ".."}, o, &error));
    EXPECT_FALSE(parse({"out", "--round-seconds", "60"}, o, &error));
    EXPECT_FALSE(parse({"out", "--round-seconds", "-1"}, o, &error));
    EXPECT_FALSE(parse({"out", "--round-minutes", "two"}, o, &error));
    EXPECT_FALSE(parse({"out", "--magazine", "0"}, o, &error));
    EXPECT_FALSE(parse({"out", "--round-minutes"}, o, &error));
    EXPECT_FALSE(parse({"out", "--frobnicate"}, o, &error));
    EXPECT_FALSE(error.empty());
    // A record with a name too long for the field is refused, not cut.
    assetgen::SetupRecord setup;
    setup.tableName = std::string(31, 'y');
    EXPECT_THROW(assetgen::encodeSetup(setup), std::invalid_argument);
}

TEST(AssetgenBlocks, FramesEveryBlockWithItsTagAndLength) {
    assetgen::BlockStream s;
    s.add("ST");
    s.addI32("F1", -2);
    s.add("JP", {1, 2, 3});
    std::vector<Block> blocks;
    ASSERT_TRUE(splitBlocks(s.bytes(), blocks));
    EXPECT_EQ(tagSequence(blocks), "ST F1 JP");
    EXPECT_TRUE(blocks[0].payload.empty());
    EXPECT_EQ(i32At(blocks[1].payload, 0), -2);
    EXPECT_EQ(blocks[2].payload, (Bytes{1, 2, 3}));
    EXPECT_THROW(s.add("XYZ"), std::invalid_argument);
}

TEST(AssetgenDeterminism, GeneratingAgainGivesTheSameBytesAsTheBuild) {
    auto entries = assetgen::buildEntries(assetgen::paintArt(), assetgen::makeSounds(), assetgen::SetupRecord{});
    ASSERT_EQ(entries.size(), 7u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].name, entryNames[i]);
        EXPECT_TRUE(entries[i].bytes == builtEntry(entries[i].name)) << entries[i].name << " differs from the build's";
    }
}

} // namespace
} // namespace vandrel::test
