// What the game asks the system about its own process: where its executable
// is, how to open a file by a name in any script, and where its printed
// answers go.
#pragma once
#include <cstdio>
#include <string>

namespace vandrel {

// The path of the running executable, as the system knows it, whatever the
// command line holds; argv0 only when the system cannot tell. UTF-8 on
// Windows, the file system's own bytes elsewhere.
std::string executablePath(const char* argv0);

// fopen for a path as executablePath() gives it. On Windows the path is
// opened through its wide-character form, so folder and user names outside
// the system's code page work.
std::FILE* openFile(const std::string& path, const char* mode);

// A windowed Windows program has no console of its own: printed answers
// (such as --where-scores) go to the console it was started from, if any.
// Does nothing elsewhere.
void attachParentConsole();

} // namespace vandrel
