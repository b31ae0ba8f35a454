// A private temporary folder for the store of the whole fuzzing run, so no
// input reads or writes a player's real high scores.
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
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(storeSandbox(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return root;
}

} // namespace vandrel::fuzz
