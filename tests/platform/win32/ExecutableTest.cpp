// What Windows shows of the built game: the resources Explorer, the taskbar
// and the window read from Vandrel.exe (icon group 103 with its four sizes,
// the version, the manifest), read here with Windows' own resource functions,
// and the text of the message shown when graphics cannot start.
#include "system/MessageBox.h"

#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace vandrel {
namespace {

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width; // 0 stands for 256
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// A resource's bytes, empty when the module has none of that type and name.
std::vector<uint8_t> resource(HMODULE module, LPCWSTR type, LPCWSTR name) {
    HRSRC found = FindResourceW(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    if (!data) return {};
    return {data, data + SizeofResource(module, found)};
}

// The built executables: the linked one and the game as shipped (stripped,
// with the data set behind it). Each must carry the resources.
class ExecutableTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        const std::string path = GetParam();
        ASSERT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path << " has not been built";
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << path << ": LoadLibraryEx failed with error " << GetLastError();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

TEST_P(ExecutableTest, IconGroup103HoldsTheFourSizesEachAsAnIconResource) {
    const std::vector<uint8_t> group =
        resource(module, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, MAKEINTRESOURCEW(103));
    ASSERT_GE(group.size(), sizeof(GroupIconHeader)) << "no icon group 103 in " << GetParam();
    GroupIconHeader header;
    std::memcpy(&header, group.data(), sizeof header);
    EXPECT_EQ(header.type, 1) << "not an icon group";
    ASSERT_EQ(group.size(), sizeof header + header.count * sizeof(GroupIconEntry));
    std::set<int> sizes;
    for (WORD i = 0; i < header.count; ++i) {
        GroupIconEntry e;
        std::memcpy(&e, group.data() + sizeof header + i * sizeof e, sizeof e);
        const int width = e.width ? e.width : 256;
        const int height = e.height ? e.height : 256;
        EXPECT_EQ(width, height) << "entry " << i;
        EXPECT_EQ(e.bitCount, 32) << width << " px";
        sizes.insert(width);
        // The image itself, a resource of its own, as long as the group says.
        const std::vector<uint8_t> image = resource(module, MAKEINTRESOURCEW(3) /* RT_ICON */, MAKEINTRESOURCEW(e.id));
        ASSERT_EQ(image.size(), e.bytes) << width << " px image, id " << e.id;
        const bool png = image.size() >= 8 && std::memcmp(image.data(), "\x89PNG", 4) == 0;
        const bool dib = image.size() >= 4 && image[0] == 40 && image[1] == 0;
        EXPECT_TRUE(png || dib) << width << " px image is neither PNG nor a bitmap";
    }
    for (int want : {16, 32, 48, 256}) EXPECT_EQ(sizes.count(want), 1u) << "no " << want << " px image";
    // Windows itself picks the images from the group: the small one for the
    // window's corner, the large one for the taskbar.
    EXPECT_NE(LoadImageW(module, MAKEINTRESOURCEW(103), IMAGE_ICON, 16, 16, 0), nullptr);
    EXPECT_NE(LoadImageW(module, MAKEINTRESOURCEW(103), IMAGE_ICON, 256, 256, 0), nullptr);
}

TEST_P(ExecutableTest, VersionAndManifestAreThere) {
    const std::vector<uint8_t> version = resource(module, MAKEINTRESOURCEW(16) /* RT_VERSION */, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(version.empty()) << "no version resource";
    std::vector<uint8_t> copy = version; // VerQueryValue may write into its buffer
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const std::string project = VANDREL_PROJECT_VERSION;
    const unsigned major = std::stoul(project);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), major) << project;
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\StringFileInfo\\040704B0\\ProductVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::wstring(text), std::wstring(project.begin(), project.end()));

    const std::vector<uint8_t> manifest = resource(module, MAKEINTRESOURCEW(24) /* RT_MANIFEST */, MAKEINTRESOURCEW(1));
    const std::string xml(manifest.begin(), manifest.end());
    EXPECT_NE(xml.find("<assembly"), std::string::npos) << "no application manifest";
    EXPECT_NE(xml.find("asInvoker"), std::string::npos);
    EXPECT_NE(xml.find("PerMonitorV2"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Built, ExecutableTest, ::testing::Values(VANDREL_BARE_FILE, VANDREL_GAME_FILE));

// The message shown when graphics cannot start tells a Windows player what
// Windows must provide, not what a Linux desktop needs.
TEST(GraphicsFailureMessage, NamesWhatWindowsNeeds) {
    const std::string text = graphicsRequirement();
    EXPECT_EQ(text.find("X11"), std::string::npos) << text;
    EXPECT_EQ(text.find("Wayland"), std::string::npos) << text;
    EXPECT_NE(text.find("Direct3D"), std::string::npos) << text;
}

} // namespace
} // namespace vandrel
