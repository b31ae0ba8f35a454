// The player's own settings, read from the settings file and written back to
// it as soon as the game changes one. What a file does not say (or says in a
// way that cannot be read) stays unset, so the game falls back to what it
// does without a file; each such line is named once on the report stream.
#pragma once
#include "config/SettingValues.h"
#include "config/SettingsFile.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace vandrel {

class Settings {
public:
    // Settings without a file: nothing is read, nothing is kept.
    Settings() = default;

    // Reads file and names every line it cannot use on report (the file and
    // the line's number). A file that is no settings file at all (a folder, a
    // binary, far too large, unreadable) is left alone: the settings then
    // hold for this session only, and report says so.
    void load(const std::filesystem::path& file, std::ostream& report);

    const std::filesystem::path& file() const { return file_; }
    // No settings file existed when the game started: its very first start.
    bool firstStart() const { return firstStart_; }

    // What the file says, each setting set or left open.
    const SettingValues& values() const { return values_; }
    std::optional<bool> fullScreen() const { return values_.fullScreen(); }
    std::optional<int32_t> windowScale() const { return values_.get(option("window_scale")); }
    std::optional<bool> integerScale() const { return values_.flag(option("integer_scale")); }
    std::optional<bool> linearFilter() const;
    SoundLevels sound() const { return values_.sound(); }
    // The pads: on or off, the stick's dead zone and its speed at full tilt;
    // what the file leaves out is the game's default.
    PadTuning pads() const { return values_.pads(); }

    // A setting the game changes while playing (the table says which): each
    // change is written at once; one that cannot be written is kept for the
    // session, and report hears of it the first time only. Any other setting
    // changes for the session only.
    void change(OptionId id, int32_t value);
    // The player's own choice from an options panel: written to the file
    // whatever the table says of writing back. False when the file could not
    // be written (the value holds for the session, and report heard of it).
    bool choose(OptionId id, int32_t value);
    // A Text setting, the same way; a text it cannot take is not kept.
    void changeText(OptionId id, const std::string& text);
    std::optional<std::string> gallery() const { return values_.text(option("gallery")); }
    void setFullScreen(bool fullScreen);
    void setSound(const SoundLevels& levels);
    // Writes the file (with its commented list of settings) if there is none
    // yet, so the next start is no longer the first.
    void keep();

    // Whether the last write reached the file.
    bool kept() const { return kept_; }

    // The commented list of every setting that a new file starts with.
    static const std::string& commentedTemplate();

private:
    // Sets the value; true when the file's text changed with it.
    bool note(OptionId id, int32_t value);
    void save();

    std::filesystem::path file_;
    std::ostream* report_ = nullptr;
    SettingsFile text_;
    bool writable_ = false;
    bool firstStart_ = false;
    bool kept_ = false;
    bool toldUnwritable_ = false;

    SettingValues values_;
};

} // namespace vandrel
