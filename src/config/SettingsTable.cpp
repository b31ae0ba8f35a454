// Reading and writing the values the table describes, and its list as text.
#include "config/SettingsTable.h"

#include "config/SettingValues.h"

#include <algorithm>
#include <charconv>

namespace vandrel {

std::optional<int32_t> readOption(const Option& option, std::string_view text) {
    switch (option.kind) {
    case OptionKind::Switch:
        if (text == "yes" || text == "true" || text == "on" || text == "1") return 1;
        if (text == "no" || text == "false" || text == "off" || text == "0") return 0;
        return std::nullopt;
    case OptionKind::Whole: {
        int32_t n = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (ec != std::errc() || end != text.data() + text.size() || n < option.lowest || n > option.highest)
            return std::nullopt;
        return n;
    }
    case OptionKind::Choice:
        for (std::size_t i = 0; i < option.words.size(); ++i)
            if (!option.words[i].empty() && option.words[i] == text) return static_cast<int32_t>(i);
        return std::nullopt;
    case OptionKind::Text: return std::nullopt;
    }
    return std::nullopt;
}

std::string optionWants(const Option& option) {
    switch (option.kind) {
    case OptionKind::Switch: return "yes or no";
    case OptionKind::Whole:
        return "a whole number from " + std::to_string(option.lowest) + " to " + std::to_string(option.highest);
    case OptionKind::Choice: {
        std::string out;
        for (std::size_t i = 0; i < option.words.size() && !option.words[i].empty(); ++i) {
            if (i > 0) out += i + 1 < option.words.size() && !option.words[i + 1].empty() ? ", " : " or ";
            out += option.words[i];
        }
        return out;
    }
    case OptionKind::Text: return "a name of up to " + std::to_string(textLimit) + " characters";
    }
    return {};
}

bool usableText(std::string_view text) {
    if (text.empty() || text.size() > textLimit || text.front() == ' ' || text.back() == ' ') return false;
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

std::string optionText(const Option& option, int32_t value) {
    switch (option.kind) {
    case OptionKind::Switch: return value != 0 ? "yes" : "no";
    case OptionKind::Whole: return std::to_string(value);
    case OptionKind::Choice: return std::string(option.words.at(static_cast<std::size_t>(value)));
    case OptionKind::Text: return std::string(option.shownText);
    }
    return {};
}

std::string listSettings(std::string_view prefix) {
    // The descriptions start in one column, wide enough for the longest name,
    // and go on under it in lines of up to 76 characters.
    constexpr std::size_t column = 28;
    constexpr std::size_t width = 76;
    std::string out;
    for (const Option& o : settingsTable) {
        std::string line = std::string(prefix) + std::string(o.name) + " = " + optionText(o, o.shown);
        line.resize(std::max(column, line.size() + 1), ' ');
        bool lineStart = true;
        std::string_view text = o.description;
        while (!text.empty()) {
            const std::size_t space = text.find(' ');
            const std::string_view word = text.substr(0, space);
            text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
            if (!lineStart && line.size() + 1 + word.size() > width) {
                out += line + "\n";
                // Further lines keep the prefix's comment sign, not its text.
                line = std::string(prefix.substr(0, prefix.find_last_not_of(' ') + 1));
                line.resize(column, ' ');
                lineStart = true;
            }
            if (!lineStart) line += ' ';
            line += word;
            lineStart = false;
        }
        out += line + "\n";
    }
    return out;
}

std::optional<bool> SettingValues::flag(OptionId id) const {
    if (const auto v = get(id)) return *v != 0;
    return std::nullopt;
}

SettingValues SettingValues::over(const SettingValues& lower) const {
    SettingValues out = *this;
    for (std::size_t i = 0; i < settingsCount; ++i) {
        if (!out.values_[i]) out.values_[i] = lower.values_[i];
        if (!out.texts_[i]) out.texts_[i] = lower.texts_[i];
    }
    return out;
}

ScreenOptions SettingValues::screen() const {
    ScreenOptions s;
    // Open, the largest window that fits the desktop.
    s.windowScale = get(option("window_scale")).value_or(0);
    s.integerScale = valueOr(option("integer_scale")) != 0;
    s.linearFilter = valueOr(option("filter")) == 1;
    return s;
}

SoundLevels SettingValues::sound() const {
    SoundLevels s;
    s.master = valueOr(option("master_volume"));
    s.music = valueOr(option("music_volume"));
    s.effects = valueOr(option("effects_volume"));
    s.mute = valueOr(option("mute")) != 0;
    s.muteInBackground = valueOr(option("mute_in_background")) != 0;
    return s;
}

PadTuning SettingValues::pads() const {
    PadTuning p;
    p.enabled = valueOr(option("gamepad")) != 0;
    p.deadZone = valueOr(option("gamepad_dead_zone")) / 100.0;
    // At 100 % the tuning's own speed, to the last bit.
    if (const int32_t speed = valueOr(option("gamepad_speed")); speed != 100)
        p.fullSpeed = PadTuning{}.fullSpeed * speed / 100.0;
    return p;
}

} // namespace vandrel
