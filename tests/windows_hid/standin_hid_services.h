// SPDX-License-Identifier: MIT
// A stand-in for Windows' HID class driver and device setup services, for
// tests only: the calls of WindowsHidApi with the system's conventions
// (enumeration sets and interface details, handles opened for attributes
// only or overlapped, report id in byte 0, overlapped reads that complete at
// once or stay pending until waited for or cancelled), but the programmers
// on its bus are the virtual programmer's device model.
#pragma once

#include "bus_description.h"
#include "link/windows_hid_api.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::standin {

struct HidServicesLedger {
    int openHandles = 0;   // device handles not closed
    int openSets = 0;      // enumeration sets not released
    int openPreparsed = 0; // capability data not freed
    int pendingReads = 0;  // reads neither finished nor cancelled
    int cancelledReads = 0;
    int readsLeftBlocking = 0; // waited for without end: the caller would hang
};

class StandinHidServices {
  public:
    // Puts the described programmers on the bus (grammar in
    // bus_description.h) and the stand-in in place of the system's
    // services; false (and nothing changed) when the text cannot be read.
    bool install(std::string_view bus);
    ~StandinHidServices(); // the system's services again

    // The device path of the index-th programmer on the bus.
    std::string devicePath(std::size_t index) const;
    HidServicesLedger ledger() const;
};

} // namespace scriba8::standin
