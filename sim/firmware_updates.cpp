// SPDX-License-Identifier: MIT
// The virtual programmer's side of both firmware updates: the boot loader
// that replaces the main firmware, and the auxiliary controller's update
// through the normal firmware.
#include "sim/firmware_package.h"
#include "sim/virtual_programmer.h"

#include "link/clock.h"

#include <algorithm>

namespace scriba8::sim {
namespace {

constexpr std::uint8_t kAccepted = 0x41;    // "A"
constexpr std::uint8_t kNotAccepted = 0x45; // "E"
constexpr std::size_t kLargestAuxPiece = 112;

std::uint16_t sum16(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

} // namespace

void VirtualProgrammer::bootFrame(std::span<const std::uint8_t> frame) {
    if (boot_.headerSeen && boot_.data.size() < boot_.size) {
        const std::size_t n = std::min<std::size_t>(frame.size(), boot_.size - boot_.data.size());
        boot_.data.insert(boot_.data.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(n));
        return;
    }
    switch (frame[0]) {
    case 0x33: // image header: size (24 bits) and checksum, high bytes first
        boot_ = {};
        boot_.headerSeen = true;
        boot_.size = std::uint32_t{frame[4]} << 16 | std::uint32_t{frame[5]} << 8 | frame[6];
        boot_.checksum = static_cast<std::uint16_t>(frame[7] << 8 | frame[8]);
        // Erasing takes about 25 ms per 512 bytes before data is taken.
        boot_.acceptFrom = now() + (boot_.size / 512 + 1) * 25;
        break;
    case 0x22: { // checksum request
        const std::uint16_t sum = sum16(boot_.data);
        std::vector<std::uint8_t> answer{static_cast<std::uint8_t>(sum >> 8),
                                         static_cast<std::uint8_t>(sum)};
        if (faults_.checksumSwapped) std::swap(answer[0], answer[1]);
        provide(std::move(answer));
        break;
    }
    case 0x44: // start the new firmware, when there is a whole, sound image
        if (!boot_.headerSeen || boot_.data.size() != boot_.size ||
            sum16(boot_.data) != boot_.checksum) {
            break;
        }
        if (const auto package = parseFirmwarePackage(boot_.data);
            package && package->kind == FirmwareKind::Main) {
            firmware_.main = package->version;
            firmware_.supports8051 = package->supports8051;
        } else {
            firmware_.main = 0; // runs, but is nothing this library knows
            firmware_.supports8051 = false;
        }
        restartAs(Personality::Normal, kFirmwareStartMs);
        break;
    default:
        break;
    }
}

void VirtualProgrammer::auxFrame(std::span<const std::uint8_t> block) {
    using Phase = AuxTransfer::Phase;
    const std::uint32_t length = block[8] | (block[9] << 8) | (block[10] << 16) |
                                 (std::uint32_t{block[11]} << 24);
    if (aux_.phase == Phase::Off || length == 0 || length > kLargestAuxPiece) {
        aux_.pollState = kNotAccepted;
        return;
    }
    const auto body = block.subspan(16, length);
    const auto marked = [&](std::uint8_t kind, std::size_t size) {
        return length == size && body[0] == 0x5A && body[1] == 0xA5 && body[2] == kind;
    };
    switch (aux_.phase) {
    case Phase::Ready:
        if (!marked(0x80, 15)) {
            aux_.pollState = kNotAccepted;
            break;
        }
        aux_.size = std::uint32_t{body[7]} << 24 | std::uint32_t{body[8]} << 16 |
                    std::uint32_t{body[9]} << 8 | body[10];
        aux_.checksum = static_cast<std::uint16_t>(body[11] << 8 | body[12]);
        aux_.data.clear();
        aux_.phase = aux_.size == 0 ? Phase::Complete : Phase::Receiving;
        aux_.pollState = kAccepted;
        break;
    case Phase::Receiving:
        if (aux_.data.size() + length > aux_.size) {
            aux_.pollState = kNotAccepted;
            break;
        }
        aux_.data.insert(aux_.data.end(), body.begin(), body.end());
        if (aux_.data.size() == aux_.size) aux_.phase = Phase::Complete;
        aux_.pollState = kAccepted;
        break;
    case Phase::Complete:
        if (!marked(0x88, 3)) {
            aux_.pollState = kNotAccepted;
            break;
        }
        if (sum16(aux_.data) == aux_.checksum) {
            const auto package = parseFirmwarePackage(aux_.data);
            firmware_.aux = package && package->kind == FirmwareKind::Aux
                                ? static_cast<std::uint16_t>(package->version)
                                : 0;
        }
        aux_ = {};
        break;
    case Phase::Off:
        break;
    }
}

std::vector<std::uint8_t> VirtualProgrammer::auxPollReply() {
    const bool reject = faults_.auxRejectAtPoll == ++pollCount_;
    return {0xA5, 0x5A, reject ? kNotAccepted : aux_.pollState};
}

} // namespace scriba8::sim
