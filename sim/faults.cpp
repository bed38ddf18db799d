// SPDX-License-Identifier: MIT
#include "sim/faults.h"

#include <charconv>

namespace scriba8::sim {
namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::optional<std::uint32_t> number(std::string_view text, std::uint32_t max) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<OpCode> opCode(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    auto hex = [](std::string_view part) -> std::optional<std::uint8_t> {
        std::uint8_t value = 0;
        auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value, 16);
        if (part.empty() || part.size() > 2 || error != std::errc{} ||
            end != part.data() + part.size()) {
            return std::nullopt;
        }
        return value;
    };
    const auto operation = hex(text.substr(0, slash));
    const auto area = hex(text.substr(slash + 1));
    if (!operation || !area) return std::nullopt;
    return OpCode{*operation, *area};
}

std::optional<ReportFault> reportFault(std::string_view text) {
    ReportFault fault;
    if (text.starts_with("boot:")) {
        fault.bootLoaderOnly = true;
        text.remove_prefix(5);
    }
    const auto at = number(text, 1'000'000);
    if (!at || *at == 0) return std::nullopt;
    fault.at = static_cast<int>(*at);
    return fault;
}

// Applies one item; false when it cannot be read.
bool apply(std::string_view name, std::optional<std::string_view> value, FaultSpec& wanted) {
    Faults& f = wanted.faults;
    if (!value) {
        if (name == "absent") f.absent = true;
        else if (name == "locked") wanted.locked = true;
        else if (name == "id-mismatch") f.identityMismatch = true;
        else if (name == "power-down-refused") f.status[kPowerDownOp] = 1;
        else if (name == "no-boot-loader") f.noBootLoader = true;
        else if (name == "checksum-swapped") f.checksumSwapped = true;
        else if (name == "fw-no8051") wanted.no8051 = true;
        else return false;
        return true;
    }
    if (name == "fw-main") {
        wanted.mainFirmware = number(*value, 0xFFFFFFFF);
        return wanted.mainFirmware.has_value();
    }
    if (name == "fw-aux") {
        const auto aux = number(*value, 0xFFFF);
        if (aux) wanted.auxFirmware = static_cast<std::uint16_t>(*aux);
        return aux.has_value();
    }
    if (name == "power-on-status") {
        const auto status = number(*value, 0xFFFF);
        if (status) f.status[kPowerOnOp] = static_cast<std::uint16_t>(*status);
        return status.has_value();
    }
    if (name == "set-fail" || name == "get-fail") {
        const auto fault = reportFault(*value);
        if (fault) (name == "set-fail" ? f.refuseSetFeature : f.refuseGetFeature) = *fault;
        return fault.has_value();
    }
    if (name == "aux-reject") {
        const auto at = number(*value, 1'000'000);
        if (at && *at > 0) f.auxRejectAtPoll = static_cast<int>(*at);
        return at && *at > 0;
    }
    if (name == "no-reply" || name == "wrong-tag") {
        const auto op = opCode(*value);
        if (op) (name == "no-reply" ? f.noStatusReply : f.wrongTag).insert(*op);
        return op.has_value();
    }
    if (name == "status") {
        const auto colon = value->find(':');
        if (colon == std::string_view::npos) return false;
        const std::string_view target = value->substr(0, colon);
        const auto at = target.find('@');
        const auto op = opCode(target.substr(0, at));
        const auto status = number(value->substr(colon + 1), 0xFFFF);
        if (!op || !status) return false;
        if (at == std::string_view::npos) {
            f.status[*op] = static_cast<std::uint16_t>(*status);
            return true;
        }
        const auto nth = number(target.substr(at + 1), 1'000'000);
        if (!nth || *nth == 0) return false;
        f.statusAt[{*op, static_cast<int>(*nth)}] = static_cast<std::uint16_t>(*status);
        return true;
    }
    return false;
}

} // namespace

std::variant<FaultSpec, std::string> parseFaultSpec(std::string_view text) {
    FaultSpec wanted;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view item = trim(text.substr(0, comma));
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
        if (item.empty()) continue;
        const auto equals = item.find('=');
        const std::string_view name = trim(item.substr(0, equals));
        std::optional<std::string_view> value;
        if (equals != std::string_view::npos) value = trim(item.substr(equals + 1));
        if (!apply(name, value, wanted)) return "cannot read the fault \"" + std::string(item) + "\"";
    }
    return wanted;
}

} // namespace scriba8::sim
