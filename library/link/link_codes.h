// SPDX-License-Identifier: MIT
// Results of the link routines. The device exports translate them into the
// result codes of the public interface; they never leave the library.
#pragma once

#include <cstdint>

namespace scriba8 {

enum class LinkCode : std::uint8_t {
    Ok = 0,
    NotFound = 1,
    SendFailed = 3,
    ReceiveFailed = 4,
    FirmwareMismatch = 5,
    AuxFirmwareMismatch = 6,
    No8051Support = 7,
    UpdateDeclined = 8,
    UpdateFailed = 9,
    PowerOnFailed = 10,
    PowerDownFailed = 11,
    IdentityRejected = 12,
    TagMismatch = 13,
    UnexpectedStatus = 14,
    FirmwareChecksumMismatch = 15,
    ImageMissing = 16,
    ChipLocked = 17,
    NoResponse = 19,
    TrimItemMissing = 20,
};

} // namespace scriba8
