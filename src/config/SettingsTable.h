// Every setting of vandrel.ini, declared once: its name, the shape and range
// of its value, the value it takes when the file leaves it out, what it does,
// whether the game writes it back and the command-line option that sets it
// too. Reading the file, naming a damaged line, writing a change back, the
// commented list a new file starts with and the settings part of --help all
// come from this table; a new setting is a line here and the code that uses it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel {

enum class OptionKind {
    Switch, // yes or no (true, on, 1 / false, off, 0); the value is 1 or 0
    Whole,  // a whole number from lowest to highest
    Choice, // one of words; the value is its place among them
    Text,   // a line of text up to textLimit bytes, kept as the file writes it
};

// The longest text a Text setting takes.
inline constexpr std::size_t textLimit = 80;

struct Option {
    std::string_view name;
    OptionKind kind = OptionKind::Switch;
    int32_t lowest = 0;
    int32_t highest = 1;
    std::array<std::string_view, 4> words{};
    // The value the commented list shows; when hasDefault, the one a file
    // that leaves the setting out gets. Without one the description says
    // what decides (the data set, the desktop's size).
    int32_t shown = 0;
    bool hasDefault = true;
    // A Text setting's shown value.
    std::string_view shownText;
    // What it does, in a line or two of the commented list.
    std::string_view description;
    // The game changes it while playing and writes the change to the file.
    bool writtenBack = false;
    // The command line's option that sets it: a switch's sets yes, and
    // commandLineOff (if any) sets no; the others take the value as the file does.
    std::string_view commandLine;
    std::string_view commandLineOff;

    constexpr Option noDefault() const {
        Option o = *this;
        o.hasDefault = false;
        return o;
    }
    constexpr Option saved() const {
        Option o = *this;
        o.writtenBack = true;
        return o;
    }
    constexpr Option cli(std::string_view on, std::string_view off = {}) const {
        Option o = *this;
        o.commandLine = on;
        o.commandLineOff = off;
        return o;
    }
};

// Entries of the table, one to a line: a switch, a whole number or a choice
// with its name, the value it shows and what it does, then what else holds.
constexpr Option onOff(std::string_view name, bool shown, std::string_view description) {
    Option o;
    o.name = name;
    o.shown = shown ? 1 : 0;
    o.description = description;
    return o;
}
constexpr Option whole(std::string_view name, int32_t lowest, int32_t highest, int32_t shown,
                       std::string_view description) {
    Option o = onOff(name, false, description);
    o.kind = OptionKind::Whole;
    o.lowest = lowest;
    o.highest = highest;
    o.shown = shown;
    return o;
}
constexpr Option choice(std::string_view name, std::array<std::string_view, 4> words, int32_t shown,
                        std::string_view description) {
    Option o = onOff(name, false, description);
    o.kind = OptionKind::Choice;
    o.words = words;
    o.shown = shown;
    return o;
}
constexpr Option text(std::string_view name, std::string_view shown, std::string_view description) {
    Option o = onOff(name, false, description);
    o.kind = OptionKind::Text;
    o.shownText = shown;
    return o;
}

inline constexpr Option settingsTable[] = {
    onOff("fullscreen", true, "yes or no; left out: as the data set says")
        .noDefault()
        .saved()
        .cli("--fullscreen", "--window"),
    whole("window_scale", 1, 16, 2,
          "the window at 1 to 16 times the game's size; left out: the largest that fits the desktop")
        .noDefault()
        .cli("--scale"),
    onOff("integer_scale", false, "full screen: whole multiples only").cli("--integer-scale"),
    choice("filter", {"nearest", "linear"}, 1, "full screen: linear or nearest").cli("--filter"),
    whole("master_volume", 0, 100, 100, "0 to 100 (per cent), all sound").saved(),
    whole("music_volume", 0, 100, 100, "0 to 100, the music"),
    whole("effects_volume", 0, 100, 100, "0 to 100, shots, hits and the magazine"),
    onOff("mute", false, "yes: no sound at all").saved(),
    onOff("mute_in_background", false,
          "yes: the music too is silent while another window has the focus (the effects always are)"),
    onOff("gamepad", true, "no: game pads are ignored"),
    whole("gamepad_dead_zone", 0, 50, 10, "0 to 50 (per cent of the stick's travel) that moves nothing"),
    whole("gamepad_speed", 10, 400, 100,
          "10 to 400 (per cent): at 100 the stick at full tilt crosses the screen in 0.7 s"),
    choice("crosshair_size", {"100", "150", "200"}, 0, "100, 150 or 200 (per cent): the cross-hair's size"),
    onOff("crosshair_outline", false, "yes: a dark line around the cross-hair, to show on light and dark ground"),
    choice("crosshair_colour", {"drawn", "white", "yellow", "cyan"}, 0,
           "the cross-hair as drawn, or all white, yellow or cyan"),
    onOff("pause_when_hidden", false,
          "yes: a round pauses by itself while the window is minimised or the page hidden; left out: yes in the "
          "browser, no on the desktop")
        .noDefault(),
    choice("touch_layout", {"right", "left"}, 0,
           "left: the page's buttons and help on the other side, and a tap at the bottom left reloads as a tap "
           "on the magazine does"),
    onOff("haptics", true, "no: no short rumble of a pad or a phone on a hit and on an empty magazine"),
    onOff("record_rounds", true,
          "no: finished rounds are not kept (the last 20 are, in the folder rounds beside this file)")
        .cli("--record-rounds", "--no-record-rounds"),
    choice("game_speed", {"100", "85", "70", "50"}, 0,
           "100, 85, 70 or 50 (per cent): figures move, animate and come slower; the clock keeps its pace")
        .cli("--game-speed"),
    choice("round_length", {"standard", "3", "5"}, 0, "a round as long as the data set says, or 3 or 5 minutes")
        .cli("--round-length"),
    onOff("auto_reload", false, "yes: an empty magazine refills by itself once the reload sound has played")
        .cli("--auto-reload"),
    onOff("practice", false, "yes: rounds without a clock, until Escape, and no score kept").cli("--practice"),
    text("gallery", "Vandrel",
         "the gallery played, by the name vandrel --list-galleries prints; switched on the title with the "
         "mouse wheel, the left and right arrows or the pad's shoulder buttons")
        .saved()
        .cli("--gallery"),
    text("share_base", "", "the address of the game's page, put in front of the links --share-link prints"),
};

inline constexpr std::size_t settingsCount = std::size(settingsTable);

// A setting's place in the table, found by its name when the game is built:
// a misspelt name does not compile.
struct OptionId {
    std::size_t index = 0;
    const Option& option() const { return settingsTable[index]; }
};

consteval OptionId option(std::string_view name) {
    for (std::size_t i = 0; i < settingsCount; ++i)
        if (settingsTable[i].name == name) return OptionId{i};
    throw "no setting of that name";
}

// The value text reads as, or nothing when it is not one of the option's
// (a Text setting has no number: nothing).
std::optional<int32_t> readOption(const Option& option, std::string_view text);
// What the option takes, as a damaged line's report says it: "yes or no".
std::string optionWants(const Option& option);
// The value as the file writes it (a Text setting's shown text, whatever value).
std::string optionText(const Option& option, int32_t value);
// Whether text may be a Text setting's value: 1 to textLimit bytes, no control
// characters, no blank at either end (the file trims them away).
bool usableText(std::string_view text);
// Every setting with the value it shows and its description, one to a line
// (and its description's further lines) after prefix: the commented list of
// a new file with "# ", the settings part of --help with "  ".
std::string listSettings(std::string_view prefix);

} // namespace vandrel
