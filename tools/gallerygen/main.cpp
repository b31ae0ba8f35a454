// gallerygen: the game's second gallery, the harbour at night, written as a
// gallery kit, and that kit compiled into a data set by the game's own kit
// compiler, the way any maker's kit is.
//   gallerygen harbour KITDIR        paint and play the harbour into KITDIR
//   gallerygen make-data KIT OUT     compile the kit KIT into the data set OUT
#include "KitFolder.h"

#include "kit/KitCompile.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

using namespace vandrel;

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "harbour" && argc == 3) {
        try {
            const gallerygen::KitFolder kit = gallerygen::makeHarbourKit();
            std::string why;
            if (!kit.write(argv[2], why)) {
                std::fprintf(stderr, "gallerygen: %s\n", why.c_str());
                return 1;
            }
            std::printf("gallerygen: the harbour kit, %zu files, in %s\n", kit.files().size() + 1, argv[2]);
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "gallerygen: %s\n", e.what());
            return 1;
        }
    }
    if (command == "make-data" && argc == 4) return kit::runMakeData(argv[2], argv[3], std::cerr);
    std::fprintf(stderr, "usage: gallerygen harbour KITDIR\n       gallerygen make-data KIT OUT\n");
    return 2;
}
