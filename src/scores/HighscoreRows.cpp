// The high-score rows: the defaults, insertion of a new score, name entry, and the
// stored text both ways.
#include "scores/HighscoreRows.h"

#include "input/Messages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace vandrel {

namespace {

struct DefaultRow {
    const char* name;
    int32_t score;
};
constexpr DefaultRow defaultRows[] = {
    {"Jorvane", 900}, {"Istro", 800}, {"Halvo", 700}, {"Gurim", 600}, {"Fenoli", 500},
    {"Elvarn", 400},  {"Danto", 300}, {"Corvi", 200}, {"Ardel", 100},
};

// Reads a decimal number the way the C runtime's atoi does (leading blanks, a sign,
// digits), but never past the end of the text, and clamped to 32 bits.
int32_t readNumber(std::string_view text, std::size_t pos) {
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int64_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos++] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            value = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

bool isEntryChar(int32_t ch) {
    return ch == 32 || (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

} // namespace

HighscoreRows::HighscoreRows() {
    for (const DefaultRow& row : defaultRows) append(row.name, row.score);
}

void HighscoreRows::clear() {
    std::memset(names_, 0, sizeof names_);
    std::memset(scores_, 0, sizeof scores_);
    count_ = 0;
}

bool HighscoreRows::append(std::string_view name, int32_t score) {
    if (count_ >= maxRows) return false;
    char* field = names_[count_];
    std::memset(field, 0, nameSize);
    std::memcpy(field, name.data(), std::min<std::size_t>(name.size(), nameSize - 1));
    scores_[count_] = score;
    ++count_;
    return true;
}

void HighscoreRows::setScore(int32_t i, int32_t score) {
    if (i >= 0 && i < count_) scores_[i] = score;
}

int32_t HighscoreRows::rowFor(int32_t score) const {
    for (int32_t i = 0; i < count_; ++i)
        if (scores_[i] < score) return i;
    return -1;
}

int32_t HighscoreRows::insert(int32_t score) {
    const int32_t i = rowFor(score);
    if (i < 0) return -1;
    for (int32_t j = count_ - 1; j > i; --j) {
        std::memcpy(names_[j], names_[j - 1], nameSize);
        scores_[j] = scores_[j - 1];
    }
    std::memset(names_[i], 0, nameSize);
    scores_[i] = score;
    return i;
}

void HighscoreRows::type(int32_t i, int32_t ch) {
    if (i < 0 || i >= maxRows) return;
    char* name = names_[i];
    std::size_t length = std::strlen(name);
    if (ch == static_cast<int32_t>(vk::Back)) {
        if (length > 0) name[length - 1] = 0;
    } else if (isEntryChar(ch) && length < nameSize - 1) {
        name[length] = static_cast<char>(ch);
        name[length + 1] = 0;
    }
}

bool HighscoreRows::nameFull(int32_t i) const {
    return i >= 0 && i < maxRows && std::strlen(names_[i]) >= nameSize - 1;
}

std::string HighscoreRows::text() const {
    std::string text;
    for (int32_t i = 0; i < count_; ++i) {
        char line[nameSize + 32];
        std::snprintf(line, sizeof line, "%.*s, %d\n", nameSize - 1, names_[i], scores_[i]);
        text += line;
    }
    return text;
}

void HighscoreRows::parse(std::string_view text) {
    clear();
    std::size_t pos = 0;
    while (count_ < maxRows) {
        std::size_t comma = text.find(',', pos);
        std::size_t nameEnd = comma == std::string_view::npos ? text.size() : comma;
        std::size_t nameLength = std::min<std::size_t>(nameEnd - pos, nameSize - 1);
        // Past the comma and the blank after it; a name without a score is no row.
        std::size_t scoreAt = nameEnd + 2;
        if (scoreAt >= text.size()) break;
        append(text.substr(pos, nameLength), readNumber(text, scoreAt));
        std::size_t lineEnd = text.find('\n', scoreAt);
        if (lineEnd == std::string_view::npos || lineEnd + 1 >= text.size()) break;
        pos = lineEnd + 1;
    }
}

} // namespace vandrel
