// assetgen: writes the game's seven archive entries into a folder, and on
// request a preview of every picture for review.
#include "Dataset.h"
#include "Encoders.h"
#include "Preview.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

using namespace vandrel::assetgen;

namespace {
void usage() {
    std::fprintf(stderr,
                 "usage: assetgen [OUTDIR] [--preview DIR] [--round-minutes N] [--round-seconds N]\n"
                 "                [--magazine N] [--windowed | --full-screen] [--table-name NAME]\n");
}

bool parseInt(const char* text, int32_t& out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!end || *end || end == text || v < 0 || v > 100000) return false;
    out = int32_t(v);
    return true;
}
} // namespace

int main(int argc, char** argv) {
    std::string outDir, previewDir;
    SetupRecord setup;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--preview") {
            const char* v = value();
            if (!v) return usage(), 2;
            previewDir = v;
        } else if (arg == "--round-minutes" || arg == "--round-seconds" || arg == "--magazine") {
            const char* v = value();
            int32_t n = 0;
            if (!v || !parseInt(v, n)) return usage(), 2;
            (arg == "--round-minutes" ? setup.roundMinutes : arg == "--round-seconds" ? setup.roundSeconds : setup.magazineSize) = n;
        } else if (arg == "--windowed") {
            setup.startFullScreen = false;
        } else if (arg == "--full-screen") {
            setup.startFullScreen = true;
        } else if (arg == "--table-name") {
            const char* v = value();
            if (!v || std::strlen(v) == 0 || std::strlen(v) > 30) {
                std::fprintf(stderr, "assetgen: the table name needs 1 to 30 characters\n");
                return 2;
            }
            setup.tableName = v;
        } else if (!arg.empty() && arg[0] != '-' && outDir.empty()) {
            outDir = arg;
        } else {
            return usage(), 2;
        }
    }
    if (outDir.empty() && previewDir.empty()) return usage(), 2;

    try {
        Art art = paintArt();
        if (!previewDir.empty()) {
            std::filesystem::create_directories(previewDir);
            if (!writePreview(art, previewDir)) {
                std::fprintf(stderr, "assetgen: could not write the preview into %s\n", previewDir.c_str());
                return 1;
            }
        }
        if (!outDir.empty()) {
            std::filesystem::create_directories(outDir);
            SoundSet sounds = makeSounds();
            size_t total = 0;
            for (const Entry& e : buildEntries(art, sounds, setup)) {
                std::string path = outDir + "/" + e.name;
                if (!writeFile(path, e.bytes)) {
                    std::fprintf(stderr, "assetgen: could not write %s\n", path.c_str());
                    return 1;
                }
                total += e.bytes.size();
            }
            std::printf("assetgen: seven entries, %zu bytes, in %s\n", total, outDir.c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
