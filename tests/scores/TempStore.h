// A throw-away store for tests: a temporary folder holds the per-user root (through
// XDG_DATA_HOME) and a machine-wide root that exists only when a test makes it.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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
        saveEnv("XDG_DATA_HOME", oldXdg_, hadXdg_);
        saveEnv("VANDREL_MACHINE_STORE", oldMachine_, hadMachine_);
        ::setenv("XDG_DATA_HOME", (base_ / "data").c_str(), 1);
        ::setenv("VANDREL_MACHINE_STORE", machineRoot().c_str(), 1);
    }
    ~TempStore() {
        restoreEnv("XDG_DATA_HOME", oldXdg_, hadXdg_);
        restoreEnv("VANDREL_MACHINE_STORE", oldMachine_, hadMachine_);
        std::error_code ec;
        std::filesystem::permissions(machineRoot(), std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(base_, ec);
    }
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

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
    static void saveEnv(const char* name, std::string& value, bool& had) {
        const char* v = std::getenv(name);
        had = v != nullptr;
        value = v ? v : "";
    }
    static void restoreEnv(const char* name, const std::string& value, bool had) {
        if (had)
            ::setenv(name, value.c_str(), 1);
        else
            ::unsetenv(name);
    }

    std::filesystem::path base_;
    std::string oldXdg_, oldMachine_;
    bool hadXdg_ = false, hadMachine_ = false;
};

} // namespace vandrel::test
