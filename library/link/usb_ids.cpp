// SPDX-License-Identifier: MIT
#include "link/usb_ids.h"

#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace scriba8 {
namespace {

std::optional<std::uint16_t> parseHex16(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
    if (text.empty() || text.size() > 4) return std::nullopt;
    std::uint16_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace

std::optional<UsbIds> parseUsbIds(std::string_view text) {
    std::optional<std::uint16_t> parts[3];
    for (int i = 0; i < 3; ++i) {
        const auto colon = text.find(':');
        if ((i < 2) == (colon == std::string_view::npos)) return std::nullopt;
        parts[i] = parseHex16(text.substr(0, colon));
        if (!parts[i]) return std::nullopt;
        text.remove_prefix(i < 2 ? colon + 1 : text.size());
    }
    if (*parts[1] == *parts[2]) return std::nullopt;
    return UsbIds{*parts[0], *parts[1], *parts[2]};
}

UsbIds programmerUsbIds() {
    const char* text = std::getenv("SCRIBA8_USB_IDS");
    if (text == nullptr || *text == '\0') return kDefaultUsbIds;
    if (auto ids = parseUsbIds(text)) return *ids;
    static std::atomic<bool> warned{false};
    if (!warned.exchange(true)) {
        std::fprintf(stderr,
                     "Scriba8: ignoring SCRIBA8_USB_IDS=\"%s\": expected vid:pid:bootpid in hex "
                     "with two different product ids, for example 1209:0001:0002\n",
                     text);
    }
    return kDefaultUsbIds;
}

} // namespace scriba8
