// SPDX-License-Identifier: MIT
#include "files/local_time.h"

namespace scriba8::files {

std::optional<std::tm> localTime(std::time_t when) {
    std::tm local{};
    if (when == static_cast<std::time_t>(-1) || ::localtime_r(&when, &local) == nullptr)
        return std::nullopt;
    return local;
}

std::optional<std::tm> utcTime(std::time_t when) {
    std::tm utc{};
    if (when == static_cast<std::time_t>(-1) || ::gmtime_r(&when, &utc) == nullptr) return std::nullopt;
    return utc;
}

} // namespace scriba8::files
