// The maker's guide (doc/making-galleries.md) against the key table: every
// key of gallery.toml is in the guide with the type, range and default the
// table gives it, and the guide names no key the table lacks. Its limits are
// the ones the kit reader and checker hold kits to.
#include "kit/KitFiles.h"
#include "kit/KitKeys.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace vandrel::kit {
namespace {

std::string guideText() {
    std::ifstream in(test::kitsFolder().parent_path().parent_path() / "doc" / "making-galleries.md", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string trim(std::string_view s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

// A row of the guide's key tables: `| \`name\` | type | range | default | meaning |`.
struct Row {
    std::string type, range, fallback;
};

// The rows under "## Every key", by section: a "### " heading naming `[name]`
// or `[[name]]` starts that section's table, any other heading the top's.
std::map<std::pair<std::string, std::string>, Row> guideRows(const std::string& guide) {
    std::map<std::pair<std::string, std::string>, Row> rows;
    std::istringstream lines(guide);
    bool inKeys = false;
    std::string section;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("## ")) inKeys = line == "## Every key";
        if (!inKeys) continue;
        if (line.starts_with("### ")) {
            const size_t open = line.find("`[");
            const size_t close = line.find("]`");
            section = open == std::string::npos || close == std::string::npos ? std::string()
                                                                              : line.substr(open + 2, close - open - 2);
            if (section.starts_with('[')) section = section.substr(1, section.size() - 2);
            continue;
        }
        if (!line.starts_with("| `")) continue;
        std::vector<std::string> cells;
        std::istringstream parts(line.substr(1));
        for (std::string cell; std::getline(parts, cell, '|');) cells.push_back(trim(cell));
        EXPECT_GE(cells.size(), 5u) << line;
        if (cells.size() < 5) continue;
        const std::string key = cells[0].substr(1, cells[0].size() - 2);
        EXPECT_TRUE(rows.emplace(std::pair(section, key), Row{cells[1], cells[2], cells[3]}).second)
            << "[" << section << "] " << key << " twice in the guide";
    }
    return rows;
}

// What the guide's row says for a key of the table.
Row expectedRow(const Key& k) {
    Row row;
    row.type = describe(k.type);
    const std::string lowest = std::to_string(k.lowest);
    const std::string highest = std::to_string(k.highest);
    switch (k.type) {
    case KeyType::Whole: row.range = k.lowest == k.highest ? lowest : lowest + " to " + highest; break;
    case KeyType::Text: row.range = lowest + " to " + highest + " bytes"; break;
    case KeyType::Switch: row.range = "true or false"; break;
    case KeyType::Choice:
        for (const std::string_view word : k.choices)
            row.range += (row.range.empty() ? "\"" : ", \"") + std::string(word) + "\"";
        break;
    case KeyType::File: row.range = describe(k.wants); break;
    case KeyType::Files:
        row.range = lowest + " to " + highest + " files, each " + std::string(describe(k.wants));
        break;
    case KeyType::Numbers: row.range = "each " + lowest + " to " + highest; break;
    case KeyType::Name: row.range = "-"; break;
    }
    row.fallback = k.hasDefault ? defaultText(k) : k.required ? "required" : "-";
    if (k.hasDefault) row.fallback = "`" + row.fallback + "`";
    return row;
}

std::string asMarkdown(const Key& k, const Row& r) {
    return "| `" + std::string(k.name) + "` | " + r.type + " | " + r.range + " | " + r.fallback + " | " +
           std::string(k.meaning) + " |";
}

TEST(KitGuide, NamesEveryKeyWithTheTablesTypeRangeAndDefault) {
    const std::string guide = guideText();
    ASSERT_FALSE(guide.empty()) << "doc/making-galleries.md is missing";
    auto rows = guideRows(guide);
    for (const Key& k : keys()) {
        const Row want = expectedRow(k);
        const auto it = rows.find(std::pair(std::string(k.section), std::string(k.name)));
        if (it == rows.end()) {
            ADD_FAILURE() << "the guide lacks [" << k.section << "] " << k.name << "; its row:\n"
                          << asMarkdown(k, want);
            continue;
        }
        const Row& got = it->second;
        EXPECT_EQ(got.type, want.type) << "[" << k.section << "] " << k.name;
        EXPECT_EQ(got.range, want.range) << "[" << k.section << "] " << k.name;
        EXPECT_EQ(got.fallback, want.fallback) << "[" << k.section << "] " << k.name;
        rows.erase(it);
    }
    for (const auto& [place, row] : rows)
        ADD_FAILURE() << "the guide names [" << place.first << "] " << place.second << ", which no kit has";
}

TEST(KitGuide, NamesTheSectionsAndLimitsOfTheReader) {
    const std::string guide = guideText();
    for (const Section& s : sections()) {
        if (s.name.empty()) continue;
        const std::string heading = s.form == SectionForm::List ? "### `[[" + std::string(s.name) + "]]`"
                                                                : "### `[" + std::string(s.name) + "]`";
        EXPECT_NE(guide.find(heading), std::string::npos) << heading;
    }
    // Each limit as the guide states it in its list of limits.
    const std::string mib = " MiB";
    for (const std::string& limit :
         {std::to_string(limits::minLayerWidth) + " pixels wide",
          std::to_string(limits::maxPictureSide) + " pixels a side",
          std::to_string(limits::maxPicturePixels / (1024 * 1024)) + " million pixels",
          std::to_string(limits::maxFramesPerAnimation) + " frames in one animation",
          std::to_string(limits::maxFrames) + " frames in the whole kit",
          std::to_string(limits::maxFileBytes / (1024 * 1024)) + mib + " a file",
          std::to_string(limits::maxKitBytes / (1024 * 1024)) + mib + " for the whole kit",
          std::to_string(limits::maxManifestBytes / (1024 * 1024)) + mib + " for gallery.toml",
          std::to_string(limits::maxKitFiles) + " files", std::to_string(limits::maxNesting) + " deep"})
        EXPECT_NE(guide.find(limit), std::string::npos) << "the guide does not say \"" << limit << "\"";
    for (const Section& s : sections()) {
        if (s.form != SectionForm::List) continue;
        EXPECT_NE(guide.find("| `[[" + std::string(s.name) + "]]` | " + std::to_string(s.lowest) + " to " +
                             std::to_string(s.highest) + " |"),
                  std::string::npos)
            << "the count of [[" << s.name << "]] entries";
    }
}

} // namespace
} // namespace vandrel::kit
