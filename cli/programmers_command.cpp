// programmers: every programmer this computer could drive, with its device
// path, serial number, personality and firmware versions. Built into the
// scriba8 executable with the library's static core (see CMakeLists.txt),
// since the C interface carries none of this.
#include "commands.h"

#include "link/programmer_list.h"
#include "text_format.h"

#include <algorithm>

namespace scriba8::cli {
namespace {

using Listing = ProgrammerListing;

const char* stateName(Listing::State state) {
    switch (state) {
    case Listing::State::answered: return "answered";
    case Listing::State::notQueried: return "not-queried";
    case Listing::State::busy: return "busy";
    case Listing::State::denied: return "denied";
    case Listing::State::unopened: return "unopened";
    case Listing::State::noAnswer: return "no-answer";
    }
    return "unopened";
}

std::string firmwareText(const FirmwareVersions& firmware) {
    return "firmware " + HexText(firmware.main, 8) + " / aux " + HexText(firmware.aux, 4) +
           (firmware.supports8051 ? " (8051 supported)" : " (no 8051 support)");
}

// What the listing says of one programmer, and what to do when it cannot be used.
std::string stateText(const Listing& entry) {
    switch (entry.state) {
    case Listing::State::answered:
        if (entry.firmwareAccepted) return firmwareText(*entry.firmware);
        return firmwareText(*entry.firmware) +
               "; needs a firmware update, which any device command offers (answer yes, or "
               "pass --yes)";
    case Listing::State::notQueried:
        return "runs its boot loader (a firmware update did not finish): unplug it and plug it "
               "in again";
    case Listing::State::busy: return "in use by another process";
    case Listing::State::denied:
        return "permission denied: the udev rules give access (installed by the "
               "libscriba8-t3plus1 package; from a source build see README, \"USB access (udev "
               "rules)\"), then unplug it and plug it in again";
    case Listing::State::unopened: return "could not be opened: was it unplugged?";
    case Listing::State::noAnswer:
        return "does not answer the firmware query: unplug it, plug it in again and repeat";
    }
    return {};
}

std::string pathText(const Listing& entry) {
    return entry.path.empty() ? "(no state file)" : entry.path;
}

std::string serialText(const Listing& entry) { return entry.serial.empty() ? "-" : entry.serial; }

Json listingJson(const Listing& entry) {
    Json object = Json::object();
    object["path"] = entry.path;
    object["serial"] = entry.serial;
    object["personality"] = entry.personality == Listing::Personality::normal ? "normal" : "boot-loader";
    object["virtual"] = entry.isVirtual;
    object["selected"] = entry.selected;
    object["state"] = stateName(entry.state);
    object["mainFirmware"] = entry.firmware ? Json(entry.firmware->main) : Json();
    object["auxFirmware"] = entry.firmware ? Json(entry.firmware->aux) : Json();
    object["supports8051"] = entry.firmware ? Json(entry.firmware->supports8051) : Json();
    object["firmwareAccepted"] = entry.firmware ? Json(entry.firmwareAccepted) : Json();
    object["message"] = stateText(entry);
    return object;
}

} // namespace

Report RunProgrammersCommand(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    const ProgrammerList list = ListProgrammers();

    std::size_t pathWidth = 0;
    std::size_t serialWidth = 0;
    for (const Listing& entry : list.programmers) {
        pathWidth = std::max(pathWidth, pathText(entry).size());
        serialWidth = std::max(serialWidth, serialText(entry).size());
    }
    Json programmers = Json::array();
    for (const Listing& entry : list.programmers) {
        programmers.push_back(listingJson(entry));
        const char* personality =
            entry.personality == Listing::Personality::normal ? "normal" : "boot loader";
        report.lines.push_back(Padded(pathText(entry), pathWidth + 2) + "serial " +
                               Padded(serialText(entry), serialWidth + 2) +
                               Padded(personality, 13) + stateText(entry) +
                               (entry.selected ? "  [selected]" : ""));
    }
    report.data["programmers"] = std::move(programmers);
    if (list.selectionMissing)
        report.warnings.push_back("the programmer selection (--programmer or SCRIBA8_PROGRAMMER) "
                                  "names none of these programmers in its normal personality");

    if (list.programmers.empty()) {
        report.setResult(S8_NO_PROGRAMMER, session.language(), invocation.command);
        // A selection that is not understood is the first thing to fix.
        if (!list.problem.empty()) report.advice = list.problem;
        return report;
    }
    report.setResult(S8_PASS, session.language(), invocation.command);
    const std::size_t count = list.programmers.size();
    report.message = std::to_string(count) + (count == 1 ? " programmer" : " programmers");
    return report;
}

} // namespace scriba8::cli
