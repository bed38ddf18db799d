// SPDX-License-Identifier: MIT
// Bringing the programmer's own firmware to the versions this library works
// with. Only the connection check calls these, after the user agreed.
//
// Main firmware: the programmer restarts into its boot loader (a second
// product id), which takes the image in 64-byte frames, reports its checksum
// and starts the new firmware. Auxiliary controller: the normal firmware
// takes the image in 112-byte pieces, each acknowledged through a poll.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "link/link_codes.h"

namespace scriba8 {

inline constexpr int kMainFirmwareImageId = 3000;
inline constexpr int kAuxFirmwareImageId = 3009;

inline constexpr char kUpdateErrorText[] =
    "Update FW has a serious error,\n Please remove HW immediately !";

// Ok, NotFound (no boot loader), SendFailed, ReceiveFailed (no checksum
// reply), FirmwareChecksumMismatch or ImageMissing. Failures after the boot
// loader took over show kUpdateErrorText: the programmer may be left without
// working firmware.
LinkCode UpdateMainFirmware(const S8HostCallbacks* host);

// Ok, SendFailed, ReceiveFailed (no poll reply), UpdateFailed (poll reply
// not as expected) or ImageMissing.
LinkCode UpdateAuxFirmware();

} // namespace scriba8
