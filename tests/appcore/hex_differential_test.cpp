// SPDX-License-Identifier: MIT
// Our HEX parser against two independent readers on generated well-formed
// files: srec_cat (srecord) and python's intelhex.
#include "hex_text.h"
#include "intel_hex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <unistd.h>

namespace scriba8::app {
namespace {

namespace fs = std::filesystem;

bool Succeeds(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string Quote(const fs::path& path) {
    std::string quoted = "'";
    quoted.append(path.string()).push_back('\'');
    return quoted;
}

std::optional<std::string> PythonWithIntelHex() {
    for (const char* python : {"/usr/bin/python3", "python3"})
        if (Succeeds(std::string(python) + " -c 'import intelhex'")) return python;
    return std::nullopt;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HexDifferential : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("scriba8-hexdiff-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Generated files: linear and segment addressing, upper and lower case.
    template <typename Reference>
    void CompareWith(Reference reference) {
        for (std::uint32_t seed = 1; seed <= 8; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            test::GeneratedHex hex = test::GenerateHex(seed, 512u << seed, seed % 3 == 0);
            if (seed % 2 == 0)
                std::transform(hex.text.begin(), hex.text.end(), hex.text.begin(),
                               [](char c) { return static_cast<char>(std::tolower(c)); });
            const fs::path input = dir_ / "input.hex";
            std::ofstream(input, std::ios::binary) << hex.text;

            const HexParseResult ours = ParseIntelHex(hex.text, 1u << 24);
            ASSERT_EQ(ours.lowestAddress, hex.lowestAddress);
            ASSERT_EQ(ours.image, hex.image); // the generator's own expectation
            const std::optional<std::vector<std::uint8_t>> theirs =
                reference(input, dir_ / "output.bin", ours.lowestAddress);
            ASSERT_TRUE(theirs.has_value());
            EXPECT_EQ(ours.image, *theirs);
        }
    }

    fs::path dir_;
};

TEST_F(HexDifferential, AgreesWithSrecCat) {
    if (!Succeeds("srec_cat -version")) GTEST_SKIP() << "srec_cat is not installed";
    CompareWith([](const fs::path& input, const fs::path& output, std::uint64_t lowest)
                    -> std::optional<std::vector<std::uint8_t>> {
        // Gaps filled with 0xFF over the file's own range, moved down to 0.
        const std::string command = "srec_cat '(' " + Quote(input) + " -intel -fill 0xFF -over '(' " +
                                    Quote(input) + " -intel ')' ')' -offset -" +
                                    std::to_string(lowest) + " -o " + Quote(output) + " -binary";
        if (!Succeeds(command)) return std::nullopt;
        return ReadBytes(output);
    });
}

TEST_F(HexDifferential, AgreesWithPythonIntelHex) {
    const std::optional<std::string> python = PythonWithIntelHex();
    if (!python) GTEST_SKIP() << "python intelhex is not installed";
    CompareWith([&](const fs::path& input, const fs::path& output, std::uint64_t)
                    -> std::optional<std::vector<std::uint8_t>> {
        const std::string script = "import sys; from intelhex import IntelHex; "
                                   "h = IntelHex(sys.argv[1]); h.padding = 0xFF; "
                                   "h.tobinfile(sys.argv[2])";
        if (!Succeeds(*python + " -c \"" + script + "\" " + Quote(input) + " " + Quote(output)))
            return std::nullopt;
        return ReadBytes(output);
    });
}

} // namespace
} // namespace scriba8::app
