// Points the game's settings store at a private temporary folder for the
// whole fuzzing run, so no input reads or writes a player's real high scores.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace vandrel::fuzz {

inline const std::filesystem::path& storeSandbox() {
    static const std::filesystem::path root = [] {
        std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/vandrel-fuzz-store-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        setenv("XDG_DATA_HOME", pattern.c_str(), 1);
        setenv("VANDREL_MACHINE_STORE", (pattern + "/no-machine-store").c_str(), 1);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(storeSandbox(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return root;
}

} // namespace vandrel::fuzz
