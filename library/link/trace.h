// SPDX-License-Identifier: MIT
// The transfer trace: with SCRIBA8_TRACE=<file> the link appends one line per
// transfer, for debugging real hardware and for tests.
//
//   SET <pid> <bytes>    payload handed to set-feature (all 128 or 64 bytes,
//                        without the report id)
//   GET <pid> <bytes>    the data bytes the caller took from a get-feature report
//   IN <pid> <bytes>     a whole input report as read, report id in front
//   TIMEOUT <pid> <ms>   no (complete) input report within ms
//   TAG <pid> <want> <got>  the status reply answers another command (tags
//                        as two hex digits)
//   REFUSED <pid> SET|GET  the device refused the report
//
// <pid> is the product id open, four hex digits; bytes are two upper-case
// hex digits separated by single spaces.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace scriba8 {

std::string traceLine(std::string_view kind, std::uint16_t pid, std::span<const std::uint8_t> bytes);

class TransferTrace {
public:
    TransferTrace() = default;
    ~TransferTrace() { close(); }
    TransferTrace(const TransferTrace&) = delete;
    TransferTrace& operator=(const TransferTrace&) = delete;

    // Starts appending to the file named by SCRIBA8_TRACE, if any.
    void openFromEnvironment();
    void close();

    void set(std::uint16_t pid, std::span<const std::uint8_t> payload);
    void get(std::uint16_t pid, std::span<const std::uint8_t> taken);
    void input(std::uint16_t pid, std::span<const std::uint8_t> report);
    void timeout(std::uint16_t pid, std::uint32_t ms);
    void wrongTag(std::uint16_t pid, std::uint8_t wanted, std::uint8_t got);
    void refused(std::uint16_t pid, std::string_view what);

private:
    void write(const std::string& line);
    std::FILE* file_ = nullptr;
};

} // namespace scriba8
