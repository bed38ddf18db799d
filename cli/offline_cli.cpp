// SPDX-License-Identifier: MIT
// offline download and offline read.
#include "commands.h"
#include "project/codepage.h"

#include "chip_lookup.h"
#include "chip_selection.h"
#include "offline_commands.h"
#include "selection_output.h"
#include "steps.h"
#include "text_format.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace scriba8::cli {
namespace {

std::uint32_t parseHex(const std::string& text, std::uint64_t maximum, const char* option) {
    std::string digits = text;
    if (digits.starts_with("0x") || digits.starts_with("0X")) digits.erase(0, 2);
    const std::optional<std::uint64_t> value =
        digits.empty() ? std::nullopt : ParseNumber("0x" + digits, maximum);
    if (!value)
        throw UsageError(std::string(option) + " takes hexadecimal digits up to " +
                             HexText(static_cast<std::uint32_t>(maximum), 8) + ", not \"" + text + "\"",
                         std::string(option) + " 应为不超过 " +
                             HexText(static_cast<std::uint32_t>(maximum), 8) + " 的十六进制数，不能是 \"" +
                             text + "\"");
    return static_cast<std::uint32_t>(*value);
}

void applySettings(const Invocation& invocation, Session& session) {
    ContextRecord& record = session.record();
    const BodyInfo& chip = *session.chip();
    if (!invocation.maxCount.empty()) {
        const std::optional<std::uint64_t> count = ParseNumber(invocation.maxCount, 65535);
        if (!count)
            throw UsageError(app::TextPair{"--max-count takes 0 (no limit) to 65535",
                                           "--max-count 应为 0（不限）到 65535"});
        record.maxCounter = static_cast<std::uint16_t>(*count);
    }
    const bool serialDetails = invocation.serialAutoIncrement || !invocation.serialString.empty() ||
                               !invocation.serialNumber.empty() || !invocation.serialAddress.empty();
    if (serialDetails && !invocation.serial)
        throw UsageError(app::TextPair{
            "the serial-number settings need --serial, which turns serial numbers on",
            "序列号设置需要 --serial（开启序列号）"});
    record.serialFlags = static_cast<std::uint8_t>((invocation.serial ? 1 : 0) |
                                                   (invocation.serialAutoIncrement ? 2 : 0));
    if (!invocation.serialString.empty()) {
        // Written into every chip in the project code page, like a project's texts.
        const std::string legacy = toLegacyText(invocation.serialString);
        if (legacy.size() > S8_SERIAL_STRING_SIZE)
            throw UsageError("--serial-string holds at most 12 bytes in the project code page (" +
                                 projectCodePage() + ")",
                             "--serial-string 在项目代码页（" + projectCodePage() + "）中最多 12 字节");
        std::memset(record.serialString, 0xFF, S8_SERIAL_STRING_SIZE);
        std::memcpy(record.serialString, legacy.data(), legacy.size());
    }
    if (!invocation.serialNumber.empty())
        record.serialNumber = parseHex(invocation.serialNumber, 0xFFFFFFFF, "--serial-number");
    if (!invocation.serialAddress.empty()) {
        const std::uint32_t last = chip.flashSize >= 16 ? chip.flashSize - 16 : 0;
        record.serialAddress = parseHex(invocation.serialAddress, last, "--serial-address");
    }
}

constexpr std::array<const char*, 9> kFrequencies{"External", "6M",       "8M",  "11.0592M", "12M",
                                                  "20M",      "22.1184M", "24M", "24.576M"};

Report download(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    if (!session.prepare(invocation, {true, app::BufferTab::flash, true, true}, report))
        return report;
    applySettings(invocation, session);
    const ContextRecord& settings = session.record();
    if ((settings.serialFlags & 1) != 0 && !invocation.force) {
        // The programmer writes the serial block over the image in each chip.
        if (const auto range = CodeIn(session.buffers().flash, settings.serialAddress,
                                      std::size_t{settings.serialAddress} + 16))
            throw UsageError("the serial number at " + HexText(settings.serialAddress, 8) +
                                 " would overwrite code at " + RangeText(*range) +
                                 ": choose --serial-address where the code is 0xFF, or pass --force",
                             "位于 " + HexText(settings.serialAddress, 8) + " 的序列号会覆盖 " +
                                 RangeText(*range) +
                                 " 的代码：请用 --serial-address 选择代码为 0xFF 的位置，或加上 --force");
    }
    if (!session.holdProgrammer(report)) return report;
    const std::int32_t result = app::DownloadOffLine(session.api(), session.record(),
                                                     session.buffers(), session.log(),
                                                     session.progress());
    report.setResult(result, session.language(), invocation.command);
    const ContextRecord& record = session.record();
    report.data["maxCounter"] = static_cast<unsigned>(record.maxCounter);
    report.data["serialEnabled"] = (record.serialFlags & 1) != 0;
    return report;
}

Report read(Session& session, const std::string& command) {
    Report report;
    report.command = command;
    if (!session.holdProgrammer(report)) return report;
    const app::OffLineInfo read = app::ReadOffLineInfo(session.api(), session.record(), session.log());
    report.setResult(read.result, session.language(), command);
    if (read.result != S8_PASS) return report;

    const ContextRecord& info = *read.info;
    const BodyInfo* chip = app::ChipRow(session.api(), info.partIndex);
    const bool autoIncrement = (info.serialFlags & 2) != 0;
    const std::uint32_t currentNumber =
        autoIncrement ? info.serialNumber + info.currentSerialNumber : info.currentSerialNumber;
    const bool trim = (info.trimWord & 0xFF) == 1;
    const unsigned frequency = info.trimWord >> 8;
    const std::string frequencyText = frequency < kFrequencies.size() ? kFrequencies[frequency] : "unknown";

    Json data = Json::object();
    data["part"] = chip != nullptr ? Json(chip->partName) : Json();
    data["flashStart"] = info.flashStart;
    data["flashLength"] = info.flashLength;
    data["flashChecksum"] = static_cast<unsigned>(info.flashChecksum);
    data["eepromLength"] = info.eepromLength;
    data["eepromChecksum"] = static_cast<unsigned>(info.eepromChecksum);
    data["serialEnabled"] = (info.serialFlags & 1) != 0;
    data["serialAutoIncrement"] = autoIncrement;
    data["serialAddress"] = info.serialAddress;
    data["serialString"] = fromLegacyText(FieldText(info.serialString, S8_SERIAL_STRING_SIZE));
    data["serialNumber"] = info.serialNumber;
    data["currentSerialNumber"] = currentNumber;
    data["maxCounter"] = static_cast<unsigned>(info.maxCounter);
    data["currentCounter"] = static_cast<unsigned>(info.currentCounter);
    data["trimFrequency"] = trim ? Json(frequencyText) : Json();
    Json steps = Json::array();
    for (const std::string& step : StepList(info.autoProcess)) steps.push_back(step);
    data["steps"] = std::move(steps);

    const app::Language language = session.language();
    const Say say(language);
    std::vector<std::string>& lines = report.lines;
    lines.push_back(say({"Off-line project in the programmer", "编程器中的脱机项目"}));
    lines.push_back(FieldLine(say({"Part", "型号"}),
                              chip != nullptr ? std::string(chip->partName) : say({"unknown", "未知"})));
    lines.push_back(FieldLine("Flash", say({"start ", "起始 "}) + HexText(info.flashStart, 8) +
                                           say({", ", "，"}) +
                                           SizeAndChecksums(info.flashLength, info.flashChecksum,
                                                            std::nullopt, language)));
    lines.push_back(FieldLine("EEPROM", SizeAndChecksums(info.eepromLength, info.eepromChecksum,
                                                         std::nullopt, language)));
    lines.push_back(FieldLine(say({"Counter", "计数"}),
                              std::to_string(info.currentCounter) + say({" of ", " / "}) +
                                  (info.maxCounter == 0 ? say({"unlimited", "不限"})
                                                        : std::to_string(info.maxCounter))));
    if ((info.serialFlags & 1) != 0) {
        lines.push_back(FieldLine(
            say({"Serial number", "序列号"}),
            "\"" + fromLegacyText(FieldText(info.serialString, S8_SERIAL_STRING_SIZE)) + "\" " +
                HexText(info.serialNumber, 8) +
                (autoIncrement ? say({", incrementing", "，自动递增"}) : std::string()) +
                say({", at ", "，地址 "}) + HexText(info.serialAddress, 8) + say({", now ", "，当前 "}) +
                HexText(currentNumber, 8)));
    } else {
        lines.push_back(FieldLine(say({"Serial number", "序列号"}), say({"off", "关闭"})));
    }
    lines.push_back(FieldLine(say({"Trim frequency", "频率校准"}), trim ? frequencyText : say({"off", "关闭"})));
    std::string stepText;
    for (const std::string& step : StepList(info.autoProcess))
        stepText += (stepText.empty() ? "" : ",") + step;
    lines.push_back(FieldLine(say({"Auto steps", "自动步骤"}), stepText.empty() ? say({"none", "无"}) : stepText));
    if (chip != nullptr) {
        // The frequency is shown above; the option bytes do not hold it.
        const SelectionTexts options = DescribeSelection(*chip, info, SelectionSource::decoded);
        data["options"] = SelectionJson(options);
        lines.push_back(say({"  Options:", "  选项："}));
        AppendSelectionLines(options, lines, "    ");
    }
    report.data = std::move(data);
    return report;
}

} // namespace

Report RunOffLineCommand(const Invocation& invocation, Session& session) {
    if (invocation.command == "offline download") return download(invocation, session);
    return read(session, invocation.command);
}

} // namespace scriba8::cli
