// SPDX-License-Identifier: MIT
#include "device_runner.h"

#include "lent_buffers.h"

#include <algorithm>
#include <memory>

namespace scriba8::app {
namespace {

RecordCall exportFor(const LibraryApi& api, DeviceCommand command) {
    switch (command) {
    case DeviceCommand::checkId: return api.CheckID;
    case DeviceCommand::erase: return api.Erase;
    case DeviceCommand::blankCheck: return api.BlankCheck;
    case DeviceCommand::program: return api.Program;
    case DeviceCommand::eepromProgram: return api.ProgramEEPROM;
    case DeviceCommand::verify: return api.Verify;
    case DeviceCommand::writeOptions: return api.WriteOptions;
    case DeviceCommand::readOptions: return api.ReadOptions;
    case DeviceCommand::wholeChipErase: return api.WholeChipErase;
    case DeviceCommand::dumpTarget: return api.DumpTarget;
    case DeviceCommand::readChipChecksum: break;
    }
    return nullptr;
}

// The record a reading command works on: the selected chip, the main
// record's host (a firmware question must still reach the user), a status
// word of its own, everything else zero.
struct TemporaryRecord {
    ContextRecord record{};
    std::uint16_t status = 0;

    explicit TemporaryRecord(const ContextRecord& main) {
        record.partIndex = main.partIndex;
        record.host = main.host;
        record.status = &status;
    }
};

OptionSelection selectionOf(const ContextRecord& record) {
    OptionSelection selection;
    std::copy(std::begin(record.itemValue), std::end(record.itemValue),
              selection.itemValue.begin());
    std::copy(std::begin(record.bitValue), std::end(record.bitValue), selection.bitValue.begin());
    return selection;
}

// The bytes a read produced: what the library says it wrote, never more than
// the buffer it was given.
std::vector<std::uint8_t> readBack(std::vector<std::uint8_t> buffer, std::uint32_t allocated,
                                   std::uint32_t reported) {
    buffer.resize(std::min(allocated, reported));
    return buffer;
}

} // namespace

void ApplyDump(CodeBuffers& buffers, DumpedTarget dump) {
    const BufferFileRecord dumped{BufferKind::targetDump, FillMode::none, {}, {}, 0};
    buffers.flash = std::move(dump.flash);
    buffers.record(BufferTab::flash) = dumped;
    if (dump.eeprom) {
        buffers.eeprom = std::move(*dump.eeprom);
        buffers.record(BufferTab::eeprom) = dumped;
    }
}

DeviceRunner::DeviceRunner(const LibraryApi& api, ContextRecord& record, OperationLog& log,
                           ProgressHooks hooks)
    : api_(api), record_(record), log_(log), hooks_(std::move(hooks)) {
    if (record_.status == nullptr) record_.status = &ownStatus_;
}

ChipSizes DeviceRunner::chip() const {
    return ChipSizesOf(api_, record_.partIndex).value_or(ChipSizes{});
}

CommandOutcome DeviceRunner::run(DeviceCommand command, BufferContents buffers) {
    const std::uint32_t start = log_.startCommand(CommandTitle(command), AlwaysNumbered(command));
    CommandOutcome outcome;
    switch (command) {
    case DeviceCommand::readOptions: outcome = readOptions(); break;
    case DeviceCommand::readChipChecksum: outcome = readChipChecksum(); break;
    case DeviceCommand::dumpTarget: outcome = dumpTarget(); break;
    default: outcome.result = runOnMainRecord(command, buffers); break;
    }
    log_.result(outcome.result);
    log_.finishCommand(start);
    if (outcome.chipChecksum) log_.chipChecksumLine(*outcome.chipChecksum);
    if (after_) after_(*this, command, outcome, buffers);
    return outcome;
}

std::int32_t DeviceRunner::runOnMainRecord(DeviceCommand command, BufferContents buffers) {
    const ChipSizes sizes = chip();
    std::vector<std::uint8_t> flashCopy;
    std::vector<std::uint8_t> eepromCopy;
    const bool usesFlash = command == DeviceCommand::program || command == DeviceCommand::verify ||
                           command == DeviceCommand::writeOptions;
    if (usesFlash) {
        flashCopy = CopyForCall(buffers.flash);
        record_.flashData = flashCopy.data();
        record_.flashStart = 0;
        record_.flashLength = static_cast<std::uint32_t>(buffers.flash.size());
    }
    // Write Options needs the chip checksum too: "Save Chip Checksum" appends
    // it to the options even when Program is not part of the same run.
    if (command == DeviceCommand::program || command == DeviceCommand::writeOptions) {
        record_.flashChecksum = Checksum16(buffers.flash);
        record_.flashFullChecksum = ChipChecksum(buffers.flash, sizes.flashSize);
    }
    if (command == DeviceCommand::eepromProgram) {
        eepromCopy = CopyForCall(buffers.eeprom);
        record_.eepromData = eepromCopy.data();
        record_.eepromStart = 0;
        record_.eepromLength = static_cast<std::uint32_t>(buffers.eeprom.size());
        record_.eepromChecksum = Checksum16(buffers.eeprom);
    }

    const RecordCall call = exportFor(api_, command);
    ContextRecord* record = &record_;
    auto invoke = [call, record] { return call != nullptr ? call(record) : S8_FAIL; };
    const std::int32_t result = RunsOnWorker(command)
                                    ? CallOnWorker(invoke, record_.status, hooks_)
                                    : CallHere(invoke, record_.status);

    if (usesFlash) record_.flashData = nullptr;
    if (command == DeviceCommand::eepromProgram) record_.eepromData = nullptr;
    return result;
}

CommandOutcome DeviceRunner::readOptions() {
    auto temporary = std::make_unique<TemporaryRecord>(record_);
    ContextRecord* record = &temporary->record;
    const RecordCall call = api_.ReadOptions;
    CommandOutcome outcome;
    outcome.result = CallHere([call, record] { return call != nullptr ? call(record) : S8_FAIL; },
                              record->status);
    if (outcome.result == S8_PASS) outcome.readSelection = selectionOf(*record);
    return outcome;
}

CommandOutcome DeviceRunner::readChipChecksum() {
    auto temporary = std::make_unique<TemporaryRecord>(record_);
    ContextRecord* record = &temporary->record;
    const auto call = api_.ReadCheckSum;
    std::uint16_t checksum = 0xFFFF;
    CommandOutcome outcome;
    outcome.result = CallHere(
        [&] { return call != nullptr ? call(record, &checksum) : S8_FAIL; }, record->status);
    if (outcome.result == S8_PASS) outcome.chipChecksum = checksum;
    return outcome;
}

CommandOutcome DeviceRunner::dumpTarget() {
    const ChipSizes sizes = chip();
    auto temporary = std::make_unique<TemporaryRecord>(record_);
    ContextRecord* record = &temporary->record;
    std::vector<std::uint8_t> flash(std::max<std::size_t>(sizes.flashSize, 1), 0xFF);
    std::vector<std::uint8_t> eeprom(std::max<std::size_t>(sizes.eepromSize, 1), 0xFF);
    record->flashData = flash.data();
    record->flashLength = sizes.flashSize;
    if (sizes.eepromSize != 0) {
        record->eepromData = eeprom.data();
        record->eepromLength = sizes.eepromSize;
    }

    const RecordCall call = api_.DumpTarget;
    CommandOutcome outcome;
    outcome.result = CallOnWorker(
        [call, record] { return call != nullptr ? call(record) : S8_FAIL; }, record->status,
        hooks_);
    if (outcome.result != S8_PASS) return outcome;

    DumpedTarget dump;
    dump.flash = readBack(std::move(flash), sizes.flashSize, record->flashLength);
    dump.flashSummary = SummarizeFlash(dump.flash, sizes.flashSize);
    if (sizes.eepromSize != 0) {
        dump.eeprom = readBack(std::move(eeprom), sizes.eepromSize, record->eepromLength);
        dump.eepromChecksum = Checksum16(*dump.eeprom);
    }
    outcome.readSelection = selectionOf(*record);
    outcome.dump = std::move(dump);
    return outcome;
}

} // namespace scriba8::app
