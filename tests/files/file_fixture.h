// SPDX-License-Identifier: MIT
// A folder of its own for each test of the file writer and reader, with
// helpers to put files there and see what is left.
#pragma once

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace scriba8::files {

class FileFixture : public ::testing::Test {
  protected:
    using Bytes = std::vector<std::uint8_t>;

    void SetUp() override {
        dir_ = test::MakeTempFolder("scriba8-files");
        // A dropped privilege may still create files here.
        std::filesystem::permissions(dir_, std::filesystem::perms::all);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static Bytes read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void put(const std::string& file, const Bytes& bytes) {
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    // Only the named entries are in the folder: no temporary file was left.
    void expectOnly(std::vector<std::string> names) const {
        std::vector<std::string> present;
        for (const auto& entry : std::filesystem::directory_iterator(dir_))
            present.push_back(entry.path().filename().string());
        std::sort(present.begin(), present.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(present, names);
    }

    std::filesystem::path dir_;
    const Bytes old_ = Bytes(100, 0x11);
    const Bytes new_ = Bytes{1, 2, 3};
};

} // namespace scriba8::files
