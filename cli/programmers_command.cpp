// SPDX-License-Identifier: MIT
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

std::string firmwareText(const FirmwareVersions& firmware, const Say& say) {
    return say({"firmware ", "固件 "}) + HexText(firmware.main, 8) + say({" / aux ", " / 辅助 "}) +
           HexText(firmware.aux, 4) +
           (firmware.supports8051 ? say({" (8051 supported)", "（支持 8051）"})
                                  : say({" (no 8051 support)", "（不支持 8051）"}));
}

// What the listing says of one programmer, and what to do when it cannot be used.
std::string stateText(const Listing& entry, const Say& say) {
    switch (entry.state) {
    case Listing::State::answered:
        if (entry.firmwareAccepted) return firmwareText(*entry.firmware, say);
        return firmwareText(*entry.firmware, say) +
               say({"; needs a firmware update, which any device command offers (answer yes, or "
                    "pass --yes)",
                    "；需要更新固件，任何器件命令都会提示更新（回答 yes，或加上 --yes）"});
    case Listing::State::notQueried:
        return say({"runs its boot loader (a firmware update did not finish): unplug it and plug it "
                    "in again",
                    "正在运行引导程序（固件更新未完成）：请拔下后重新插入"});
    case Listing::State::busy: return say({"in use by another process", "正被另一个进程使用"});
    case Listing::State::denied:
        return say({"permission denied: the udev rules give access (installed by the "
                    "libscriba8-t3plus-dll1 package; from a source build see README, \"USB "
                    "access (udev rules)\"), then unplug it and plug it in again",
                    "没有访问权限：udev规则提供访问权限（由 libscriba8-t3plus-dll1 软件包安装；"
                    "源码构建时见README的“USB access (udev rules)”一节），然后拔下后重新插入"});
    case Listing::State::unopened:
        return say({"could not be opened: was it unplugged?", "无法打开：是否已被拔下？"});
    case Listing::State::noAnswer:
        return say({"does not answer the firmware query: unplug it, plug it in again and repeat",
                    "不应答固件查询：请拔下后重新插入，然后重试"});
    }
    return {};
}

std::string pathText(const Listing& entry, const Say& say) {
    return entry.path.empty() ? say({"(no state file)", "（无状态文件）"}) : entry.path;
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
    object["message"] = stateText(entry, Say(app::Language::english));
    return object;
}

} // namespace

Report RunProgrammersCommand(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    const ProgrammerList list = ListProgrammers();
    const Say say(session.language());

    std::size_t pathWidth = 0;
    std::size_t serialWidth = 0;
    for (const Listing& entry : list.programmers) {
        pathWidth = std::max(pathWidth, DisplayWidth(pathText(entry, say)));
        serialWidth = std::max(serialWidth, DisplayWidth(serialText(entry)));
    }
    Json programmers = Json::array();
    for (const Listing& entry : list.programmers) {
        programmers.push_back(listingJson(entry));
        const std::string personality = entry.personality == Listing::Personality::normal
                                            ? say({"normal", "正常"})
                                            : say({"boot loader", "引导程序"});
        report.lines.push_back(Padded(pathText(entry, say), pathWidth + 2) + say({"serial ", "序列号 "}) +
                               Padded(serialText(entry), serialWidth + 2) + Padded(personality, 13) +
                               stateText(entry, say) +
                               (entry.selected ? say({"  [selected]", "  [已选用]"}) : std::string()));
    }
    report.data["programmers"] = std::move(programmers);
    if (list.selectionMissing)
        report.warnings.push_back(
            say({"the programmer selection (--programmer or SCRIBA8_PROGRAMMER) "
                 "names none of these programmers in its normal personality",
                 "编程器选择（--programmer 或 SCRIBA8_PROGRAMMER）指定的编程器不在这些"
                 "处于正常模式的编程器之中"}));

    if (list.programmers.empty()) {
        report.setResult(S8_NO_PROGRAMMER, session.language(), invocation.command);
        // A selection that is not understood is the first thing to fix.
        if (!list.problem.empty()) report.advice = list.problem;
        return report;
    }
    report.setResult(S8_PASS, session.language(), invocation.command);
    const std::size_t count = list.programmers.size();
    report.message = std::to_string(count) +
                     (count == 1 ? say({" programmer", " 个编程器"}) : say({" programmers", " 个编程器"}));
    return report;
}

std::vector<app::ProgrammerChoice> ConnectedUsbProgrammers() {
    std::vector<app::ProgrammerChoice> choices;
    for (const Listing& entry : ListProgrammers().programmers) {
        if (entry.isVirtual || entry.personality != Listing::Personality::normal) continue;
        choices.push_back({"usb:" + entry.path, entry.path, entry.serial});
    }
    return choices;
}

} // namespace scriba8::cli
