// The set-up record as the session reads it: field by field after blocks it
// skips, a table name without its zero, records that are short or missing, and
// what clearing the session puts back.
#include "game/Session.h"
#include "base/Clock.h"
#include "backends/null/MemoryStore.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace vandrel {
namespace {

using test::block;
using test::Bytes;
using test::concat;
using test::putU32;
using test::TestArchive;

class SetupRecordTest : public ::testing::Test {
protected:
    MemoryStore store;
    ManualClock clock{5000};
};

TEST_F(SetupRecordTest, StartsWithTheBuiltInSetUp) {
    Session s(store);
    EXPECT_EQ(s.setup().screenWidth, 640);
    EXPECT_EQ(s.setup().screenHeight, 480);
    EXPECT_EQ(s.setup().magazineSize, 10);
    EXPECT_EQ(s.ammo(), 10);
    EXPECT_EQ(s.secondsLeft(), 150) << "2:30 by default";
    EXPECT_EQ(s.setup().startFullScreen, 0);
    EXPECT_STREQ(s.setup().tableName, "");
}

TEST_F(SetupRecordTest, SetUpRecordIsReadFieldByFieldAfterSkippedBlocks) {
    TestArchive a({{"stuff.x", concat({block("XX", Bytes(9, 1)),
                                       test::setupBlock({800, 600, 1, 45, 7, 1, 0, 1, 1, "Canyon"}), block("ST")})}});
    Session s(store);
    ASSERT_TRUE(s.loadSetup(&a.entry("stuff.x")));
    EXPECT_EQ(s.setup().screenWidth, 800);
    EXPECT_EQ(s.setup().screenHeight, 600);
    EXPECT_EQ(s.setup().roundMinutes, 1);
    EXPECT_EQ(s.setup().roundSeconds, 45);
    EXPECT_EQ(s.setup().magazineSize, 7);
    EXPECT_EQ(s.setup().hasTitle, 1);
    EXPECT_EQ(s.setup().hasHighscoreImage, 0);
    EXPECT_EQ(s.setup().hasEndImage, 1);
    EXPECT_EQ(s.setup().startFullScreen, 1);
    EXPECT_STREQ(s.setup().tableName, "Canyon");
    uint16_t tag = 0;
    ASSERT_TRUE(a.reader()->readHeader(tag)) << "the loader stops right after the record";
    EXPECT_EQ(tag, makeTag('S', 'T'));
}

TEST_F(SetupRecordTest, ATableNameWithoutItsZeroIsCutToThirtyCharacters) {
    TestArchive a({{"stuff.x", test::setupBlock({.name = std::string(31, 'N')})}});
    Session s(store);
    ASSERT_TRUE(s.loadSetup(&a.entry("stuff.x")));
    EXPECT_EQ(std::strlen(s.setup().tableName), 30u);
}

TEST_F(SetupRecordTest, AShortRecordOrNoneAtAllFails) {
    Bytes shortRecord;
    putU32(shortRecord, 640);
    putU32(shortRecord, 480);
    {
        TestArchive a({{"stuff.x", test::blockWithLength("SS", 55, shortRecord)}});
        Session s(store);
        EXPECT_FALSE(s.loadSetup(&a.entry("stuff.x")));
    }
    {
        TestArchive a({{"stuff.x", block("S9", Bytes(4, 0))}});
        Session s(store);
        EXPECT_FALSE(s.loadSetup(&a.entry("stuff.x")));
        EXPECT_FALSE(s.loadSetup(nullptr));
    }
}

TEST_F(SetupRecordTest, ClearPutsTheSetUpBackButKeepsTheTableNameAndTheRound) {
    TestArchive a({{"stuff.x", test::setupBlock({800, 600, 1, 0, 5, 1, 1, 1, 1, "Keep"})}});
    Session s(store);
    ASSERT_TRUE(s.loadSetup(&a.entry("stuff.x")));
    s.addScore(42);
    s.showLoadProgress(100);
    s.clear();
    EXPECT_EQ(s.setup().screenWidth, 640);
    EXPECT_EQ(s.setup().magazineSize, 10);
    EXPECT_EQ(s.setup().roundSeconds, 30);
    EXPECT_EQ(s.setup().hasTitle, 0);
    EXPECT_STREQ(s.setup().tableName, "Keep");
    EXPECT_EQ(s.setup().startFullScreen, 1);
    EXPECT_EQ(s.score(), 42);
    EXPECT_EQ(s.loadProgress(), 100);
}

} // namespace
} // namespace vandrel
