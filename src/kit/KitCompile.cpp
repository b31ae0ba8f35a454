// The kit compiler: gallery.toml (already checked) walked section by section
// into the tagged blocks of the seven entries, in the order the game's loaders
// read them.
#include "kit/KitCompile.h"

#include "data/DataLayout.h"
#include "data/SetupRecord.h"
#include "data/ZipWriter.h"
#include "gfx/FontCells.h"
#include "kit/FileSniff.h"
#include "kit/KitFont.h"
#include "kit/KitKeys.h"
#include "kit/KitPictures.h"
#include "kit/KitSource.h"
#include "kit/KitToml.h"

#include <filesystem>
#include <map>
#include <new>
#include <optional>
#include <ostream>
#include <set>

namespace vandrel::kit {
namespace {

using Bytes = std::vector<uint8_t>;

void appendU32(Bytes& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

class Blocks {
public:
    void add(const char (&tag)[3], const Bytes& payload = {}) {
        // A block's length is 32 bits; the kit's file limits keep it far below.
        bytes_.push_back(static_cast<uint8_t>(tag[0]));
        bytes_.push_back(static_cast<uint8_t>(tag[1]));
        appendU32(bytes_, static_cast<uint32_t>(payload.size()));
        bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    }
    void addI32(const char (&tag)[3], int64_t v) {
        Bytes b;
        appendU32(b, static_cast<uint32_t>(v));
        add(tag, b);
    }
    Bytes take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

// Stops the compilation with a problem at a node of the manifest or a file.
struct Stop {
    Problem problem;
};

class Compiler {
public:
    explicit Compiler(const KitSource& source) : source_(source) {}

    std::vector<DataEntry> run(const toml::table& root) {
        root_ = &root;
        std::vector<DataEntry> entries;
        entries.push_back({entryName::backdrop, backdrop()});
        entries.push_back({entryName::figures, figures()});
        entries.push_back({entryName::cursor, single("cross-hair")});
        entries.push_back({entryName::largeFont, font("large-font")});
        entries.push_back({entryName::smallFont, font("small-font")});
        entries.push_back({entryName::ammo, single("cartridge")});
        entries.push_back({entryName::setup, setup()});
        return entries;
    }

private:
    [[noreturn]] static void stop(const toml::node& at, std::string message) {
        const toml::source_region& where = at.source();
        throw Stop{Problem{"gallery.toml", static_cast<int32_t>(where.begin.line),
                           static_cast<int32_t>(where.begin.column), true, std::move(message)}};
    }

    Bytes file(const std::string& path) const {
        std::string why;
        std::optional<Bytes> bytes = source_.read(path, why);
        if (!bytes) throw Stop{Problem{path, 0, 0, true, why}};
        return std::move(*bytes);
    }

    static const toml::table* table(const toml::table& parent, std::string_view name) {
        const toml::node* n = parent.get(name);
        return n ? n->as_table() : nullptr;
    }

    static std::vector<const toml::table*> list(const toml::table& parent, std::string_view name) {
        std::vector<const toml::table*> out;
        if (const toml::node* n = parent.get(name); n && n->is_array_of_tables())
            for (const toml::node& e : *n->as_array()) out.push_back(e.as_table());
        return out;
    }

    // A whole number: the manifest's, else the key table's default.
    static int64_t whole(const toml::table* t, std::string_view section, std::string_view key) {
        if (t)
            if (const toml::node* n = t->get(key); n && n->is_integer()) return n->as_integer()->get();
        return findKey(section, key)->number;
    }

    static std::optional<std::string> text(const toml::table* t, std::string_view key) {
        if (!t) return std::nullopt;
        const toml::node* n = t->get(key);
        return n && n->is_string() ? std::optional<std::string>(n->as_string()->get()) : std::nullopt;
    }

    static int64_t choice(const toml::table* t, std::string_view section, std::string_view key) {
        const Key* k = findKey(section, key);
        if (const auto word = text(t, key))
            for (size_t i = 0; i < k->choices.size(); ++i)
                if (k->choices[i] == *word) return static_cast<int64_t>(i);
        return k->number;
    }

    // A PNG decoded, its problems laid at the file.
    RgbaPicture png(const std::string& path, const Bytes& bytes) const {
        std::string why;
        std::optional<RgbaPicture> decoded = decodePng(bytes, why);
        if (!decoded) throw Stop{Problem{path, 0, 0, true, "cannot be read as a PNG: " + why}};
        return std::move(*decoded);
    }

    // A colour picture and its mask as the game reads them: "JP" then "PG"
    // (empty when the picture has no mask: it is opaque). A JPEG is carried
    // as it is; a PNG becomes a JPEG, its alpha the mask unless one is named.
    void picture(Blocks& out, const toml::table& t, std::string_view key, std::string_view maskKey) const {
        const std::string path = *text(&t, key);
        Bytes colour = file(path);
        const auto mask = text(&t, maskKey);
        if (sniff(colour) == Sniffed::Jpeg) {
            out.add("JP", colour);
            out.add("PG", mask ? file(*mask) : Bytes{});
            return;
        }
        if (sniff(colour) != Sniffed::Png) stop(*t.get(key), "\"" + path + "\" is neither a PNG nor a JPEG picture");
        const PicturePair pair = splitPicture(png(path, colour));
        out.add("JP", pair.jpeg);
        out.add("PG", mask ? file(*mask) : pair.mask);
    }

    Bytes backdrop() const {
        Blocks out;
        const auto layers = list(*root_, "layer");
        out.addI32("PI", static_cast<int64_t>(layers.size()));
        for (const toml::table* layer : layers) picture(out, *layer, "picture", "mask");
        return out.take();
    }

    Bytes single(std::string_view section) const {
        Blocks out;
        picture(out, *table(*root_, section), "picture", "mask");
        return out.take();
    }

    Bytes font(std::string_view section) const {
        const toml::table& t = *table(*root_, section);
        Blocks out;
        if (const auto path = text(&t, "font")) {
            uint32_t colour = 0xFFFFFF;
            if (const auto hex = text(&t, "colour"))
                colour = static_cast<uint32_t>(std::stoul(hex->substr(1), nullptr, 16));
            std::string why;
            const std::optional<RgbaPicture> sheet =
                drawFontSheet(file(*path), static_cast<int32_t>(whole(&t, section, "size")), colour,
                              section == "large-font" ? largeSheet : smallSheet, why);
            if (!sheet) stop(*t.get("font"), "\"" + *path + "\": " + why);
            const PicturePair pair = splitPicture(*sheet);
            out.add("JP", pair.jpeg);
            out.add("PG", pair.mask);
            return out.take();
        }
        if (text(&t, "characters") != std::string(fontCells::order))
            stop(*t.get("characters"), std::string("the game's sheets hold \"") + fontCells::order +
                                           "\" in that order, " + std::to_string(fontCells::perRow) + " a row");
        picture(out, t, "sheet", "mask");
        return out.take();
    }

    // An animation's frames: their count, their times and hotspots, then each
    // picture with its mask, from separate files or cut from a strip.
    void frameSet(Blocks& out, const toml::table& a) const {
        const toml::node* frames = a.get("frames");
        const toml::array* files = frames ? frames->as_array() : nullptr;
        const toml::array* masks = a.get("masks") ? a.get("masks")->as_array() : nullptr;
        std::vector<RgbaPicture> cut;
        if (!files) {
            const std::string path = *text(&a, "strip");
            RgbaPicture sheet = png(path, file(path));
            const auto width = static_cast<int32_t>(whole(&a, "animation", "frame-width"));
            const toml::node* h = a.get("frame-height");
            const auto height = h ? static_cast<int32_t>(h->as_integer()->get()) : sheet.height;
            // Checked already; a file changed since is stopped here rather than cut wrong.
            if (width <= 0 || height <= 0 || sheet.width % width != 0 || sheet.height % height != 0)
                throw Stop{Problem{path, 0, 0, true, "the strip's size is not a multiple of the frame size"}};
            const int32_t available = (sheet.width / width) * (sheet.height / height);
            const toml::node* c = a.get("count");
            const auto count = c ? static_cast<int32_t>(c->as_integer()->get()) : available;
            if (count > available || count > limits::maxFramesPerAnimation)
                throw Stop{Problem{path, 0, 0, true, "the strip holds fewer frames than \"count\""}};
            cut = cutFrames(sheet, width, height, count);
        }
        const size_t count = files ? files->size() : cut.size();
        const auto perFrame = [&](std::string_view listKey, std::string_view oneKey, size_t i) {
            if (const toml::node* n = a.get(listKey); n && n->is_array())
                return n->as_array()->get(i)->as_integer()->get();
            return whole(&a, "animation", oneKey);
        };
        out.addI32("FC", static_cast<int64_t>(count));
        Bytes words;
        for (size_t i = 0; i < count; ++i) {
            const auto ms = static_cast<uint32_t>(perFrame("durations", "duration", i));
            const auto hx = static_cast<uint32_t>(perFrame("hotspots-x", "hotspot-x", i));
            const auto hy = static_cast<uint32_t>(perFrame("hotspots-y", "hotspot-y", i));
            appendU32(words, ms | (hy << 12) | (hx << 22));
        }
        out.add("TI", words);
        for (size_t i = 0; i < count; ++i) {
            if (!files) {
                const PicturePair pair = splitPicture(cut[i]);
                out.add("JP", pair.jpeg);
                out.add("PG", pair.mask);
                continue;
            }
            toml::table frame;
            frame.insert("picture", *files->get(i)->value<std::string>());
            if (masks && masks->get(i)) frame.insert("mask", *masks->get(i)->value<std::string>());
            picture(out, frame, "picture", "mask");
        }
    }

    Bytes figures() const {
        const auto animations = list(*root_, "animation");
        const auto types = list(*root_, "figure");
        std::map<std::string, const toml::table*> byName;
        for (const toml::table* a : animations) byName[*text(a, "name")] = a;
        std::map<std::string, int64_t> typeIndex;
        for (size_t i = 0; i < types.size(); ++i) typeIndex[*text(types[i], "name")] = static_cast<int64_t>(i);

        // The figures' animations: those with an id and those a type is drawn
        // with; the others are only hit effects. Ids not given are the lowest free.
        std::set<std::string> drawn;
        for (const toml::table* t : types) drawn.insert(*text(t, "animation"));
        std::set<int64_t> taken;
        for (const toml::table* a : animations)
            if (const toml::node* id = a->get("id")) taken.insert(id->as_integer()->get());
        std::map<std::string, int64_t> ids;
        std::vector<const toml::table*> listed;
        for (const toml::table* a : animations) {
            const std::string name = *text(a, "name");
            if (const toml::node* id = a->get("id")) {
                ids[name] = id->as_integer()->get();
            } else if (drawn.count(name)) {
                int64_t free = 0;
                while (taken.count(free)) ++free;
                taken.insert(free);
                ids[name] = free;
            } else {
                continue;
            }
            listed.push_back(a);
        }

        Blocks out;
        out.addI32("F1", static_cast<int64_t>(types.size()));
        for (size_t i = 0; i < types.size(); ++i) {
            const toml::table* t = types[i];
            const auto sound = text(t, "hit-sound");
            out.add("SD", sound ? file(*sound) : Bytes{});
            const auto effect = text(t, "hit-effect");
            const auto effectOf = text(t, "hit-effect-of");
            Bytes ex;
            appendU32(ex, static_cast<uint32_t>(effect     ? static_cast<int64_t>(i)
                                                : effectOf ? typeIndex[*effectOf]
                                                           : -1));
            ex.push_back(effect ? 1 : 0);
            out.add("EX", ex);
            if (effect) frameSet(out, *byName[*effect]);
            Bytes f3;
            for (const int64_t v :
                 {ids[*text(t, "animation")], whole(t, "figure", "height"), whole(t, "figure", "height-spread"),
                  whole(t, "figure", "layer"), whole(t, "figure", "speed"), whole(t, "figure", "speed-spread"),
                  whole(t, "figure", "points"), whole(t, "figure", "most"), whole(t, "figure", "hits"),
                  whole(t, "figure", "chance"), choice(t, "figure", "path")})
                appendU32(f3, static_cast<uint32_t>(v));
            const toml::node* mirrored = t->get("mirrored");
            f3.push_back(mirrored && mirrored->is_boolean() && mirrored->as_boolean()->get() ? 1 : 0);
            out.add("F3", f3);
        }
        out.addI32("F4", static_cast<int64_t>(listed.size()));
        for (const toml::table* a : listed) {
            frameSet(out, *a);
            out.addI32("F6", ids[*text(a, "name")]);
        }
        return out.take();
    }

    Bytes setup() const {
        const toml::table* g = table(*root_, "gallery");
        const toml::table* screens = table(*root_, "screens");
        const toml::table* sounds = table(*root_, "sounds");
        Blocks out;
        const std::pair<const char*, const char*> soundBlocks[] = {
            {"S1", "miss"}, {"S2", "empty"}, {"S3", "reload"}, {"S4", "music"}};
        for (const auto& [tag, key] : soundBlocks) {
            const auto path = text(sounds, key);
            const char block[3] = {tag[0], tag[1], 0};
            out.add(block, path ? file(*path) : Bytes{});
        }
        Bytes record;
        for (const char* key : {"screen-width", "screen-height", "round-minutes", "round-seconds", "magazine"})
            appendU32(record, static_cast<uint32_t>(whole(g, "gallery", key)));
        for (const char* key : {"title", "highscore", "end"}) record.push_back(text(screens, key) ? 1 : 0);
        record.push_back(static_cast<uint8_t>(choice(g, "gallery", "start")));
        Bytes name(SetupRecord::tableNameSize, 0);
        const std::string tableName = text(g, "table-name").value_or("");
        std::copy(tableName.begin(), tableName.end(), name.begin());
        record.insert(record.end(), name.begin(), name.end());
        out.add("SS", record);
        const std::pair<const char*, const char*> screenBlocks[] = {
            {"ST", "title"}, {"SH", "highscore"}, {"SE", "end"}};
        for (const auto& [tag, key] : screenBlocks) {
            if (!text(screens, key)) continue;
            const char block[3] = {tag[0], tag[1], 0};
            out.add(block);
            picture(out, *screens, key, std::string(key) + "-mask");
        }
        return out.take();
    }

    const KitSource& source_;
    const toml::table* root_ = nullptr;
};

} // namespace

CompiledKit compileKit(const std::string& path) {
    CompiledKit result;
    KitReport report = checkKit(path);
    const bool clean = report.errors() == 0;
    result.problems = std::move(report.problems);
    if (!clean) return result;
    std::string why;
    const std::unique_ptr<KitSource> source = KitSource::open(path, why);
    const std::optional<Bytes> manifest = source ? source->read("gallery.toml", why) : std::nullopt;
    if (!manifest) {
        result.problems.push_back({path, 0, 0, true, why});
        return result;
    }
    toml::parse_result parsed =
        toml::parse(std::string_view(reinterpret_cast<const char*>(manifest->data()), manifest->size()));
    if (!parsed) {
        result.problems.push_back({"gallery.toml", 0, 0, true, std::string(parsed.error().description())});
        return result;
    }
    try {
        result.entries = Compiler(*source).run(parsed.table());
    } catch (const Stop& s) {
        result.problems.push_back(s.problem);
    } catch (const std::bad_alloc&) {
        result.problems.push_back({path, 0, 0, true, "out of memory while compiling"});
    }
    return result;
}

bool writeDataSet(const std::string& path, const std::vector<DataEntry>& entries, std::string& why) {
    ZipWriter zip;
    if (!zip.open(path)) {
        why = "cannot be written";
        return false;
    }
    bool ok = true;
    for (const DataEntry& e : entries) ok = ok && zip.add(e.name, e.bytes);
    ok = zip.close() && ok;
    if (!ok) why = "could not be written whole";
    return ok;
}

bool looksLikeKit(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return true;
    std::string why;
    const std::unique_ptr<KitSource> source = KitSource::open(path, why);
    return source && source->holds("gallery.toml");
}

int runMakeData(const std::string& kit, const std::string& out, std::ostream& err) {
    const CompiledKit compiled = compileKit(kit);
    for (const Problem& p : compiled.problems)
        if (p.error) err << p.text() << "\n";
    if (!compiled.ok()) return 1;
    std::string why;
    if (!writeDataSet(out, compiled.entries, why)) {
        err << out << ": error: " << why << "\n";
        return 1;
    }
    return 0;
}

} // namespace vandrel::kit
