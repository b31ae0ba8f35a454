// Tests of the kit checker over the kits of tests/kits/: the minimal kit is
// clean in every form, and each broken kit gives exactly the problems its
// "# expect:" lines name, with their file, line and column.
#include "kit/KitCheck.h"
#include "kit/KitFiles.h"
#include "kit/KitText.h"

#include <gtest/gtest.h>
#include <minizip/zip.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace vandrel::kit {
namespace {

namespace fs = std::filesystem;

using test::kitWith;
using test::minimalManifest;
using test::readText;

std::vector<std::string> texts(const KitReport& report) {
    std::vector<std::string> out;
    for (const Problem& p : report.problems) out.push_back(p.text());
    return out;
}

// The folder's files zipped, each under prefix.
std::string zipFolder(const fs::path& dir, const std::string& prefix, const fs::path& out) {
    zipFile zip = zipOpen64(out.string().c_str(), APPEND_STATUS_CREATE);
    EXPECT_NE(zip, nullptr);
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = prefix + entry.path().lexically_relative(dir).generic_string();
        const std::string bytes = readText(entry.path());
        zip_fileinfo info{};
        EXPECT_EQ(zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0),
                  ZIP_OK);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return out.string();
}

TEST(KitCheck, TheMinimalKitIsCleanAsAFolderAndAsAZip) {
    const fs::path dir = kitWith("minimal", minimalManifest());
    const fs::path zips = test::freshFolder("minimal-zips");
    for (const std::string& kit :
         {dir.string(), zipFolder(dir, "", zips / "flat.zip"), zipFolder(dir, "my-gallery/", zips / "folder.zip")}) {
        const KitReport report = checkKit(kit);
        EXPECT_TRUE(report.problems.empty()) << kit << ":\n" << ::testing::PrintToString(texts(report));
        EXPECT_EQ(report.found.layers, 2);
        EXPECT_EQ(report.found.animations, 2);
        EXPECT_EQ(report.found.frames, 6); // four from the strip, two files
        EXPECT_EQ(report.found.figureTypes, 1);
        EXPECT_EQ(report.found.sounds, 2);
    }
}

TEST(KitCheck, EachBrokenKitGivesExactlyItsMessages) {
    int kits = 0;
    std::vector<fs::path> manifests;
    for (const auto& entry : fs::directory_iterator(test::kitsFolder() / "broken")) manifests.push_back(entry.path());
    std::sort(manifests.begin(), manifests.end());
    for (const fs::path& path : manifests) {
        ++kits;
        const std::string manifest = readText(path);
        std::vector<std::string> expected;
        std::istringstream lines(manifest);
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with("# expect: ")) expected.push_back(line.substr(10));
        ASSERT_FALSE(expected.empty()) << path << " expects nothing";
        const KitReport report = checkKit(kitWith("broken-" + path.stem().string(), manifest).string());
        // Every problem, in the order found, and nothing else.
        std::vector<std::string> found = texts(report);
        std::sort(found.begin(), found.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected) << path.filename();
    }
    EXPECT_GE(kits, 8);
}

TEST(KitCheck, TheExitCodeFollowsErrorsAndStrictWarnings) {
    std::string warned = minimalManifest();
    // A size without a font is only a warning.
    warned.replace(warned.find("characters = "), 0, "size = 20\n");
    const fs::path clean = kitWith("exit-clean", minimalManifest());
    const fs::path warning = kitWith("exit-warning", warned);
    const fs::path broken = kitWith("exit-broken", "format = 1\n");
    std::ostringstream out;
    EXPECT_EQ(runKitCheck(clean.string(), false, out), 0);
    EXPECT_EQ(runKitCheck(clean.string(), true, out), 0);
    EXPECT_NE(out.str().find("2 layers, 2 animations with 6 frames, 1 figure type, 2 sounds; 0 errors"),
              std::string::npos)
        << out.str();
    std::ostringstream warnings;
    EXPECT_EQ(runKitCheck(warning.string(), false, warnings), 0);
    EXPECT_EQ(runKitCheck(warning.string(), true, warnings), 1);
    EXPECT_NE(warnings.str().find("warning: \"size\" is used only with \"font\""), std::string::npos) << warnings.str();
    std::ostringstream errors;
    EXPECT_EQ(runKitCheck(broken.string(), false, errors), 1);
    EXPECT_EQ(runKitCheck((clean / "nothing-here").string(), false, errors), 1);
    EXPECT_NE(errors.str().find("nothing-here: error: does not exist"), std::string::npos) << errors.str();
}

TEST(KitCheck, EditDistanceCountsSingleEdits) {
    EXPECT_EQ(editDistance("points", "points"), 0u);
    EXPECT_EQ(editDistance("pionts", "points"), 2u);
    EXPECT_EQ(editDistance("rigth-wave", "right-wave"), 2u);
    EXPECT_EQ(editDistance("", "abc"), 3u);
    EXPECT_EQ(editDistance("speed", "sped"), 1u);
}

} // namespace
} // namespace vandrel::kit
