// SPDX-License-Identifier: MIT
// Buffers lent to the library for one call. The library reads (or writes)
// through the record's pointers; the copies keep the editor's buffers out of
// its reach and are freed when the call is over.
#pragma once

#include "code_buffers.h"
#include "library_api.h"
#include "operation_log.h"
#include "texts.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace scriba8::app {

// A copy of a buffer for one call. Never empty, so the library never gets a
// null pointer, even for a transfer of length 0.
std::vector<std::uint8_t> CopyForCall(std::span<const std::uint8_t> bytes);

// The whole code image of a project save or an off-line download: the Flash
// buffer, and the EEPROM buffer on a chip that has one.
class LentProjectImage {
public:
    // Points the record at copies of the buffers, with their lengths and
    // checksums (flashFullChecksum over the chip's whole Flash). On a chip
    // without EEPROM the EEPROM fields are cleared: the library stores
    // eepromLength bytes, and a length left from an earlier command must not
    // send it reading through a stale pointer.
    LentProjectImage(const LibraryApi& api, ContextRecord& record, const CodeBuffers& buffers);
    // Takes the pointers back from the record.
    ~LentProjectImage();
    LentProjectImage(const LentProjectImage&) = delete;
    LentProjectImage& operator=(const LentProjectImage&) = delete;

    // A chip without EEPROM and no code loaded: nothing worth storing.
    bool empty() const { return empty_; }

private:
    ContextRecord& record_;
    std::vector<std::uint8_t> flash_;
    std::vector<std::uint8_t> eeprom_;
    bool empty_ = false;
};

// One project-image command from start line to result line: the image is
// lent and bit 15 of autoProcess set for the duration of call; "Buffer is
// empty" when there is nothing to store. Returns the result code.
std::int32_t RunProjectImageCommand(const LibraryApi& api, ContextRecord& record,
                                    const CodeBuffers& buffers, OperationLog& log,
                                    const TextPair& command,
                                    const std::function<std::int32_t()>& call);

} // namespace scriba8::app
