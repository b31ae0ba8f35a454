// Tests of the kit's folder and zip readers: paths and entries that would
// reach outside the kit, zip bombs and the zipped top folder.
#include "kit/KitSource.h"
#include "kit/KitFiles.h"
#include "kit/KitKeys.h"

#include <gtest/gtest.h>
#include <minizip/zip.h>

#include <filesystem>
#include <fstream>

namespace vandrel::kit {
namespace {

namespace fs = std::filesystem;

struct ZipEntry {
    std::string name;
    std::string bytes;
    uint32_t unixMode = 0100644;
    int repeat = 1; // bytes written this many times over
};

// A zip made on a "Unix" host, so the upper attribute bits carry the mode.
std::string writeZip(const std::string& name, const std::vector<ZipEntry>& entries) {
    const fs::path path = test::freshFolder("zips-" + name) / (name + ".zip");
    zipFile zip = zipOpen64(path.string().c_str(), APPEND_STATUS_CREATE);
    EXPECT_NE(zip, nullptr);
    for (const ZipEntry& e : entries) {
        zip_fileinfo info{};
        info.external_fa = static_cast<uLong>(e.unixMode) << 16;
        constexpr uLong madeOnUnix = 3 << 8 | 20;
        EXPECT_EQ(zipOpenNewFileInZip4_64(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 0,
                                          -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, madeOnUnix, 0, 1),
                  ZIP_OK);
        for (int i = 0; i < e.repeat; ++i)
            EXPECT_EQ(zipWriteInFileInZip(zip, e.bytes.data(), static_cast<unsigned>(e.bytes.size())), ZIP_OK);
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return path.string();
}

std::string text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(KitSource, KitPathsStayInsideTheKit) {
    std::string why;
    for (const char* fine : {"gallery.toml", "layers/sky.png", "Bilder/Wolke \xC3\xBC.png", "a/b/c/d.ogg"})
        EXPECT_TRUE(isSafeKitPath(fine, why)) << fine << ": " << why;
    const std::pair<std::string, std::string> refused[] = {
        {"", "empty"},
        {"../outside.png", "climbs out"},
        {"layers/../../x.png", "climbs out"},
        {"/etc/passwd", "absolute"},
        {"C:/Windows/x.png", "absolute"},
        {"layers\\sky.png", "backslash"},
        {"layers//sky.png", "empty or '.'"},
        {"./sky.png", "empty or '.'"},
        {"sky\xFF.png", "not UTF-8"},
        {"sky\xC0\xAF.png", "not UTF-8"},     // an overlong '/'
        {"sky\xED\xA0\x80.png", "not UTF-8"}, // a surrogate
        {std::string("sky\n.png"), "control character"},
    };
    for (const auto& [path, says] : refused) {
        why.clear();
        EXPECT_FALSE(isSafeKitPath(path, why)) << path;
        EXPECT_NE(why.find(says), std::string::npos) << path << ": " << why;
    }
}

TEST(KitSource, ReadsAFolderAndRefusesLinksOutOfIt) {
    const fs::path dir = test::freshFolder("source-folder");
    const fs::path kit = dir / "kit";
    fs::create_directories(kit / "layers");
    std::ofstream(kit / "gallery.toml") << "format = 1\n";
    std::ofstream(kit / "layers/sky.png") << "sky";
    std::ofstream(dir / "secret.txt") << "secret";
    std::string why;
    const std::unique_ptr<KitSource> source = KitSource::open(kit.string(), why);
    ASSERT_NE(source, nullptr) << why;
    EXPECT_EQ(text(source->read("layers/sky.png", why).value()), "sky");
    EXPECT_FALSE(source->read("layers/cloud.png", why));
    EXPECT_EQ(why, "is missing");
    EXPECT_FALSE(source->read("../secret.txt", why));
    EXPECT_NE(why.find("climbs out"), std::string::npos) << why;
#ifndef _WIN32
    // A link is followed only while it stays inside the kit.
    fs::create_symlink(dir / "secret.txt", kit / "leak.png");
    fs::create_symlink(kit / "layers/sky.png", kit / "same-sky.png");
    EXPECT_FALSE(source->read("leak.png", why));
    EXPECT_NE(why.find("leads out of the kit"), std::string::npos) << why;
    EXPECT_FALSE(source->holds("leak.png"));
    EXPECT_EQ(text(source->read("same-sky.png", why).value()), "sky");
#endif
    std::vector<std::string> files = source->files();
    EXPECT_NE(std::find(files.begin(), files.end(), "layers/sky.png"), files.end());
}

TEST(KitSource, ReadsAZipAndItsZippedTopFolder) {
    std::string why;
    const std::string flat = writeZip("flat", {{"gallery.toml", "format = 1\n"}, {"layers/sky.png", "sky"}});
    const std::unique_ptr<KitSource> a = KitSource::open(flat, why);
    ASSERT_NE(a, nullptr) << why;
    EXPECT_EQ(text(a->read("layers/sky.png", why).value()), "sky");
    EXPECT_FALSE(a->read("layers/cloud.png", why));

    // The folder zipped instead of its contents.
    const std::string folder =
        writeZip("folder", {{"mykit/", "", 040755}, {"mykit/gallery.toml", "format = 1\n"}, {"mykit/a.png", "a"}});
    const std::unique_ptr<KitSource> b = KitSource::open(folder, why);
    ASSERT_NE(b, nullptr) << why;
    EXPECT_TRUE(b->holds("gallery.toml"));
    EXPECT_EQ(text(b->read("a.png", why).value()), "a");

    // Two top folders: nothing is taken as the kit's top.
    const std::string two = writeZip("two", {{"x/gallery.toml", "format = 1\n"}, {"y/a.png", "a"}});
    const std::unique_ptr<KitSource> c = KitSource::open(two, why);
    ASSERT_NE(c, nullptr) << why;
    EXPECT_FALSE(c->holds("gallery.toml"));
    EXPECT_TRUE(c->holds("x/gallery.toml"));
}

TEST(KitSource, RefusesAZipWithAHostileEntry) {
    const std::pair<ZipEntry, std::string> cases[] = {
        {{"../evil.png", "x"}, "climbs out"},
        {{"/abs.png", "x"}, "absolute"},
        {{"dir\\evil.png", "x"}, "backslash"},
        {{"bad\xFF.png", "x"}, "not UTF-8"},
        {{"link.png", "/etc/passwd", 0120777}, "symbolic link"},
    };
    int k = 0;
    for (const auto& [entry, says] : cases) {
        const std::string zip = writeZip("hostile" + std::to_string(k++), {{"gallery.toml", "format = 1\n"}, entry});
        std::string why;
        EXPECT_EQ(KitSource::open(zip, why), nullptr) << entry.name;
        EXPECT_NE(why.find(says), std::string::npos) << entry.name << ": " << why;
    }
}

TEST(KitSource, RefusesAZipBombBeforeUnpackingIt) {
    // 65 MiB of zeros pack into a few dozen kilobytes.
    const std::string mebibyte(1024 * 1024, '\0');
    const int perFile = static_cast<int>(limits::maxFileBytes / (1024 * 1024));
    const std::string bomb =
        writeZip("bomb", {{"gallery.toml", "format = 1\n"}, {"music.ogg", mebibyte, 0100644, perFile + 1}});
    EXPECT_LT(fs::file_size(bomb), 1024u * 1024u);
    std::string why;
    EXPECT_EQ(KitSource::open(bomb, why), nullptr);
    EXPECT_NE(why.find("unpacks to more than 64 MiB"), std::string::npos) << why;

    // Many entries each within the limit, too much together.
    std::vector<ZipEntry> many = {{"gallery.toml", "format = 1\n"}};
    for (int i = 0; i < 5; ++i) many.push_back({"part" + std::to_string(i) + ".ogg", mebibyte, 0100644, perFile});
    const std::string total = writeZip("total", many);
    EXPECT_EQ(KitSource::open(total, why), nullptr);
    EXPECT_NE(why.find("unpacks to more than 256 MiB"), std::string::npos) << why;
}

TEST(KitSource, NeitherFolderNorZipIsRefused) {
    const fs::path dir = test::freshFolder("source-none");
    std::ofstream(dir / "plain.txt") << "not a zip";
    std::string why;
    EXPECT_EQ(KitSource::open((dir / "plain.txt").string(), why), nullptr);
    EXPECT_EQ(why, "is neither a folder nor a zip");
    std::ofstream(dir / "gallery.toml") << "format = 1\n";
    EXPECT_EQ(KitSource::open((dir / "gallery.toml").string(), why), nullptr);
    EXPECT_NE(why.find("name the kit's folder"), std::string::npos) << why;
    EXPECT_EQ(KitSource::open((dir / "nothing").string(), why), nullptr);
    EXPECT_EQ(why, "does not exist");
}

} // namespace
} // namespace vandrel::kit
