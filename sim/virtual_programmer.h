// SPDX-License-Identifier: MIT
// The virtual programmer: a model of the programmer with a target chip in its
// socket, speaking the device side of the protocol. The library reaches it
// through the virtual HID backend (SCRIBA8_PROGRAMMER=virtual); tests also
// drive and inspect it directly.
//
// It answers under the normal product id, or under the boot-loader product id
// while its main firmware is being replaced, and re-enumerates like hardware:
// a handle opened before a restart is dead afterwards. Its clock is the
// link's, so waits cost nothing under a test clock.
#pragma once

#include "chips/chip_table.h"
#include "sim/faults.h"
#include "sim/real_pace.h"
#include "sim/virtual_chip.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::sim {

enum class Personality : std::uint8_t { Normal, BootLoader };

struct FirmwareVersions {
    std::uint32_t main = 0x00150003;
    std::uint16_t aux = 0x0104;
    bool supports8051 = true;
};

// What the programmer keeps for stand-alone production. A new image erases
// the settings: they described the image it replaced.
struct OffLineStore {
    std::uint32_t imageAddress = 0;
    std::vector<std::uint8_t> image;
    std::vector<std::uint8_t> settings; // empty: erased
};

// How a stand-alone run went: the chips programmed and why it stopped.
struct OffLineRun {
    enum class Stop {
        Done,         // every chip asked for was programmed
        NoSettings,   // the store holds no settings block it can use
        ImageDamaged, // the image does not match the checksums in the settings
        LimitReached, // the counter reached its limit
        NoChip,       // the socket holds no chip of the stored part
        ChipFailed,   // a step failed on the chip; it was not counted
    };
    int programmed = 0;
    Stop stop = Stop::Done;
};

// A settings block and image as the programmer reads them (offline_run.cpp).
struct OffLineJob;

class VirtualProgrammer {
public:
    static constexpr std::size_t kInputReportLength = 1 + 64;
    static constexpr std::uint32_t kBootLoaderStartMs = pace::kBootLoaderStartMs;
    static constexpr std::uint32_t kFirmwareStartMs = pace::kFirmwareStartMs;
    static constexpr std::uint32_t kOffLinePrepareMs = pace::kOffLinePrepareMs;

    VirtualProgrammer();

    // ---- The bus side, used by the virtual HID port.
    bool enumerates(std::uint16_t vendorId, std::uint16_t productId);
    // A host opened the device. Returns the connection, valid until the
    // device restarts; queued input reports are dropped, as a new handle on a
    // device node does not see them.
    std::uint64_t connect();
    bool setFeature(std::uint64_t connection, std::span<const std::uint8_t> report);
    bool getFeature(std::uint64_t connection, std::span<std::uint8_t> report);
    std::size_t readInput(std::uint64_t connection, std::span<std::uint8_t> buffer,
                          std::uint32_t timeoutMs);

    // ---- For tests and manual runs.
    // A new programmer: current firmware, empty socket, nothing stored, no
    // faults, normal pace.
    void reset();
    Faults& faults() { return faults_; }
    FirmwareVersions& firmware() { return firmware_; }
    Personality personality() const { return personality_; }
    // The chip in the socket; none until the host first powers a target.
    std::optional<VirtualChip>& socket() { return socket_; }
    // Puts this part in the socket, whatever the host powers on; null lets
    // the socket follow the host again.
    void pinChip(const ChipRecord* record);
    // Locks the chip in the socket, or the next one to arrive when it is empty.
    void lockChip();
    OffLineStore& offLine() { return offLine_; }
    // The programmer programs count chips on its own from its store, as it
    // does without a computer: each chip gets the stored steps, image,
    // options and serial number, and the counters in the settings advance.
    // Each chip is a new one from the factory (of the pinned part, when a
    // part is pinned) unless keepChip, which programs the one in the socket
    // again. The socket keeps the last chip.
    OffLineRun runOffLine(int count, bool keepChip = false);
    bool targetPowered() const { return powered_; }
    // Real pace: transfers and chip work take about as long as on hardware.
    void setRealPace(bool on) { realPace_ = on; }

    // An operator at the socket: a chip the host has written is taken out
    // once the host has read its identity `looks` times (Check ID), the
    // socket stays empty for `empty` power-ons, then a new blank chip goes
    // in; after `chips` chips in all, none comes. With a tray, each chip
    // taken out leaves its Flash contents in a file, trayPrefix + the chip's
    // number (from 1, six digits) + ".bin", to be checked afterwards.
    struct SocketSchedule {
        unsigned looks = 1;
        unsigned empty = 1;
        std::optional<unsigned> chips;
        std::string trayPrefix;
    };
    void setSocketSchedule(std::optional<SocketSchedule> schedule) { schedule_ = schedule; }
    // The chips the operator has put in so far (the first one included).
    unsigned chipsPutIn() const { return chipsPutIn_; }
    // The time-outs the host waited for status replies with, oldest first.
    const std::vector<std::uint32_t>& statusWaits() const { return statusWaits_; }
    // Each status reply that arrived: how long the host was ready to wait and
    // how long it had to (the programmer's work at real pace).
    struct StatusTiming {
        std::uint32_t waitedUpToMs;
        std::uint32_t busyMs;
    };
    const std::vector<StatusTiming>& statusTimings() const { return statusTimings_; }
    // The device time real pace has charged so far: transfers and chip work.
    std::uint64_t chargedMs() const { return chargedMs_; }
    // The command blocks the normal firmware received, oldest first (the
    // most recent tens of thousands).
    using CommandBytes = std::array<std::uint8_t, 16>;
    const std::vector<CommandBytes>& commands() const { return commands_; }

    // The state that outlives a process: firmware, personality, the chip and
    // the off-line store. load returns false (and changes nothing) on text it
    // cannot read; refused then names the line that was missing or wrong.
    std::string saveState() const;
    bool loadState(std::string_view text, std::string* refused = nullptr);

    // Set once SCRIBA8_VIRTUAL_FAULTS and friends were applied; reset()
    // clears it.
    bool environmentApplied = false;

private:
    struct DataPhase {
        OpCode op;
        std::uint8_t tag;
        std::uint32_t address;
        std::uint32_t length;
        std::uint16_t checksum;
        std::vector<std::uint8_t> data;
        std::uint64_t acceptFrom;
        std::optional<std::uint16_t> forcedStatus;
    };
    struct BootTransfer {
        bool headerSeen = false;
        std::uint64_t acceptFrom = 0; // data waits until the boot loader has erased
        std::uint32_t size = 0;
        std::uint16_t checksum = 0;
        std::vector<std::uint8_t> data;
    };
    struct AuxTransfer {
        enum class Phase { Off, Ready, Receiving, Complete } phase = Phase::Off;
        std::uint32_t size = 0;
        std::uint16_t checksum = 0;
        std::vector<std::uint8_t> data;
        std::uint8_t pollState = 0x45;
    };
    struct InputReport {
        std::array<std::uint8_t, kInputReportLength - 1> data;
        std::uint64_t readyAt;
    };

    bool alive(std::uint64_t connection) const;
    void putInTray() const;
    bool refuse(const ReportFault& fault, int count) const;
    void restartAs(Personality personality, std::uint32_t afterMs);
    void pace(std::size_t bytes);
    std::uint64_t now() const;

    // Normal firmware.
    void command(std::span<const std::uint8_t> block);
    void dataReport(std::span<const std::uint8_t> payload);
    void finishData();
    void reply(OpCode op, std::uint8_t tag, std::uint16_t status, std::uint32_t busyMs = 0);
    void provide(std::vector<std::uint8_t> bytes);
    // The status a fault imposes on the nth command of this kind, if any.
    std::optional<std::uint16_t> forcedStatus(OpCode op, int nth) const;
    std::uint16_t powerOn(std::span<const std::uint8_t> block);
    // One chip of a stand-alone run (offline_run.cpp).
    OffLineRun::Stop programOffLine(const OffLineJob& job, bool keepChip);
    std::uint16_t writeData(const DataPhase& phase);
    const ChipRecord* findRecord(std::span<const std::uint8_t> block) const;

    // Firmware updates.
    void bootFrame(std::span<const std::uint8_t> frame);
    void auxFrame(std::span<const std::uint8_t> block);
    std::vector<std::uint8_t> auxPollReply();

    Faults faults_;
    FirmwareVersions firmware_;
    Personality personality_ = Personality::Normal;
    std::optional<VirtualChip> socket_;
    const ChipRecord* pinned_ = nullptr;
    bool lockPending_ = false;
    OffLineStore offLine_;
    bool powered_ = false;
    bool realPace_ = false;
    std::optional<SocketSchedule> schedule_;
    bool socketEmptied_ = false; // by the operator of the schedule
    bool chipWritten_ = false;
    unsigned looks_ = 0;
    unsigned emptyLooks_ = 0;
    unsigned chipsPutIn_ = 1;
    std::vector<std::uint32_t> statusWaits_;
    std::vector<StatusTiming> statusTimings_;
    std::uint64_t chargedMs_ = 0;
    std::uint64_t paceDeadline_ = 0;
    std::vector<CommandBytes> commands_;
    std::map<OpCode, int> commandCounts_; // since the link opened

    // Bus state.
    std::uint64_t generation_ = 1;
    std::uint64_t presentFrom_ = 0;
    int setCount_ = 0;
    int getCount_ = 0;
    int pollCount_ = 0;
    std::deque<InputReport> input_;
    std::vector<std::uint8_t> featureData_;
    std::size_t featureOffset_ = 0;
    std::optional<DataPhase> dataPhase_;
    std::uint64_t busyUntil_ = 0;
    BootTransfer boot_;
    AuxTransfer aux_;
};

// The process's virtual programmer.
VirtualProgrammer& virtualProgrammer();

} // namespace scriba8::sim
