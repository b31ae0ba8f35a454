// The game's version and the git description of the source it was built from,
// filled in at build time for `vandrel --version`.
#pragma once

namespace vandrel {

extern const char* const kVersion;
extern const char* const kBuildDescription;

} // namespace vandrel
