// The game's version and the git description of the source it was built from,
// filled in at build time for `vandrel --version`.
#pragma once

namespace vandrel {

extern const char* const version;
extern const char* const buildDescription;

} // namespace vandrel
