// SPDX-License-Identifier: MIT
// A new folder of its own under the system's temporary folder, for one test.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace scriba8::test {

inline std::filesystem::path MakeTempFolder(const std::string& prefix) {
    std::random_device entropy;
    for (;;) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(entropy()));
        if (std::filesystem::create_directory(folder)) return folder;
    }
}

} // namespace scriba8::test
