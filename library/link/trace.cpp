// SPDX-License-Identifier: MIT
#include "link/trace.h"

#include "files/append_file.h"
#include "files/environment.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace scriba8 {
namespace {

void appendHex(std::string& out, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

std::string header(std::string_view kind, std::uint16_t pid) {
    std::string line(kind);
    line += ' ';
    appendHex(line, pid, 4);
    return line;
}

} // namespace

std::string traceLine(std::string_view kind, std::uint16_t pid, std::span<const std::uint8_t> bytes) {
    std::string line = header(kind, pid);
    line.reserve(line.size() + bytes.size() * 3);
    for (std::uint8_t byte : bytes) {
        line += ' ';
        appendHex(line, byte, 2);
    }
    return line;
}

void TransferTrace::openFromEnvironment() {
    close();
    const std::optional<std::string> path = files::environmentValue("SCRIBA8_TRACE");
    if (!path || path->empty()) return;
    file_ = files::openForAppending(*path);
    if (file_ == nullptr)
        std::fprintf(stderr, "Scriba8: cannot append the transfer trace to %s\n", path->c_str());
}

void TransferTrace::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

void TransferTrace::set(std::uint16_t pid, std::span<const std::uint8_t> payload) {
    if (file_ != nullptr) write(traceLine("SET", pid, payload));
}

void TransferTrace::get(std::uint16_t pid, std::span<const std::uint8_t> taken) {
    if (file_ != nullptr) write(traceLine("GET", pid, taken));
}

void TransferTrace::input(std::uint16_t pid, std::span<const std::uint8_t> report) {
    if (file_ != nullptr) write(traceLine("IN", pid, report));
}

void TransferTrace::timeout(std::uint16_t pid, std::uint32_t ms) {
    if (file_ != nullptr) write(header("TIMEOUT", pid) + ' ' + std::to_string(ms));
}

void TransferTrace::wrongTag(std::uint16_t pid, std::uint8_t wanted, std::uint8_t got) {
    if (file_ != nullptr) write(traceLine("TAG", pid, std::array{wanted, got}));
}

void TransferTrace::refused(std::uint16_t pid, std::string_view what) {
    if (file_ != nullptr) write(header("REFUSED", pid) + ' ' + std::string(what));
}

void TransferTrace::write(const std::string& line) {
    // Flushed per line: a crash or a hung device must not lose the lines
    // that explain it.
    std::fprintf(file_, "%s\n", line.c_str());
    std::fflush(file_);
}

} // namespace scriba8
