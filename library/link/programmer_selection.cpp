// SPDX-License-Identifier: MIT
#include "link/programmer_selection.h"

#include "files/environment.h"

#include <algorithm>
#include <cstdlib>

namespace scriba8 {

std::optional<ProgrammerSelection> ParseProgrammerSelection(std::string_view text) {
    using Kind = ProgrammerSelection::Kind;
    if (text.empty() || text == "usb") return ProgrammerSelection{Kind::firstUsb, {}};
    if (text == "virtual") return ProgrammerSelection{Kind::virtualProgrammer, {}};
    if (text.starts_with("virtual:") && text.size() > 8)
        return ProgrammerSelection{Kind::virtualProgrammer, std::string(text.substr(8))};
    if (text.starts_with("usb:") && text.size() > 4) {
        const std::string value(text.substr(4));
        // A device path is absolute: /dev/hidraw3, or \\?\hid#... on Windows.
        const bool path = value.starts_with('/') || value.starts_with("\\\\");
        return ProgrammerSelection{path ? Kind::usbPath : Kind::usbSerial, value};
    }
    return std::nullopt;
}

namespace {

// Plain storage, nothing to destroy: with emulated thread storage (MinGW) a
// thread_local object is destroyed after its memory is freed. Room for a
// state file's or a device's longest path.
struct ThreadSelection {
    bool chosen;
    std::size_t length;
    char text[8192];
};
thread_local ThreadSelection threadSelection{};

} // namespace

std::string ProgrammerEnvironment() {
    if (threadSelection.chosen) return std::string(threadSelection.text, threadSelection.length);
    return files::environmentValue("SCRIBA8_PROGRAMMER").value_or("");
}

bool SelectProgrammerForThread(const std::optional<std::string>& text) {
    if (!text) {
        threadSelection.chosen = false;
        return true;
    }
    if (!ParseProgrammerSelection(*text) || text->size() > sizeof threadSelection.text) return false;
    std::copy(text->begin(), text->end(), threadSelection.text);
    threadSelection.length = text->size();
    threadSelection.chosen = true;
    return true;
}

std::string UnknownSelectionText(std::string_view text) {
    return "SCRIBA8_PROGRAMMER=" + std::string(text) +
           " is not understood: use virtual, virtual:STATEFILE, usb, usb:PATH (a device node such as /dev/hidraw3) "
           "or usb:SERIAL (the programmer's serial number).";
}

std::optional<std::size_t> ChooseDevice(std::span<const HidDeviceEntry> devices,
                                        const ProgrammerSelection& selection, bool bootLoader) {
    using Kind = ProgrammerSelection::Kind;
    if (selection.kind == Kind::usbPath && bootLoader) {
        if (devices.size() == 1) return 0;
        return std::nullopt;
    }
    for (std::size_t i = 0; i < devices.size(); ++i) {
        switch (selection.kind) {
        case Kind::firstUsb: return i;
        case Kind::usbPath:
            if (devices[i].path == selection.value) return i;
            break;
        case Kind::usbSerial:
            if (devices[i].serial == selection.value) return i;
            break;
        case Kind::virtualProgrammer: return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace scriba8
