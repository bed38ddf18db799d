// SPDX-License-Identifier: MIT
// The footer bytes: layout, checksum and the structural checks that keep the
// reader inside the data.
#include "project/vlx_format.h"

#include <gtest/gtest.h>

#include <functional>

namespace scriba8::vlx {
namespace {

Footer sampleFooter(std::uint16_t familyCode, std::size_t blockSize) {
    Footer f;
    f.familyCode = familyCode;
    f.codeFileName = "test";
    f.flashLength = 0x1234;
    f.flashChecksum = 0xBEEF;
    f.eepromLength = familyCode == 0x301 ? 0x200 : 0;
    f.eepromChecksum = familyCode == 0x301 ? 0x0102 : 0;
    f.partCode = 0x0A0B;
    f.optionBlock.assign(blockSize, 0xFF);
    f.optionBlock[0] = 0xF8;
    f.autoSteps = 0x9F;
    f.ispCodeSource = 1;
    f.ispFileName = familyCode == 0 ? "" : "isp.hex";
    f.trimFrequency = familyCode <= 1 ? 3 : 0;
    f.projectTag = 0xA55A;
    f.saveTime = {25, 6, 30, 23, 59, 58};
    f.toolVersion = 0x0105;
    return f;
}

std::uint64_t codeSize(const Footer& f) { return std::uint64_t{f.flashLength} + f.eepromLength; }

// Applies change to a valid footer and stores a checksum that matches again,
// so only the change itself can be what the reader objects to.
std::vector<std::uint8_t> damaged(const Footer& f,
                                  const std::function<void(std::vector<std::uint8_t>&)>& change) {
    auto bytes = *encodeFooter(f);
    change(bytes);
    const std::size_t n = bytes.size();
    bytes[n - 4] = bytes[n - 3] = 0;
    const std::uint16_t sum = sum16(bytes);
    bytes[n - 4] = static_cast<std::uint8_t>(sum >> 8);
    bytes[n - 3] = static_cast<std::uint8_t>(sum);
    return bytes;
}

TEST(VlxFooter, SmallestClassicFooterIs83BytesWithItsSizeLast) {
    const auto bytes = *encodeFooter(sampleFooter(0, 2));
    ASSERT_EQ(bytes.size(), 83u);
    EXPECT_EQ(bytes[81], 0x00);
    EXPECT_EQ(bytes[82], 0x53);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 15), "Vorlane. Scriba");
    // The empty ISP name is one length byte 0, right before the trim byte 3.
    const std::size_t trim = 83 - 17 - 25;
    EXPECT_EQ(bytes[trim - 1], 0);
    EXPECT_EQ(bytes[trim], 3);
    // The stored checksum is the sum of every other byte.
    const std::uint16_t stored = static_cast<std::uint16_t>(bytes[79] << 8 | bytes[80]);
    EXPECT_EQ(stored, static_cast<std::uint16_t>(sum16(bytes) - bytes[79] - bytes[80]));
}

TEST(VlxFooter, ChecksumComparesModulo65536) {
    // Find a name that puts the sum without the checksum bytes just below
    // 65536, so the sum with them wraps past it.
    Footer f = sampleFooter(0, 2);
    bool found = false;
    for (std::size_t length = 0; length <= 255 && !found; ++length) {
        for (int fill = 0x80; fill <= 0xFF && !found; ++fill) {
            f.codeFileName.assign(length, static_cast<char>(fill));
            auto bytes = *encodeFooter(f);
            const std::size_t n = bytes.size();
            std::uint32_t raw = 0;
            for (std::size_t i = 0; i < n; ++i)
                raw += (i == n - 4 || i == n - 3) ? 0 : bytes[i];
            if (raw < 0xFF00 || raw > 0xFFFF) continue;
            found = true;
            Footer read;
            EXPECT_EQ(decodeFooter(bytes, codeSize(f), read), DecodeError::None);
            bytes[n - 3] ^= 1;
            EXPECT_EQ(decodeFooter(bytes, codeSize(f), read), DecodeError::Malformed);
        }
    }
    EXPECT_TRUE(found);
}

TEST(VlxFooter, DamagedStructureIsRefusedWithoutReadingPastTheFooter) {
    const Footer f = sampleFooter(1, 64);
    const std::size_t nameLength = 15;
    const std::size_t blockSize = 15 + 1 + 4 + 4 + 2 + 2 + 1;
    const std::size_t ispLength = blockSize + 1 + 64 + 2 + 6;
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> change;
    };
    const Case cases[] = {
        {"name runs past the footer", [&](auto& b) { b[nameLength] = 0xFF; }},
        {"option block runs past the footer", [&](auto& b) { b[blockSize] = 0xFF; }},
        {"ISP name runs past the footer", [&](auto& b) { b[ispLength] = 0xFF; }},
        {"unknown family code", [&](auto& b) { b[b.size() - 8] = 2; }},
        {"footer shorter than its layout",
         [&](auto& b) {
             b.erase(b.begin() + 15, b.begin() + 15 + 80);
             b[b.size() - 1] = static_cast<std::uint8_t>(b.size());
         }},
        {"size field disagrees", [&](auto& b) { b[b.size() - 1] ^= 0x40; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Footer read;
        EXPECT_EQ(decodeFooter(damaged(f, c.change), codeSize(f), read), DecodeError::Malformed);
    }

    Footer read;
    EXPECT_EQ(decodeFooter(*encodeFooter(f), codeSize(f) + 1, read), DecodeError::Malformed)
        << "stored lengths must fill the code region exactly";
    const std::vector<std::uint8_t> tiny(16, 0);
    EXPECT_EQ(decodeFooter(tiny, 0, read), DecodeError::Malformed);
    EXPECT_EQ(decodeFooter(damaged(f, [](auto& b) { b[b.size() - 5] = 0x22; }), codeSize(f), read),
              DecodeError::UnknownTool);
}

} // namespace
} // namespace scriba8::vlx
