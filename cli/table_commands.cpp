// SPDX-License-Identifier: MIT
// parts and info: the chip table and the installation, no chip operation.
#include "commands.h"

#include "chip_lookup.h"
#include "chip_selection.h"
#include "offline_commands.h"
#include "selection_output.h"
#include "text_format.h"

#include <cstdlib>
#include <memory>

namespace scriba8::cli {
namespace {

bool used(const char* name) { return name != nullptr && std::string_view(name) != "NA"; }

std::string optionNames(const BodyInfo& chip) {
    std::string items;
    for (const OptionItem& item : chip.items)
        if (used(item.name)) items += (items.empty() ? "" : ", ") + std::string(item.name);
    std::string bits;
    for (const OptionBit& bit : chip.bits)
        if (used(bit.name)) bits += (bits.empty() ? "" : " ") + std::string(bit.name);
    return items + (items.empty() || bits.empty() ? "" : "; ") + bits;
}

// The chip with its option names, choices and defaults.
Json partJson(const BodyInfo& chip, std::int32_t row, bool details) {
    Json object = Json::object();
    object["index"] = row;
    object["name"] = chip.partName;
    object["series"] = SeriesName(chip.seriesMask);
    object["flashSize"] = chip.flashSize;
    object["eepromSize"] = chip.eepromSize;
    object["familyCode"] = static_cast<unsigned>(chip.familyCode);
    object["chipChecksumSupported"] = chip.chipChecksumSupported == 1;
    object["customerStringSupported"] = chip.customerStringSupported == 1;
    auto defaults = std::make_unique<ContextRecord>();
    app::ApplyDefaultSelection(chip, *defaults);
    const SelectionTexts selection =
        DescribeSelection(chip, *defaults, SelectionSource::toWrite);
    Json items = Json::array();
    std::size_t described = 0;
    for (int k = 0; k < S8_ITEM_COUNT; ++k) {
        if (!used(chip.items[k].name)) continue;
        Json item = Json::object();
        item["name"] = chip.items[k].name;
        item["default"] = selection.items[described++].value;
        if (details) {
            Json choices = Json::array();
            for (const std::string& choice : ItemChoiceTexts(chip, k, *defaults)) choices.push_back(choice);
            item["choices"] = std::move(choices);
        }
        items.push_back(std::move(item));
    }
    Json bits = Json::array();
    for (const OptionBit& bit : chip.bits) {
        if (!used(bit.name)) continue;
        Json entry = Json::object();
        entry["name"] = bit.name;
        entry["default"] = bit.value != 0;
        if (details) entry["description"] = EnglishDescription(bit);
        bits.push_back(std::move(entry));
    }
    object["items"] = std::move(items);
    object["bits"] = std::move(bits);
    return object;
}

void appendDetails(const BodyInfo& chip, std::int32_t row, app::Language language,
                   std::vector<std::string>& lines) {
    const bool english = language == app::Language::english;
    auto defaults = std::make_unique<ContextRecord>();
    app::ApplyDefaultSelection(chip, *defaults);
    const std::string series = SeriesName(chip.seriesMask);
    const std::string rowText = std::to_string(row);
    lines.push_back(std::string(chip.partName) +
                    (english ? "  (" + series + ", row " + rowText + ")"
                             : "  （" + series + "，第 " + rowText + " 行）"));
    const std::string flash = std::to_string(chip.flashSize);
    const std::string eeprom = std::to_string(chip.eepromSize);
    const bool hasEeprom = chip.eepromSize != 0;
    const bool checksum = chip.chipChecksumSupported == 1;
    const bool customer = chip.customerStringSupported == 1;
    if (english)
        lines.push_back("  Flash " + flash + " bytes, EEPROM " + (hasEeprom ? eeprom + " bytes" : "none") +
                        ", chip checksum " + (checksum ? "kept" : "not kept") + ", customer string " +
                        (customer ? "yes" : "no"));
    else
        lines.push_back("  Flash " + flash + " 字节，EEPROM " + (hasEeprom ? eeprom + " 字节" : "无") +
                        "，芯片" + (checksum ? "保存" : "不保存") + "检验和，" +
                        (customer ? "支持" : "不支持") + "客户字符串");
    const SelectionTexts selection = DescribeSelection(chip, *defaults, SelectionSource::toWrite);
    lines.push_back(english ? "  Options (--option NAME=VALUE), default first:"
                            : "  硬件选项（--option NAME=VALUE），名称后为默认值：");
    std::size_t described = 0;
    for (int k = 0; k < S8_ITEM_COUNT; ++k) {
        if (!used(chip.items[k].name)) continue;
        std::string choices;
        for (const std::string& choice : ItemChoiceTexts(chip, k, *defaults, language))
            choices += (choices.empty() ? "" : ", ") + choice;
        lines.push_back("    " + Padded(chip.items[k].name, 16) +
                        Padded(selection.items[described++].value, 12) + "[" + choices + "]");
    }
    lines.push_back(english ? "  Bit options (--bit NAME=on|off), default first:"
                            : "  位选项（--bit NAME=on|off），名称后为默认值：");
    for (const OptionBit& bit : chip.bits)
        if (used(bit.name))
            lines.push_back("    " + Padded(bit.name, 16) + Padded(bit.value != 0 ? "on" : "off", 12) +
                            std::string(BitDescription(bit, language)));
}

// One line of the list: the row right-aligned, then the columns padded by
// their width on the terminal.
std::string listLine(const std::string& row, const std::string& part, const std::string& series,
                     const std::string& flash, const std::string& eeprom, const std::string& options) {
    const auto rightAligned = [](const std::string& text, std::size_t width) {
        const std::size_t columns = DisplayWidth(text);
        return std::string(columns < width ? width - columns : 0, ' ') + text;
    };
    return rightAligned(row, 4) + "  " + Padded(part, 12) + Padded(series, 10) + rightAligned(flash, 8) +
           "  " + rightAligned(eeprom, 6) + "  " + options;
}

constexpr app::TextPair kRowHeading{"Row", "行号"};
constexpr app::TextPair kPartHeading{"Part", "型号"};
constexpr app::TextPair kSeriesHeading{"Series", "系列"};
constexpr app::TextPair kOptionsHeading{"Options", "选项"};
constexpr app::TextPair kNoMatch{
    "no part name contains what was asked for; scriba8 parts lists every part",
    "没有名称包含所给文字的型号；scriba8 parts 可列出所有型号"};

} // namespace

Report RunPartsCommand(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    const std::span<const BodyInfo> chips = session.chips();
    std::vector<std::int32_t> rows;
    if (!invocation.part.empty()) {
        const std::optional<std::int32_t> row = FindPart(chips, invocation.part);
        if (!row) session.selectPart(invocation.part); // throws with close matches
        rows.push_back(*row);
    } else if (invocation.filters.size() == 1 && FindPart(chips, invocation.filters[0])) {
        rows.push_back(*FindPart(chips, invocation.filters[0])); // a name, not a filter
    } else {
        rows = FilterParts(chips, invocation.filters);
    }
    const bool details = invocation.details || rows.size() == 1;

    const app::Language language = session.language();
    Json parts = Json::array();
    if (!details)
        report.lines.push_back(listLine(std::string(kRowHeading.in(language)),
                                        std::string(kPartHeading.in(language)),
                                        std::string(kSeriesHeading.in(language)), "Flash", "EEPROM",
                                        std::string(kOptionsHeading.in(language))));
    for (std::int32_t row : rows) {
        const BodyInfo& chip = chips[static_cast<std::size_t>(row)];
        parts.push_back(partJson(chip, row, details));
        if (details) {
            appendDetails(chip, row, language, report.lines);
        } else {
            report.lines.push_back(listLine(std::to_string(row), chip.partName, SeriesName(chip.seriesMask),
                                            std::to_string(chip.flashSize),
                                            std::to_string(chip.eepromSize), optionNames(chip)));
        }
    }
    report.data["parts"] = std::move(parts);
    if (rows.empty()) {
        report.lines.clear();
        report.setUsageError(std::string(kNoMatch.in(language)));
        return report;
    }
    report.setResult(S8_PASS, session.language(), invocation.command);
    return report;
}

Report RunInfoCommand(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    std::uint32_t version = 0;
    std::uint32_t edition = 0;
    if (session.api().GetDLLInfo != nullptr) session.api().GetDLLInfo(&version, &edition);
    const std::string versionText = std::to_string(version >> 24) + "." +
                                    std::to_string((version >> 16) & 0xFF) + "." +
                                    std::to_string((version >> 8) & 0xFF) + "." +
                                    std::to_string(version & 0xFF);
    const char* backend = std::getenv("SCRIBA8_PROGRAMMER");
    const bool isVirtual = backend != nullptr && std::string_view(backend) == "virtual";

    // Reading the off-line settings opens the programmer without powering
    // a chip: the least a probe can do.
    app::OperationLog quiet(session.language());
    const app::OffLineInfo probe = app::ReadOffLineInfo(session.api(), session.record(), quiet);
    const bool found = probe.result != S8_NO_PROGRAMMER;

    report.data["libraryVersion"] = versionText;
    report.data["edition"] = edition;
    report.data["parts"] = static_cast<std::uint64_t>(session.chips().size());
    Json programmer = Json::object();
    programmer["backend"] = isVirtual ? "virtual" : "usb";
    programmer["found"] = found;
    programmer["result"] = probe.result;
    report.data["programmer"] = std::move(programmer);

    const Say say(session.language());
    report.lines.push_back(say({"Scriba8 T3Plus library v", "Scriba8 T3Plus 库 v"}) + versionText +
                           say({" (edition ", "（版本类型 "}) + std::to_string(edition) +
                           say({"), ", "），"}) + std::to_string(session.chips().size()) +
                           say({" parts", " 个型号"}));
    std::string state = found ? say({"found", "已找到"}) : say({"not found", "未找到"});
    if (probe.result == S8_UPDATE_DECLINED || probe.result == S8_UPDATE_FAILED)
        state += say({", its firmware needs an update", "，其固件需要更新"});
    report.lines.push_back(say({"Programmer (", "编程器（"}) +
                           (isVirtual ? say({"virtual", "虚拟"}) : std::string("USB")) +
                           say({"): ", "）："}) + state);
    if (!found || probe.result == S8_UPDATE_DECLINED || probe.result == S8_UPDATE_FAILED) {
        report.setResult(probe.result, session.language(), invocation.command);
    } else {
        report.setResult(S8_PASS, session.language(), invocation.command);
    }
    return report;
}

Report RunCommand(const Invocation& invocation, Session& session) {
    const std::string& command = invocation.command;
    if (IsDeviceCommand(command)) return RunDeviceCommand(invocation, session);
    if (command.starts_with("project") || command == "isp-insert")
        return RunProjectCommand(invocation, session);
    if (command.starts_with("offline")) return RunOffLineCommand(invocation, session);
    if (command == "parts") return RunPartsCommand(invocation, session);
    if (command == "info") return RunInfoCommand(invocation, session);
    if (command == "report") return RunReportCommand(invocation, session);
    if (command == "produce") return RunProduceCommand(invocation, session, {});
    throw UsageError("unknown command \"" + command + "\"", "未知的命令 \"" + command + "\"");
}

} // namespace scriba8::cli
