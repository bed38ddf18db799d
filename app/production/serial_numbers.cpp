// SPDX-License-Identifier: MIT
#include "serial_numbers.h"

#include "file_errors.h"
#include "file_paths.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace scriba8::app {
namespace {

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string hexNumber(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string hexAddress(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// The largest number size digits of this base can write, for base 10 and 16,
// or size bytes of binary.
std::uint64_t largestFor(unsigned size, SerialFormat format) {
    if (format == SerialFormat::binary)
        return size >= 8 ? UINT64_MAX : (std::uint64_t{1} << (8 * size)) - 1;
    const std::uint64_t base = format == SerialFormat::decimal ? 10 : 16;
    std::uint64_t largest = 1;
    for (unsigned i = 0; i < size; ++i) {
        if (largest > UINT64_MAX / base) return UINT64_MAX;
        largest *= base;
    }
    return largest - 1;
}

std::vector<std::uint8_t> encode(std::uint64_t value, const ContinuousSerials& rule) {
    std::vector<std::uint8_t> bytes(rule.size);
    if (rule.format == SerialFormat::binary) {
        for (unsigned i = 0; i < rule.size; ++i) {
            const auto byte = static_cast<std::uint8_t>(value >> (8 * i));
            bytes[rule.order == ByteOrder::little ? i : rule.size - 1 - i] = byte;
        }
        return bytes;
    }
    const unsigned base = rule.format == SerialFormat::decimal ? 10 : 16;
    for (unsigned i = rule.size; i-- > 0;) {
        bytes[i] = static_cast<std::uint8_t>("0123456789ABCDEF"[value % base]);
        value /= base;
    }
    return bytes;
}

Bilingual badItem(std::string_view item, const std::string& english, const std::string& chinese) {
    return {"--serial: \"" + std::string(item) + "\": " + english,
            "--serial：\"" + std::string(item) + "\"：" + chinese};
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One line of a list file, or why it is not one.
std::variant<std::vector<std::uint8_t>, Bilingual> readListLine(std::string_view line) {
    if (line.front() == '"') {
        if (line.size() < 2 || line.back() != '"')
            return Bilingual{"the text has no closing double quote", "文字缺少结尾的双引号"};
        const std::string_view text = line.substr(1, line.size() - 2);
        if (text.empty()) return Bilingual{"the text is empty", "文字为空"};
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : line) {
        if (c == ' ' || c == '\t') {
            if (high >= 0) return Bilingual{"a hex byte split by a blank", "十六进制字节被空白分开"};
            continue;
        }
        const int digit = hexDigit(c);
        if (digit < 0)
            return Bilingual{std::string("'") + c + "' is not a hex digit (text goes in double quotes)",
                             std::string("'") + c + "' 不是十六进制数字（文字须放在双引号中）"};
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    if (high >= 0) return Bilingual{"an odd number of hex digits", "十六进制位数为奇数"};
    return bytes;
}

} // namespace

std::optional<std::uint64_t> ParseNumberText(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::uint32_t SerialPlan::address() const {
    if (const auto* continuous = std::get_if<ContinuousSerials>(&rule))
        return continuous->address.value_or(0);
    if (const auto* list = std::get_if<SerialList>(&rule)) return list->address.value_or(0);
    if (const auto* block = std::get_if<SerialBlock>(&rule)) return block->address;
    return 0;
}

std::size_t SerialPlan::size() const {
    if (const auto* continuous = std::get_if<ContinuousSerials>(&rule)) return continuous->size;
    if (const auto* list = std::get_if<SerialList>(&rule))
        return list->values.empty() ? 0 : list->values.front().size();
    if (std::holds_alternative<SerialBlock>(rule)) return 16;
    return 0;
}

std::optional<Serial> SerialPlan::at(std::uint64_t k) const {
    if (const auto* continuous = std::get_if<ContinuousSerials>(&rule)) {
        const std::uint64_t largest = largestFor(continuous->size, continuous->format);
        if (continuous->start > largest) return std::nullopt;
        if (k != 0 && continuous->step > (largest - continuous->start) / k) return std::nullopt;
        const std::uint64_t value = continuous->start + k * continuous->step;
        return Serial{"n:" + std::to_string(value), hexNumber(value), encode(value, *continuous)};
    }
    if (const auto* list = std::get_if<SerialList>(&rule)) {
        if (k >= list->values.size()) return std::nullopt;
        const std::vector<std::uint8_t>& bytes = list->values[static_cast<std::size_t>(k)];
        return Serial{"b:" + hexBytes(bytes), hexBytes(bytes), bytes};
    }
    if (const auto* block = std::get_if<SerialBlock>(&rule)) {
        if (k > UINT32_MAX - block->start) return std::nullopt;
        const auto value = static_cast<std::uint32_t>(block->start + k);
        std::vector<std::uint8_t> bytes(block->text.begin(), block->text.end());
        for (int i = 3; i >= 0; --i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return Serial{"n:" + std::to_string(value), hexNumber(value), std::move(bytes)};
    }
    return std::nullopt;
}

std::variant<ContinuousSerials, Bilingual> ParseSerialOption(std::string_view text) {
    ContinuousSerials rule;
    bool startGiven = false;
    bool addressOnly = true;
    while (!text.empty()) {
        const std::size_t comma = std::min(text.find(','), text.size());
        const std::string_view item = trimmed(text.substr(0, comma));
        text.remove_prefix(std::min(comma + 1, text.size()));
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos)
            return badItem(item, "write NAME=VALUE (start, step, size, address, order, format)",
                           "应写成 NAME=VALUE（start、step、size、address、order、format）");
        const std::string_view name = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        if (name != "address") addressOnly = false;
        if (name == "order") {
            if (value == "le") rule.order = ByteOrder::little;
            else if (value == "be") rule.order = ByteOrder::big;
            else return badItem(item, "order is le or be", "order 只能取 le 或 be");
            continue;
        }
        if (name == "format") {
            if (value == "bin") rule.format = SerialFormat::binary;
            else if (value == "dec") rule.format = SerialFormat::decimal;
            else if (value == "hex") rule.format = SerialFormat::hex;
            else return badItem(item, "format is bin, dec or hex", "format 只能取 bin、dec 或 hex");
            continue;
        }
        const std::optional<std::uint64_t> number = ParseNumberText(value);
        if (!number) return badItem(item, "not a number (decimal or 0x hex)", "不是数字（十进制或 0x 十六进制）");
        if (name == "start") {
            rule.start = *number;
            startGiven = true;
        } else if (name == "step") {
            if (*number == 0) return badItem(item, "a step of 0 repeats one number", "步长为 0 会重复同一个数字");
            rule.step = *number;
        } else if (name == "size") {
            if (*number < 1 || *number > 8) return badItem(item, "size is 1 to 8 bytes", "size 为 1 到 8 字节");
            rule.size = static_cast<unsigned>(*number);
        } else if (name == "address") {
            if (*number > UINT32_MAX) return badItem(item, "beyond any chip", "超出任何芯片");
            rule.address = static_cast<std::uint32_t>(*number);
        } else {
            return badItem(item, "the names are start, step, size, address, order and format",
                           "名称只能是 start、step、size、address、order 和 format");
        }
    }
    if (!rule.address)
        return Bilingual{"--serial needs address=A: where in Flash the number goes",
                         "--serial 需要 address=A：数字写入 Flash 的位置"};
    if (!startGiven && !addressOnly)
        return Bilingual{"--serial needs start=N: the first number", "--serial 需要 start=N：第一个数字"};
    if (startGiven && rule.start > largestFor(rule.size, rule.format))
        return Bilingual{"--serial: the start number " + std::to_string(rule.start) +
                             " does not fit in " + std::to_string(rule.size) + " bytes",
                         "--serial：起始数字 " + std::to_string(rule.start) + " 放不进 " +
                             std::to_string(rule.size) + " 字节"};
    if (!startGiven) rule.size = 0; // only the address, for a list
    return rule;
}

std::variant<SerialList, Bilingual> ReadSerialList(const std::string& path) {
    const FileContents contents = ReadFileContents(path, 64u << 20);
    if (contents.error != 0)
        return Bilingual{FileReason(path, contents.error, Language::english),
                         FileReason(path, contents.error, Language::chinese)};
    SerialList list;
    list.file = path;
    std::string_view text(reinterpret_cast<const char*>(contents.bytes.data()), contents.bytes.size());
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (line.empty() || line.front() == '#') continue;
        auto read = readListLine(line);
        const auto where = [&](const Bilingual& why) {
            const std::string number = std::to_string(lineNumber);
            return Bilingual{path + ": line " + number + ": " + why.english,
                             path + ": 第" + number + "行: " + why.chinese};
        };
        if (const auto* why = std::get_if<Bilingual>(&read)) return where(*why);
        std::vector<std::uint8_t>& bytes = std::get<std::vector<std::uint8_t>>(read);
        if (!list.values.empty() && bytes.size() != list.values.front().size())
            return where({std::to_string(bytes.size()) + " bytes where the first serial has " +
                              std::to_string(list.values.front().size()),
                          std::to_string(bytes.size()) + " 字节，而第一个序列号为 " +
                              std::to_string(list.values.front().size()) + " 字节"});
        if (bytes.size() > 256) return where({"longer than 256 bytes", "超过 256 字节"});
        list.values.push_back(std::move(bytes));
    }
    if (list.values.empty())
        return Bilingual{path + ": no serial numbers in the file", path + ": 文件中没有序列号"};
    return list;
}

std::optional<Bilingual> CheckSerialArea(const SerialPlan& plan, std::span<const std::uint8_t> image,
                                         std::uint32_t flashSize, bool force) {
    if (!plan.enabled()) return std::nullopt;
    const std::uint64_t start = plan.address();
    const std::uint64_t end = start + plan.size();
    if (end > flashSize)
        return Bilingual{"the serial number at " + hexAddress(start) + " (" + std::to_string(plan.size()) +
                             " bytes) reaches beyond the chip's " + std::to_string(flashSize) +
                             " bytes of Flash",
                         "位于 " + hexAddress(start) + " 的序列号（" + std::to_string(plan.size()) +
                             " 字节）超出芯片 " + std::to_string(flashSize) + " 字节的 Flash"};
    if (force) return std::nullopt;
    for (std::uint64_t at = start; at < end && at < image.size(); ++at) {
        if (image[static_cast<std::size_t>(at)] == 0xFF) continue;
        return Bilingual{"the serial number at " + hexAddress(start) + " would overwrite code at " +
                             hexAddress(at) + ": choose an address where the code is 0xFF, or pass --force",
                         "位于 " + hexAddress(start) + " 的序列号会覆盖 " + hexAddress(at) +
                             " 处的代码：请选择代码为 0xFF 的地址，或加上 --force"};
    }
    return std::nullopt;
}

std::vector<std::uint8_t> PatchSerial(std::span<const std::uint8_t> image, std::uint32_t address,
                                      std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> patched(image.begin(), image.end());
    const std::size_t end = std::size_t{address} + bytes.size();
    if (patched.size() < end) patched.resize(end, 0xFF);
    std::copy(bytes.begin(), bytes.end(), patched.begin() + static_cast<std::ptrdiff_t>(address));
    return patched;
}

} // namespace scriba8::app
