// The rows of the high-score table: at most ten names with their scores, best
// first, where a new score goes, what a name may hold, and the text the rows are
// stored as (one "name, score\n" line a row).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vandrel {

class HighscoreRows {
public:
    static constexpr int32_t maxRows = 10;
    static constexpr int32_t nameSize = 12; // 11 characters and the zero

    // The nine rows a new table starts with.
    HighscoreRows();

    int32_t count() const { return count_; }
    // Row i's name (always zero-terminated) and score; i below count().
    const char* name(int32_t i) const { return names_[i]; }
    int32_t score(int32_t i) const { return scores_[i]; }

    // Leaves no row: what a stored table whose check does not match becomes.
    void clear();
    // Adds a row below the last; false when the table is full. A longer name is
    // cut to 11 characters.
    bool append(std::string_view name, int32_t score);
    void setScore(int32_t i, int32_t score);

    // The row score would take: below the rows that have at least as much, or -1
    // when it beats none.
    int32_t rowFor(int32_t score) const;
    // Puts score into rowFor(score) with an empty name, dropping the last row:
    // the row it took, or -1 when it beats none.
    int32_t insert(int32_t score);
    // A typed character into row i's name: letters, digits and blanks while it
    // has fewer than 11, and Backspace (vk::Back) takes the last one away; any
    // other character is ignored.
    void type(int32_t i, int32_t ch);
    // Row i's name has all 11 characters and takes no more.
    bool nameFull(int32_t i) const;

    // The stored text: one "name, score\n" line a row.
    std::string text() const;
    // Replaces the rows by those of a stored text. A name is cut to 11 characters,
    // a score is read as atoi would (clamped to 32 bits), and the first name
    // without a score ends the rows.
    void parse(std::string_view text);

private:
    char names_[maxRows][nameSize] = {};
    int32_t scores_[maxRows] = {};
    int32_t count_ = 0;
};

} // namespace vandrel
