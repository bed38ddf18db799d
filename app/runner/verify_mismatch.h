// SPDX-License-Identifier: MIT
// After a failed Verify: the chip read back and compared with the image, so
// the operator sees at a glance where it differs (a stuck bit, a wrong file).
#pragma once

#include "device_runner.h"
#include "language.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace scriba8::app {

inline constexpr std::size_t kMismatchesShown = 8;

struct ByteMismatch {
    std::uint32_t address = 0;
    std::uint8_t expected = 0;
    std::uint8_t read = 0;
};

struct VerifyMismatch {
    bool readBack = false; // false: the chip could not be read
    std::size_t count = 0; // differing bytes
    std::vector<ByteMismatch> first; // at most kMismatchesShown
};

// Compares the image with the chip's bytes; a chip shorter than the image
// counts as erased (0xFF) beyond its end.
VerifyMismatch CompareWithChip(std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> chip);

// Reads the chip through the runner's record and progress, without a log
// line of its own.
VerifyMismatch ReadAndCompare(DeviceRunner& runner, std::span<const std::uint8_t> expected);

// "N bytes differ: ..." and one line per shown byte, without line ends.
std::vector<std::string> MismatchLines(const VerifyMismatch& mismatch, Language language);

} // namespace scriba8::app
