// Reading a gallery kit's manifest and checking the whole kit against the
// key table: every problem found, not the first one only, each with the
// file, line and column it is at and a hint where one helps, and what the
// kit holds.
#pragma once
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace vandrel::kit {

struct Problem {
    std::string file; // kit-relative, or the kit itself for what concerns it whole
    int32_t line = 0; // 0: the file as a whole
    int32_t column = 0;
    bool error = true; // else a warning
    std::string message;

    // "file:line:column: error: message", or "file: error: message".
    std::string text() const;
};

struct KitSummary {
    int32_t layers = 0;
    int32_t animations = 0;
    int32_t frames = 0;
    int32_t figureTypes = 0;
    int32_t sounds = 0;
    // [gallery]'s name and table-name as the manifest gives them (checked or
    // not: a kit with errors may hold anything here).
    std::string name;
    std::string tableName;
};

struct KitReport {
    std::vector<Problem> problems; // in the order they were found
    KitSummary found;

    int32_t errors() const;
    int32_t warnings() const;
};

// Checks the kit folder or zip at path.
KitReport checkKit(const std::string& path);

// `vandrel --check`: prints every problem and the summary to out and returns
// the exit code: 0 clean, 1 with errors (or, when strict, with warnings).
int runKitCheck(const std::string& path, bool strict, std::ostream& out);

} // namespace vandrel::kit
