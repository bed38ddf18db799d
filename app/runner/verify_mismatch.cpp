// SPDX-License-Identifier: MIT
#include "verify_mismatch.h"

#include <cstdio>

namespace scriba8::app {
namespace {

std::string hexText(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

} // namespace

VerifyMismatch CompareWithChip(std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> chip) {
    VerifyMismatch mismatch;
    mismatch.readBack = true;
    for (std::size_t address = 0; address < expected.size(); ++address) {
        const std::uint8_t got = address < chip.size() ? chip[address] : 0xFF;
        if (got == expected[address]) continue;
        if (mismatch.count++ < kMismatchesShown)
            mismatch.first.push_back({static_cast<std::uint32_t>(address), expected[address], got});
    }
    return mismatch;
}

VerifyMismatch ReadAndCompare(DeviceRunner& runner, std::span<const std::uint8_t> expected) {
    OperationLog quiet(runner.log().language());
    DeviceRunner reader(runner.api(), runner.record(), quiet, runner.hooks());
    const CommandOutcome read = reader.run(DeviceCommand::dumpTarget, BufferContents{});
    if (read.result != S8_PASS || !read.dump) return {};
    return CompareWithChip(expected, read.dump->flash);
}

std::vector<std::string> MismatchLines(const VerifyMismatch& mismatch, Language language) {
    const bool english = language == Language::english;
    if (!mismatch.readBack)
        return {english ? "The chip could not be read back to show where it differs."
                        : "无法回读芯片，不能显示不一致的位置。"};
    const std::string shown = std::to_string(kMismatchesShown);
    const bool more = mismatch.count > kMismatchesShown;
    std::vector<std::string> lines;
    if (english)
        lines.push_back(std::to_string(mismatch.count) +
                        (mismatch.count == 1 ? " byte differs" : " bytes differ") +
                        (more ? "; the first " + shown + ":" : std::string(":")));
    else
        lines.push_back(std::to_string(mismatch.count) + " 个字节不一致" +
                        (more ? "；前 " + shown + " 个：" : std::string("：")));
    for (const ByteMismatch& entry : mismatch.first) {
        const std::string expectedByte = hexText(entry.expected, 2);
        const std::string readByte = hexText(entry.read, 2);
        lines.push_back("  " + hexText(entry.address, 8) +
                        (english ? "  expected " + expectedByte + ", read " + readByte
                                 : "  应为 " + expectedByte + "，读出 " + readByte));
    }
    return lines;
}

} // namespace scriba8::app
