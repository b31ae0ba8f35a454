// Writes small seed inputs for the fuzz targets: archives shaped like the
// game's entries, the same behind PE and ELF images, raw entries for the entry
// loaders, stored high-score tables, the test kits of tests/kits/ zipped, and,
// when a generated data set is at hand, its entries (slimmed where they are
// large) and its sound payloads.
#include "backends/null/MemoryStore.h"
#include "data/ZipWriter.h"
#include "kit/KitFiles.h"
#include "link/RoundLink.h"
#include "scores/HighscoreTable.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void putU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes block(const char* tag, const Bytes& payload) {
    Bytes out{static_cast<uint8_t>(tag[0]), static_cast<uint8_t>(tag[1])};
    putU32(out, static_cast<uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes filler(size_t n, uint32_t seed) {
    Bytes out(n);
    for (auto& b : out) {
        seed = seed * 214013u + 2531011u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    return out;
}

Bytes word(uint32_t v) {
    Bytes out;
    putU32(out, v);
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes zipOf(const std::string& scratch, const std::vector<std::pair<std::string, Bytes>>& entries) {
    vandrel::ZipWriter writer;
    writer.open(scratch);
    for (const auto& [name, data] : entries) writer.add(name, data);
    writer.close();
    std::ifstream in(scratch, std::ios::binary);
    Bytes out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(scratch.c_str());
    return out;
}

void save(const std::string& path, const Bytes& data) {
    std::ofstream o(path, std::ios::binary);
    o.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void set32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes peImage(bool codeView) {
    Bytes b(0x600, 0);
    b[0] = 'M';
    b[1] = 'Z';
    set32(b, 0x3C, 0x80);
    std::memcpy(&b[0x80], "PE\0\0", 4);
    b[0x86] = 2;
    set32(b, 0x80 + 248 + 16, 0x100);
    set32(b, 0x80 + 248 + 20, 0x400);
    set32(b, 0x80 + 248 + 40 + 16, 0x100);
    set32(b, 0x80 + 248 + 40 + 20, 0x500);
    if (codeView) {
        const char record[] = "NB10\0\0\0\0\1\2\3\4\1\0\0\0C:\\v\\game.pdb";
        b.insert(b.end(), record, record + sizeof record);
    }
    return b;
}

Bytes elfImage() {
    Bytes b(0x100 + 2 * 64, 0);
    std::memcpy(b.data(),
                "\x7F"
                "ELF\2\1\1",
                7);
    set32(b, 0x28, 0x100);
    b[0x3A] = 64;
    b[0x3C] = 2;
    set32(b, 0x100 + 64 + 4, 1);
    set32(b, 0x100 + 64 + 0x18, 0x40);
    set32(b, 0x100 + 64 + 0x20, 0xC0);
    return b;
}

// An entry of the generated data set; a missing or empty one ends the program,
// since the seeds would then lack what the real game reads.
Bytes readEntry(const std::string& dir, const char* name) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        std::fprintf(stderr, "make_fuzz_seeds: %s/%s is missing or empty\n", dir.c_str(), name);
        std::exit(1);
    }
    return bytes;
}

struct Block {
    std::string tag;
    Bytes payload;
};

std::vector<Block> blocksOf(const Bytes& entry) {
    std::vector<Block> out;
    size_t at = 0;
    while (at + 6 <= entry.size()) {
        const uint32_t length =
            entry[at + 2] | entry[at + 3] << 8 | entry[at + 4] << 16 | uint32_t{entry[at + 5]} << 24;
        if (length > entry.size() - at - 6) break;
        out.push_back(
            {std::string(reinterpret_cast<const char*>(&entry[at]), 2),
             Bytes(entry.begin() + static_cast<long>(at) + 6, entry.begin() + static_cast<long>(at + 6 + length))});
        at += 6 + length;
    }
    return out;
}

bool isSoundTag(const std::string& tag) {
    return tag == "SD" || tag == "S1" || tag == "S2" || tag == "S3" || tag == "S4";
}

// The entry with its structure intact but small enough to mutate quickly:
// large colour pictures (with their masks) become the given small picture,
// and only the first two small sounds keep their payload, the rest are empty.
Bytes slimmed(const Bytes& entry, const Bytes& smallColour, const Bytes& smallMask) {
    Bytes out;
    bool swapMask = false;
    int soundsKept = 0;
    for (Block& b : blocksOf(entry)) {
        if (b.tag == "JP" && b.payload.size() > 2048) {
            b.payload = smallColour;
            swapMask = true;
        } else if (b.tag == "PG" && swapMask) {
            if (!b.payload.empty()) b.payload = smallMask;
            swapMask = false;
        } else if (isSoundTag(b.tag)) {
            if (b.payload.size() <= 8192 && soundsKept < 2)
                ++soundsKept;
            else
                b.payload.clear();
        }
        const Bytes one = block(b.tag.c_str(), b.payload);
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

Bytes storedTable(bool rightCheck, const std::string& text) {
    Bytes out{static_cast<uint8_t>(rightCheck ? 1 : 0)};
    if (!rightCheck) out.resize(1 + vandrel::HighscoreStorage::checkSize, 0x5A);
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    return out;
}

void makeDir(const std::string& path) { ::mkdir(path.c_str(), 0755); }

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Every kit of tests/kits/ as a zip: its manifest with the files the kit tests
// write beside it, the minimal kit once more inside a top folder (the form a
// zipped folder has).
void saveKits(const std::string& out, const std::string& scratch) {
    namespace fs = std::filesystem;
    const fs::path files = fs::path(out) / "kit-files";
    vandrel::test::writeKitFiles(files);
    std::vector<std::pair<std::string, Bytes>> entries;
    for (const auto& entry : fs::recursive_directory_iterator(files))
        if (entry.is_regular_file())
            entries.emplace_back(entry.path().lexically_relative(files).generic_string(), readFile(entry.path()));
    std::sort(entries.begin(), entries.end());
    fs::remove_all(files);

    const fs::path kits = vandrel::test::kitsFolder();
    std::vector<std::pair<std::string, fs::path>> manifests = {{"minimal", kits / "minimal" / "gallery.toml"}};
    for (const auto& entry : fs::directory_iterator(kits / "broken"))
        manifests.emplace_back("broken-" + entry.path().stem().string(), entry.path());
    for (const auto& [name, manifest] : manifests) {
        auto kit = entries;
        kit.emplace_back("gallery.toml", readFile(manifest));
        save(out + "/fuzz_kit/" + name, zipOf(scratch, kit));
        if (name != "minimal") continue;
        for (auto& [path, bytes] : kit) path = "my-gallery/" + path;
        save(out + "/fuzz_kit/minimal-in-a-folder", zipOf(scratch, kit));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_seeds OUTDIR [DATASET_DIR]\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::string scratch = out + "/scratch.zip";
    makeDir(out);
    for (const char* target :
         {"fuzz_archive", "fuzz_locator", "fuzz_figures", "fuzz_stuff", "fuzz_backdrop", "fuzz_pictures", "fuzz_ogg",
          "fuzz_sound", "fuzz_scores", "fuzz_replay", "fuzz_kit", "fuzz_link"})
        makeDir(out + "/" + target);

    Bytes setup = join({word(640), word(480), word(2), word(0), word(10), {1, 1, 1, 1}});
    setup.resize(55, 0);
    std::memcpy(&setup[24], "seeds", 5);
    const Bytes stuff = join({block("S1", filler(200, 1)), block("SS", setup), block("ST", {}),
                              block("JP", filler(300, 2)), block("PG", {})});
    const Bytes figur = join({block("F1", word(1)), block("SD", filler(100, 3)), block("EX", {0, 0, 0, 0, 1}),
                              block("FC", word(1)), block("TI", word(100)), block("JP", filler(50, 4)),
                              block("PG", filler(20, 5)), block("F3", filler(45, 6)), block("F4", word(0))});
    const Bytes pair = join({block("JP", filler(120, 7)), block("PG", filler(30, 8))});
    const Bytes back = join({block("PI", word(1)), pair});

    const Bytes full = zipOf(scratch, {{"back.nb", back},
                                       {"figur.xx", figur},
                                       {"cur.nl", pair},
                                       {"font.nl", pair},
                                       {"fonts.nl", pair},
                                       {"muni.nl", pair},
                                       {"stuff.x", stuff}});
    save(out + "/fuzz_archive/seven-entries", full);
    save(out + "/fuzz_archive/stuff", zipOf(scratch, {{"stuff.x", stuff}}));
    save(out + "/fuzz_archive/figur", zipOf(scratch, {{"figur.xx", figur}}));
    save(out + "/fuzz_archive/empty-entry", zipOf(scratch, {{"e", {}}}));
    Bytes cut = zipOf(scratch, {{"stuff.x", Bytes(stuff.begin(), stuff.begin() + 210)}});
    save(out + "/fuzz_archive/truncated-block", cut);

    const Bytes small = zipOf(scratch, {{"cur.nl", pair}, {"stuff.x", stuff}});
    save(out + "/fuzz_locator/pe", join({peImage(false), small}));
    save(out + "/fuzz_locator/pe-codeview", join({peImage(true), small}));
    save(out + "/fuzz_locator/elf", join({elfImage(), small}));

    save(out + "/fuzz_figures/made", figur);
    save(out + "/fuzz_stuff/made", stuff);
    save(out + "/fuzz_backdrop/made", back);
    save(out + "/fuzz_pictures/made", pair);
    // Not Ogg: the target's own tone cut after 256 bytes, one of them overwritten.
    save(out + "/fuzz_sound/cut-and-poked", {0x00, 0x01, 0x40, 0x00, 0xff});

    vandrel::MemoryStore store;
    vandrel::HighscoreTable defaults(store);
    const std::string table = defaults.rows().text();
    save(out + "/fuzz_scores/defaults", storedTable(true, table));
    save(out + "/fuzz_scores/full", storedTable(true, table + "Zed, 50\n"));
    save(out + "/fuzz_scores/edited", storedTable(false, table));
    save(out + "/fuzz_scores/odd-rows", storedTable(true, "no score\n, 7\nbig, 99999999999\n-x, -12\nlast,3"));

    // The recorded games the suite replays: every kind of line a real game writes.
    for (const auto& entry : std::filesystem::directory_iterator(VANDREL_SOURCE_DIR "/tests/replay")) {
        if (entry.path().extension() != ".vrec") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        save(out + "/fuzz_replay/" + entry.path().stem().string(), bytes);
        // The same games as links, whole and as the bare payload.
        const std::string text(bytes.begin(), bytes.end());
        const std::string link = vandrel::roundLink::link("https://example.org/", text);
        save(out + "/fuzz_link/" + entry.path().stem().string(), Bytes(link.begin(), link.end()));
        const std::string payload = vandrel::roundLink::encode(text);
        save(out + "/fuzz_link/" + entry.path().stem().string() + "-payload", Bytes(payload.begin(), payload.end()));
    }

    saveKits(out, scratch);

    if (argc == 3) {
        const std::string dir = argv[2];
        // fuzz_pictures plays the part of the entry whose place below is the
        // input's length modulo 4; a few bytes after the last block change nothing.
        const char* const pictures[] = {"cur.nl", "muni.nl", "font.nl", "fonts.nl"};
        for (size_t part = 0; part < 4; ++part) {
            const char* name = pictures[part];
            Bytes entry = readEntry(dir, name);
            if (entry.size() > 64 * 1024) continue;
            save(out + "/fuzz_archive/dataset-" + name, zipOf(scratch, {{name, entry}}));
            entry.resize(entry.size() + (part + 4 - entry.size() % 4) % 4, 0);
            save(out + "/fuzz_pictures/dataset-" + name, entry);
        }
        Bytes smallColour, smallMask;
        for (const Block& b : blocksOf(readEntry(dir, "muni.nl")))
            (b.tag == "JP" ? smallColour : smallMask) = b.payload;
        const std::pair<const char*, const char*> entries[] = {
            {"figur.xx", "fuzz_figures"}, {"stuff.x", "fuzz_stuff"}, {"back.nb", "fuzz_backdrop"}};
        for (const auto& [name, target] : entries) {
            const Bytes entry = readEntry(dir, name);
            save(out + "/" + target + "/dataset-slim", slimmed(entry, smallColour, smallMask));
            if (entry.size() <= 64 * 1024) save(out + "/" + target + "/dataset-whole", entry);
        }
        int sound = 0;
        for (const char* name : {"stuff.x", "figur.xx"}) {
            for (const Block& b : blocksOf(readEntry(dir, name))) {
                if (!isSoundTag(b.tag) || b.payload.empty()) continue;
                // Long sounds only as their beginning: the headers and first pages.
                const size_t keep = std::min<size_t>(b.payload.size(), 24 * 1024);
                const Bytes start(b.payload.begin(), b.payload.begin() + static_cast<long>(keep));
                const std::string name = "/dataset-" + std::to_string(sound++) + "-" + b.tag;
                save(out + "/fuzz_ogg" + name, start);
                save(out + "/fuzz_sound" + name, start);
            }
        }
    }
    return 0;
}
