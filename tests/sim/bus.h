// SPDX-License-Identifier: MIT
// Talks to the virtual programmer at the bus level, as a HID host would,
// without the library's link code in between.
#pragma once

#include "chips/chip_table.h"
#include "sim/virtual_programmer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace scriba8::sim {

using Payload = std::array<std::uint8_t, 128>;

inline void put32(Payload& p, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) p[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline Payload command(std::uint8_t op, std::uint8_t area, std::uint8_t tag = 0x3C) {
    Payload p{};
    p[0] = 0x55;
    p[1] = tag;
    p[2] = op;
    p[3] = area;
    return p;
}

inline Payload powerOnCommand(const ChipRecord& chip) {
    Payload p = command(0x07, 0x01);
    p[4] = chip.chipId[0];
    p[5] = chip.chipId[1];
    p[6] = 0x05;
    std::copy_n(chip.targetParams, 4, p.begin() + 7);
    p[11] = static_cast<std::uint8_t>(chip.algorithm);
    return p;
}

struct Status {
    std::uint8_t tag;
    std::uint16_t value;
};

class Bus {
public:
    explicit Bus(VirtualProgrammer& device) : device_(device), connection_(device.connect()) {}

    bool send(std::span<const std::uint8_t> payload, std::size_t reportSize = 129) {
        std::vector<std::uint8_t> report(reportSize, 0);
        std::copy_n(payload.begin(), std::min(payload.size(), reportSize - 1), report.begin() + 1);
        return device_.setFeature(connection_, report);
    }

    // The first n data bytes of one get-feature report; nothing when refused.
    std::optional<std::vector<std::uint8_t>> get(std::size_t n) {
        std::vector<std::uint8_t> report(1025, 0);
        if (!device_.getFeature(connection_, report)) return std::nullopt;
        return std::vector<std::uint8_t>(report.begin() + 1, report.begin() + 1 + static_cast<std::ptrdiff_t>(n));
    }

    std::optional<Status> status(std::uint32_t timeoutMs = 1000) {
        std::vector<std::uint8_t> report(VirtualProgrammer::kInputReportLength, 0xFF);
        if (device_.readInput(connection_, report, timeoutMs) < 5) return std::nullopt;
        return Status{report[1], static_cast<std::uint16_t>(report[3] | report[4] << 8)};
    }

    // Sends a command and returns its status value.
    std::optional<std::uint16_t> run(const Payload& p) {
        if (!send(p)) return std::nullopt;
        const auto reply = status();
        if (!reply) return std::nullopt;
        return reply->value;
    }

private:
    VirtualProgrammer& device_;
    std::uint64_t connection_;
};

} // namespace scriba8::sim
