// The high-score table as the session holds it: its rows, where they are stored,
// and the screen that shows them and takes a new name.
#pragma once
#include "scores/HighscoreRows.h"
#include "scores/HighscoreScreen.h"
#include "scores/HighscoreStorage.h"

#include <string>
#include <string_view>

namespace vandrel {

class HighscoreHost;
class Store;

class HighscoreTable {
public:
    // The table loads from and saves to store, which outlives it.
    explicit HighscoreTable(Store& store) : storage_(store), screen_(rows_, storage_) {}
    HighscoreTable(const HighscoreTable&) = delete;
    HighscoreTable& operator=(const HighscoreTable&) = delete;

    // The owning session; called once by the session's constructor.
    void attach(HighscoreHost& host) { screen_.attach(host); }

    // Loads the table stored under tableName (see HighscoreStorage::load); rows
    // that are replaced end a name being typed into one of them.
    [[nodiscard]] bool loadFromRegistry(std::string_view tableName);
    // Stores the table under tableName, or under the name it was last loaded
    // with: the game saves when a name has been entered and when the program ends.
    [[nodiscard]] bool saveToRegistry(std::string_view tableName) { return storage_.saveAs(tableName, rows_); }
    [[nodiscard]] bool save() { return storage_.save(rows_); }

    // The rows a new table starts with, before another gallery's table is
    // loaded: one with nothing stored must not show the rows of the last.
    void startOver() {
        rows_ = HighscoreRows();
        screen_.endEntry();
    }

    const HighscoreRows& rows() const { return rows_; }
    HighscoreRows& rows() { return rows_; }
    // The screen that shows the rows and takes a new name.
    HighscoreScreen& screen() { return screen_; }
    const HighscoreScreen& screen() const { return screen_; }
    Surface& picture() { return screen_.picture(); }
    const Surface& picture() const { return screen_.picture(); }

private:
    HighscoreRows rows_;
    HighscoreStorage storage_;
    HighscoreScreen screen_;
};

} // namespace vandrel
