// The process helpers on Windows: the executable's path from the system in
// UTF-16, files opened by their wide-character names.
#include "system/Process.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "system/win32/Utf16.h"

#include <cstring>
#include <vector>

namespace vandrel {

std::string executablePath(const char* argv0) {
    // Long paths exceed MAX_PATH; the buffer grows until the whole path fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    while (buffer.size() <= 32768) {
        const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) break;
        if (got < buffer.size()) return narrow(std::wstring_view(buffer.data(), got));
        buffer.resize(buffer.size() * 2);
    }
    return argv0 ? argv0 : "";
}

std::FILE* openFile(const std::string& path, const char* mode) {
    const std::wstring widePath = widen(path);
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    if (widePath.empty()) return nullptr;
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

} // namespace vandrel
