// icongen: the game's icon as theme PNGs and a Windows .ico.
#include "IconGen.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vandrel::icongen::runIcongen(args, std::cout, std::cerr);
}
