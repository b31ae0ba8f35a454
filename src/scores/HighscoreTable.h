// The table of the ten best scores: its screen with the opening wipe from the last
// game frame, the name entry for a new score, and its storage with a check value.
#pragma once
#include "gfx/Surface.h"
#include "platform/Rect.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vandrel {

class HighscoreHost;
class Store;
class StoreKey;
class VideoSurface;

// The table is itself a Surface: its pixels are the high-score screen's picture,
// loaded by the session from the archive.
class HighscoreTable : public Surface {
public:
    static constexpr int32_t maxRows = 10;
    static constexpr int32_t nameSize = 12;              // 11 characters and the zero
    static constexpr std::size_t textBufferSize = 10240; // longest stored text accepted
    static constexpr std::size_t checkSize = 16;
    using Check = std::array<uint8_t, checkSize>;

    // The table loads from and saves to store, which outlives it.
    explicit HighscoreTable(Store& store);
    ~HighscoreTable();
    HighscoreTable(const HighscoreTable&) = delete;
    HighscoreTable& operator=(const HighscoreTable&) = delete;

    // The owning session; called once by the session's constructor.
    void attach(HighscoreHost& host);

    // Called each time the high-score screen opens, before the pending score and
    // the snapshot are handed over.
    void reset();

    // Loads the table stored under tableName: the main pair when its check value
    // matches, else the backup pair when its does. Missing, mistyped or oversized
    // values leave the rows as they are (false); a stored table whose check value
    // does not match (and no valid backup) empties the table (true). A name that could reach outside the store
    // (path separators, "..", control characters, empty) loads and saves nothing.
    bool loadFromRegistry(std::string_view tableName);
    // Stores the table under tableName: first the backup pair, then the main
    // pair, each value atomically, so a save cut short anywhere leaves the whole
    // old or the whole new table to load. A failure is said once on stderr.
    bool saveToRegistry(std::string_view tableName);
    // Stores the table under the name it was last loaded with: the game calls it
    // when a name has been entered and when the program ends.
    bool save();

    // One frame of the high-score screen into dest, within clip.
    void draw(VideoSurface* dest, const Rect* clip);

    // A typed character; Enter (vk::Return) also comes from a left click.
    void typeChar(int32_t ch);

    // Releases the screen picture and the snapshot; the rows stay.
    void clear();

    // The stored text: one "name, score\n" line per row.
    std::string tableText() const;
    // The check value of a stored text under a table name.
    static Check checkValue(std::string_view text, std::string_view tableName);
    // The store key of a table name.
    static std::string keyPath(std::string_view tableName);
    // Where the table stored under tableName lives (or will live) in store.
    static std::string storeLocation(const Store& store, std::string_view tableName);
    // Whether a table name may be used as a store key at all.
    static bool isUsableName(std::string_view tableName);

    // The rows, then the screen: the wipe, the snapshot and the row being named.
    HighscoreHost* session = nullptr;
    char names[maxRows][nameSize] = {};
    int32_t scores[maxRows] = {};
    int32_t count = 0;
    int32_t framesShown = 0;
    int32_t revealX = -1;                   // left edge of the right-most column the wipe revealed
    uint32_t wipeStart = 0;                 // tick count when the wipe began; 0 = not begun
    std::unique_ptr<VideoSurface> snapshot; // the last game frame, owned here
    int32_t pendingScore = 0;               // score of the round just ended; 0 = none
    bool inserted = false;                  // the pending score has been dealt with
    bool done = false;                      // the player confirmed leaving the screen
    int32_t cursorY = 0;                    // y of the row being named; 0 = no cursor
    int32_t editIndex = -1;                 // row being named; -1 = none

private:
    enum class PairState { Missing, Mismatch, Valid };
    // One stored pair of text and check value: missing (or mistyped, oversized),
    // present with a check that does not match, or valid with its text in body.
    static PairState readPair(const StoreKey& key, const char* textName, const char* checkName,
                              std::string_view tableName, std::string& body);
    void reportSaveFailure(const std::string& where, const char* what);
    void insertPending();
    bool wipeRunning() const;
    void drawWipe(VideoSurface* dest, const Rect& clip, int32_t width, int32_t height);
    void drawTable(VideoSurface* dest, const Rect& clip, int32_t width, int32_t height);
    void parseText(std::string_view text);

    Store& store_;
    // The name the table was last loaded under; save() uses it at the program's
    // end, when the session's set-up record may already be cleared.
    std::string storedName_;
    bool saveFailureReported_ = false; // said once on stderr until a save succeeds again
};

} // namespace vandrel
