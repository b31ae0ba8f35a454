// Every key of a gallery kit's gallery.toml, declared once: its section, its
// name, the kind and range of its value, the default the game gives it and
// what it means. The checker reads manifests against this table, and the
// maker's documentation and the tests are made from it too; a new key is a
// line here and the code that uses it.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vandrel::kit {

enum class KeyType {
    Text,    // a string; lowest..highest bound its length in bytes
    Whole,   // an integer from lowest to highest
    Switch,  // true or false
    Choice,  // one of the words of `choices`
    File,    // a kit-relative path to a file of the kind `wants` says
    Files,   // a list of such paths (lowest..highest entries)
    Numbers, // a list of integers, each from lowest to highest
    Name,    // a string naming another entry of the manifest (an animation, a figure type)
};

// What the bytes of a named file must be.
enum class FileKind {
    None,
    Png,
    PngOrJpeg,
    Ogg,  // Ogg Vorbis
    Font, // TrueType or OpenType
};

// How a section appears in the manifest.
enum class SectionForm {
    Root,  // the keys before the first table
    Table, // [name], at most once
    List,  // [[name]], once per entry, from lowest to highest entries
};

struct Section {
    std::string_view name = {};
    SectionForm form = SectionForm::Table;
    int32_t lowest = 0; // entries of a list (and 1 for a table the kit needs)
    int32_t highest = 1;
    std::string_view meaning = {};
};

struct Key {
    std::string_view section = {};
    std::string_view name = {};
    KeyType type = KeyType::Text;
    int64_t lowest = 0;
    int64_t highest = 0;
    // The value a manifest that leaves the key out gets (a Choice's is the
    // place of its word, a Switch's 0 or 1, a Text's is `text`). Without
    // one, `required` says whether the kit must give it or the game does
    // without the thing it names.
    bool hasDefault = false;
    int64_t number = 0;
    std::string_view text = {};
    bool required = false;
    std::string_view meaning = {};
    FileKind wants = FileKind::None;
    // The words of a Choice, in the order of the values the game keeps.
    std::span<const std::string_view> choices = {};
};

// The format number a manifest must start with.
inline constexpr int64_t formatVersion = 1;

// The limits an untrusted kit is held to before anything is decoded.
namespace limits {
inline constexpr int32_t minLayerWidth = 640;    // the screen's width: a layer must fill it
inline constexpr int32_t maxPictureSide = 16384; // the decoder's limit on either side
inline constexpr int64_t maxPicturePixels = 16 * 1024 * 1024;
inline constexpr int32_t maxFramesPerAnimation = 256;
inline constexpr int32_t maxFrames = 4096; // in the whole kit
inline constexpr int64_t maxFileBytes = 64LL * 1024 * 1024;
inline constexpr int64_t maxKitBytes = 256LL * 1024 * 1024;
inline constexpr int64_t maxManifestBytes = 1024 * 1024;
inline constexpr int32_t maxKitFiles = 10000;
inline constexpr int32_t maxNesting = 16; // tables and arrays inside each other in gallery.toml
} // namespace limits

std::span<const Section> sections();
std::span<const Key> keys();

const Section* findSection(std::string_view name);
const Key* findKey(std::string_view section, std::string_view name);

// The words a maker reads for a type, a file kind and a key's range
// ("a whole number from 0 to 59", "a PNG or JPEG file").
std::string_view describe(KeyType type);
std::string_view describe(FileKind kind);
// The key's default as gallery.toml spells it ("30", "\"right\"", "false");
// empty when it has none.
std::string defaultText(const Key& key);

} // namespace vandrel::kit
