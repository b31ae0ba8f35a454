// Any bytes as the stored high-score table. The first byte says whether the
// check value is the right one for the text (so the rows are parsed) or is
// taken from the next 16 bytes; the rest is the stored text value as it lies
// on disk. A table read from a text it accepts must read back the same from
// the text it would save.
// fuzz-libs: vandrel_scores vandrel_video vandrel_config vandrel_system
#include "StoreSandbox.h"
#include "system/FileStore.h"
#include "scores/HighscoreTable.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

namespace {

constexpr char gameName[] = "fuzz";

void writeFile(const std::filesystem::path& path, const void* bytes, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

struct StoredTable {
    vandrel::FileStore files{{}, vandrel::fuzz::storeSandbox()};
    std::filesystem::path text;
    std::filesystem::path check;

    StoredTable() {
        auto key = files.create(vandrel::HighscoreStorage::keyPath(gameName));
        if (!key) std::abort();
        const auto& folder = static_cast<const vandrel::FileStoreKey&>(*key);
        text = folder.valueFile("highscore", vandrel::StoreType::String);
        check = folder.valueFile("check", vandrel::StoreType::Binary);
    }

    void store(const void* bytes, size_t size, const vandrel::HighscoreStorage::Check& value) {
        writeFile(text, bytes, size);
        writeFile(check, value.data(), value.size());
    }
};

// Loads what is stored and checks that every row is whole.
void load(vandrel::HighscoreTable& table) {
    // Stored bytes that do not load leave the defaults, which are checked the same.
    static_cast<void>(table.loadFromRegistry(gameName));
    const vandrel::HighscoreRows& rows = table.rows();
    if (rows.count() < 0 || rows.count() > vandrel::HighscoreRows::maxRows) std::abort();
    for (int32_t i = 0; i < rows.count(); ++i) {
        const char* name = rows.name(i);
        if (std::memchr(name, 0, vandrel::HighscoreRows::nameSize) == nullptr) std::abort(); // ends inside its field
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static StoredTable stored;
    if (size == 0) return 0;
    const bool rightCheck = data[0] & 1;
    ++data;
    --size;
    vandrel::HighscoreStorage::Check check{};
    if (rightCheck) {
        // The check covers the text up to its terminating zero.
        std::string_view body(reinterpret_cast<const char*>(data), size);
        check = vandrel::HighscoreStorage::checkValue(body.substr(0, body.find('\0')), gameName);
    } else {
        if (size < check.size()) return 0;
        std::memcpy(check.data(), data, check.size());
        data += check.size();
        size -= check.size();
    }
    stored.store(data, size, check);

    vandrel::HighscoreTable table(stored.files);
    load(table);
    const std::string saved = table.rows().text();
    if (!rightCheck) return 0;

    stored.store(saved.c_str(), saved.size() + 1, vandrel::HighscoreStorage::checkValue(saved, gameName));
    vandrel::HighscoreTable again(stored.files);
    load(again);
    const vandrel::HighscoreRows& before = table.rows();
    const vandrel::HighscoreRows& after = again.rows();
    if (after.count() != before.count() || again.rows().text() != saved) std::abort(); // a saved table reads back
    for (int32_t i = 0; i < before.count(); ++i) {
        if (std::strcmp(after.name(i), before.name(i)) != 0 || after.score(i) != before.score(i)) std::abort();
    }
    return 0;
}
