// The kit checker: gallery.toml read with toml++ (which keeps every value's
// line and column), then every key, every named file and the references
// between entries checked against the key table.
#include "kit/KitCheck.h"

#include "kit/FileSniff.h"
#include "kit/KitKeys.h"
#include "kit/KitSource.h"

// The manifest is read without exceptions, and a nesting deeper than the
// kit's limit is a parse error with its place.
#define TOML_EXCEPTIONS 0
#define TOML_MAX_NESTED_VALUES 16
#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <tuple>

namespace vandrel::kit {
namespace {

static_assert(TOML_MAX_NESTED_VALUES == limits::maxNesting);

constexpr char manifestName[] = "gallery.toml";

std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The closest of the candidates to word, when it is close enough to be a slip.
std::optional<std::string> closest(std::string_view word, const std::vector<std::string>& candidates) {
    std::optional<std::string> best;
    size_t bestDistance = std::max<size_t>(2, word.size() / 3) + 1;
    for (const std::string& c : candidates) {
        const size_t d = editDistance(word, c);
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    return best;
}

std::string didYouMean(std::string_view word, const std::vector<std::string>& candidates) {
    const std::optional<std::string> best = closest(word, candidates);
    return best ? "; did you mean " + inQuotes(*best) + "?" : std::string();
}

std::string_view typeName(const toml::node& node) {
    switch (node.type()) {
    case toml::node_type::table: return "a table";
    case toml::node_type::array: return "a list";
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "a whole number";
    case toml::node_type::floating_point: return "a fractional number";
    case toml::node_type::boolean: return "true or false";
    case toml::node_type::date:
    case toml::node_type::time:
    case toml::node_type::date_time: return "a date or time";
    default: return "nothing";
    }
}

std::string count(int32_t n, std::string_view thing) {
    return std::to_string(n) + " " + std::string(thing) + (n == 1 ? "" : "s");
}

// toml++ 3.3 tells horizontal whitespace from other characters with a
// generated table that has gaps: for these code points it reaches a spot its
// compiler was promised is never reached, and what it then does is undefined.
// It asks only where whitespace may stand: between keys and values, and after
// a backslash in a """ string; in valid TOML none of them stands there.
bool tomlCannotClassify(char32_t c) {
    if (c <= 0xA0 || c > 0xFEFF || c == 0x3000 || c == 0xFEFF) return false;
    const uint64_t group = (static_cast<uint64_t>(c) - 0xA0) / 0x3FA;
    return !((uint64_t{1} << group) & 0x7FFFFFFFFFFFF75Eull) && group != 5 && group != 7;
}

// The first such code point where toml++ would ask about it, with its line and
// column as toml++ counts them (code points from 1); a code point that is not
// valid UTF-8 counts as one, since toml++ stops at it anyway.
struct Unreadable {
    char32_t character = 0;
    toml::source_position at;
};
std::optional<Unreadable> unreadableForToml(std::string_view text) {
    enum class In { Toml, Comment, Basic, Literal, BasicLines, LiteralLines };
    In in = In::Toml;
    bool afterBackslash = false;
    toml::source_position at{1, 1};
    for (size_t i = 0; i < text.size();) {
        const auto byte = [&](size_t k) { return k < text.size() ? static_cast<uint8_t>(text[k]) : 0; };
        const uint8_t lead = byte(i);
        if ((lead >= 0x80 && lead < 0xC0) || lead >= 0xF8) return std::nullopt;
        size_t n = 1;
        char32_t c = lead;
        if (lead >= 0xC0) {
            n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            c = lead & (0x3F >> (n - 1));
            for (size_t k = 1; k < n; ++k) {
                if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
                c = (c << 6) | (byte(i + k) & 0x3F);
            }
        }
        const std::string_view rest = text.substr(i);
        const bool asked = in == In::Toml || (in == In::BasicLines && afterBackslash);
        if (asked && tomlCannotClassify(c)) return Unreadable{c, at};
        size_t take = n;
        switch (in) {
        case In::Toml:
            if (c == '#') in = In::Comment;
            if (rest.starts_with("\"\"\""))
                in = In::BasicLines, take = 3;
            else if (rest.starts_with("'''"))
                in = In::LiteralLines, take = 3;
            else if (c == '"')
                in = In::Basic;
            else if (c == '\'')
                in = In::Literal;
            break;
        case In::Comment:
            if (c == '\n') in = In::Toml;
            break;
        case In::Basic:
            if (c == '\\')
                take += byte(i + 1) == '\n' ? 0 : 1;
            else if (c == '"' || c == '\n')
                in = In::Toml;
            break;
        case In::Literal:
            if (c == '\'' || c == '\n') in = In::Toml;
            break;
        case In::BasicLines:
            // A backslash, then any whitespace and line breaks, then the character asked about.
            if (afterBackslash)
                afterBackslash = c == ' ' || c == '\t' || c == '\r' || c == '\n';
            else if (c == '\\')
                afterBackslash = true;
            else if (rest.starts_with("\"\"\""))
                in = In::Toml, take = 3;
            break;
        case In::LiteralLines:
            if (rest.starts_with("'''")) in = In::Toml, take = 3;
            break;
        }
        for (size_t k = i; k < i + take && k < text.size(); ++k) {
            if (text[k] == '\n') {
                ++at.line;
                at.column = 1;
            } else if ((static_cast<uint8_t>(text[k]) & 0xC0) != 0x80) {
                ++at.column;
            }
        }
        i += take;
    }
    return std::nullopt;
}

std::string sectionLabel(std::string_view section) {
    return section.empty() ? "the top of the manifest" : "[" + std::string(section) + "]";
}

class Checker {
public:
    explicit Checker(const std::string& path) : kitPath_(path) {}

    KitReport run() {
        std::string why;
        source_ = KitSource::open(kitPath_, why);
        if (!source_) {
            fileProblem(kitPath_, true, why);
            return std::move(report_);
        }
        std::optional<std::vector<uint8_t>> manifest;
        if (!source_->holds(manifestName)) {
            fileProblem(kitPath_, true, "holds no gallery.toml at its top");
        } else if (manifest = source_->read(manifestName, why); !manifest) {
            fileProblem(manifestName, true, why);
        } else if (manifest->size() > static_cast<size_t>(limits::maxManifestBytes)) {
            fileProblem(manifestName, true, "is larger than 1 MiB");
        } else {
            checkManifest(*manifest);
        }
        return std::move(report_);
    }

private:
    void add(std::string file, const toml::source_position& at, bool error, std::string message) {
        report_.problems.push_back({std::move(file), static_cast<int32_t>(at.line), static_cast<int32_t>(at.column),
                                    error, std::move(message)});
    }
    void at(const toml::node& node, bool error, std::string message) {
        add(manifestName, node.source().begin, error, std::move(message));
    }
    void at(const toml::key& key, bool error, std::string message) {
        add(manifestName, key.source().begin, error, std::move(message));
    }
    void fileProblem(std::string file, bool error, std::string message) {
        report_.problems.push_back({std::move(file), 0, 0, error, std::move(message)});
    }

    void checkManifest(const std::vector<uint8_t>& bytes) {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (const std::optional<Unreadable> odd = unreadableForToml(text)) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(odd->character));
            add(manifestName, odd->at, true,
                std::string("not TOML: ") + code +
                    " may stand only inside quotes or a comment (after a backslash in a \"\"\" string, write it "
                    "as \\u or \\U and its number)");
            return;
        }
        toml::parse_result parsed = toml::parse(text, std::string_view(manifestName));
        if (!parsed) {
            const toml::parse_error& e = parsed.error();
            std::string why(e.description());
            if (why.find("nested value depth") != std::string::npos) {
                why = "lists or tables nested more than " + std::to_string(limits::maxNesting) + " deep";
            } else if (!why.empty()) {
                why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
            }
            add(manifestName, e.source().begin, true, "not TOML: " + why);
            return;
        }
        const toml::table& root = parsed.table();
        checkFormat(root);
        std::vector<std::string> rootWords;
        for (const Section& s : sections())
            if (!s.name.empty()) rootWords.emplace_back(s.name);
        for (const Key& k : keys())
            if (k.section.empty()) rootWords.emplace_back(k.name);

        for (auto&& [key, node] : root) {
            const std::string name(key.str());
            if (findKey("", name)) continue; // format, checked first
            const Section* section = findSection(name);
            if (!section || section->name.empty()) {
                std::string hint = didYouMean(name, rootWords);
                if (hint.empty())
                    for (const Key& k : keys())
                        if (k.name == name && !k.section.empty()) {
                            hint = "; it belongs in [" + std::string(k.section) + "]";
                            break;
                        }
                at(key, true, "unknown table or key " + inQuotes(name) + hint);
                continue;
            }
            checkSection(*section, key, node);
        }
        for (const Section& s : sections()) {
            if (s.name.empty() || s.lowest == 0 || root.contains(s.name)) continue;
            fileProblem(manifestName, true,
                        "[" + std::string(s.name) + "] is missing (" + std::string(s.meaning) + ")");
        }
        checkReferences();
        // The manifest's problems in the order of its lines, then the files'.
        std::stable_sort(report_.problems.begin(), report_.problems.end(), [](const Problem& a, const Problem& b) {
            const bool aManifest = a.file == manifestName;
            const bool bManifest = b.file == manifestName;
            if (aManifest != bManifest) return aManifest;
            return std::tie(a.file, a.line, a.column) < std::tie(b.file, b.line, b.column);
        });
    }

    void checkFormat(const toml::table& root) {
        const toml::node* format = root.get("format");
        if (!format) {
            add(manifestName, {1, 1}, true, "format = 1 is missing; it is the manifest's first line");
            return;
        }
        checkValue(*findKey("", "format"), *format);
        // toml++ keeps keys sorted; their places say what came first.
        const toml::key* formatKey = nullptr;
        for (auto&& [key, node] : root)
            if (key.str() == "format") formatKey = &key;
        const toml::source_position formatAt = formatKey->source().begin;
        for (auto&& [key, node] : root) {
            const toml::source_position p = key.source().begin;
            if (key.str() != "format" &&
                (p.line < formatAt.line || (p.line == formatAt.line && p.column < formatAt.column))) {
                at(*formatKey, true, "format = 1 must come first, before " + inQuotes(key.str()));
                break;
            }
        }
    }

    void checkSection(const Section& section, const toml::key& key, const toml::node& node) {
        const std::string name(section.name);
        if (section.form == SectionForm::Table) {
            if (!node.is_table()) {
                at(key, true, inQuotes(name) + " is a table: write [" + name + "] above its keys");
                return;
            }
            checkTable(section, *node.as_table());
            return;
        }
        if (!node.is_array_of_tables()) {
            at(key, true, inQuotes(name) + " is a list of tables: write [[" + name + "]] above each entry's keys");
            return;
        }
        const toml::array& entries = *node.as_array();
        if (entries.size() < static_cast<size_t>(section.lowest) ||
            entries.size() > static_cast<size_t>(section.highest))
            at(key, true,
               std::to_string(entries.size()) + " [[" + name + "]] entries; a kit has " +
                   std::to_string(section.lowest) + " to " + std::to_string(section.highest));
        size_t taken = 0;
        for (const toml::node& entry : entries) {
            if (++taken > static_cast<size_t>(section.highest)) break;
            checkTable(section, *entry.as_table());
        }
    }

    void checkTable(const Section& section, const toml::table& table) {
        std::vector<std::string> words;
        for (const Key& k : keys())
            if (k.section == section.name) words.emplace_back(k.name);
        for (auto&& [key, node] : table) {
            const Key* k = findKey(section.name, key.str());
            if (!k) {
                std::string hint = didYouMean(key.str(), words);
                if (hint.empty())
                    for (const Key& other : keys())
                        if (other.name == key.str() && !other.section.empty()) {
                            hint = "; it belongs in [" + std::string(other.section) + "]";
                            break;
                        }
                at(key, true, "unknown key " + inQuotes(key.str()) + " in " + sectionLabel(section.name) + hint);
                continue;
            }
            checkValue(*k, node);
        }
        for (const Key& k : keys())
            if (k.section == section.name && k.required && !table.contains(k.name))
                at(table, true,
                   sectionLabel(section.name) + " needs " + inQuotes(k.name) + " (" + std::string(k.meaning) + ")");

        if (section.name == "gallery") checkGallery(table);
        if (section.name == "layer") checkLayer(table);
        if (section.name == "animation") checkAnimation(table);
        if (section.name == "figure") checkFigure(table);
        if (section.name == "large-font" || section.name == "small-font") checkFont(section, table);
        if (section.name == "sounds")
            for (auto&& [key, node] : table)
                if (const auto it = node.is_string() ? files_.find(node.as_string()->get()) : files_.end();
                    it != files_.end() && it->second.kind == Sniffed::OggVorbis)
                    ++report_.found.sounds;
    }

    // The value's type and range; a file is looked at too. False when the
    // value cannot be used.
    bool checkValue(const Key& k, const toml::node& node) {
        const std::string name(k.name);
        auto wrongType = [&] {
            at(node, true,
               inQuotes(name) + " wants " + std::string(describe(k.type)) + ", not " + std::string(typeName(node)));
            return false;
        };
        switch (k.type) {
        case KeyType::Whole: {
            if (!node.is_integer()) return wrongType();
            const int64_t v = node.as_integer()->get();
            if (v < k.lowest || v > k.highest) {
                at(node, true,
                   inQuotes(name) + " is " + std::to_string(v) + "; it counts " + std::to_string(k.lowest) + " to " +
                       std::to_string(k.highest));
                return false;
            }
            return true;
        }
        case KeyType::Switch:
            if (!node.is_boolean()) return wrongType();
            return true;
        case KeyType::Text:
        case KeyType::Name: {
            if (!node.is_string()) return wrongType();
            const std::string& v = node.as_string()->get();
            if (k.type == KeyType::Text &&
                (static_cast<int64_t>(v.size()) < k.lowest || static_cast<int64_t>(v.size()) > k.highest)) {
                at(node, true,
                   inQuotes(name) + " has " + std::to_string(v.size()) + " bytes; it takes " + std::to_string(k.lowest) +
                       " to " + std::to_string(k.highest));
                return false;
            }
            return true;
        }
        case KeyType::Choice: {
            if (!node.is_string()) return wrongType();
            const std::string& v = node.as_string()->get();
            std::vector<std::string> words(k.choices.begin(), k.choices.end());
            if (std::find(words.begin(), words.end(), v) != words.end()) return true;
            std::string all;
            for (const std::string& w : words) all += (all.empty() ? "" : ", ") + inQuotes(w);
            std::string hint = didYouMean(v, words);
            at(node, true, name + " " + inQuotes(v) + (hint.empty() ? " is none of " + all : hint));
            return false;
        }
        case KeyType::File:
            if (!node.is_string()) return wrongType();
            return checkFile(k, *node.as_string()).has_value();
        case KeyType::Files:
        case KeyType::Numbers: {
            if (!node.is_array()) return wrongType();
            const toml::array& list = *node.as_array();
            bool fine = true;
            if (k.type == KeyType::Files &&
                (static_cast<int64_t>(list.size()) < k.lowest || static_cast<int64_t>(list.size()) > k.highest)) {
                at(node, true,
                   inQuotes(name) + " lists " + std::to_string(list.size()) + " files; it takes " +
                       std::to_string(k.lowest) + " to " + std::to_string(k.highest));
                return false;
            }
            for (const toml::node& item : list) {
                if (k.type == KeyType::Files) {
                    if (!item.is_string()) {
                        at(item, true, inQuotes(name) + " lists file names, not " + std::string(typeName(item)));
                        fine = false;
                    } else {
                        fine = checkFile(k, *item.as_string()).has_value() && fine;
                    }
                } else if (!item.is_integer()) {
                    at(item, true, inQuotes(name) + " lists whole numbers, not " + std::string(typeName(item)));
                    fine = false;
                } else if (const int64_t v = item.as_integer()->get(); v < k.lowest || v > k.highest) {
                    at(item, true,
                       inQuotes(name) + " holds " + std::to_string(v) + "; each counts " + std::to_string(k.lowest) +
                           " to " + std::to_string(k.highest));
                    fine = false;
                }
            }
            return fine;
        }
        }
        return false;
    }

    // The named file, read and recognised; a picture's header is checked
    // against the decoder's limits. Nothing when it cannot be used.
    std::optional<PictureHeader> checkFile(const Key& k, const toml::value<std::string>& node) {
        const std::string& path = node.get();
        // A file named twice is read once, but checked against each key's wants.
        if (const auto known = files_.find(path); known != files_.end())
            return fitsKey(k, path, known->second.kind) ? std::optional<PictureHeader>(known->second.header)
                                                        : std::nullopt;
        std::string why;
        if (!isSafeKitPath(path, why)) {
            at(node, true, inQuotes(path) + " " + why);
            return std::nullopt;
        }
        const std::optional<std::vector<uint8_t>> bytes = source_->read(path, why);
        if (!bytes) {
            std::string hint;
            if (why == "is missing") {
                if (!kitFiles_) kitFiles_ = source_->files();
                hint = didYouMean(path, *kitFiles_);
            }
            at(node, true, "file " + inQuotes(path) + " " + why + hint);
            return std::nullopt;
        }
        const Sniffed kind = sniff(*bytes);
        if (!fitsKey(k, path, kind)) return std::nullopt;
        PictureHeader header;
        if (kind == Sniffed::Png || kind == Sniffed::Jpeg) {
            if (!readPictureHeader(*bytes, header)) {
                fileProblem(path, true, "has a damaged picture header");
                return std::nullopt;
            }
            if (header.width > limits::maxPictureSide || header.height > limits::maxPictureSide ||
                header.width * header.height > limits::maxPicturePixels) {
                fileProblem(path, true,
                            size(header) + "; a picture has at most " + std::to_string(limits::maxPictureSide) +
                                " pixels a side and " + std::to_string(limits::maxPicturePixels / (1024 * 1024)) +
                                " million in all");
                return std::nullopt;
            }
        }
        files_.emplace(path, KnownFile{header, kind});
        return header;
    }

    // Whether a file of this kind is what the key wants; says so when not.
    bool fitsKey(const Key& k, const std::string& path, Sniffed kind) {
        const bool fits = (k.wants == FileKind::Png && kind == Sniffed::Png) ||
                          (k.wants == FileKind::PngOrJpeg && (kind == Sniffed::Png || kind == Sniffed::Jpeg)) ||
                          (k.wants == FileKind::Ogg && kind == Sniffed::OggVorbis) ||
                          (k.wants == FileKind::Font && kind == Sniffed::Font);
        if (!fits)
            fileProblem(path, true,
                        "is " + std::string(describe(kind)) + ", but " + inQuotes(k.name) + " wants " +
                            std::string(describe(k.wants)));
        return fits;
    }

    static std::string size(const PictureHeader& h) {
        return std::to_string(h.width) + " x " + std::to_string(h.height) + " pixels";
    }

    // A file key's picture header when the key is there and its file passed.
    std::optional<PictureHeader> picture(const toml::table& table, std::string_view key) const {
        const toml::node* node = table.get(key);
        if (!node || !node->is_string()) return std::nullopt;
        const auto it = files_.find(node->as_string()->get());
        return it == files_.end() ? std::nullopt : std::optional<PictureHeader>(it->second.header);
    }

    static std::optional<int64_t> number(const toml::table& table, std::string_view key) {
        const toml::node* node = table.get(key);
        return node && node->is_integer() ? std::optional<int64_t>(node->as_integer()->get()) : std::nullopt;
    }

    // A whole number of the table only when its key's range holds it.
    static std::optional<int64_t> numberInRange(const toml::table& table, std::string_view section,
                                                std::string_view key) {
        const std::optional<int64_t> value = number(table, key);
        const Key* k = findKey(section, key);
        return value && *value >= k->lowest && *value <= k->highest ? value : std::nullopt;
    }

    static std::optional<std::string> text(const toml::table& table, std::string_view key) {
        const toml::node* node = table.get(key);
        return node && node->is_string() ? std::optional<std::string>(node->as_string()->get()) : std::nullopt;
    }

    void checkGallery(const toml::table& table) {
        if (const auto name = text(table, "table-name")) {
            for (const char c : *name)
                if (static_cast<uint8_t>(c) < 32 || c == '/' || c == '\\' || c == 127) {
                    at(*table.get("table-name"), true,
                       "\"table-name\" may not hold path separators or control characters");
                    break;
                }
        }
        const auto minutes = number(table, "round-minutes");
        const auto seconds = number(table, "round-seconds");
        const Key* m = findKey("gallery", "round-minutes");
        const Key* s = findKey("gallery", "round-seconds");
        if (minutes.value_or(m->number) == 0 && seconds.value_or(s->number) == 0)
            at(table, true, "a round of 0 minutes and 0 seconds cannot be played");
    }

    void checkLayer(const toml::table& table) {
        ++report_.found.layers;
        const toml::node* pictureNode = table.get("picture");
        const std::optional<PictureHeader> layer = picture(table, "picture");
        if (!layer) return;
        const std::string path = pictureNode->as_string()->get();
        if (layer->width < limits::minLayerWidth)
            fileProblem(path, true,
                        size(*layer) + "; a layer is at least " + std::to_string(limits::minLayerWidth) +
                            " pixels wide");
        const bool jpeg = sniffedJpeg(path);
        const toml::node* maskNode = table.get("mask");
        // The farthest layer hides nothing behind it: it may be opaque.
        if (jpeg && !maskNode && report_.found.layers > 1)
            at(table, true, "the JPEG layer " + inQuotes(path) + " needs a \"mask\" PNG");
        if (!jpeg && maskNode)
            at(*maskNode, false, "a PNG layer's alpha is its mask; \"mask\" is used only with a JPEG");
        if (!jpeg && !layer->alpha) fileProblem(path, false, "has no alpha channel: the whole layer is opaque");
        if (const auto mask = picture(table, "mask");
            mask && jpeg && (mask->width != layer->width || mask->height != layer->height))
            fileProblem(maskNode->as_string()->get(), true,
                        size(*mask) + "; its layer " + inQuotes(path) + " has " + size(*layer));
    }

    bool sniffedJpeg(const std::string& path) const {
        std::string why;
        const auto bytes = source_->read(path, why);
        return bytes && sniff(*bytes) == Sniffed::Jpeg;
    }

    void checkAnimation(const toml::table& table) {
        ++report_.found.animations;
        const std::optional<std::string> name = text(table, "name");
        if (name && !animations_.emplace(*name).second)
            at(*table.get("name"), true, "a second animation named " + inQuotes(*name));
        const toml::node* frames = table.get("frames");
        const toml::node* strip = table.get("strip");
        int64_t count = 0;
        if (frames && strip) {
            at(table, true, "an animation takes \"frames\" or \"strip\", not both");
        } else if (!frames && !strip) {
            at(table, true, "an animation needs \"frames\" (separate files) or \"strip\" (one picture)");
        } else if (frames && frames->is_array()) {
            count = static_cast<int64_t>(frames->as_array()->size());
            for (const char* key : {"frame-width", "frame-height", "count"})
                if (const toml::node* n = table.get(key))
                    at(*n, false, inQuotes(key) + std::string(" is used only with \"strip\""));
        } else if (strip) {
            count = stripFrames(table, *strip);
        }
        // Lists with one value per frame.
        for (const char* key : {"durations", "masks", "hotspots-x", "hotspots-y"}) {
            const toml::node* list = table.get(key);
            if (!list || !list->is_array() || count <= 0 || static_cast<int64_t>(list->as_array()->size()) == count)
                continue;
            const char* what = std::string_view(key) == "durations" ? " times for " : " values for ";
            at(*list, true,
               inQuotes(key) + " lists " + std::to_string(list->as_array()->size()) + what + std::to_string(count) +
                   " frames");
        }
        if (table.contains("masks") && strip) at(*table.get("masks"), true, "\"masks\" goes with \"frames\"");
        report_.found.frames += static_cast<int32_t>(count);
        if (report_.found.frames > limits::maxFrames && !tooManyFrames_) {
            tooManyFrames_ = true;
            at(table, true, "more than " + std::to_string(limits::maxFrames) + " frames in the kit");
        }
    }

    // The frames a strip gives, its sizes checked. A size or count out of its
    // key's range has been reported already and gives no frames (a frame
    // width of 0 would divide by nothing, a count below 1 take frames away).
    int64_t stripFrames(const toml::table& table, const toml::node& strip) {
        const std::optional<PictureHeader> sheet = picture(table, "strip");
        const std::optional<int64_t> width = numberInRange(table, "animation", "frame-width");
        if (!table.contains("frame-width")) at(table, true, "a \"strip\" needs \"frame-width\"");
        if (!sheet || !width) return 0;
        const std::optional<int64_t> givenHeight = numberInRange(table, "animation", "frame-height");
        if (table.contains("frame-height") && !givenHeight) return 0;
        const int64_t height = givenHeight.value_or(sheet->height);
        const std::string path = strip.as_string()->get();
        if (sheet->width % *width != 0) {
            fileProblem(path, true,
                        size(*sheet) + ": the width is not a multiple of the frame width " + std::to_string(*width));
            return 0;
        }
        if (sheet->height % height != 0) {
            fileProblem(path, true,
                        size(*sheet) + ": the height is not a multiple of the frame height " + std::to_string(height));
            return 0;
        }
        const int64_t available = (sheet->width / *width) * (sheet->height / height);
        const std::optional<int64_t> count = numberInRange(table, "animation", "count");
        if (table.contains("count") && !count) return 0;
        if (count && *count > available) {
            at(*table.get("count"), true,
               "\"count\" is " + std::to_string(*count) + ", but the strip holds " + std::to_string(available) +
                   " frames");
            return 0;
        }
        const int64_t frames = count.value_or(available);
        if (frames > limits::maxFramesPerAnimation) {
            fileProblem(path, true,
                        "holds " + std::to_string(frames) + " frames; an animation has at most " +
                            std::to_string(limits::maxFramesPerAnimation));
            return 0;
        }
        return frames;
    }

    void checkFigure(const toml::table& table) {
        ++report_.found.figureTypes;
        if (const auto name = text(table, "name"); name && !figures_.emplace(*name).second)
            at(*table.get("name"), true, "a second figure type named " + inQuotes(*name));
        if (table.contains("hit-effect") && table.contains("hit-effect-of"))
            at(table, true, "a figure type takes \"hit-effect\" or \"hit-effect-of\", not both");
        figureTables_.push_back(&table);
    }

    void checkFont(const Section& section, const toml::table& table) {
        const bool sheet = table.contains("sheet");
        const bool font = table.contains("font");
        if (sheet == font)
            at(table, true,
               sectionLabel(section.name) + " takes either \"sheet\" or \"font\"" + (sheet ? ", not both" : ""));
        if (sheet && !table.contains("characters"))
            at(table, true, "a glyph \"sheet\" needs \"characters\", the characters in its order");
        if (!font)
            for (const char* key : {"size", "colour"})
                if (const toml::node* n = table.get(key))
                    at(*n, false, inQuotes(key) + std::string(" is used only with \"font\""));
        if (const auto colour = text(table, "colour")) {
            const bool hex = colour->size() == 7 && (*colour)[0] == '#' &&
                             std::all_of(colour->begin() + 1, colour->end(),
                                         [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
            if (!hex) at(*table.get("colour"), true, "\"colour\" " + inQuotes(*colour) + " is not of the form #rrggbb");
        }
    }

    // Names that point at other entries, once every entry has been read.
    void checkReferences() {
        const std::vector<std::string> animations(animations_.begin(), animations_.end());
        const std::vector<std::string> figures(figures_.begin(), figures_.end());
        for (const toml::table* figure : figureTables_) {
            for (const char* key : {"animation", "hit-effect"}) {
                const toml::node* node = figure->get(key);
                if (!node || !node->is_string()) continue;
                const std::string& name = node->as_string()->get();
                if (!animations_.count(name))
                    at(*node, true, "no animation is named " + inQuotes(name) + didYouMean(name, animations));
            }
            if (const toml::node* node = figure->get("hit-effect-of"); node && node->is_string()) {
                const std::string& name = node->as_string()->get();
                if (!figures_.count(name))
                    at(*node, true, "no figure type is named " + inQuotes(name) + didYouMean(name, figures));
            }
        }
    }

    std::string kitPath_;
    std::unique_ptr<KitSource> source_;
    KitReport report_;
    struct KnownFile {
        PictureHeader header;
        Sniffed kind = Sniffed::Unknown;
    };
    std::map<std::string, KnownFile> files_; // the files read and recognised, by path
    std::optional<std::vector<std::string>> kitFiles_;
    std::set<std::string> animations_;
    std::set<std::string> figures_;
    std::vector<const toml::table*> figureTables_;
    bool tooManyFrames_ = false;
};

} // namespace

std::string Problem::text() const {
    std::string out = file;
    if (line > 0) out += ":" + std::to_string(line) + ":" + std::to_string(column);
    return out + (error ? ": error: " : ": warning: ") + message;
}

int32_t KitReport::errors() const {
    return static_cast<int32_t>(
        std::count_if(problems.begin(), problems.end(), [](const Problem& p) { return p.error; }));
}

int32_t KitReport::warnings() const { return static_cast<int32_t>(problems.size()) - errors(); }

KitReport checkKit(const std::string& path) { return Checker(path).run(); }

int runKitCheck(const std::string& path, bool strict, std::ostream& out) {
    const KitReport report = checkKit(path);
    for (const Problem& p : report.problems) out << p.text() << '\n';
    const KitSummary& f = report.found;
    out << path << ": " << count(f.layers, "layer") << ", " << count(f.animations, "animation") << " with "
        << count(f.frames, "frame") << ", " << count(f.figureTypes, "figure type") << ", " << count(f.sounds, "sound")
        << "; " << count(report.errors(), "error") << ", " << count(report.warnings(), "warning") << "\n";
    return report.errors() > 0 || (strict && report.warnings() > 0) ? 1 : 0;
}

size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace vandrel::kit
