// assetgen: writes the game's seven archive entries into a folder, and on
// request a preview of every picture for review.
#include "Dataset.h"
#include "Encoders.h"
#include "Options.h"
#include "Preview.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

using namespace vandrel::assetgen;

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseArguments(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "assetgen: %s\n%s", error.c_str(), usage);
        return 2;
    }
    try {
        Art art = paintArt();
        SoundSet sounds = makeSounds();
        if (!options.previewDir.empty()) {
            std::filesystem::create_directories(options.previewDir);
            if (!writePreview(art, options.previewDir) || !writeSoundPreview(sounds, options.previewDir)) {
                std::fprintf(stderr, "assetgen: could not write the preview into %s\n", options.previewDir.c_str());
                return 1;
            }
        }
        if (!options.outDir.empty()) {
            std::filesystem::create_directories(options.outDir);
            size_t total = 0;
            for (const Entry& e : buildEntries(art, sounds, options.setup)) {
                std::string path = options.outDir + "/" + e.name;
                if (!writeFile(path, e.bytes)) {
                    std::fprintf(stderr, "assetgen: could not write %s\n", path.c_str());
                    return 1;
                }
                total += e.bytes.size();
            }
            std::printf("assetgen: seven entries, %zu bytes, in %s\n", total, options.outDir.c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
