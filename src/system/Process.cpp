// The process helpers for Linux and other POSIX systems; the Windows ones live
// in system/win32.
#ifndef _WIN32
#include "system/Process.h"

#include <filesystem>
#include <system_error>

namespace vandrel {

std::string executablePath(const char* argv0) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && !p.empty()) return p.string();
    return argv0 ? argv0 : "";
}

std::FILE* openFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

void attachParentConsole() {}

} // namespace vandrel
#endif
