// icongen's command line: the files a desktop theme and a Windows build take.
#include "IconGen.h"
#include "gfx/GameIcon.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace vandrel::icongen {
namespace {

namespace fs = std::filesystem;

class IconGenTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vandrel-icongen-" + std::to_string(::getpid()));
        fs::remove_all(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    int run(std::vector<std::string> args) { return runIcongen(args, out, err); }
    fs::path dir;
    std::ostringstream out, err;
};

std::vector<uint8_t> readPngRgba(const fs::path& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return pixels;
}

} // namespace

TEST_F(IconGenTest, WritesEveryThemeSizeAsTheDrawingAndTheIco) {
    ASSERT_EQ(run({dir.string(), "--sheet", (dir / "sheet.png").string()}), 0) << err.str();
    std::vector<int> sizes = pngIconSizes;
    sizes.insert(sizes.end(), webAppSizes.begin(), webAppSizes.end());
    for (int size : sizes) {
        SCOPED_TRACE(size);
        int w = 0, h = 0;
        std::vector<uint8_t> pixels = readPngRgba(dir / ("vandrel-" + std::to_string(size) + ".png"), w, h);
        EXPECT_EQ(w, size);
        EXPECT_EQ(h, size);
        EXPECT_TRUE(pixels == drawGameIcon(size)) << "the PNG holds exactly the drawing, alpha included";
    }
    std::ifstream ico(dir / "vandrel.ico", std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(ico)), {});
    ASSERT_GT(bytes.size(), 6u);
    EXPECT_EQ(static_cast<size_t>(bytes[4]), icoSizes.size());
    int w = 0, h = 0;
    EXPECT_FALSE(readPngRgba(dir / "sheet.png", w, h).empty());
    EXPECT_GT(w, 256 * 2);
}

TEST_F(IconGenTest, NameChoosesTheFileNames) {
    ASSERT_EQ(run({"--name", "org.example.game", dir.string()}), 0) << err.str();
    EXPECT_TRUE(fs::exists(dir / "org.example.game-16.png"));
    EXPECT_TRUE(fs::exists(dir / "org.example.game.ico"));
    EXPECT_FALSE(fs::exists(dir / "vandrel.ico"));
}

TEST_F(IconGenTest, WrongArgumentsShowTheUsageAndWriteNothing) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {}, {"--name"}, {dir.string(), "--bogus"}, {dir.string(), "other"}, {dir.string(), "--name", "a/b"}}) {
        err.str("");
        EXPECT_EQ(run(args), 2);
        EXPECT_NE(err.str().find("usage: icongen"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir));
}

TEST_F(IconGenTest, AnUnwritableFolderFails) {
    fs::create_directories(dir);
    std::ofstream(dir / "file") << "x";
    EXPECT_EQ(run({(dir / "file" / "icons").string()}), 1);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);
}

} // namespace vandrel::icongen
