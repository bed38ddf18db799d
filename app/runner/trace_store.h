// SPDX-License-Identifier: MIT
// Where the library's transfer trace goes so that scriba8 can read it back
// while the library appends to it by name: an in-memory file on Linux, a
// temporary file that vanishes with its last handle on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace scriba8::app {

class TraceStore {
  public:
    virtual ~TraceStore() = default;

    // Null when this system cannot make one.
    static std::unique_ptr<TraceStore> create();

    // The name SCRIBA8_TRACE is set to; the library opens it for appending.
    virtual std::string name() const = 0;

    // Up to buffer.size() bytes from offset on; 0 at the end.
    virtual std::size_t read(std::uint64_t offset, std::span<char> buffer) = 0;

    // The bytes before offset have been read and are no longer needed.
    virtual void release(std::uint64_t offset) = 0;
};

// The name that makes the library write its trace to standard error, or
// empty where there is none.
std::string StandardErrorTraceName();

} // namespace scriba8::app
