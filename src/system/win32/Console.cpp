// Where a windowed Windows program's printed answers go. Vandrel.exe is a
// windowed program, so Windows gives it no console: started from a command
// prompt, --help, --version and --where-scores would print into nothing.
// It borrows the console it was started from instead; started from Explorer
// there is none, and no console window is opened either.
#include "system/Process.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

namespace {

// A stream the starter redirected (into a file or a pipe, as a test or a
// script does) keeps going there. Anything else (no handle, an unusable one,
// or a console handle handed down without the console itself) is not.
bool redirected(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

} // namespace

namespace vandrel {

void attachParentConsole() {
    const bool outRedirected = redirected(STD_OUTPUT_HANDLE);
    const bool errRedirected = redirected(STD_ERROR_HANDLE);
    if (outRedirected && errRedirected) return;
    // Fails when the starter has no console (Explorer, a shortcut): then
    // nothing is printed anywhere, as before, and no window flashes up.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    // Each stream on its own: `Vandrel.exe --where-scores > key.txt` still
    // shows its errors in the console.
    if (!outRedirected && std::freopen("CONOUT$", "w", stdout)) std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!errRedirected && std::freopen("CONOUT$", "w", stderr)) std::setvbuf(stderr, nullptr, _IONBF, 0);
}

} // namespace vandrel
