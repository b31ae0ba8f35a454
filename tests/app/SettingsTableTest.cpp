// The table of settings is the one list of them: the commented list a new
// settings file starts with, --help, the README and the manual page name the
// same settings with the same values, the command line's options set what
// the table says, and the defaults are the ones the game plays with.
#include "app/CommandLine.h"
#include "config/Settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vandrel {
namespace {

using Listed = std::vector<std::pair<std::string, std::string>>;

std::string sourceFile(const char* name) {
    std::ifstream in(std::string(VANDREL_SOURCE_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every "name = value" the lines of text match with, in order.
Listed listed(const std::string& text, const std::regex& line) {
    Listed out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it)
        out.emplace_back((*it)[1], (*it)[2]);
    return out;
}

TEST(SettingsTable, TheFileTheHelpTheReadmeAndTheManualListTheSameSettingsWithTheSameValues) {
    Listed table;
    for (const Option& o : settingsTable) table.emplace_back(o.name, optionText(o, o.shown));
    ASSERT_EQ(table.size(), settingsCount);

    // A setting whose default is empty (an address) lists an empty value.
    const std::string tmpl = Settings::commentedTemplate();
    EXPECT_EQ(listed(tmpl, std::regex(R"(\n# ([a-z_]+) = ?(\S*))")), table) << tmpl;

    const std::string usage = CommandLine::usage();
    const std::size_t settingsPart = usage.find("\nsettings");
    ASSERT_NE(settingsPart, std::string::npos) << usage;
    EXPECT_EQ(listed(usage.substr(settingsPart), std::regex(R"(\n  ([a-z_]+) = ?(\S*))")), table) << usage;

    // The README shows the very file a first start writes.
    const std::string readme = sourceFile("README.md");
    EXPECT_NE(readme.find("```ini\n" + tmpl + "```\n"), std::string::npos) << "README.md's example is not\n" << tmpl;

    const std::string manual = sourceFile("doc/vandrel.6");
    ASSERT_FALSE(manual.empty());
    EXPECT_EQ(listed(manual, std::regex(R"(\n\.It Cm ([a-z_]+) No =(?: Cm (\S+))?)")), table);
}

TEST(SettingsTable, TheCommandLinesOptionsSetTheirSettings) {
    const std::string usage = CommandLine::usage();
    for (std::size_t i = 0; i < settingsCount; ++i) {
        const Option& o = settingsTable[i];
        if (o.commandLine.empty()) continue;
        EXPECT_NE(usage.find("  " + std::string(o.commandLine)), std::string::npos) << o.commandLine;
        // The value the table shows, given on the command line, comes out as that value.
        std::vector<std::string_view> args{o.commandLine};
        const std::string shown = optionText(o, o.shown);
        if (o.kind != OptionKind::Switch) args.push_back(shown);
        const CommandLine c = CommandLine::parse(args);
        ASSERT_EQ(c.action, CommandLine::Action::Play) << c.error;
        if (o.kind == OptionKind::Text)
            EXPECT_EQ(c.settings.text(OptionId{i}), shown) << o.name;
        else
            EXPECT_EQ(c.settings.get(OptionId{i}), o.kind == OptionKind::Switch ? 1 : o.shown) << o.name;
        if (!o.commandLineOff.empty()) {
            EXPECT_NE(usage.find("  " + std::string(o.commandLineOff)), std::string::npos) << o.commandLineOff;
            EXPECT_EQ(CommandLine::parse(std::vector<std::string_view>{o.commandLineOff}).settings.get(OptionId{i}), 0);
        }
    }
}

TEST(SettingsTable, WhatNothingSetsIsWhatTheGamePlaysWithout) {
    // The game's own defaults, where no settings reach it (tests, recordings).
    const SettingValues none;
    EXPECT_EQ(none.sound(), SoundLevels{});
    EXPECT_EQ(none.pads().enabled, PadTuning{}.enabled);
    EXPECT_EQ(none.pads().deadZone, PadTuning{}.deadZone);
    EXPECT_EQ(none.pads().fullSpeed, PadTuning{}.fullSpeed);
    EXPECT_EQ(none.screen().windowScale, ScreenOptions{}.windowScale);
    EXPECT_EQ(none.screen().integerScale, ScreenOptions{}.integerScale);
    EXPECT_EQ(none.screen().linearFilter, ScreenOptions{}.linearFilter);
    EXPECT_FALSE(none.fullScreen().has_value()) << "the set-up record decides";
}

} // namespace
} // namespace vandrel
