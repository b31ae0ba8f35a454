// The high-score table: rows, insertion of a new score, name entry, the screen with
// its opening wipe, and storage with the MD5-based check value.
#include "scores/HighscoreTable.h"

#include "data/Credits.h"
#include "gfx/Font.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Store.h"
#include "platform/VideoSurface.h"
#include "scores/HighscoreHost.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <md5.h>
#include <vector>

namespace vandrel {

namespace {

constexpr char checkPrefix[] = "silent harbor(s)";
constexpr uint8_t checkMask = 0xA7;
constexpr char keyPrefix[] = "Software\\Orvandel\\";
constexpr char textValue[] = "highscore";
constexpr char checkValueName[] = "check";
// The backup pair: the same table, written before the main pair, so that a save
// cut short anywhere leaves one whole pair behind. Older builds never look at it.
constexpr char previousTextValue[] = "highscore.previous";
constexpr char previousCheckValue[] = "check.previous";

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

HighscoreTable::HighscoreTable(Store& store) : store_(store) {
    count = 0;
    for (const DefaultRow& row : defaultRows) {
        std::snprintf(names[count], nameSize, "%s", row.name);
        scores[count] = row.score;
        ++count;
    }
    snapshot.reset();
    editIndex = -1;
    cursorY = 0;
    inserted = false;
    done = false;
    reset();
}

HighscoreTable::~HighscoreTable() {
    snapshot.reset();
    clear();
}

void HighscoreTable::attach(HighscoreHost& host) { session = &host; }

void HighscoreTable::reset() {
    revealX = -1;
    framesShown = 0;
    wipeStart = 0;
    pendingScore = 0;
    inserted = false;
}

void HighscoreTable::clear() {
    reset();
    snapshot.reset();
    destroy();
}

std::string HighscoreTable::tableText() const {
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
        char line[nameSize + 32];
        std::snprintf(line, sizeof line, "%.*s, %d\n", nameSize - 1, names[i], scores[i]);
        text += line;
    }
    return text;
}

HighscoreTable::Check HighscoreTable::checkValue(std::string_view text, std::string_view tableName) {
    MD5_CTX ctx;
    MD5Init(&ctx);
    auto add = [&ctx](std::string_view part) {
        MD5Update(&ctx, reinterpret_cast<const uint8_t*>(part.data()), part.size());
    };
    add(checkPrefix);
    add(text);
    add(std::string_view(creditsLine, creditsLineLength));
    add(tableName);
    Check check{};
    MD5Final(check.data(), &ctx);
    for (uint8_t& b : check) b ^= checkMask;
    return check;
}

std::string HighscoreTable::keyPath(std::string_view tableName) {
    return std::string(keyPrefix) + std::string(tableName);
}

bool HighscoreTable::isUsableName(std::string_view tableName) { return Store::isSafeName(tableName); }

std::string HighscoreTable::storeLocation(const Store& store, std::string_view tableName) {
    return store.locate(keyPath(tableName));
}

bool HighscoreTable::save() { return saveToRegistry(storedName_); }

bool HighscoreTable::saveToRegistry(std::string_view tableName) {
    if (!isUsableName(tableName)) return false;
    std::string text = tableText();
    Check check = checkValue(text, tableName);

    auto key = store_.create(keyPath(tableName));
    if (!key) {
        reportSaveFailure(store_.locate(keyPath(tableName)), "the folder cannot be made or written to");
        return false;
    }
    auto pair = [&](const char* textName, const char* checkName) {
        std::array<StoreValue, 2> values;
        values[0].name = textName;
        values[0].type = StoreType::String;
        values[0].bytes.assign(text.begin(), text.end());
        values[0].bytes.push_back(0);
        values[1].name = checkName;
        values[1].type = StoreType::Binary;
        values[1].bytes.assign(check.begin(), check.end());
        return values;
    };
    // The backup pair first: while the main pair is being replaced, the backup
    // already holds the whole new table; while the backup is, the main pair still
    // holds the whole old one.
    errno = 0;
    if (!key->write(pair(previousTextValue, previousCheckValue)) || !key->write(pair(textValue, checkValueName))) {
        reportSaveFailure(key->describe(), errno != 0 ? std::strerror(errno) : "the files cannot be written");
        return false;
    }
    saveFailureReported_ = false;
    return true;
}

void HighscoreTable::reportSaveFailure(const std::string& where, const char* what) {
    // Once, not at every save: the player learns where and why, and plays on.
    if (saveFailureReported_) return;
    saveFailureReported_ = true;
    std::fprintf(stderr, "vandrel: the high-score table could not be saved in %s: %s\n", where.c_str(), what);
}

HighscoreTable::PairState HighscoreTable::readPair(const StoreKey& key, const char* textName, const char* checkName,
                                                   std::string_view tableName, std::string& body) {
    StoreValue text;
    if (!key.read(textName, text, textBufferSize) || text.type != StoreType::String) return PairState::Missing;
    StoreValue stored;
    if (!key.read(checkName, stored, checkSize) || stored.type != StoreType::Binary || stored.bytes.size() != checkSize)
        return PairState::Missing;
    // The text ends at its first zero byte, or at the end of what was stored when
    // an edited value lacks the zero.
    body.assign(reinterpret_cast<const char*>(text.bytes.data()), text.bytes.size());
    body.resize(std::min(body.size(), body.find('\0')));
    Check check = checkValue(body, tableName);
    return std::memcmp(check.data(), stored.bytes.data(), checkSize) == 0 ? PairState::Valid : PairState::Mismatch;
}

bool HighscoreTable::loadFromRegistry(std::string_view tableName) {
    storedName_ = std::string(tableName);
    if (!isUsableName(tableName)) return false;
    auto key = store_.open(keyPath(tableName));
    if (!key) return false;

    // The main pair when it checks; else the backup pair, which holds the last
    // table whose save was cut short before the main pair was whole again.
    std::string body;
    PairState state = readPair(*key, textValue, checkValueName, tableName, body);
    if (state != PairState::Valid) {
        std::string previous;
        if (readPair(*key, previousTextValue, previousCheckValue, tableName, previous) == PairState::Valid) {
            state = PairState::Valid;
            body = std::move(previous);
        }
    }
    if (state == PairState::Missing) return false;

    // The rows are replaced, so a name being typed into one of them is over.
    editIndex = -1;
    cursorY = 0;

    if (state == PairState::Mismatch) {
        std::memset(names, 0, sizeof names);
        std::memset(scores, 0, sizeof scores);
        count = 0;
        return true;
    }
    parseText(body);
    return true;
}

void HighscoreTable::parseText(std::string_view text) {
    std::memset(names, 0, sizeof names);
    std::memset(scores, 0, sizeof scores);
    count = 0;
    std::size_t pos = 0;
    while (count < maxRows) {
        std::size_t comma = text.find(',', pos);
        std::size_t nameEnd = comma == std::string_view::npos ? text.size() : comma;
        std::size_t nameLength = std::min<std::size_t>(nameEnd - pos, nameSize - 1);
        char name[nameSize] = {};
        std::memcpy(name, text.data() + pos, nameLength);
        // Past the comma and the blank after it; a name without a score is no row.
        std::size_t scoreAt = nameEnd + 2;
        if (scoreAt >= text.size()) break;
        std::memcpy(names[count], name, nameSize);
        scores[count] = readNumber(text, scoreAt);
        ++count;
        std::size_t lineEnd = text.find('\n', scoreAt);
        if (lineEnd == std::string_view::npos || lineEnd + 1 >= text.size()) break;
        pos = lineEnd + 1;
    }
}

void HighscoreTable::insertPending() {
    inserted = true;
    for (int32_t i = 0; i < count; ++i) {
        if (scores[i] >= pendingScore) continue;
        for (int32_t j = count - 1; j > i; --j) {
            std::memcpy(names[j], names[j - 1], nameSize);
            scores[j] = scores[j - 1];
        }
        std::memset(names[i], 0, nameSize);
        scores[i] = pendingScore;
        editIndex = i;
        cursorY = 80 + 38 * i;
        return;
    }
}

bool HighscoreTable::wipeRunning() const {
    return session == nullptr || revealX < session->highscoreScreenWidth() - 10;
}

void HighscoreTable::typeChar(int32_t ch) {
    if (wipeRunning()) return;
    if (editIndex < 0 || editIndex >= maxRows) {
        if (ch == static_cast<int32_t>(vk::Return)) done = true;
        return;
    }
    char* name = names[editIndex];
    std::size_t length = std::strlen(name);
    if (ch == static_cast<int32_t>(vk::Return)) {
        editIndex = -1;
        cursorY = 0;
        // Stored at once, so that a reload after a screen mode switch keeps the name.
        save();
    } else if (ch == static_cast<int32_t>(vk::Back)) {
        if (length > 0) name[length - 1] = 0;
    } else if (isEntryChar(ch) && length < nameSize - 1) {
        name[length] = static_cast<char>(ch);
        name[length + 1] = 0;
    }
}

void HighscoreTable::draw(VideoSurface* dest, const Rect* clip) {
    if (dest == nullptr || clip == nullptr || session == nullptr) return;
    int32_t width = session->highscoreScreenWidth();
    int32_t height = session->highscoreScreenHeight();
    if (revealX < width - 10)
        drawWipe(dest, *clip, width, height);
    else
        drawTable(dest, *clip, width, height);
}

void HighscoreTable::drawWipe(VideoSurface* dest, const Rect& clip, int32_t width, int32_t height) {
    framesShown += 1;
    if (framesShown < 10) {
        // The display has settled its flip chain on the last frame; every buffer
        // shows it for a few frames before the wipe starts.
        if (snapshot) dest->blt(&clip, snapshot.get(), &clip, false);
        return;
    }
    if (wipeStart == 0) wipeStart = tickCount();
    uint32_t now = tickCount();
    for (int32_t x = 0; x < width; x += 10) {
        uint32_t t = now - wipeStart;
        auto h = static_cast<int32_t>((std::sin(t * 0.0025 + 1.57075) + 1.0) * (height * 0.5));
        if (h <= 0) {
            revealX = std::max(revealX, x);
            h = 0;
        } else if (x <= revealX) {
            h = 0;
        }
        if (now <= wipeStart) break;
        now -= 20;
        blitPart(dest, clip, x, h, x, 0, 10, Surface::height(), false);
        if (snapshot) {
            Rect from{x, h, x + 10, height};
            Rect to{x, 0, x + 10, h};
            dest->blt(&to, snapshot.get(), &from, false);
        }
    }
}

void HighscoreTable::drawTable(VideoSurface* dest, const Rect& clip, int32_t width, int32_t height) {
    blit(dest, clip, 0, 0, true, 100.0f);
    Font* font = session->highscoreFont();
    auto text = [&](int32_t x, int32_t y, const char* s) {
        if (font) font->drawText(dest, clip, x, y, s, false);
    };
    auto measure = [&](const char* s) { return font ? font->textWidth(s) : 0; };

    text(width / 2 - 110, 10, "Der Highscore");
    if (!inserted) insertPending();
    char number[16];
    for (int32_t i = 0; i < count; ++i) {
        int32_t y = 80 + 38 * i;
        text(40, y, names[i]);
        std::snprintf(number, sizeof number, "%d", scores[i]);
        text(width - measure(number) - 40, y, number);
    }
    bool blink = (tickCount() / 300) % 2 == 1;
    if (pendingScore > 0 && blink) {
        std::snprintf(number, sizeof number, "%d", pendingScore);
        text(width / 2 - measure(number) / 2, height - 40, number);
    }
    if (cursorY != 0 && blink && editIndex >= 0 && editIndex < maxRows)
        text(40 + measure(names[editIndex]), cursorY, "|");
}

} // namespace vandrel
