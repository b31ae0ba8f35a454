// The pack command line: build, append, list and extract the data archive.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace vandrel::pack {

// Runs one command; returns the exit status (0 done, 1 unreadable or
// unwritable input, 2 usage error). Listings go to out, complaints to err.
int runPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vandrel::pack
