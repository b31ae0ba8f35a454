// Finding the settings file. Windows paths are taken from the system in
// UTF-16, so user names outside the code page work.
#include "config/SettingsLocation.h"

#include "config/SettingsFile.h"

#include <cstdlib>
#include <system_error>

namespace vandrel {

namespace fs = std::filesystem;

fs::path SettingsLocation::userFolder() {
#ifdef _WIN32
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData) return {};
    return fs::path(appData) / L"Vandrel";
#else
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return fs::path(xdg) / "vandrel";
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') return {};
    return fs::path(home) / ".config" / "vandrel";
#endif
}

SettingsLocation SettingsLocation::find(const std::string& configOption, const std::string& exePath) {
    SettingsLocation where;
    std::error_code ec;
    if (!configOption.empty()) {
        where.source_ = Source::CommandLine;
        // Pinned down now: a relative name means the folder the game started in.
        const fs::path given = pathFromUtf8(configOption);
        const fs::path full = fs::absolute(given, ec);
        where.file_ = ec ? given : full;
        return where;
    }
    if (!exePath.empty()) {
        const fs::path beside = pathFromUtf8(exePath).parent_path() / fileName;
        if (fs::exists(fs::symlink_status(beside, ec))) {
            where.source_ = Source::Portable;
            where.file_ = beside;
            return where;
        }
    }
    where.source_ = Source::User;
    const fs::path folder = userFolder();
    // With no place named by the system, the file beside the executable is made.
    where.file_ = folder.empty() ? pathFromUtf8(exePath).parent_path() / fileName : folder / fileName;
    return where;
}

std::string SettingsLocation::describe() const { return pathToUtf8(file_); }

} // namespace vandrel
