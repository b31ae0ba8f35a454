// The maker's commands and a kit played with --data.
#include "app/MakerCommands.h"

#include "data/DataSet.h"
#include "kit/KitCompile.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <random>

namespace vandrel {
namespace {

// The compiled data set of a played kit; removed when the game ends.
class TemporaryFile {
public:
    TemporaryFile() {
        std::error_code ec;
        const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
        std::random_device random;
        path_ =
            ((ec ? std::filesystem::path(".") : dir) / ("vandrel-kit-" + std::to_string(random()) + ".zip")).string();
    }
    ~TemporaryFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace

std::optional<int> runMakerCommand(const CommandLine& options, const std::string& exePath) {
    using Action = CommandLine::Action;
    switch (options.action) {
    case Action::Check: return kit::runKitCheck(options.file, options.strict, std::cout);
    case Action::MakeData: return kit::runMakeData(options.file, options.output, std::cerr);
    case Action::ExportKit: {
        const std::string data = playableDataSet(options, exePath);
        if (data.empty()) return 1;
        return kit::runExportKit(data, options.output, std::cout, std::cerr);
    }
    default: return std::nullopt;
    }
}

std::string playableDataSet(const CommandLine& options, const std::string& exePath) {
    const std::string path = options.dataSet(exePath);
    if (options.dataPath.empty()) return path;
    std::string why;
    if (kit::looksLikeKit(path)) {
        const kit::CompiledKit compiled = kit::compileKit(path);
        for (const kit::Problem& p : compiled.problems)
            if (p.error) std::cerr << p.text() << "\n";
        if (!compiled.ok()) return {};
        static TemporaryFile file;
        if (!kit::writeDataSet(file.path(), compiled.entries, why)) {
            std::fprintf(stderr, "vandrel: the compiled kit %s %s\n", file.path().c_str(), why.c_str());
            return {};
        }
        return file.path();
    }
    if (!DataSet::holdsGame(path, why)) {
        std::fprintf(stderr, "vandrel: %s is not a data set: %s\n", path.c_str(), why.c_str());
        return {};
    }
    return path;
}

} // namespace vandrel
