// The stored high-score table: the text and its MD5-based check value, the backup
// pair, and the one report of a save that failed.
#include "scores/HighscoreStorage.h"

#include "data/Credits.h"
#include "system/Store.h"
#include "scores/HighscoreRows.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <md5.h>

namespace vandrel {

namespace {

constexpr char checkPrefix[] = "silent harbor(s)";
constexpr uint8_t checkMask = 0xA7;
constexpr char keyPrefix[] = "Software\\Orvandel\\";
// The backup pair: the same table, written before the main pair, so that a save
// cut short anywhere leaves one whole pair behind. Older builds never look at it.
constexpr char previousTextValue[] = "highscore.previous";
constexpr char previousCheckValue[] = "check.previous";

} // namespace

HighscoreStorage::Check HighscoreStorage::checkValue(std::string_view text, std::string_view tableName) {
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

std::string HighscoreStorage::keyPath(std::string_view tableName) {
    return std::string(keyPrefix) + std::string(tableName);
}

bool HighscoreStorage::isUsableName(std::string_view tableName) { return Store::isSafeName(tableName); }

std::string HighscoreStorage::storeLocation(const Store& store, std::string_view tableName) {
    return store.locate(keyPath(tableName));
}

bool HighscoreStorage::saveAs(std::string_view tableName, const HighscoreRows& rows) {
    if (!isUsableName(tableName)) return false;
    std::string text = rows.text();
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
    if (!key->write(pair(previousTextValue, previousCheckValue)) || !key->write(pair(textValueName, checkValueName))) {
        reportSaveFailure(key->describe(), errno != 0 ? std::strerror(errno) : "the files cannot be written");
        return false;
    }
    saveFailureReported_ = false;
    return true;
}

void HighscoreStorage::reportSaveFailure(const std::string& where, const char* what) {
    // Once, not at every save: the player learns where and why, and plays on.
    if (saveFailureReported_) return;
    saveFailureReported_ = true;
    std::fprintf(stderr, "vandrel: the high-score table could not be saved in %s: %s\n", where.c_str(), what);
}

HighscoreStorage::PairState HighscoreStorage::readPair(const StoreKey& key, const char* textName, const char* checkName,
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

HighscoreStorage::PairState HighscoreStorage::readTable(const StoreKey& key, std::string_view tableName,
                                                        std::string& body) {
    // The main pair when it checks; else the backup pair, which holds the last
    // table whose save was cut short before the main pair was whole again.
    PairState state = readPair(key, textValueName, checkValueName, tableName, body);
    if (state == PairState::Valid) return state;
    std::string previous;
    if (readPair(key, previousTextValue, previousCheckValue, tableName, previous) == PairState::Valid) {
        body = std::move(previous);
        return PairState::Valid;
    }
    return state;
}

bool HighscoreStorage::load(std::string_view tableName, HighscoreRows& rows) {
    storedName_ = std::string(tableName);
    if (!isUsableName(tableName)) return false;
    // The first place in the store that holds a whole table wins: a key that
    // a save cut short left empty, or one holding no pair that checks, does
    // not hide a whole table in the next.
    PairState state = PairState::Missing;
    std::string body;
    for (const auto& key : store_.openEach(keyPath(tableName))) {
        std::string found;
        const PairState s = readTable(*key, tableName, found);
        if (s == PairState::Valid) {
            state = s;
            body = std::move(found);
            break;
        }
        if (s == PairState::Mismatch) state = s;
    }
    if (state == PairState::Missing) return false;
    if (state == PairState::Mismatch)
        rows.clear();
    else
        rows.parse(body);
    return true;
}

} // namespace vandrel
