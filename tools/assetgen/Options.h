// The command line of assetgen: where to write the entries and the preview,
// and the set-up values a test or a packager may override.
#pragma once
#include "Dataset.h"

#include <string>
#include <vector>

namespace vandrel::assetgen {

struct Options {
    std::string outDir;     // the seven entries go here when set
    std::string previewDir; // the review pictures go here when set
    SetupRecord setup;
};

extern const char* const usage;

// False with a message in error when the arguments make no sense.
bool parseArguments(const std::vector<std::string>& args, Options& out, std::string& error);

} // namespace vandrel::assetgen
