// Where the player's settings file is: the one the command line names; else a
// vandrel.ini beside the executable, when there is one (a portable copy keeps
// its settings with it); else the system's place for a user's settings.
#pragma once
#include <filesystem>
#include <string>

namespace vandrel {

class SettingsLocation {
public:
    static constexpr const char* fileName = "vandrel.ini";

    enum class Source { CommandLine, Portable, User };

    // configOption: --config's value (UTF-8), empty when not given; exePath:
    // the executable's path as executablePath() gives it.
    static SettingsLocation find(const std::string& configOption, const std::string& exePath);

    // $XDG_CONFIG_HOME/vandrel (default ~/.config/vandrel) on Linux and other
    // POSIX systems, %APPDATA%\Vandrel on Windows; in the browser the page sets
    // XDG_CONFIG_HOME to its stored folder. Empty when the system names none.
    static std::filesystem::path userFolder();

    const std::filesystem::path& file() const { return file_; }
    Source source() const { return source_; }
    // The file, as --where-settings prints it (UTF-8).
    std::string describe() const;

private:
    std::filesystem::path file_;
    Source source_ = Source::User;
};

} // namespace vandrel
