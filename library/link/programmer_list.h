// SPDX-License-Identifier: MIT
// The programmers this process could drive, for `scriba8 programmers`: every
// USB programmer on the bus, and the virtual one when it is selected, with
// the firmware versions of those that answer. The firmware query is the only
// thing ever sent; a programmer that another process holds is not waited for.
//
// This is not part of the C interface (it carries paths and serial numbers);
// the command-line tool links it from the static core.
#pragma once

#include "link/firmware_versions.h"

#include <optional>
#include <string>
#include <vector>

namespace scriba8 {

struct ProgrammerListing {
    enum class Personality { normal, bootLoader };
    enum class State {
        answered,   // firmware holds the versions
        notQueried, // runs its boot loader: nothing is sent to it
        busy,       // another process holds it
        denied,     // this user may not open its device node
        unopened,   // it went away, or could not be opened for another reason
        noAnswer,   // it opened but the firmware query failed
    };

    std::string path;   // the device node; for the virtual one its state file ("" without one)
    std::string serial; // "virtual" for the virtual one
    Personality personality = Personality::normal;
    bool isVirtual = false;
    State state = State::unopened;
    bool selected = false; // the one SCRIBA8_PROGRAMMER (or the first usable one) picks
    std::optional<FirmwareVersions> firmware;
    bool firmwareAccepted = false; // the versions this library works with
};

struct ProgrammerList {
    std::vector<ProgrammerListing> programmers;
    // Set when SCRIBA8_PROGRAMMER is not understood; nothing is listed then.
    std::string problem;
    // SCRIBA8_PROGRAMMER names a path or serial number that none of the
    // programmers in their normal personality has.
    bool selectionMissing = false;
};

ProgrammerList ListProgrammers();

} // namespace scriba8
