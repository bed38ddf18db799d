// SPDX-License-Identifier: MIT
// Which programmer a process drives: SCRIBA8_PROGRAMMER=virtual (or
// virtual:STATEFILE), usb (the first one found), usb:PATH (the device node)
// or usb:SERIAL (the serial number), so several processes can drive several
// programmers at once. A thread may choose its own, so one process can drive
// several.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace scriba8 {

struct ProgrammerSelection {
    enum class Kind { firstUsb, usbPath, usbSerial, virtualProgrammer };
    Kind kind = Kind::firstUsb;
    std::string value; // the path, serial number or state file

    bool operator==(const ProgrammerSelection&) const = default;
};

// Unset or empty means the first USB programmer; a value of another form is
// nothing (an error: never a silent fallback to some other programmer).
std::optional<ProgrammerSelection> ParseProgrammerSelection(std::string_view text);

// The selection in force on this thread: its own when it chose one, else
// SCRIBA8_PROGRAMMER ("" when unset).
std::string ProgrammerEnvironment();

// Gives the calling thread a selection of its own; nothing returns it to
// SCRIBA8_PROGRAMMER. False (and nothing changes) for a value that is not
// understood or longer than 8192 bytes.
bool SelectProgrammerForThread(const std::optional<std::string>& text);

// What the user is told about a value that is not understood.
std::string UnknownSelectionText(std::string_view text);

struct HidDeviceEntry {
    std::string path;
    std::string serial;
    std::uint16_t productId = 0;
};

// The device a selection picks among those enumerated with the wanted ids:
// the first for firstUsb, the one with that path or serial number
// otherwise. A path cannot follow a programmer into its boot loader, which
// comes up under a new node: there the only boot loader on the bus is taken.
std::optional<std::size_t> ChooseDevice(std::span<const HidDeviceEntry> devices,
                                        const ProgrammerSelection& selection, bool bootLoader);

} // namespace scriba8
