// Opening and closing the data set: the located file, the zip on it, its reader.
#include "data/DataSet.h"

#include "base/LoadError.h"
#include "data/BlockReader.h"
#include "data/DataLayout.h"

#include <filesystem>

namespace vandrel {

DataSet::DataSet(const std::string& path) {
    if (path.empty()) throw LoadError();
    try {
        std::FILE* file = locator_.open(path.c_str());
        archiveStart_ = std::ftell(file);
        reader_ = archive_.open(file);
        if (!reader_) throw LoadError();
    } catch (...) {
        // The locator keeps the stream it opened until told, even when it goes.
        locator_.close();
        throw;
    }
}

DataSet::~DataSet() {
    archive_.closeReader(reader_);
    locator_.close();
}

BlockReader& DataSet::openEntry(const char* name) {
    if (!reader_->openEntry(name)) throw LoadError();
    return *reader_;
}

bool DataSet::holdsGame(const std::string& path, std::string& why) {
    if (!std::filesystem::is_regular_file(path)) {
        why = "no such file";
        return false;
    }
    try {
        DataSet data(path);
        for (const char* entry : entryName::all) {
            if (data.entrySize(entry) <= 0) {
                why = std::string("it has no entry ") + entry;
                return false;
            }
        }
        return true;
    } catch (const LoadError&) {
        why = "neither a zip nor an executable with one appended";
        return false;
    }
}

} // namespace vandrel
