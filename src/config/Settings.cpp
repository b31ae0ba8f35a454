// The file read by the table of settings, damaged values named, and changes
// written back. Names this version does not know are left to the file untouched.
#include "config/Settings.h"

#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace vandrel {

namespace fs = std::filesystem;

const std::string& Settings::commentedTemplate() {
    static const std::string text = "# Vandrel's settings: one \"name = value\" to a line; a line starting with\n"
                                    "# '#' or ';' is a comment. A setting left out takes its default, and an\n"
                                    "# option on the command line wins over this file. The game writes back what\n"
                                    "# it changes (Alt+Enter, M, - and +, the gallery) and keeps every other\n"
                                    "# line as it is.\n"
                                    "#\n" +
                                    listSettings("# ");
    return text;
}

std::optional<bool> Settings::linearFilter() const {
    if (const auto v = values_.get(option("filter"))) return *v == 1;
    return std::nullopt;
}

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
        text_.parse(commentedTemplate());
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
    for (std::size_t i = 0; i < settingsCount; ++i) {
        const Option& o = settingsTable[i];
        const auto text = text_.get(o.name);
        if (!text) continue;
        if (o.kind == OptionKind::Text) {
            if (usableText(*text))
                values_.setText(OptionId{i}, *text);
            else
                report << "vandrel: " << name << ":" << text_.lineOf(o.name) << ": " << o.name << " takes "
                       << optionWants(o) << ", not \"" << *text << "\"; the default is used\n";
            continue;
        }
        if (const auto value = readOption(o, *text))
            values_.set(OptionId{i}, *value);
        else
            report << "vandrel: " << name << ":" << text_.lineOf(o.name) << ": " << o.name << " takes "
                   << optionWants(o) << ", not \"" << *text << "\"; the default is used\n";
    }
}

void Settings::change(OptionId id, int32_t value) {
    if (note(id, value)) save();
}

bool Settings::choose(OptionId id, int32_t value) {
    const Option& o = id.option();
    values_.set(id, value);
    const std::string text = optionText(o, value);
    if (text_.get(o.name) == text) return true;
    text_.set(o.name, text);
    save();
    return kept_;
}

bool Settings::note(OptionId id, int32_t value) {
    if (values_.get(id) == value) return false;
    values_.set(id, value);
    if (!id.option().writtenBack) return false;
    text_.set(id.option().name, optionText(id.option(), value));
    return true;
}

void Settings::changeText(OptionId id, const std::string& text) {
    if (values_.text(id) == text || !usableText(text)) return;
    values_.setText(id, text);
    if (!id.option().writtenBack) return;
    text_.set(id.option().name, text);
    save();
}

void Settings::setFullScreen(bool fullScreen) { change(option("fullscreen"), fullScreen ? 1 : 0); }

void Settings::setSound(const SoundLevels& levels) {
    // Only what changed is written, so a level the file leaves out stays out;
    // the file is written once for them all.
    const SoundLevels now = sound();
    bool write = false;
    if (levels.master != now.master) write |= note(option("master_volume"), levels.master);
    if (levels.music != now.music) write |= note(option("music_volume"), levels.music);
    if (levels.effects != now.effects) write |= note(option("effects_volume"), levels.effects);
    if (levels.mute != now.mute) write |= note(option("mute"), levels.mute ? 1 : 0);
    if (levels.muteInBackground != now.muteInBackground)
        write |= note(option("mute_in_background"), levels.muteInBackground ? 1 : 0);
    if (write) save();
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
