// SPDX-License-Identifier: MIT
// WriteOptions (trim the oscillator when the selected frequency asks for it,
// then write the option bytes) and ReadOptions (read and decode them).
#include "chips/options.h"
#include "export_impl.h"
#include "operation_steps.h"

namespace scriba8 {
namespace {

// trimWord: low byte 1 = trim requested, high byte = the frequency index.
std::int32_t trimOscillator(std::uint16_t trimWord) {
    if ((trimWord & 0xFF) != 1) return 0;
    CommandBlock command = MakeCommand(kTrimOscillatorCommand);
    command[4] = static_cast<std::uint8_t>(trimWord >> 8);
    if (!SendCommand(command)) return S8_SEND_ERROR;
    const StatusReply reply = ReadStatus(TagOf(command), kTrimReplyTimeoutMs);
    if (reply.timedOut() || reply.tagMismatch()) return S8_RECEIVE_ERROR;
    return reply.is(0) ? 0 : S8_TRIM_FAILED;
}

} // namespace

std::int32_t writeOptions(ContextRecord* ctx) {
    return RunDeviceExport(*ctx, {}, [](DeviceSession& session) -> std::int32_t {
        ContextRecord& r = session.record();
        if (TrimWordFromSelection(r) != 0) return S8_TRIM_FAILED;
        if (const std::int32_t failed = trimOscillator(r.trimWord)) return failed;

        // May grow to carry the stored code checksum.
        OptionBlock bytes(session.chip().optionByteCount, 0xFF);
        EncodeOptions(r, bytes);
        const CommandBlock command = WriteCommand(kWriteOptionsCommand, 0,
                                                  static_cast<std::uint32_t>(bytes.size()),
                                                  Checksum16(bytes));
        if (!SendWithData(command, bytes, nullptr)) return S8_SEND_ERROR;
        return WriteResult(ReadStatus(TagOf(command), kOptionReplyTimeoutMs));
    });
}

std::int32_t readOptions(ContextRecord* ctx) {
    return RunDeviceExport(*ctx, {}, [](DeviceSession& session) -> std::int32_t {
        OptionBlock bytes(session.chip().optionByteCount);
        // Too short to be worth a progress report.
        if (const std::int32_t failed = ReadMemory(kReadOptionsCommand, bytes, nullptr)) return failed;
        DecodeOptions(session.record(), bytes.data());
        return S8_PASS;
    });
}

} // namespace scriba8
