// Writing a data set out as a kit: every entry walked block by block, its
// pictures as the JPEG colour picture and PNG mask it holds, its sounds as
// their Ogg files, and a gallery.toml naming them with every value the
// entries carry.
#include "kit/KitCompile.h"

#include "base/LoadError.h"
#include "data/BlockReader.h"
#include "data/DataLayout.h"
#include "data/DataSet.h"
#include "data/SetupRecord.h"
#include "gfx/FontCells.h"
#include "kit/KitKeys.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <tuple>

namespace vandrel::kit {
namespace {

using Bytes = std::vector<uint8_t>;

struct Block {
    uint16_t tag = 0;
    Bytes bytes;
};

std::vector<Block> readBlocks(DataSet& data, const char* name) {
    BlockReader& reader = data.openEntry(name);
    std::vector<Block> out;
    uint16_t tag = 0;
    while (reader.readHeader(tag)) {
        Block b{tag, Bytes(static_cast<size_t>(reader.blockLength()))};
        if (!b.bytes.empty() && !reader.read(b.bytes.data(), static_cast<uint32_t>(b.bytes.size())))
            throw LoadError(std::string(name) + " ends inside a block");
        out.push_back(std::move(b));
        if (!reader.nextBlock()) break;
    }
    return out;
}

// The blocks of one entry, taken in order; a block that is not the one the
// layout wants means a set this exporter cannot carry exactly.
class Walk {
public:
    Walk(std::vector<Block> blocks, const char* entry) : blocks_(std::move(blocks)), entry_(entry) {}
    bool at(uint16_t tag) const { return next_ < blocks_.size() && blocks_[next_].tag == tag; }
    const Bytes& take(uint16_t tag) {
        if (!at(tag)) throw LoadError(std::string(entry_) + " is not laid out as the game writes it");
        return blocks_[next_++].bytes;
    }
    int32_t takeI32(uint16_t tag) { return i32(take(tag), 0); }
    bool done() const { return next_ == blocks_.size(); }
    static int32_t i32(const Bytes& b, size_t at) {
        if (b.size() < at + 4) throw LoadError("a block is cut short");
        return static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24));
    }

private:
    std::vector<Block> blocks_;
    size_t next_ = 0;
    const char* entry_;
};

std::string inQuotes(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

class Exporter {
public:
    Exporter(DataSet& data, std::filesystem::path dir) : data_(data), dir_(std::move(dir)) {}

    std::string run() {
        std::ostringstream toml;
        toml << "# A gallery kit written by vandrel --export-kit. Change a picture, a sound or a\n"
                "# value below, check with vandrel --check, play with vandrel --data.\n"
                "format = 1\n";
        setup(toml);
        Walk back(readBlocks(data_, entryName::backdrop), entryName::backdrop);
        const int32_t layers = back.takeI32(makeTag('P', 'I'));
        toml << "\n# The backdrop layers, far to near: a JPEG and its mask (black is seen, white see-through).\n";
        for (int32_t i = 0; i < layers; ++i) {
            toml << "[[layer]]\n";
            picture(toml, back, "layers/layer-" + std::to_string(i + 1), "picture", "mask");
        }
        figures(toml);
        for (const auto& [entry, section, base] : {std::tuple{entryName::cursor, "cross-hair", "cross-hair"},
                                                   std::tuple{entryName::ammo, "cartridge", "cartridge"}}) {
            Walk w(readBlocks(data_, entry), entry);
            toml << "\n[" << section << "]\n";
            picture(toml, w, base, "picture", "mask");
            if (std::string_view(section) == "cross-hair")
                toml << "# The game aims with the picture's centre; these are kept for the checker.\n"
                        "hotspot-x = 0\nhotspot-y = 0\n";
        }
        for (const auto& [entry, section, base] : {std::tuple{entryName::largeFont, "large-font", "fonts/large"},
                                                   std::tuple{entryName::smallFont, "small-font", "fonts/small"}}) {
            Walk w(readBlocks(data_, entry), entry);
            toml << "\n[" << section << "]\n";
            picture(toml, w, base, "sheet", "mask");
            toml << "characters = " << inQuotes(fontCells::order) << "\n";
        }
        return toml.str();
    }

private:
    void write(const std::string& relative, const Bytes& bytes) {
        const std::filesystem::path path = dir_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw LoadError(path.string() + " cannot be written");
    }

    // A "JP" colour picture and its "PG" mask, written as base.jpg and
    // base-mask.png (none when the mask is empty: the picture is opaque).
    void picture(std::ostream& toml, Walk& w, const std::string& base, const char* key, const char* maskKey) {
        write(base + ".jpg", w.take(blockTag::jpegColour));
        toml << key << " = " << inQuotes(base + ".jpg") << "\n";
        const Bytes& mask = w.take(blockTag::pngMask);
        if (mask.empty()) return;
        if (!maskKey) throw LoadError(base + " has a mask the kit cannot carry");
        write(base + "-mask.png", mask);
        toml << maskKey << " = " << inQuotes(base + "-mask.png") << "\n";
    }

    std::string sound(const Bytes& bytes, const std::string& name) {
        if (bytes.empty()) return {};
        write("sounds/" + name + ".ogg", bytes);
        return "sounds/" + name + ".ogg";
    }

    void setup(std::ostream& toml) {
        Walk w(readBlocks(data_, entryName::setup), entryName::setup);
        const char* soundKeys[] = {"miss", "empty", "reload", "music"};
        const uint16_t soundTags[] = {blockTag::missSound, blockTag::emptySound, blockTag::reloadSound,
                                      blockTag::music};
        std::string sounds;
        for (int i = 0; i < 4; ++i)
            if (const std::string path = sound(w.take(soundTags[i]), soundKeys[i]); !path.empty())
                sounds += std::string(soundKeys[i]) + " = " + inQuotes(path) + "\n";
        const Bytes& r = w.take(blockTag::setupRecord);
        if (r.size() != 24 + SetupRecord::tableNameSize) throw LoadError("the set-up record is not of today's size");
        const std::string tableName(reinterpret_cast<const char*>(&r[24]));
        toml << "\n[gallery]\n"
             << "name = " << inQuotes(tableName.empty() ? "Vandrel" : tableName) << "\n"
             << "# The name the high-score table is kept under: keeps this gallery's scores apart.\n"
             << "table-name = " << inQuotes(tableName) << "\n"
             << "screen-width = " << Walk::i32(r, 0) << "\nscreen-height = " << Walk::i32(r, 4) << "\n"
             << "round-minutes = " << Walk::i32(r, 8) << "\nround-seconds = " << Walk::i32(r, 12) << "\n"
             << "magazine = " << Walk::i32(r, 16) << "\n"
             << "start = " << inQuotes(r[23] ? "full-screen" : "window") << "\n";
        toml << "\n# The effect sounds and the title's music, Ogg Vorbis.\n[sounds]\n" << sounds;
        toml << "\n# The title, high-score and closing screens.\n[screens]\n";
        const std::pair<uint16_t, const char*> screens[] = {
            {blockTag::titleScreen, "title"}, {blockTag::highscoreScreen, "highscore"}, {blockTag::endScreen, "end"}};
        for (const auto& [tag, key] : screens) {
            if (!w.at(tag)) continue;
            w.take(tag);
            // The kit gives a screen no mask: the game draws screens opaque.
            picture(toml, w, std::string("screens/") + key, key, nullptr);
        }
        if (!w.done()) throw LoadError("stuff.x holds blocks this kit cannot carry");
    }

    // A frame set as an [[animation]]: its frames and masks, times and hotspots.
    void frameSet(std::ostream& toml, Walk& w, const std::string& name) {
        const int32_t n = w.takeI32(blockTag::frameCount);
        const Bytes& words = w.take(blockTag::frameTimes);
        if (n < 1 || n > limits::maxFramesPerAnimation || words.size() != static_cast<size_t>(n) * 4)
            throw LoadError("an animation's frame count does not match its times");
        std::vector<uint32_t> info;
        for (int32_t i = 0; i < n; ++i) info.push_back(static_cast<uint32_t>(Walk::i32(words, size_t(i) * 4)));
        std::string frames, masks;
        for (int32_t i = 0; i < n; ++i) {
            const std::string base = "frames/" + name + "-" + std::to_string(i + 1);
            write(base + ".jpg", w.take(blockTag::jpegColour));
            write(base + "-mask.png", w.take(blockTag::pngMask));
            frames += (i ? ", " : "") + inQuotes(base + ".jpg");
            masks += (i ? ", " : "") + inQuotes(base + "-mask.png");
        }
        toml << "name = " << inQuotes(name) << "\nframes = [" << frames << "]\nmasks = [" << masks << "]\n";
        const auto field = [&](const char* one, const char* many, uint32_t (*of)(uint32_t)) {
            bool same = true;
            for (const uint32_t v : info) same = same && of(v) == of(info[0]);
            if (same) {
                toml << one << " = " << of(info[0]) << "\n";
                return;
            }
            toml << many << " = [";
            for (size_t i = 0; i < info.size(); ++i) toml << (i ? ", " : "") << of(info[i]);
            toml << "]\n";
        };
        field("duration", "durations", [](uint32_t v) { return v & 0xFFFu; });
        field("hotspot-x", "hotspots-x", [](uint32_t v) { return v >> 22; });
        field("hotspot-y", "hotspots-y", [](uint32_t v) { return (v >> 12) & 0x3FFu; });
    }

    void figures(std::ostream& toml) {
        Walk w(readBlocks(data_, entryName::figures), entryName::figures);
        const int32_t count = w.takeI32(blockTag::typeCount);
        if (count < 0 || count > 64) throw LoadError("figur.xx holds more figure types than a kit takes");
        std::ostringstream types, effects;
        for (int32_t t = 0; t < count; ++t) {
            const std::string name = "type-" + std::to_string(t + 1);
            types << "\n[[figure]]\nname = " << inQuotes(name) << "\n";
            if (const std::string path = sound(w.take(blockTag::hitSound), "hit-" + std::to_string(t + 1));
                !path.empty())
                types << "hit-sound = " << inQuotes(path) << "\n";
            const Bytes& ex = w.take(blockTag::hitEffect);
            const int32_t source = Walk::i32(ex, 0);
            const bool own = ex.size() > 4 && ex[4];
            if (own) {
                if (source != t) throw LoadError("a type shows its own hit effect and another's");
                const std::string effect = "hit-effect-" + std::to_string(t + 1);
                effects << "\n[[animation]]\n";
                frameSet(effects, w, effect);
                types << "hit-effect = " << inQuotes(effect) << "\n";
            } else if (source >= 0 && source < count) {
                types << "hit-effect-of = " << inQuotes("type-" + std::to_string(source + 1)) << "\n";
            }
            const Bytes& f3 = w.take(blockTag::figureType);
            if (f3.size() != 45) throw LoadError("a figure type's record is not of today's size");
            const char* keys[] = {"animation", "height", "height-spread", "layer",  "speed", "speed-spread",
                                  "points",    "most",   "hits",          "chance", "path"};
            for (size_t k = 0; k < 11; ++k) {
                const int32_t v = Walk::i32(f3, k * 4);
                if (k == 0)
                    types << "animation = " << inQuotes("animation-" + std::to_string(v)) << "\n";
                else if (k == 10)
                    types << "path = " << defaultText(pathKey(v)) << "\n";
                else
                    types << keys[k] << " = " << v << "\n";
            }
            types << "mirrored = " << (f3[44] ? "true" : "false") << "\n";
        }
        const int32_t animations = w.takeI32(blockTag::animationCount);
        toml << "\n# The animations figures are drawn with (id: the number the set keeps them under),\n"
                "# then the hit effects. Frames are JPEGs with PNG masks; hotspot 0, 0 is the centre.\n";
        for (int32_t a = 0; a < animations; ++a) frameSetWithId(toml, w);
        toml << effects.str();
        toml << "\n# The kinds of figure: layer 0 is the farthest.\n" << types.str();
        if (!w.done()) throw LoadError("figur.xx holds blocks this kit cannot carry");
    }

    // An animation of the figure list: its frames come before its id, so it
    // is written under a name made afterwards.
    void frameSetWithId(std::ostream& toml, Walk& w) {
        const std::string pending = "animation-" + std::to_string(next_++) + "-pending";
        std::ostringstream body;
        frameSet(body, w, pending);
        const int32_t id = w.takeI32(blockTag::animationId);
        const std::string name = "animation-" + std::to_string(id);
        std::string text = body.str();
        for (size_t at; (at = text.find(pending)) != std::string::npos;) text.replace(at, pending.size(), name);
        const std::filesystem::path frames = dir_ / "frames";
        for (const auto& entry : std::filesystem::directory_iterator(frames)) {
            const std::string file = entry.path().filename().string();
            if (file.rfind(pending, 0) == 0)
                std::filesystem::rename(entry.path(), frames / (name + file.substr(pending.size())));
        }
        toml << "\n[[animation]]\n" << text << "id = " << id << "\n";
    }

    static const Key& pathKey(int32_t motion) {
        static Key k = *findKey("figure", "path");
        if (motion < 0 || static_cast<size_t>(motion) >= k.choices.size()) throw LoadError("a path out of range");
        k.number = motion;
        return k;
    }

    DataSet& data_;
    std::filesystem::path dir_;
    int32_t next_ = 0;
};

} // namespace

bool exportKit(const std::string& dataPath, const std::string& dir, std::string& why) {
    try {
        DataSet data(dataPath);
        std::filesystem::create_directories(dir);
        const std::string manifest = Exporter(data, dir).run();
        std::ofstream out(std::filesystem::path(dir) / "gallery.toml", std::ios::binary);
        out << manifest;
        if (!out) throw LoadError("gallery.toml cannot be written");
        return true;
    } catch (const LoadError& e) {
        why = e.text();
    } catch (const std::filesystem::filesystem_error& e) {
        why = e.what();
    }
    return false;
}

int runExportKit(const std::string& dataPath, const std::string& dir, std::ostream& out, std::ostream& err) {
    std::string why;
    if (!exportKit(dataPath, dir, why)) {
        err << "vandrel: cannot export the data set as a kit: " << why << "\n";
        return 1;
    }
    out << "the gallery is in " << dir << "; check it with vandrel --check " << dir << "\n";
    return 0;
}

} // namespace vandrel::kit
