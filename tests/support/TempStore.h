// A throw-away store for tests: a temporary folder holds the per-user root and a
// machine-wide root that exists only when a test makes it.
#pragma once
#include "system/FileStore.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace vandrel::test {

class TempStore {
public:
    TempStore() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vandrel-store-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        base_ = ::mkdtemp(buffer.data());
        store_ = std::make_unique<FileStore>(machineRoot(), userRoot());
    }
    ~TempStore() {
        std::error_code ec;
        std::filesystem::permissions(machineRoot(), std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(base_, ec);
    }
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    // The store the game is handed in a test.
    FileStore& store() { return *store_; }
    const std::filesystem::path& base() const { return base_; }
    std::filesystem::path userRoot() const { return base_ / "data" / "vandrel"; }
    std::filesystem::path machineRoot() const { return base_ / "machine"; }
    std::filesystem::path userKey(const std::string& table) const {
        return userRoot() / "Software" / "Orvandel" / table;
    }

    static std::vector<uint8_t> readFile(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeFile(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path base_;
    std::unique_ptr<FileStore> store_;
};

} // namespace vandrel::test
