// SPDX-License-Identifier: MIT
#include "operation_steps.h"

namespace scriba8 {

std::uint32_t PageCount(std::uint32_t memorySize, std::uint32_t pageSize) {
    if (pageSize == 0) return 0;
    return memorySize / pageSize + (memorySize % pageSize != 0 ? 1 : 0);
}

std::uint32_t EraseTimeoutMs(std::uint32_t pages) { return pages * 30 + 1000; }

std::uint32_t WriteTimeoutMs(std::uint32_t length) { return length / 52 + 5000; }

CommandBlock EraseCommand(Command command, std::uint32_t pages, std::uint16_t pageSize) {
    CommandBlock block = MakeCommand(command);
    PutU32(block, 8, pages);
    PutU16(block, 12, pageSize);
    return block;
}

CommandBlock WriteCommand(Command command, std::uint32_t start, std::uint32_t length,
                          std::uint16_t checksum) {
    CommandBlock block = MakeCommand(command);
    PutU32(block, 4, start);
    PutU32(block, 8, length);
    PutU16(block, 12, checksum);
    return block;
}

CommandBlock ReadCommand(Command command, std::uint32_t length) {
    CommandBlock block = MakeCommand(command);
    PutU32(block, 8, length);
    return block;
}

bool SendWithData(const CommandBlock& command, std::span<const std::uint8_t> data,
                  const StatusWord* progress) {
    return SendCommand(command) && SendBlock(data, progress, kCommandChunk) == data.size();
}

std::int32_t ReadMemory(Command command, std::span<std::uint8_t> buffer, const StatusWord* progress) {
    if (!SendCommand(ReadCommand(command, static_cast<std::uint32_t>(buffer.size())))) {
        return S8_SEND_ERROR;
    }
    if (ReceiveBlock(buffer, progress) != buffer.size()) return S8_RECEIVE_ERROR;
    return 0;
}

std::int32_t WriteResult(const StatusReply& reply) {
    if (reply.is(0)) return S8_PASS;
    if (reply.is(1)) return S8_CHECKSUM_ERROR;
    return S8_FAIL;
}

bool BufferFits(const std::uint8_t* data, std::uint32_t start, std::uint32_t length,
                std::uint32_t memorySize) {
    if (length != 0 && data == nullptr) return false;
    return start <= memorySize && length <= memorySize - start;
}

} // namespace scriba8
