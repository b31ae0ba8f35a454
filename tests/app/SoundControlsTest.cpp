// The sound keys as the player meets them: what M, - and + make of the
// headless mixer's output, what the notice says and for how long, that the
// settings file keeps the levels, and the first start's hint.
#include "app/SoundControls.h"
#include "app/CommandLine.h"
#include "app/OverlayText.h"
#include "app/PlayerControls.h"
#include "app/PlayerHints.h"
#include "audio/AudioDevice.h"
#include "backends/null/NullAudio.h"
#include "config/Settings.h"
#include "gfx/Font.h"
#include "support/AudioRig.h"
#include "video/VideoDevice.h"
#include "video/VideoSurface.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// A device with a looping music buffer at a steady 8000 and an effect at 1000.
struct Rig : test::AudioRig {
    std::unique_ptr<AudioBuffer> music = looping(8000, audioBufferGlobalFocus);
    std::unique_ptr<AudioBuffer> effect = looping(1000, 0);

    std::unique_ptr<AudioBuffer> looping(int16_t value, uint32_t flags) {
        auto b = buffer(std::vector<int16_t>(100, value), 1, 44100, flags);
        b->play(audioPlayLooping);
        return b;
    }
    int16_t level() { return mix(10).back(); }
};

TEST(SoundControls, KeysChangeWhatTheMixerMakesAndSayWhat) {
    Rig rig;
    SoundControls sound(nullptr);
    sound.apply(rig.device.get());
    EXPECT_EQ(rig.level(), 9000);
    EXPECT_EQ(sound.notice(0), "");

    EXPECT_TRUE(sound.onChar('m', 1000));
    sound.apply(rig.device.get());
    EXPECT_EQ(rig.level(), 0);
    EXPECT_EQ(sound.notice(1000), "Ton aus");
    EXPECT_EQ(sound.notice(1000 + SoundControls::noticeMs - 1), "Ton aus");
    EXPECT_EQ(sound.notice(1000 + SoundControls::noticeMs), "");

    EXPECT_TRUE(sound.onChar('M', 5000));
    sound.apply(rig.device.get());
    EXPECT_EQ(rig.level(), 9000);
    EXPECT_EQ(sound.notice(5000), "Ton an");

    // Three steps down: 70 %, about half the amplitude on the squared curve.
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(sound.onChar('-', 6000));
    sound.apply(rig.device.get());
    EXPECT_EQ(sound.levels().master, 70);
    EXPECT_EQ(sound.notice(6000), "Lautst\u00e4rke 70 %");
    EXPECT_NEAR(rig.level(), 9000 * 49 / 100, 2);

    // Down past 0 and up past 100 stop there; a step up also ends a mute.
    for (int i = 0; i < 12; ++i) sound.onChar('-', 7000);
    sound.apply(rig.device.get());
    EXPECT_EQ(sound.levels().master, 0);
    EXPECT_EQ(rig.level(), 0);
    sound.onChar('m', 7000);
    for (int i = 0; i < 12; ++i) sound.onChar(i % 2 ? '+' : '=', 7000);
    sound.apply(rig.device.get());
    EXPECT_EQ(sound.levels().master, 100);
    EXPECT_FALSE(sound.levels().mute);
    EXPECT_EQ(rig.level(), 9000);

    // Other characters are not the sound's.
    for (int32_t c : {int32_t{'n'}, int32_t{'a'}, 13, 27, int32_t{'0'}}) EXPECT_FALSE(sound.onChar(c, 8000)) << c;
}

TEST(SoundControls, FocusSilencesTheEffectsOnlyAndReachesANewDevice) {
    auto rig = std::make_unique<Rig>();
    SoundControls sound(nullptr);
    sound.setFocused(false);
    sound.apply(rig->device.get());
    EXPECT_EQ(rig->level(), 8000);
    sound.setFocused(true);
    sound.apply(rig->device.get());
    EXPECT_EQ(rig->level(), 9000);
    sound.onChar('m', 0);
    sound.apply(rig->device.get());
    // A device opened again (a sound card back) hears the levels at once.
    rig = std::make_unique<Rig>();
    sound.apply(rig->device.get());
    EXPECT_EQ(rig->level(), 0);
}

TEST(SoundControls, LevelsComeFromTheSettingsAndGoBackToThem) {
    const fs::path file = fs::temp_directory_path() / ("vandrel-sound-" + std::to_string(std::random_device()()));
    { std::ofstream(file) << "master_volume = 75\nmute = yes\n"; }
    std::ostringstream report;
    Settings settings;
    settings.load(file, report);
    SoundControls sound(&settings);
    EXPECT_EQ(sound.levels().master, 75);
    EXPECT_TRUE(sound.levels().mute);
    // A level between two steps goes to the next one in either direction.
    sound.onChar('-', 0);
    EXPECT_EQ(sound.levels().master, 70);
    sound.onChar('+', 0);
    sound.onChar('+', 0);
    EXPECT_EQ(sound.levels().master, 90);

    Settings again;
    again.load(file, report);
    EXPECT_EQ(again.sound().master, 90);
    EXPECT_FALSE(again.sound().mute);
    EXPECT_EQ(report.str(), "");
    fs::remove(file);
}

fs::path settingsFile(const std::string& text) {
    const fs::path file = fs::temp_directory_path() / ("vandrel-player-" + std::to_string(std::random_device()()));
    std::ofstream(file) << text;
    return file;
}

TEST(PlayerControls, TheCommandLineWinsOverTheFileWhichFillsWhatItLeavesOpen) {
    const fs::path file = settingsFile("fullscreen = no\nwindow_scale = 3\nfilter = nearest\ninteger_scale = yes\n");
    std::ostringstream report;
    Settings settings;
    settings.load(file, report);
    CommandLine options = CommandLine::parse(std::vector<std::string_view>{"--fullscreen", "--scale", "2"});
    SettingValues chosen = options.settings.over(settings.values());
    EXPECT_EQ(chosen.fullScreen(), true);
    EXPECT_EQ(chosen.screen().windowScale, 2);
    EXPECT_FALSE(chosen.screen().linearFilter);
    EXPECT_TRUE(chosen.screen().integerScale);
    options = CommandLine::parse(std::vector<std::string_view>{"--filter=linear"});
    chosen = options.settings.over(settings.values());
    EXPECT_EQ(chosen.fullScreen(), false);
    EXPECT_EQ(chosen.screen().windowScale, 3);
    EXPECT_TRUE(chosen.screen().linearFilter);

    // A file without them leaves the mode to the set-up record (unset) and the defaults.
    Settings empty;
    empty.load(settingsFile("mute = yes\n"), report);
    options = CommandLine::parse(std::vector<std::string_view>{});
    chosen = options.settings.over(empty.values());
    EXPECT_FALSE(chosen.fullScreen().has_value());
    EXPECT_EQ(chosen.screen().windowScale, 0);
    EXPECT_TRUE(chosen.screen().linearFilter);
    EXPECT_FALSE(chosen.screen().integerScale);
    fs::remove(empty.file());
    fs::remove(file);
}

TEST(PlayerControls, TheNameEntryKeepsItsLettersAndTheFocusReachesTheMixer) {
    const fs::path file = settingsFile("");
    std::ostringstream report;
    Settings settings;
    settings.load(file, report);
    PlayerControls controls(settings, false, false);
    EXPECT_FALSE(controls.onMessage(Message{msg::Char, 'm', 0}, true, 0));
    EXPECT_FALSE(controls.sound().levels().mute);
    EXPECT_TRUE(controls.onMessage(Message{msg::Char, 'm', 0}, false, 0));
    EXPECT_TRUE(controls.sound().levels().mute);
    EXPECT_FALSE(controls.onMessage(Message{msg::KeyDown, 'M', 0}, false, 0));

    Rig rig;
    controls.onMessage(Message{msg::Char, 'm', 0}, false, 0);
    // Another window took the focus: the game still hears of it (not taken).
    EXPECT_FALSE(controls.onMessage(Message{msg::Activate, 0, 0}, false, 0));
    controls.apply(rig.device.get());
    EXPECT_EQ(rig.level(), 8000);
    controls.onMessage(Message{msg::Activate, 1, 0}, false, 0);
    controls.apply(rig.device.get());
    EXPECT_EQ(rig.level(), 9000);

    controls.screenModeChosen(false);
    Settings again;
    again.load(file, report);
    EXPECT_EQ(again.fullScreen(), false);
    fs::remove(file);
}

TEST(PlayerHints, ShowsForAWhileInTheSystemsLanguageUnlessDismissed) {
    PlayerHints off(false, true);
    EXPECT_FALSE(off.showing(0));

    PlayerHints english(true, false);
    EXPECT_EQ(english.lines().front(), "Click: start a round");
    PlayerHints german(true, true);
    EXPECT_EQ(german.lines().front(), "Klick: Runde starten");
    Font font;
    // Counted from the first title frame, not from the start of the game.
    german.drawOverTitle(InputDevice::Mouse, nullptr, Rect{0, 0, 640, 480}, font, 50000);
    EXPECT_TRUE(german.showing(50000 + PlayerHints::shownMs - 1));
    german.drawOverTitle(InputDevice::Mouse, nullptr, Rect{0, 0, 640, 480}, font, 50000 + PlayerHints::shownMs);
    EXPECT_FALSE(german.showing(50000 + PlayerHints::shownMs));

    english.dismiss();
    EXPECT_FALSE(english.showing(0));
}

// Later starts: a title left alone says how to start with the device last
// used; a name asked for is prompted until its first character.
TEST(PlayerHints, AnIdleTitleSaysHowToStartAndANameIsPromptedUntilTyped) {
    PlayerHints hints(false, false);
    Font font;
    const Rect clip{0, 0, 640, 480};
    hints.drawOverTitle(InputDevice::Touch, nullptr, clip, font, 1000);
    EXPECT_FALSE(hints.idleHintShowing(1000 + PlayerHints::idleMs - 1));
    EXPECT_TRUE(hints.idleHintShowing(1000 + PlayerHints::idleMs));
    hints.onInput(Message{msg::MouseMove, 0, 0}, false, 20000);
    EXPECT_FALSE(hints.idleHintShowing(20000 + PlayerHints::idleMs - 1)) << "input counts the idle time anew";
    // Away from the title and back: counted from its first frame again.
    hints.leftTitle();
    hints.drawOverTitle(InputDevice::Mouse, nullptr, clip, font, 90000);
    EXPECT_FALSE(hints.idleHintShowing(90000 + PlayerHints::idleMs - 1));
    EXPECT_EQ(hints.startLine(InputDevice::Touch), "Tap: start a round");
    EXPECT_EQ(hints.startLine(InputDevice::Pad), "Button A: start a round");
    EXPECT_EQ(hints.startLine(InputDevice::Keyboard), "Click: start a round");
    EXPECT_EQ(PlayerHints(false, true).startLine(InputDevice::Touch), "Tippen: Runde starten");

    // A first start's hint first; the idle time counts from its end.
    PlayerHints first(true, true);
    first.drawOverTitle(InputDevice::Mouse, nullptr, clip, font, 0);
    first.drawOverTitle(InputDevice::Mouse, nullptr, clip, font, PlayerHints::shownMs);
    EXPECT_FALSE(first.idleHintShowing(PlayerHints::shownMs + PlayerHints::idleMs - 1));
    EXPECT_TRUE(first.idleHintShowing(PlayerHints::shownMs + PlayerHints::idleMs));

    for (int name = 0; name < 2; ++name) {
        hints.drawOverNameEntry(true, nullptr, clip, font);
        EXPECT_TRUE(hints.namePromptShowing());
        hints.onInput(Message{msg::Char, 'A', 0}, false, 0);
        hints.drawOverNameEntry(true, nullptr, clip, font);
        EXPECT_TRUE(hints.namePromptShowing()) << "a character outside the name entry";
        hints.onInput(Message{msg::Char, 'A', 0}, true, 0);
        hints.drawOverNameEntry(true, nullptr, clip, font);
        EXPECT_FALSE(hints.namePromptShowing());
        hints.drawOverNameEntry(false, nullptr, clip, font);
        EXPECT_FALSE(hints.namePromptShowing());
    }
}

TEST(OverlayText, ComposedCharactersTakeAGlyphsRoom) {
    Font font;
    font.setLayout(0, 0, 16, 26, 0, 0, 12, 5);
    EXPECT_EQ(OverlayText::width(font, "Ton"), 36);
    // The umlaut, '+' and '%' each one glyph wide.
    EXPECT_EQ(OverlayText::width(font, "\xc3\xa4+%"), 36);
    // A blank between words is half a glyph, wider than the font's own.
    EXPECT_EQ(OverlayText::width(font, "a b"), 30);
    // Text outside the font and broken UTF-8 are spaces, never a crash.
    EXPECT_EQ(OverlayText::width(font, "\xe2\x82\xac\xc3"), 12);
}

// The marks the font lacks stand as its capitals do: within the seven rows
// from the cell's top and one cell wide, '-' and '+' on the same middle line,
// '%' from its top row to its bottom one.
TEST(OverlayText, HandDrawnMarksStandInTheCapitalsRows) {
    Font font;
    font.setLayout(0, 0, 16, 26, 0, 0, 12, 5);
    VideoDevice device;
    struct Ink {
        int32_t left = 99, right = -1, top = 99, bottom = -1;
    };
    const auto inkOf = [&](const char* text) {
        auto s = device.createSurface(40, 40);
        OverlayText::draw(s.get(), Rect{0, 0, 40, 40}, font, 10, 10, text);
        Ink ink;
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 40; ++x)
                if ((s->pixelAt(x, y) & 0xFFFFFF) != 0) {
                    ink = {std::min(ink.left, x), std::max(ink.right, x), std::min(ink.top, y),
                           std::max(ink.bottom, y)};
                }
        return ink;
    };
    const Ink minus = inkOf("-"), plus = inkOf("+"), percent = inkOf("%");
    for (const Ink& i : {minus, plus, percent}) {
        EXPECT_GE(i.left, 10);
        EXPECT_LT(i.right, 10 + 12);
        EXPECT_GE(i.top, 10);
        EXPECT_LT(i.bottom, 10 + 7);
    }
    EXPECT_EQ(percent.top, 10);
    EXPECT_EQ(percent.bottom, 16);
    EXPECT_EQ(minus.top + minus.bottom, plus.top + plus.bottom) << "one middle line";
    EXPECT_EQ(minus.left + minus.right, plus.left + plus.right) << "the cross centred on the bar";
}

} // namespace
} // namespace vandrel
