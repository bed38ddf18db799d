// SPDX-License-Identifier: MIT
// Shared set-up for the link tests: a fresh virtual programmer behind the
// link, a manual clock, and the transfer trace in a scratch file.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "chips/chip_table.h"
#include "link/hid_port.h"
#include "link/transport.h"
#include "sim/manual_clock.h"
#include "sim/virtual_backend.h"
#include "sim/virtual_programmer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace scriba8::testing {

// Host callbacks that answer from a script and remember what was said.
struct ScriptedHost {
    bool answer = false;
    std::vector<std::string> questions;
    std::vector<std::string> errors;
    S8HostCallbacks callbacks{this, &ScriptedHost::ask, &ScriptedHost::error, nullptr};

    static int ask(void* self, const char* text) {
        auto* host = static_cast<ScriptedHost*>(self);
        host->questions.emplace_back(text);
        return host->answer ? 1 : 0;
    }
    static void error(void* self, const char* text) {
        static_cast<ScriptedHost*>(self)->errors.emplace_back(text);
    }
};

inline std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

// The first row of the chip table that satisfies pred, or -1.
inline std::int32_t chipIndexWhere(const std::function<bool(const ChipRecord&)>& pred) {
    const auto table = chipTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (pred(table[i])) return static_cast<std::int32_t>(i);
    }
    return -1;
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"SCRIBA8_VIRTUAL_STATE", "SCRIBA8_VIRTUAL_FAULTS",
                                 "SCRIBA8_VIRTUAL_CHIP", "SCRIBA8_VIRTUAL_PACE", "SCRIBA8_USB_IDS",
                                 "SCRIBA8_RESOURCE_DIR"}) {
            ::unsetenv(name);
        }
        tracePath_ = std::filesystem::temp_directory_path() /
                     ("scriba8-trace-" + std::to_string(::getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
        std::filesystem::remove(tracePath_);
        ::setenv("SCRIBA8_TRACE", tracePath_.c_str(), 1);
        device().reset();
        device().environmentApplied = true;
        setBackendOverride(&sim::virtualBackend());
        ctx_.partIndex = 0;
        ctx_.status = &status_;
        ctx_.host = &host_.callbacks;
    }

    void TearDown() override {
        ReleaseProgrammer();
        setBackendOverride(nullptr);
        ::unsetenv("SCRIBA8_TRACE");
        std::filesystem::remove(tracePath_);
    }

    static sim::VirtualProgrammer& device() { return sim::virtualProgrammer(); }
    std::vector<std::uint32_t>& sleeps() { return clock_.clock.sleeps; }

    std::vector<std::string> trace() const {
        std::vector<std::string> lines;
        std::ifstream in(tracePath_);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // Trace lines that start with prefix (e.g. "SET 0001 55").
    std::vector<std::string> traceLinesStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& line : trace()) {
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        }
        return out;
    }

    // The commands sent, as "op/area" words such as "07/01", in order.
    std::vector<std::string> commandsSent() const {
        std::vector<std::string> out;
        for (const std::string& line : traceLinesStartingWith("SET ")) {
            const auto words = splitWords(line);
            if (words.size() > 5 && words[2] == "55") out.push_back(words[4] + "/" + words[5]);
        }
        return out;
    }

    sim::ScopedManualClock clock_;
    ScriptedHost host_;
    std::uint16_t status_ = 0xBEEF;
    ContextRecord ctx_{};
    std::filesystem::path tracePath_;
};

} // namespace scriba8::testing
