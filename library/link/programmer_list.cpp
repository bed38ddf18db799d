// SPDX-License-Identifier: MIT
#include "link/programmer_list.h"

#include "link/connection.h"
#include "link/programmer_selection.h"
#include "link/transport.h"
#include "link/usb_hid.h"
#include "link/usb_ids.h"
#include "sim/virtual_backend.h"

#include <algorithm>
#include <cstdlib>

namespace scriba8 {
namespace {

using Personality = ProgrammerListing::Personality;
using State = ProgrammerListing::State;

// Hands the link one device that is already open, so the firmware query
// runs over the same transport as every export and reaches that device only.
class OpenedDevice final : public HidBackend {
public:
    explicit OpenedDevice(OpenResult opened) : opened_(std::move(opened)) {}
    OpenResult open(std::uint16_t, std::uint16_t) override { return std::move(opened_); }

private:
    OpenResult opened_;
};

// The listing runs where no test backend is installed, so the normal choice
// is what it restores.
class BackendOverride {
public:
    explicit BackendOverride(HidBackend& backend) { setBackendOverride(&backend); }
    ~BackendOverride() { setBackendOverride(nullptr); }
    BackendOverride(const BackendOverride&) = delete;
    BackendOverride& operator=(const BackendOverride&) = delete;
};

void queryFirmware(OpenResult opened, ProgrammerListing& entry) {
    OpenedDevice device(std::move(opened));
    FirmwareReading reading{LinkCode::NotFound, {}};
    {
        BackendOverride only(device);
        if (OpenProgrammer(ProgrammerProductId())) reading = ReadFirmwareVersions();
        ReleaseProgrammer();
    }
    ForgetLink(); // nothing was changed that a failed close could lose
    if (reading.code != LinkCode::Ok) {
        entry.state = State::noAnswer;
        return;
    }
    entry.state = State::answered;
    entry.firmware = reading.versions;
    entry.firmwareAccepted = FirmwareVerdict(reading.versions) == LinkCode::Ok;
}

// Fills in what an attempt to open the device says; queries a programmer in
// its normal personality that opened.
void describe(OpenResult opened, ProgrammerListing& entry) {
    if (opened.busy) {
        entry.state = State::busy;
    } else if (opened.permissionDenied) {
        entry.state = State::denied;
    } else if (!opened.port) {
        entry.state = State::unopened;
    } else if (entry.personality == Personality::bootLoader) {
        entry.state = State::notQueried; // closed again unused
    } else {
        queryFirmware(std::move(opened), entry);
    }
}

std::vector<ProgrammerListing> listUsb(const ProgrammerSelection& selection) {
    const UsbIds ids = programmerUsbIds();
    std::vector<ProgrammerListing> listed;
    for (const HidDeviceEntry& device : EnumerateUsbDevices(ids.vendor, 0)) {
        if (device.productId != ids.product && device.productId != ids.bootLoader) continue;
        ProgrammerListing entry;
        entry.path = device.path;
        entry.serial = device.serial;
        entry.personality =
            device.productId == ids.product ? Personality::normal : Personality::bootLoader;
        describe(OpenUsbDevice(device.path, LockWait::dontWait), entry);
        listed.push_back(std::move(entry));
    }

    // The one a device operation would use: it opens only a normal
    // personality, and without a path or serial number it passes over the
    // nodes it cannot open (it waits for busy ones).
    std::vector<HidDeviceEntry> usable;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const ProgrammerListing& entry = listed[i];
        if (entry.personality != Personality::normal) continue;
        if (selection.kind == ProgrammerSelection::Kind::firstUsb &&
            (entry.state == State::denied || entry.state == State::unopened))
            continue;
        usable.push_back({entry.path, entry.serial, ids.product});
        rows.push_back(i);
    }
    if (const auto chosen = ChooseDevice(usable, selection, false))
        listed[rows[*chosen]].selected = true;
    return listed;
}

std::vector<ProgrammerListing> listVirtual() {
    const UsbIds ids = programmerUsbIds();
    ProgrammerListing entry;
    entry.path = sim::virtualStatePath();
    entry.serial = "virtual";
    entry.isVirtual = true;
    entry.selected = true;
    OpenResult opened = sim::openVirtualProgrammer(ids.vendor, ids.product, LockWait::dontWait);
    // Not under its normal id: left in its boot loader by an update that did
    // not finish, absent, or its state file cannot be used (said on stderr).
    if (!opened.port && !opened.busy) {
        if (!sim::virtualProgrammerFor(entry.path).enumerates(ids.vendor, ids.bootLoader))
            return {};
        opened = sim::openVirtualProgrammer(ids.vendor, ids.bootLoader, LockWait::dontWait);
        entry.personality = Personality::bootLoader;
    }
    describe(std::move(opened), entry);
    return {entry};
}

} // namespace

ProgrammerList ListProgrammers() {
    ProgrammerList list;
    const std::optional<ProgrammerSelection> selection =
        ParseProgrammerSelection(ProgrammerEnvironment());
    if (!selection) {
        list.problem = UnknownSelectionText(ProgrammerEnvironment());
        return list;
    }
    list.programmers = listUsb(*selection);
    if (selection->kind == ProgrammerSelection::Kind::virtualProgrammer) {
        for (ProgrammerListing& entry : listVirtual()) list.programmers.push_back(std::move(entry));
    } else {
        list.selectionMissing =
            selection->kind != ProgrammerSelection::Kind::firstUsb &&
            std::none_of(list.programmers.begin(), list.programmers.end(),
                         [](const ProgrammerListing& entry) { return entry.selected; });
    }
    return list;
}

} // namespace scriba8
