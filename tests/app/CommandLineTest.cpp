// Reading the command line: every option in both spellings, the commands,
// and the mistakes that must stop the game before anything starts.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

using Action = CommandLine::Action;

CommandLine parse(std::vector<std::string_view> args) { return CommandLine::parse(args); }

TEST(CommandLineTest, NothingGivenPlaysAsTheDataSetSays) {
    const CommandLine c = parse({});
    EXPECT_EQ(c.action, Action::Play);
    EXPECT_FALSE(c.settings.fullScreen().has_value());
    EXPECT_EQ(c.settings.screen().windowScale, 0) << "the largest window that fits";
    EXPECT_FALSE(c.settings.screen().integerScale);
    EXPECT_TRUE(c.settings.screen().linearFilter);
    EXPECT_TRUE(c.dataPath.empty());
}

TEST(CommandLineTest, ScreenOptionsCombine) {
    CommandLine c = parse({"--window", "--scale", "3", "--integer-scale", "--filter", "nearest", "--data", "my.zip"});
    EXPECT_EQ(c.action, Action::Play);
    EXPECT_EQ(c.settings.fullScreen(), false);
    EXPECT_EQ(c.settings.screen().windowScale, 3);
    EXPECT_TRUE(c.settings.screen().integerScale);
    EXPECT_FALSE(c.settings.screen().linearFilter);
    EXPECT_EQ(c.dataPath, "my.zip");
    c = parse({"--fullscreen", "--filter=linear", "--scale=1", "--data=/tmp/with space/v"});
    EXPECT_EQ(c.settings.fullScreen(), true);
    EXPECT_TRUE(c.settings.screen().linearFilter);
    EXPECT_EQ(c.settings.screen().windowScale, 1);
    EXPECT_EQ(c.dataPath, "/tmp/with space/v");
    EXPECT_EQ(parse({"--window", "--window"}).settings.fullScreen(), false) << "saying it twice is no contradiction";
}

TEST(CommandLineTest, CommandsTakeTheirFilesAndCombineWithTheDataSet) {
    EXPECT_EQ(parse({"--help"}).action, Action::Help);
    EXPECT_EQ(parse({"-h"}).action, Action::Help);
    EXPECT_EQ(parse({"--version"}).action, Action::Version);
    EXPECT_EQ(parse({"--where-scores"}).action, Action::WhereScores);
    CommandLine c = parse({"--record", "game.vrec", "--fullscreen"});
    EXPECT_EQ(c.action, Action::Record);
    EXPECT_EQ(c.file, "game.vrec");
    EXPECT_EQ(c.settings.fullScreen(), true);
    c = parse({"--data", "variant", "--replay=game.vrec"});
    EXPECT_EQ(c.action, Action::Replay);
    EXPECT_EQ(c.file, "game.vrec");
    EXPECT_EQ(c.dataPath, "variant");
    EXPECT_EQ(parse({"--data", "variant", "--where-scores"}).dataPath, "variant");
    c = parse({"--check", "my-kit.zip"});
    EXPECT_EQ(c.action, Action::Check);
    EXPECT_EQ(c.file, "my-kit.zip");
    EXPECT_FALSE(c.strict);
    c = parse({"--strict", "--check=kit"});
    EXPECT_EQ(c.action, Action::Check);
    EXPECT_EQ(c.file, "kit");
    EXPECT_TRUE(c.strict);
    // The kept rounds: listed, watched, turned into a link.
    EXPECT_EQ(parse({"--config", "my.ini", "--rounds"}).action, Action::Rounds);
    c = parse({"--watch", "round.vrec"});
    EXPECT_EQ(c.action, Action::Watch);
    EXPECT_EQ(c.file, "round.vrec");
    c = parse({"--share-link=round.vrec"});
    EXPECT_EQ(c.action, Action::ShareLink);
    EXPECT_EQ(c.file, "round.vrec");
    EXPECT_EQ(parse({"--watch", "a.vrec", "--replay", "a.vrec"}).action, Action::Wrong);
    EXPECT_EQ(parse({"--share-link"}).action, Action::Wrong);
    EXPECT_EQ(parse({"--rounds", "--share-link", "a.vrec"}).action, Action::Wrong);
}

TEST(CommandLineTest, AGalleryIsChosenByItsNameAndTheListIsACommand) {
    CommandLine c = parse({"--gallery", "Night harbour", "--window"});
    EXPECT_EQ(c.action, Action::Play);
    EXPECT_EQ(c.settings.text(option("gallery")), "Night harbour");
    EXPECT_EQ(parse({"--gallery=Test gallery"}).settings.text(option("gallery")), "Test gallery");
    EXPECT_EQ(parse({"--list-galleries"}).action, Action::ListGalleries);
}

TEST(CommandLineTest, MistakesAreReportedWithWhatWasWrong) {
    struct Case {
        std::vector<std::string_view> args;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"--fulscreen"}, "unknown option --fulscreen"},
        {{"-x"}, "unknown option -x"},
        {{"game.vrec"}, "unexpected argument game.vrec"},
        {{"--scale"}, "--scale needs a value"},
        {{"--scale", "0"}, "--scale takes a whole number"},
        {{"--scale", "17"}, "--scale takes a whole number"},
        {{"--scale", "2x"}, "--scale takes a whole number"},
        {{"--scale", "-2"}, "--scale takes a whole number"},
        {{"--scale="}, "--scale needs a value"},
        {{"--filter", "bicubic"}, "--filter takes nearest or linear"},
        {{"--data"}, "--data needs a value"},
        {{"--record"}, "--record needs a value"},
        {{"--replay", ""}, "--replay needs a value"},
        {{"--window", "--fullscreen"}, "contradict"},
        {{"--integer-scale=yes"}, "--integer-scale takes no value"},
        {{"--record", "a", "--replay", "b"}, "cannot be combined"},
        {{"--record", "a", "--record", "b"}, "given twice"},
        {{"--help", "--version"}, "cannot be combined"},
        {{"--check"}, "--check needs a value"},
        {{"--check", "a", "--check", "b"}, "given twice"},
        {{"--check", "a", "--record", "b"}, "cannot be combined"},
        {{"--strict"}, "--strict goes with --check"},
        {{"--strict", "--record", "a"}, "--strict goes with --check"},
        {{"--gallery"}, "--gallery needs a value"},
        {{"--gallery", " padded"}, "--gallery takes a name"},
        {{"--gallery", "a\tb"}, "--gallery takes a name"},
        {{"--gallery", "Second", "--data", "my.zip"}, "cannot be combined"},
        {{"--list-galleries", "--help"}, "cannot be combined"},
    };
    for (const Case& k : cases) {
        const CommandLine c = parse(k.args);
        EXPECT_EQ(c.action, Action::Wrong) << k.says;
        EXPECT_NE(c.error.find(k.says), std::string::npos) << c.error;
    }
}

TEST(CommandLineTest, TheUsageListsEveryOption) {
    const std::string u = CommandLine::usage();
    for (const char* o :
         {"--window", "--fullscreen", "--scale N", "--integer-scale", "--filter nearest|linear", "--data FILE",
          "--record FILE", "--replay FILE", "--where-scores", "--version", "--help", "--check KIT", "--strict"})
        EXPECT_NE(u.find(o), std::string::npos) << o;
    // Every option the usage lists is understood.
    for (const char* o : {"--window", "--fullscreen", "--integer-scale", "--where-scores", "--version", "--help"})
        EXPECT_NE(parse({o}).action, Action::Wrong) << o;
}

} // namespace
} // namespace vandrel
