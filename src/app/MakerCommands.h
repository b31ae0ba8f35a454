// The gallery maker's commands, which play nothing (--check, --make-data,
// --export-kit), and the data set a played game reads when --data names a
// kit: compiled first, so the loading passes read a data set as always.
#pragma once
#include "app/CommandLine.h"

#include <optional>
#include <string>

namespace vandrel {

// The exit code of a maker's command; nothing when the command line asks for
// something else.
std::optional<int> runMakerCommand(const CommandLine& options, const std::string& exePath);

// The data set to play: the game's own, --data's file, or --data's kit
// compiled into a file that lives as long as the process. Empty, with the
// problems on stderr, when it cannot be played.
std::string playableDataSet(const CommandLine& options, const std::string& exePath);

} // namespace vandrel
