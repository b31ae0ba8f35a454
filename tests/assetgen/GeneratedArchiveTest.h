// Test fixture: the entries the build wrote, packed once per test suite into
// an archive the game's own loaders open.
#pragma once
#include "DatasetFiles.h"

#include "data/BlockReader.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vandrel::test {

class GeneratedArchiveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::vector<std::pair<std::string, Bytes>> entries;
        for (const char* name : entryNames) entries.push_back({name, builtEntry(name)});
        archive = new TestArchive(entries);
    }
    static void TearDownTestSuite() {
        delete archive;
        archive = nullptr;
    }
    BlockReader& open(const char* name) { return archive->entry(name); }

private:
    static inline TestArchive* archive = nullptr;
};

} // namespace vandrel::test
