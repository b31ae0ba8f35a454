// Where the high-score rows are kept: a text and its check value under the table's
// name in the store, written twice (a backup pair first) so that a save cut short
// anywhere leaves a whole table behind, and read back only when the check matches.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vandrel {

class HighscoreRows;
class Store;
class StoreKey;

class HighscoreStorage {
public:
    static constexpr std::size_t textBufferSize = 10240; // longest stored text accepted
    static constexpr std::size_t checkSize = 16;
    using Check = std::array<uint8_t, checkSize>;
    // The two values the table is stored as under its key: the text and its check.
    static constexpr const char* textValueName = "highscore";
    static constexpr const char* checkValueName = "check";

    // Loads from and saves to store, which outlives the storage.
    explicit HighscoreStorage(Store& store) : store_(store) {}

    // Loads the table stored under tableName into rows: the main pair when its
    // check value matches, else the backup pair when its does; where the store
    // has more than one place for the name, from the first that holds a valid
    // pair (saves go to create()'s key, the first place). Missing, mistyped
    // or oversized values leave the rows as they are (false); a stored table whose
    // check value does not match (and no valid backup) empties them (true). A name
    // that could reach outside the store (path separators, "..", control
    // characters, empty) loads and saves nothing. Either way the name is kept for save().
    [[nodiscard]] bool load(std::string_view tableName, HighscoreRows& rows);
    // Stores rows under tableName: first the backup pair, then the main pair, each
    // value atomically. A failure is said once on stderr, until a save succeeds.
    [[nodiscard]] bool saveAs(std::string_view tableName, const HighscoreRows& rows);
    // Stores rows under the name last loaded.
    [[nodiscard]] bool save(const HighscoreRows& rows) { return saveAs(storedName_, rows); }

    // The check value of a stored text under a table name.
    static Check checkValue(std::string_view text, std::string_view tableName);
    // The store key of a table name.
    static std::string keyPath(std::string_view tableName);
    // Where the table stored under tableName lives (or will live) in store.
    static std::string storeLocation(const Store& store, std::string_view tableName);
    // Whether a table name may be used as a store key at all.
    static bool isUsableName(std::string_view tableName);

private:
    enum class PairState { Missing, Mismatch, Valid };
    // One stored pair of text and check value: missing (or mistyped, oversized),
    // present with a check that does not match, or valid with its text in body.
    static PairState readPair(const StoreKey& key, const char* textName, const char* checkName,
                              std::string_view tableName, std::string& body);
    // The table under one key: the main pair, or the backup pair when only it is valid.
    static PairState readTable(const StoreKey& key, std::string_view tableName, std::string& body);
    void reportSaveFailure(const std::string& where, const char* what);

    Store& store_;
    // The name the table was last loaded under; save() uses it at the program's
    // end, when the session's set-up record may already be cleared.
    std::string storedName_;
    bool saveFailureReported_ = false;
};

} // namespace vandrel
