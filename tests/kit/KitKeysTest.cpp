// Tests of the key table: it is whole and consistent, and its defaults are
// the game's own.
#include "kit/KitKeys.h"

#include "data/SetupRecord.h"
#include "game/FigureType.h"

#include <gtest/gtest.h>

#include <set>

namespace vandrel::kit {
namespace {

TEST(KitKeys, EveryKeyIsDeclaredOnceInADeclaredSection) {
    std::set<std::pair<std::string_view, std::string_view>> seen;
    for (const Key& k : keys()) {
        EXPECT_NE(findSection(k.section), nullptr) << k.section << "." << k.name;
        EXPECT_TRUE(seen.emplace(k.section, k.name).second) << k.section << "." << k.name << " twice";
        EXPECT_FALSE(k.meaning.empty()) << k.name;
        EXPECT_FALSE(k.hasDefault && k.required) << k.name << " is required yet has a default";
        if (k.type == KeyType::Whole && k.hasDefault) {
            EXPECT_GE(k.number, k.lowest) << k.name;
            EXPECT_LE(k.number, k.highest) << k.name;
        }
        if (k.type == KeyType::Choice) {
            ASSERT_FALSE(k.choices.empty()) << k.name;
            EXPECT_LT(static_cast<size_t>(k.number), k.choices.size()) << k.name;
        }
        EXPECT_EQ(k.type == KeyType::File || k.type == KeyType::Files, k.wants != FileKind::None) << k.name;
    }
    for (const Section& s : sections()) {
        bool hasKey = false;
        for (const Key& k : keys()) hasKey = hasKey || k.section == s.name;
        EXPECT_TRUE(hasKey) << "[" << s.name << "] has no keys";
    }
}

TEST(KitKeys, DefaultsAreTheGamesOwn) {
    SetupRecord record;
    record.restoreDefaults();
    EXPECT_EQ(findKey("gallery", "round-minutes")->number, record.roundMinutes);
    EXPECT_EQ(findKey("gallery", "round-seconds")->number, record.roundSeconds);
    EXPECT_EQ(findKey("gallery", "magazine")->number, record.magazineSize);
    EXPECT_EQ(findKey("gallery", "screen-width")->number, record.screenWidth);
    EXPECT_EQ(findKey("gallery", "screen-height")->number, record.screenHeight);
    EXPECT_EQ(defaultText(*findKey("gallery", "start")), "\"window\"");
    EXPECT_EQ(findKey("gallery", "table-name")->highest, SetupRecord::tableNameSize - 1);

    // The path words in the order of the game's motion values.
    const Key& path = *findKey("figure", "path");
    ASSERT_EQ(path.choices.size(), 4u);
    EXPECT_EQ(path.choices[MotionRight], "right");
    EXPECT_EQ(path.choices[MotionLeft], "left");
    EXPECT_EQ(path.choices[MotionWaveRight], "right-wave");
    EXPECT_EQ(path.choices[MotionWaveLeft], "left-wave");
    EXPECT_EQ(defaultText(path), "\"right\"");
    EXPECT_EQ(defaultText(*findKey("figure", "mirrored")), "false");
    EXPECT_EQ(defaultText(*findKey("figure", "hits")), "1");
    EXPECT_EQ(defaultText(*findKey("figure", "points")), "");
    EXPECT_EQ(findKey("figure", "layer")->highest, 5);
}

} // namespace
} // namespace vandrel::kit
