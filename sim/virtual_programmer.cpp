// SPDX-License-Identifier: MIT
// The virtual programmer's bus side and its normal firmware.
#include "sim/virtual_programmer.h"

#include "sim/real_pace.h"

#include "files/atomic_file.h"
#include "link/clock.h"
#include "link/usb_ids.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace scriba8::sim {
namespace {

constexpr std::size_t kNormalReportSize = 1 + 128;
constexpr std::size_t kBootReportSize = 1 + 64;
constexpr std::size_t kFeatureChunk = 1024;
constexpr std::uint32_t kLargestRead = 1u << 24; // more than any chip or store holds

constexpr OpCode kFirmwareQuery{0x04, 0x0A};
constexpr OpCode kReadIdentity{0x04, 0x09};
constexpr OpCode kEraseFlash{0x02, 0x01};
constexpr OpCode kReadFlash{0x06, 0x01};
constexpr OpCode kWriteFlash{0x05, 0x01};
constexpr OpCode kEraseEeprom{0x02, 0x03};
constexpr OpCode kWriteEeprom{0x05, 0x06};
constexpr OpCode kReadEeprom{0x06, 0x06};
constexpr OpCode kEraseAll{0x02, 0x02};
constexpr OpCode kWriteOptions{0x05, 0x02};
constexpr OpCode kReadOptions{0x06, 0x02};
constexpr OpCode kTrim{0x07, 0x06};
constexpr OpCode kOffLineImage{0x05, 0x04};
constexpr OpCode kOffLineSettings{0x05, 0x03};
constexpr OpCode kReadOffLineSettings{0x06, 0x03};
constexpr OpCode kEnterUpdate{0x01, 0x09};
constexpr OpCode kAuxPoll{0x04, 0x0B};
constexpr OpCode kAuxTransfer{0x03, 0x06};


std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// The logs kept for tests and traces hold the recent past of a long run.
constexpr std::size_t kCommandLogLimit = 1 << 16;

std::uint16_t sum16(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

std::uint32_t pagesOf(std::size_t bytes, std::uint32_t pageSize) {
    return pageSize == 0 ? 0 : static_cast<std::uint32_t>((bytes + pageSize - 1) / pageSize);
}

bool sameSilicon(const ChipRecord& a, const ChipRecord& b) {
    return a.chipId[0] == b.chipId[0] && a.chipId[1] == b.chipId[1] && a.flashSize == b.flashSize &&
           a.eepromSize == b.eepromSize;
}

} // namespace

VirtualProgrammer::VirtualProgrammer() = default;

VirtualProgrammer& virtualProgrammer() {
    // Never destroyed: a port may still be saving state during exit.
    static VirtualProgrammer* programmer = new VirtualProgrammer;
    return *programmer;
}

void VirtualProgrammer::reset() {
    const std::uint64_t generation = generation_;
    *this = VirtualProgrammer();
    generation_ = generation + 1; // handles from before the reset are dead
}

std::uint64_t VirtualProgrammer::now() const { return programmerClock().nowMs(); }

void VirtualProgrammer::pace(std::size_t bytes) {
    if (!realPace_) return;
    const auto ms = static_cast<std::uint32_t>((bytes + pace::kPacketBytes - 1) / pace::kPacketBytes *
                                               pace::kPacketMs);
    chargedMs_ += ms;
    // Against a running deadline, so the oversleep of a thousand short
    // sleeps does not add up to time the hardware would not take.
    paceDeadline_ = std::max(paceDeadline_, now()) + ms;
    programmerClock().sleepUntilMs(paceDeadline_);
}

// ---- Bus side ---------------------------------------------------------------

bool VirtualProgrammer::enumerates(std::uint16_t vendorId, std::uint16_t productId) {
    const UsbIds ids = programmerUsbIds();
    if (faults_.absent || vendorId != ids.vendor || now() < presentFrom_) return false;
    return productId == (personality_ == Personality::Normal ? ids.product : ids.bootLoader);
}

std::uint64_t VirtualProgrammer::connect() {
    input_.clear();
    featureData_.clear();
    featureOffset_ = 0;
    dataPhase_.reset();
    boot_ = {};
    aux_ = {};
    setCount_ = getCount_ = pollCount_ = 0;
    commandCounts_.clear();
    return generation_;
}

bool VirtualProgrammer::alive(std::uint64_t connection) const {
    return connection == generation_ && !faults_.absent;
}

bool VirtualProgrammer::refuse(const ReportFault& fault, int count) const {
    return fault.at == count && (!fault.bootLoaderOnly || personality_ == Personality::BootLoader);
}

void VirtualProgrammer::restartAs(Personality personality, std::uint32_t afterMs) {
    personality_ = personality;
    ++generation_;
    presentFrom_ = now() + afterMs;
    powered_ = false;
    connect();
}

bool VirtualProgrammer::setFeature(std::uint64_t connection, std::span<const std::uint8_t> report) {
    if (!alive(connection)) return false;
    const bool bootLoader = personality_ == Personality::BootLoader;
    if (report.size() != (bootLoader ? kBootReportSize : kNormalReportSize)) return false;
    if (refuse(faults_.refuseSetFeature, ++setCount_)) return false;
    pace(report.size());
    const auto payload = report.subspan(1);
    if (bootLoader) {
        const bool erasing = boot_.headerSeen && boot_.data.size() < boot_.size;
        if (erasing && now() < boot_.acceptFrom) return false;
        bootFrame(payload);
    } else if (dataPhase_) {
        if (now() < dataPhase_->acceptFrom) return false; // still preparing its store
        dataReport(payload);
    } else if (payload[0] == 0x55) {
        command(payload);
    }
    return true;
}

bool VirtualProgrammer::getFeature(std::uint64_t connection, std::span<std::uint8_t> report) {
    if (!alive(connection) || report.size() < 2) return false;
    if (refuse(faults_.refuseGetFeature, ++getCount_)) return false;
    if (featureOffset_ >= featureData_.size()) return false; // nothing was asked for
    pace(report.size());
    const std::size_t n =
        std::min({report.size() - 1, kFeatureChunk, featureData_.size() - featureOffset_});
    std::fill(report.begin() + 1, report.end(), std::uint8_t{0});
    std::copy_n(featureData_.begin() + static_cast<std::ptrdiff_t>(featureOffset_), n,
                report.begin() + 1);
    featureOffset_ += n;
    return true;
}

std::size_t VirtualProgrammer::readInput(std::uint64_t connection, std::span<std::uint8_t> buffer,
                                         std::uint32_t timeoutMs) {
    // Like the command log, these keep the recent past of a long run.
    if (statusWaits_.size() >= kCommandLogLimit)
        statusWaits_.erase(statusWaits_.begin(), statusWaits_.begin() + kCommandLogLimit / 2);
    if (statusTimings_.size() >= kCommandLogLimit)
        statusTimings_.erase(statusTimings_.begin(), statusTimings_.begin() + kCommandLogLimit / 2);
    statusWaits_.push_back(timeoutMs);
    Clock& clock = programmerClock();
    const std::uint64_t start = now();
    if (!alive(connection) || input_.empty() || input_.front().readyAt > start + timeoutMs) {
        // A reply that comes too late stays queued and meets the next read.
        clock.sleepMs(timeoutMs);
        return 0;
    }
    const InputReport next = input_.front();
    input_.pop_front();
    const auto busy = static_cast<std::uint32_t>(next.readyAt > start ? next.readyAt - start : 0);
    statusTimings_.push_back({timeoutMs, busy});
    if (busy > 0) clock.sleepUntilMs(next.readyAt);
    if (buffer.empty()) return 0;
    buffer[0] = 0;
    const std::size_t n = std::min(buffer.size() - 1, next.data.size());
    std::copy_n(next.data.begin(), n, buffer.begin() + 1);
    return n + 1;
}

// ---- Normal firmware --------------------------------------------------------

void VirtualProgrammer::reply(OpCode op, std::uint8_t tag, std::uint16_t status,
                              std::uint32_t busyMs) {
    if (faults_.noStatusReply.contains(op)) return;
    InputReport report{};
    report.data[0] = faults_.wrongTag.contains(op) ? static_cast<std::uint8_t>(tag + 1) : tag;
    report.data[1] = op.operation;
    report.data[2] = static_cast<std::uint8_t>(status);
    report.data[3] = static_cast<std::uint8_t>(status >> 8);
    report.readyAt = now() + (realPace_ ? busyMs : 0);
    if (realPace_) chargedMs_ += busyMs;
    input_.push_back(report);
}

void VirtualProgrammer::provide(std::vector<std::uint8_t> bytes) {
    featureData_ = std::move(bytes);
    featureOffset_ = 0;
}

std::optional<std::uint16_t> VirtualProgrammer::forcedStatus(OpCode op, int nth) const {
    if (const auto at = faults_.statusAt.find({op, nth}); at != faults_.statusAt.end()) {
        return at->second;
    }
    if (const auto always = faults_.status.find(op); always != faults_.status.end()) {
        return always->second;
    }
    return std::nullopt;
}

void VirtualProgrammer::command(std::span<const std::uint8_t> block) {
    const OpCode op{block[2], block[3]};
    const std::uint8_t tag = block[1];
    // Plenty for a test; a long manual session drops the oldest half.
    if (commands_.size() >= kCommandLogLimit) {
        commands_.erase(commands_.begin(), commands_.begin() + kCommandLogLimit / 2);
    }
    CommandBytes& received = commands_.emplace_back();
    std::copy_n(block.begin(), received.size(), received.begin());
    const std::optional<std::uint16_t> forced = forcedStatus(op, ++commandCounts_[op]);
    const bool chipReady = powered_ && socket_.has_value();
    const std::uint32_t length = le32(block, 8);
    featureData_.clear(); // a new command drops data nobody fetched
    featureOffset_ = 0;

    if (op == kFirmwareQuery) {
        std::vector<std::uint8_t> version(8, 0);
        for (int i = 0; i < 4; ++i) version[i] = static_cast<std::uint8_t>(firmware_.main >> (8 * i));
        version[4] = static_cast<std::uint8_t>(firmware_.aux);
        version[5] = static_cast<std::uint8_t>(firmware_.aux >> 8);
        version[7] = firmware_.supports8051 ? 2 : 1;
        provide(std::move(version));
    } else if (op == kPowerOnOp) {
        const std::uint16_t status = forced.value_or(powerOn(block));
        // The programmer powers the target even when it then dislikes it.
        powered_ = status == 0 || status == 5 || status == 6;
        reply(op, tag, status, pace::kPowerOnMs);
    } else if (op == kPowerDownOp) {
        const std::uint16_t status = forced.value_or(0);
        if (status == 0) powered_ = false;
        reply(op, tag, status, pace::kPowerDownMs);
    } else if (op == kReadIdentity) {
        std::array<std::uint8_t, 5> identity{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        if (chipReady) identity = socket_->identity();
        if (faults_.identityMismatch) identity[0] = static_cast<std::uint8_t>(~identity[0]);
        if (faults_.identityReply) identity = *faults_.identityReply;
        provide({identity.begin(), identity.end()});
        // The operator waits for the host to look at a written chip before
        // taking it out, and takes it away for good: a state saved from now
        // on holds no chip.
        if (schedule_ && chipReady && chipWritten_ && ++looks_ >= schedule_->looks) {
            putInTray();
            socket_.reset();
            socketEmptied_ = true;
            emptyLooks_ = 0;
        }
    } else if (op == kEraseFlash || op == kEraseEeprom) {
        const std::uint64_t bytes = std::uint64_t{length} * le16(block, 12);
        std::uint16_t status = forced.value_or(chipReady ? 0 : 3);
        if (!forced && chipReady) {
            const auto clamped = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, kLargestRead));
            if (op == kEraseFlash) socket_->eraseFlash(clamped);
            else if (socket_->eeprom.empty()) status = 2;
            else socket_->eraseEeprom(clamped);
        }
        reply(op, tag, status, length * pace::kPageEraseMs);
    } else if (op == kEraseAll) {
        if (!forced && chipReady) socket_->eraseAll();
        reply(op, tag, forced.value_or(chipReady ? 0 : 3), chipReady ? pace::kChipEraseMs : 0);
    } else if (op == kTrim) {
        std::uint16_t status = forced.value_or(chipReady ? 0 : 3);
        if (!forced && chipReady) {
            if (socket_->canTrimTo(block[4])) socket_->trimmedFrequency = block[4];
            else status = 2; // the oscillator cannot reach that frequency
        }
        reply(op, tag, status, pace::kTrimMs);
    } else if (op == kWriteFlash || op == kWriteEeprom || op == kWriteOptions ||
               op == kOffLineImage || op == kOffLineSettings) {
        const std::uint64_t prepare = op == kOffLineImage ? kOffLinePrepareMs : 0;
        dataPhase_ = DataPhase{op,  tag, le32(block, 4), length, le16(block, 12), {}, now() + prepare,
                               forced};
        if (length == 0) finishData();
    } else if (op == kReadFlash || op == kReadEeprom || op == kReadOptions) {
        if (chipReady && length <= kLargestRead) {
            provide(op == kReadFlash    ? socket_->readFlash(length)
                    : op == kReadEeprom ? socket_->readEeprom(length)
                                        : socket_->readOptions(length));
        }
    } else if (op == kReadOffLineSettings) {
        if (length <= kLargestRead) {
            std::vector<std::uint8_t> settings(length, 0xFF);
            std::copy_n(offLine_.settings.begin(), std::min<std::size_t>(length, offLine_.settings.size()),
                        settings.begin());
            provide(std::move(settings));
        }
    } else if (op == kEnterUpdate) {
        if (block[5] == 0x86 && !faults_.noBootLoader) {
            restartAs(Personality::BootLoader, kBootLoaderStartMs);
        } else if (block[5] == 0x8A) {
            aux_ = {};
            aux_.phase = AuxTransfer::Phase::Ready;
            aux_.pollState = 0x00;
        }
    } else if (op == kAuxPoll) {
        provide(auxPollReply());
    } else if (op == kAuxTransfer) {
        auxFrame(block);
    }
    // Anything else is not a command this firmware knows: no reply.
}

void VirtualProgrammer::dataReport(std::span<const std::uint8_t> payload) {
    DataPhase& phase = *dataPhase_;
    const std::size_t n = std::min<std::size_t>(payload.size(), phase.length - phase.data.size());
    phase.data.insert(phase.data.end(), payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(n));
    if (phase.data.size() == phase.length) finishData();
}

void VirtualProgrammer::finishData() {
    const DataPhase phase = std::move(*dataPhase_);
    dataPhase_.reset();
    // The operator takes out every chip the host has tried to write, good or bad.
    if (phase.op == kWriteFlash) {
        chipWritten_ = true;
        looks_ = 0;
    }
    const std::uint16_t status = phase.forcedStatus ? *phase.forcedStatus : writeData(phase);
    const std::uint32_t pageSize = socket_ ? socket_->record().flashPageSize : 512;
    const std::uint32_t busy = phase.op == kWriteOptions
                                   ? pace::kOptionWriteMs
                                   : pagesOf(phase.data.size(), pageSize) * pace::kPageWriteMs;
    reply(phase.op, phase.tag, status, busy);
}

std::uint16_t VirtualProgrammer::writeData(const DataPhase& phase) {
    if (sum16(phase.data) != phase.checksum) return 1; // the data was damaged on the way
    const bool chipReady = powered_ && socket_.has_value();
    if (phase.op == kOffLineImage) {
        offLine_.imageAddress = phase.address;
        offLine_.image = phase.data;
        offLine_.settings.clear();
        return 0;
    }
    if (phase.op == kOffLineSettings) {
        offLine_.settings = phase.data;
        return 0;
    }
    if (!chipReady) return 3;
    if (phase.op == kWriteFlash) return socket_->programFlash(phase.address, phase.data) ? 0 : 2;
    if (phase.op == kWriteEeprom) return socket_->programEeprom(phase.address, phase.data) ? 0 : 2;
    socket_->writeOptions(phase.data);
    return 0;
}

const ChipRecord* VirtualProgrammer::findRecord(std::span<const std::uint8_t> block) const {
    const ChipRecord* sameIdentity = nullptr;
    for (const ChipRecord& record : chipTable()) {
        if (record.chipId[0] != block[4] || record.chipId[1] != block[5]) continue;
        if (std::equal(block.begin() + 7, block.begin() + 11, record.targetParams) &&
            record.algorithm == block[11]) {
            return &record;
        }
        if (sameIdentity == nullptr) sameIdentity = &record;
    }
    return sameIdentity;
}

std::uint16_t VirtualProgrammer::powerOn(std::span<const std::uint8_t> block) {
    if (schedule_ && socketEmptied_) {
        const bool more = !schedule_->chips || chipsPutIn_ < *schedule_->chips;
        if (++emptyLooks_ <= schedule_->empty || !more) return 3; // nothing in the socket answers
        // A new chip from the factory, of the pinned part or of the one powered.
        socketEmptied_ = false;
        chipWritten_ = false;
        looks_ = 0;
        ++chipsPutIn_;
        if (pinned_ != nullptr) socket_.emplace(*pinned_);
        else socket_.reset();
    }
    const ChipRecord* sent = findRecord(block);
    if (pinned_ == nullptr && sent != nullptr) {
        if (socket_ && sameSilicon(socket_->record(), *sent)) {
            socket_->relabel(*sent);
        } else {
            socket_.emplace(*sent);
        }
    }
    if (!socket_) return 3; // nothing in the socket answers
    if (lockPending_) {
        socket_->locked = true;
        lockPending_ = false;
    }
    const ChipRecord& chip = socket_->record();
    if (sent == nullptr || chip.chipId[0] != block[4] || chip.chipId[1] != block[5]) return 5;
    return socket_->locked ? 6 : 0;
}

void VirtualProgrammer::putInTray() const {
    if (schedule_->trayPrefix.empty() || !socket_) return;
    char number[16];
    std::snprintf(number, sizeof number, "%06u", chipsPutIn_);
    const std::string path = schedule_->trayPrefix + number + ".bin";
    if (files::writeFileAtomically(path, socket_->flash) != 0)
        std::fprintf(stderr, "Scriba8 virtual programmer: cannot put the chip in the tray %s\n", path.c_str());
}

// ---- Test and environment controls -----------------------------------------

void VirtualProgrammer::pinChip(const ChipRecord* record) {
    pinned_ = record;
    if (record != nullptr && (!socket_ || &socket_->record() != record)) socket_.emplace(*record);
}

void VirtualProgrammer::lockChip() {
    if (socket_) socket_->locked = true;
    else lockPending_ = true;
}

} // namespace scriba8::sim
