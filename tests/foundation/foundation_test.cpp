// SPDX-License-Identifier: MIT
#include "Scriba8_T3Plus_DLL.h"
#include "export_impl.h"
#include "resources/resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace scriba8 {
std::span<const EmbeddedImage> testImages(); // generated from tests/foundation/images
}

namespace {

using scriba8::findImage;
using scriba8::testImages;

TEST(DllInfo, PacksTheProductVersionAndEdition) {
    std::uint32_t version = 0, edition = 0;
    scriba8::dllInfo(&version, &edition);
    EXPECT_EQ(version, 0x0105000Fu);
    EXPECT_EQ(edition, 1u);
    scriba8::dllInfo(nullptr, nullptr); // tolerated
}

TEST(EmbeddedImages, LookUpByTypeNameIgnoringCaseAndById) {
    const auto table = testImages();
    ASSERT_EQ(table.size(), 2u);

    const auto* isp = findImage(table, "IspCode", 3010);
    ASSERT_NE(isp, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(isp->data), isp->size), "HELLO");

    // The file was named FwCode_3000.bin: the type is stored upper case.
    const auto* firmware = findImage(table, "fwcode", 3000);
    ASSERT_NE(firmware, nullptr);
    ASSERT_EQ(firmware->size, 4u);
    EXPECT_EQ(firmware->data[3], 0xFF);

    EXPECT_EQ(findImage(table, "FWCODE", 3010), nullptr);
    EXPECT_EQ(findImage(table, "ISPCODE", 3011), nullptr);
    EXPECT_EQ(findImage(table, "ISPCODEX", 3010), nullptr);
}

TEST(EmbeddedImages, AFolderNamedByTheEnvironmentReplacesAnImage) {
    const auto dir = std::filesystem::temp_directory_path() / "scriba8-resource-override";
    std::filesystem::create_directories(dir);
    {
        std::ofstream out(dir / "ISPCODE_3999.bin", std::ios::binary);
        out << "maker's image";
    }
    ::setenv("SCRIBA8_RESOURCE_DIR", dir.c_str(), 1);
    const auto replaced = scriba8::loadResource("ispcode", 3999);
    ::unsetenv("SCRIBA8_RESOURCE_DIR");
    std::filesystem::remove_all(dir);

    ASSERT_TRUE(replaced.has_value());
    EXPECT_EQ(std::string(replaced->begin(), replaced->end()), "maker's image");
    EXPECT_FALSE(scriba8::loadResource("ispcode", 3999).has_value());
}

} // namespace
