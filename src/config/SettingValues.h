// Values of the settings, each one set or left open: what the settings file
// says, what the command line says, and the two merged, the command line
// winning. Views in the shapes the game uses them: the screen options, the
// sound levels, the pads' tuning; what is open there is the game's default.
#pragma once
#include "audio/SoundLevels.h"
#include "base/Presentation.h"
#include "config/SettingsTable.h"
#include "input/PadInput.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace vandrel {

class SettingValues {
public:
    std::optional<int32_t> get(OptionId id) const { return values_[id.index]; }
    void set(OptionId id, int32_t value) { values_[id.index] = value; }
    // The value, or the table's default when it is open.
    int32_t valueOr(OptionId id) const { return values_[id.index].value_or(id.option().shown); }
    // A switch's value.
    std::optional<bool> flag(OptionId id) const;
    // A Text setting's value.
    const std::optional<std::string>& text(OptionId id) const { return texts_[id.index]; }
    void setText(OptionId id, std::string value) { texts_[id.index] = std::move(value); }

    // These values, and where they leave one open, lower's.
    SettingValues over(const SettingValues& lower) const;

    // Open: the data set's set-up record decides.
    std::optional<bool> fullScreen() const { return flag(option("fullscreen")); }
    ScreenOptions screen() const;
    SoundLevels sound() const;
    PadTuning pads() const;

private:
    std::array<std::optional<int32_t>, settingsCount> values_{};
    std::array<std::optional<std::string>, settingsCount> texts_{};
};

} // namespace vandrel
