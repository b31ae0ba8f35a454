// pack: makes and inspects the archive appended to the game's executable.
#include "PackTool.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vandrel::pack::runPack(args, std::cout, std::cerr);
}
