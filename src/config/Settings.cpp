// The settings' names, their values' shapes and ranges, and when the file is
// written. Names this version does not know are left to the file untouched.
#include "config/Settings.h"

#include <charconv>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace vandrel {

namespace fs = std::filesystem;

namespace key {
constexpr const char* fullScreen = "fullscreen";
constexpr const char* windowScale = "window_scale";
constexpr const char* integerScale = "integer_scale";
constexpr const char* filter = "filter";
constexpr const char* masterVolume = "master_volume";
constexpr const char* musicVolume = "music_volume";
constexpr const char* effectsVolume = "effects_volume";
constexpr const char* mute = "mute";
constexpr const char* muteInBackground = "mute_in_background";
constexpr const char* pads = "gamepad";
constexpr const char* padDeadZone = "gamepad_dead_zone";
constexpr const char* padSpeed = "gamepad_speed";
} // namespace key

const char* const Settings::commentedTemplate =
    "# Vandrel's settings: one \"name = value\" to a line; a line starting with\n"
    "# '#' or ';' is a comment. A setting left out takes its default, and an\n"
    "# option on the command line wins over this file. The game writes back what\n"
    "# it changes (Alt+Enter, M, - and +) and keeps every other line as it is.\n"
    "#\n"
    "# fullscreen = yes          yes or no; left out: as the data set says\n"
    "# window_scale = 2          the window at 1 to 16 times the game's size;\n"
    "#                           left out: the largest that fits the desktop\n"
    "# integer_scale = no        full screen: whole multiples only\n"
    "# filter = linear           full screen: linear or nearest\n"
    "# master_volume = 100       0 to 100 (per cent), all sound\n"
    "# music_volume = 100        0 to 100, the music\n"
    "# effects_volume = 100      0 to 100, shots, hits and the magazine\n"
    "# mute = no                 yes: no sound at all\n"
    "# mute_in_background = no   yes: the music too is silent while another\n"
    "#                           window has the focus (the effects always are)\n"
    "# gamepad = yes             no: game pads are ignored\n"
    "# gamepad_dead_zone = 10    0 to 50 (per cent of the stick's travel) that\n"
    "#                           moves nothing\n"
    "# gamepad_speed = 100       10 to 400 (per cent): at 100 the stick at full\n"
    "#                           tilt crosses the screen in 0.7 s\n";

namespace {

std::optional<bool> readSwitch(std::string_view v) {
    if (v == "yes" || v == "true" || v == "on" || v == "1") return true;
    if (v == "no" || v == "false" || v == "off" || v == "0") return false;
    return std::nullopt;
}

std::optional<int32_t> readNumber(std::string_view v, int32_t lowest, int32_t highest) {
    int32_t n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size() || n < lowest || n > highest) return std::nullopt;
    return n;
}

const char* switchText(bool on) { return on ? "yes" : "no"; }

} // namespace

void Settings::load(const fs::path& file, std::ostream& report) {
    *this = Settings();
    file_ = file;
    report_ = &report;
    std::string why;
    const std::string name = pathToUtf8(file);
    switch (text_.read(file, why)) {
    case SettingsFile::ReadResult::Missing:
        firstStart_ = true;
        writable_ = true;
        text_.parse(commentedTemplate);
        return;
    case SettingsFile::ReadResult::Unusable:
        report << "vandrel: the settings file " << name << " " << why
               << "; the game starts with its defaults and keeps no settings this time\n";
        return;
    case SettingsFile::ReadResult::Read: writable_ = true; break;
    }
    for (const SettingsFile::Problem& p : text_.problems())
        report << "vandrel: " << name << ":" << p.line << ": " << p.text << "; the line is left as it is\n";

    // A value that cannot be read is named with its line and then ignored.
    const auto damaged = [&](const char* k, std::string_view wanted) {
        report << "vandrel: " << name << ":" << text_.lineOf(k) << ": " << k << " takes " << wanted << ", not \""
               << *text_.get(k) << "\"; the default is used\n";
    };
    const auto readBool = [&](const char* k, std::optional<bool>& out) {
        if (const auto v = text_.get(k)) {
            out = readSwitch(*v);
            if (!out) damaged(k, "yes or no");
        }
    };
    const auto readWhole = [&](const char* k, int32_t lowest, int32_t highest, int32_t& out) {
        if (const auto v = text_.get(k)) {
            if (const auto n = readNumber(*v, lowest, highest))
                out = *n;
            else
                damaged(k, "a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest));
        }
    };
    readBool(key::fullScreen, fullScreen_);
    if (const auto v = text_.get(key::windowScale)) {
        windowScale_ = readNumber(*v, 1, 16);
        if (!windowScale_) damaged(key::windowScale, "a whole number from 1 to 16");
    }
    readBool(key::integerScale, integerScale_);
    if (const auto v = text_.get(key::filter)) {
        if (*v == "linear" || *v == "nearest")
            linearFilter_ = *v == "linear";
        else
            damaged(key::filter, "linear or nearest");
    }
    readWhole(key::masterVolume, 0, 100, sound_.master);
    readWhole(key::musicVolume, 0, 100, sound_.music);
    readWhole(key::effectsVolume, 0, 100, sound_.effects);
    std::optional<bool> mute = false;
    readBool(key::mute, mute);
    sound_.mute = mute.value_or(false);
    std::optional<bool> muteInBackground = false;
    readBool(key::muteInBackground, muteInBackground);
    sound_.muteInBackground = muteInBackground.value_or(false);

    std::optional<bool> padsOn = true;
    readBool(key::pads, padsOn);
    pads_.enabled = padsOn.value_or(true);
    int32_t deadZone = 10, speed = 100;
    readWhole(key::padDeadZone, 0, 50, deadZone);
    readWhole(key::padSpeed, 10, 400, speed);
    pads_.deadZone = deadZone / 100.0;
    pads_.fullSpeed = PadTuning{}.fullSpeed * speed / 100.0;
}

void Settings::setFullScreen(bool fullScreen) {
    if (fullScreen_ == fullScreen) return;
    fullScreen_ = fullScreen;
    text_.set(key::fullScreen, switchText(fullScreen));
    save();
}

void Settings::setSound(const SoundLevels& levels) {
    if (levels == sound_) return;
    // Only what changed is written, so a level the file leaves out stays out.
    if (levels.master != sound_.master) text_.set(key::masterVolume, std::to_string(levels.master));
    if (levels.music != sound_.music) text_.set(key::musicVolume, std::to_string(levels.music));
    if (levels.effects != sound_.effects) text_.set(key::effectsVolume, std::to_string(levels.effects));
    if (levels.mute != sound_.mute) text_.set(key::mute, switchText(levels.mute));
    if (levels.muteInBackground != sound_.muteInBackground)
        text_.set(key::muteInBackground, switchText(levels.muteInBackground));
    sound_ = levels;
    save();
}

void Settings::keep() {
    if (firstStart_ && !kept_) save();
}

void Settings::save() {
    kept_ = false;
    if (file_.empty()) return;
    std::string why = "is not a settings file";
    if (writable_ && text_.write(file_, why)) {
        kept_ = true;
        return;
    }
    if (report_ && !std::exchange(toldUnwritable_, true))
        *report_ << "vandrel: the settings file " << pathToUtf8(file_) << " " << why
                 << "; the settings hold until the game ends\n";
}

} // namespace vandrel
