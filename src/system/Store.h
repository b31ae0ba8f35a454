// Where the high-score table lives: an interface in the shape of the registry
// (keys holding named, typed values), so each system keeps the table in its own
// place. The entry point picks the store and hands it to the game; nothing below
// it looks one up.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

// The value types the game stores; the numbers are the registry's.
enum class StoreType : uint32_t {
    String = 1, // text followed by its terminating zero
    Binary = 3, // raw bytes
};

struct StoreValue {
    std::string name;
    StoreType type = StoreType::Binary;
    std::vector<uint8_t> bytes;
};

// One opened or created key.
class StoreKey {
public:
    virtual ~StoreKey() = default;

    // Reads a value of at most maxBytes bytes. False when the value is missing,
    // unreadable or longer than maxBytes; nothing larger than maxBytes is read.
    [[nodiscard]] virtual bool read(std::string_view name, StoreValue& out, std::size_t maxBytes) const = 0;

    // Writes all values as one step, as far as the system allows: an interrupted
    // write leaves the previous values in place. A value that changes its type
    // replaces the old one. False when any value could not be written; errno
    // then tells why where the system says.
    [[nodiscard]] virtual bool write(std::span<const StoreValue> values) const = 0;

    // Where the key lives, for the player and the packager.
    virtual std::string describe() const = 0;
};

class Store {
public:
    virtual ~Store() = default;

    // A key or value name that is safe to turn into a folder or file name: not
    // empty, no '/' or '\', no "..", not ".", no control characters. Names that
    // come from the data set are checked with it before they reach any store.
    static bool isSafeName(std::string_view name);

    // Opens an existing key (components separated by '\'); null when there is
    // none or the path holds an unsafe component.
    virtual std::unique_ptr<StoreKey> open(std::string_view keyPath) const = 0;

    // Every existing key that may hold what keyPath names, in the order to read
    // them: the one open() gives first. A reader that finds nothing whole in one
    // goes on to the next. Most stores keep one place per key and give just that.
    virtual std::vector<std::unique_ptr<StoreKey>> openEach(std::string_view keyPath) const;

    // Opens or creates a key; null when it cannot be made.
    virtual std::unique_ptr<StoreKey> create(std::string_view keyPath) const = 0;

    // Where a key lives, or would be created; reads only.
    virtual std::string locate(std::string_view keyPath) const = 0;
};

} // namespace vandrel
