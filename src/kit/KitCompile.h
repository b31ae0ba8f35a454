// Compiling a gallery kit into the game's own data set (the seven entries as
// the game reads them) and writing that set as a zip, and the opposite way:
// a data set written out as a kit folder a maker can start from. Pictures
// already in the set's own form (a JPEG colour picture with its PNG mask) and
// Ogg Vorbis sounds are carried byte for byte both ways, so a set exported
// and compiled again comes back with the same bytes. A PNG (with alpha or
// not, a whole picture or a strip of frames) becomes a JPEG and its mask.
#pragma once
#include "kit/KitCheck.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace vandrel::kit {

struct DataEntry {
    std::string name;
    std::vector<uint8_t> bytes;
};

struct CompiledKit {
    std::vector<DataEntry> entries; // in the data set's order; empty when the kit has errors
    std::vector<Problem> problems;  // the checker's, then the compiler's own

    bool ok() const { return !entries.empty(); }
};

// Checks and compiles the kit folder or zip at path.
CompiledKit compileKit(const std::string& path);

// Writes the entries as a zip the way the game's own set is packed (deflate 9,
// no dates, in order), so the same entries always give the same bytes.
bool writeDataSet(const std::string& path, const std::vector<DataEntry>& entries, std::string& why);

// Writes the data set of the file at dataPath (a zip or an executable with one
// appended) as a kit into the folder dir, made when missing. False with why set.
bool exportKit(const std::string& dataPath, const std::string& dir, std::string& why);

// Whether path names a kit rather than a data set: a folder, or a zip that
// holds gallery.toml.
bool looksLikeKit(const std::string& path);

// `vandrel --make-data KIT OUT` and `vandrel --export-kit DIR`: the exit code,
// 0 done, 1 with the problems on err.
int runMakeData(const std::string& kit, const std::string& out, std::ostream& err);
int runExportKit(const std::string& dataPath, const std::string& dir, std::ostream& out, std::ostream& err);

} // namespace vandrel::kit
