// SPDX-License-Identifier: MIT
#include "link/firmware_update.h"

#include "link/clock.h"
#include "link/command.h"
#include "interface/host_prompts.h"
#include "link/transport.h"
#include "link/usb_ids.h"
#include "resources/resources.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace scriba8 {
namespace {

using Image = std::vector<std::uint8_t>;

constexpr std::uint32_t kBootLoaderStartMs = 2000;
constexpr std::uint32_t kNewFirmwareStartMs = 1000;
constexpr std::uint8_t kEnterBootLoader = 0x86;
constexpr std::uint8_t kEnterAuxUpdate = 0x8A;
constexpr std::size_t kAuxPieceSize = 112;
constexpr std::uint8_t kAuxReady = 0x00;
constexpr std::uint8_t kAuxAccepted = 0x41;

// An image the update can carry: present, not empty, and (for the main
// firmware) small enough for the 24-bit size of the boot loader's header.
// It is loaded before the programmer is asked to leave its firmware, so a
// missing image never strands it in the boot loader.
std::optional<Image> loadImage(int id, std::size_t maxSize) {
    auto image = loadResource("FWCode", id);
    if (!image || image->empty() || image->size() > maxSize) return std::nullopt;
    return image;
}

template <std::size_t N> std::array<std::uint8_t, N> enterFrame(std::uint8_t mode) {
    std::array<std::uint8_t, N> frame{};
    frame[0] = 0x55;
    frame[1] = NextTag();
    frame[2] = 0x01;
    frame[3] = 0x09;
    frame[5] = mode;
    return frame;
}

bool sendBootFrame(std::span<const std::uint8_t> frame) {
    return SendBlock(frame, nullptr, kFirmwareChunk) == frame.size();
}

using AuxFrame = std::array<std::uint8_t, kCommandChunk>;

// A 03/06 transfer frame carrying payload from byte 16.
AuxFrame auxTransferFrame(std::span<const std::uint8_t> payload) {
    AuxFrame frame{};
    frame[0] = 0x55;
    frame[1] = NextTag();
    frame[2] = kAuxTransferCommand.operation;
    frame[3] = kAuxTransferCommand.area;
    PutU32(frame, 8, static_cast<std::uint32_t>(payload.size()));
    frame[12] = 0x01;
    std::copy(payload.begin(), payload.end(), frame.begin() + 16);
    return frame;
}

bool sendAuxFrame(const AuxFrame& frame) {
    return SendBlock(frame, nullptr, kCommandChunk) == frame.size();
}

LinkCode pollAux(std::uint8_t expectedState) {
    AuxFrame poll{};
    poll[0] = 0x55;
    poll[1] = NextTag();
    poll[2] = kAuxPollCommand.operation;
    poll[3] = kAuxPollCommand.area;
    PutU32(poll, 8, 3);
    poll[12] = 0x01;
    if (!sendAuxFrame(poll)) return LinkCode::SendFailed;
    std::array<std::uint8_t, 3> reply{};
    if (ReceiveBlock(reply, nullptr) != reply.size()) return LinkCode::ReceiveFailed;
    const std::array<std::uint8_t, 3> expected{0xA5, 0x5A, expectedState};
    return reply == expected ? LinkCode::Ok : LinkCode::UpdateFailed;
}

LinkCode failBadly(const S8HostCallbacks* host, LinkCode code) {
    ShowError(host, kUpdateErrorText);
    return code;
}

} // namespace

LinkCode UpdateMainFirmware(const S8HostCallbacks* host) {
    const auto image = loadImage(kMainFirmwareImageId, 0xFFFFFF);
    if (!image) return LinkCode::ImageMissing;
    const auto size = static_cast<std::uint32_t>(image->size());
    const std::uint16_t checksum = Checksum16(*image);

    // The normal firmware takes this one frame in a full-size report.
    const auto enter = enterFrame<kFirmwareChunk>(kEnterBootLoader);
    if (SendBlock(enter, nullptr, kCommandChunk) != enter.size()) return LinkCode::SendFailed;

    Clock& clock = programmerClock();
    clock.sleepMs(kBootLoaderStartMs);
    if (!OpenProgrammer(BootLoaderProductId())) return LinkCode::NotFound;

    std::array<std::uint8_t, kFirmwareChunk> header{};
    header[0] = 0x33;
    header[4] = static_cast<std::uint8_t>(size >> 16);
    header[5] = static_cast<std::uint8_t>(size >> 8);
    header[6] = static_cast<std::uint8_t>(size);
    header[7] = static_cast<std::uint8_t>(checksum >> 8);
    header[8] = static_cast<std::uint8_t>(checksum);
    if (!sendBootFrame(header)) return failBadly(host, LinkCode::SendFailed);

    // The boot loader erases its Flash before it takes data.
    clock.sleepMs((size / 512 + 1) * 30);
    if (!sendBootFrame(*image)) return failBadly(host, LinkCode::SendFailed);

    std::array<std::uint8_t, kFirmwareChunk> request{};
    request[0] = 0x22;
    if (!sendBootFrame(request)) return failBadly(host, LinkCode::SendFailed);
    std::array<std::uint8_t, 2> reply{};
    if (ReceiveBlock(reply, nullptr) != reply.size()) return failBadly(host, LinkCode::ReceiveFailed);
    if ((reply[0] << 8 | reply[1]) != checksum) {
        return failBadly(host, LinkCode::FirmwareChecksumMismatch);
    }

    std::array<std::uint8_t, kFirmwareChunk> start{};
    start[0] = 0x44;
    if (!sendBootFrame(start)) return LinkCode::SendFailed;
    clock.sleepMs(kNewFirmwareStartMs);
    return LinkCode::Ok;
}

LinkCode UpdateAuxFirmware() {
    const auto image = loadImage(kAuxFirmwareImageId, 0xFFFFFFFF);
    if (!image) return LinkCode::ImageMissing;
    const auto size = static_cast<std::uint32_t>(image->size());
    const std::uint16_t checksum = Checksum16(*image);

    if (!sendAuxFrame(enterFrame<kCommandChunk>(kEnterAuxUpdate))) return LinkCode::SendFailed;
    if (LinkCode polled = pollAux(kAuxReady); polled != LinkCode::Ok) return polled;

    std::array<std::uint8_t, 15> header{};
    header[0] = 0x5A;
    header[1] = 0xA5;
    header[2] = 0x80;
    for (std::size_t i = 0; i < 4; ++i) header[7 + i] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
    header[11] = static_cast<std::uint8_t>(checksum >> 8);
    header[12] = static_cast<std::uint8_t>(checksum);
    if (!sendAuxFrame(auxTransferFrame(header))) return LinkCode::SendFailed;
    if (LinkCode polled = pollAux(kAuxAccepted); polled != LinkCode::Ok) return polled;

    for (std::size_t offset = 0; offset < image->size(); offset += kAuxPieceSize) {
        const std::size_t n = std::min(kAuxPieceSize, image->size() - offset);
        if (!sendAuxFrame(auxTransferFrame(std::span(*image).subspan(offset, n)))) {
            return LinkCode::SendFailed;
        }
        if (LinkCode polled = pollAux(kAuxAccepted); polled != LinkCode::Ok) return polled;
    }

    const std::array<std::uint8_t, 3> finish{0x5A, 0xA5, 0x88};
    if (!sendAuxFrame(auxTransferFrame(finish))) return LinkCode::SendFailed;
    return LinkCode::Ok;
}

} // namespace scriba8
