// SPDX-License-Identifier: MIT
// The virtual programmer working without a computer: it programs chips from
// its off-line store and keeps count in the stored settings block.
//
// The serial block it writes into each chip is the 12-byte string followed
// by the 4-byte number, most significant byte first as 8051 compilers keep
// their numbers. With "auto increment" the n-th chip (from 0) gets the stored
// number + n and the current serial number counts the chips numbered, so the
// number for the next chip is stored + current; without it every chip gets
// the stored number, which is then also the current one.
#include "sim/offline_run.h"

#include <algorithm>
#include <charconv>

namespace scriba8::sim {

// The settings block and image as the programmer reads them. Layout 1 has no
// EEPROM fields, and everything from the auto steps on sits 10 bytes lower.
struct OffLineJob {
    std::array<std::uint8_t, 16> powerOn{}; // the power-on command it gives itself
    std::uint32_t flashStart = 0;
    std::span<const std::uint8_t> flash;
    std::uint32_t eepromStart = 0;
    std::span<const std::uint8_t> eeprom;
    std::uint8_t steps = 0;
    bool serialOn = false;
    bool serialIncrements = false;
    std::uint32_t serialAddress = 0;
    std::array<std::uint8_t, 12> serialString{};
    std::uint32_t serialNumber = 0;
    std::uint16_t limit = 0;
    bool trim = false;
    std::uint8_t frequency = 0;
    std::vector<std::uint8_t> options;
    std::size_t currentSerialAt = 0;
    std::size_t counterAt = 0;
};

namespace {

constexpr std::uint8_t kWholeChipErase = 0x01;
constexpr std::uint8_t kBlankCheck = 0x02;
constexpr std::uint8_t kProgram = 0x04;
constexpr std::uint8_t kVerify = 0x08;
constexpr std::uint8_t kWriteOptions = 0x10;
constexpr std::uint8_t kErase = 0x20;
constexpr std::uint8_t kEepromProgram = 0x40;
constexpr std::size_t kSerialBlockSize = 16;

std::uint32_t le(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b[at + static_cast<std::size_t>(i)];
    return value;
}

void putLe(std::span<std::uint8_t> b, std::size_t at, int bytes, std::uint32_t value) {
    for (int i = 0; i < bytes; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint16_t sum16(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

// Null when the block is not one the programmer can work from: erased, an
// unknown layout, a length that does not hold it, or a checksum that fails
// for anything but the counters it rewrites itself.
std::optional<OffLineJob> readJob(std::span<const std::uint8_t> s) {
    if (s.size() < 5 || (s[4] != 1 && s[4] != 2)) return std::nullopt;
    const bool layout2 = s[4] == 2;
    const std::size_t shift = layout2 ? 0 : 10;
    const std::size_t length = le(s, 2, 2);
    const std::size_t optionsAt = 68 - shift;
    if (length > s.size() || length < optionsAt || length - optionsAt < s[optionsAt - 1]) return std::nullopt;

    OffLineJob job;
    job.currentSerialAt = 52 - shift;
    job.counterAt = 58 - shift;
    const auto counters = static_cast<std::uint16_t>(sum16(s.subspan(job.currentSerialAt, 4)) +
                                                     sum16(s.subspan(job.counterAt, 2)));
    if (static_cast<std::uint16_t>(sum16(s.subspan(2, length - 2)) - counters) != le(s, 0, 2)) {
        return std::nullopt;
    }

    job.powerOn = {0x55, 0x00, 0x07, 0x01, s[7], s[8], 0x05};
    std::copy_n(s.begin() + static_cast<std::ptrdiff_t>(62 - shift), 5, job.powerOn.begin() + 7);
    job.flashStart = le(s, 10, 4);
    if (layout2) job.eepromStart = le(s, 20, 4);
    job.steps = s[30 - shift];
    job.serialOn = (s[31 - shift] & 0x01) != 0;
    job.serialIncrements = (s[31 - shift] & 0x02) != 0;
    job.serialAddress = le(s, 32 - shift, 4);
    std::copy_n(s.begin() + static_cast<std::ptrdiff_t>(36 - shift), 12, job.serialString.begin());
    job.serialNumber = le(s, 48 - shift, 4);
    job.limit = static_cast<std::uint16_t>(le(s, 56 - shift, 2));
    job.trim = s[60 - shift] == 1;
    job.frequency = s[61 - shift];
    job.options.assign(s.begin() + static_cast<std::ptrdiff_t>(optionsAt),
                       s.begin() + static_cast<std::ptrdiff_t>(optionsAt + s[optionsAt - 1]));
    return job;
}

// Splits the image by the lengths in the settings; false when it does not
// hold them or its bytes do not add up to the stored checksums.
bool takeImage(std::span<const std::uint8_t> settings, std::span<const std::uint8_t> image, OffLineJob& job) {
    const bool layout2 = settings[4] == 2;
    const std::uint64_t flashLength = le(settings, 14, 4);
    const std::uint64_t eepromLength = layout2 ? le(settings, 24, 4) : 0;
    if (flashLength + eepromLength > image.size()) return false;
    job.flash = image.first(flashLength);
    job.eeprom = image.subspan(flashLength, eepromLength);
    return sum16(job.flash) == le(settings, 18, 2) && (!layout2 || sum16(job.eeprom) == le(settings, 28, 2));
}

// What Verify sees: the image where it was written, except the serial block,
// which the programmer wrote over it.
bool flashMatches(const VirtualChip& chip, const OffLineJob& job) {
    if (job.flashStart > chip.flash.size() || job.flash.size() > chip.flash.size() - job.flashStart) return false;
    const std::vector<std::uint8_t> read =
        chip.readFlash(job.flashStart + static_cast<std::uint32_t>(job.flash.size()));
    for (std::size_t i = 0; i < job.flash.size(); ++i) {
        const std::uint64_t address = job.flashStart + i;
        const bool serial = job.serialOn && address >= job.serialAddress &&
                            address < std::uint64_t{job.serialAddress} + kSerialBlockSize;
        if (!serial && read[address] != job.flash[i]) return false;
    }
    return true;
}

std::optional<std::uint32_t> number(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

} // namespace

OffLineRun VirtualProgrammer::runOffLine(int count, bool keepChip) {
    OffLineRun run;
    std::optional<OffLineJob> job = readJob(offLine_.settings);
    if (!job) {
        run.stop = OffLineRun::Stop::NoSettings;
        return run;
    }
    if (!takeImage(offLine_.settings, offLine_.image, *job)) {
        run.stop = OffLineRun::Stop::ImageDamaged;
        return run;
    }
    std::span<std::uint8_t> settings(offLine_.settings);
    while (run.programmed < count) {
        const std::uint32_t done = le(settings, job->counterAt, 2);
        if ((job->limit != 0 && done >= job->limit) || done == 0xFFFF) {
            run.stop = OffLineRun::Stop::LimitReached;
            return run;
        }
        if (const OffLineRun::Stop stop = programOffLine(*job, keepChip); stop != OffLineRun::Stop::Done) {
            run.stop = stop;
            return run;
        }
        // Only a chip that went through every step counts.
        putLe(settings, job->counterAt, 2, done + 1);
        if (job->serialOn) {
            const std::uint32_t current = le(settings, job->currentSerialAt, 4);
            putLe(settings, job->currentSerialAt, 4, job->serialIncrements ? current + 1 : job->serialNumber);
        }
        ++run.programmed;
    }
    return run;
}

OffLineRun::Stop VirtualProgrammer::programOffLine(const OffLineJob& job, bool keepChip) {
    using Stop = OffLineRun::Stop;
    if (!keepChip) {
        if (pinned_ != nullptr) socket_.emplace(*pinned_);
        else socket_.reset(); // the power-on below brings a new chip of the stored part
    }
    const std::uint16_t power = powerOn(job.powerOn);
    const bool eraseUnlocks = (job.steps & kWholeChipErase) != 0;
    if (power == 6 && !eraseUnlocks) return Stop::ChipFailed;
    if (power != 0 && power != 6) return Stop::NoChip;

    VirtualChip& chip = *socket_;
    const std::uint32_t flashSize = static_cast<std::uint32_t>(chip.flash.size());
    if ((job.steps & kWholeChipErase) != 0) {
        chip.eraseAll();
        chip.options = VirtualChip(chip.record()).options; // the factory defaults
    }
    if ((job.steps & kErase) != 0) chip.eraseFlash(flashSize);
    if ((job.steps & kBlankCheck) != 0) {
        const auto read = chip.readFlash(flashSize);
        if (std::any_of(read.begin(), read.end(), [](std::uint8_t b) { return b != 0xFF; })) return Stop::ChipFailed;
    }
    if ((job.steps & kProgram) != 0 && !chip.programFlash(job.flashStart, job.flash)) return Stop::ChipFailed;
    if (job.serialOn) {
        const std::uint32_t current = le(offLine_.settings, job.currentSerialAt, 4);
        const std::uint32_t serial = job.serialIncrements ? job.serialNumber + current : job.serialNumber;
        std::array<std::uint8_t, kSerialBlockSize> block{};
        std::copy(job.serialString.begin(), job.serialString.end(), block.begin());
        for (int i = 0; i < 4; ++i) block[12 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(serial >> (24 - 8 * i));
        if (!chip.programFlash(job.serialAddress, block)) return Stop::ChipFailed;
    }
    if ((job.steps & kEepromProgram) != 0 && !job.eeprom.empty()) {
        chip.eraseEeprom(static_cast<std::uint32_t>(chip.eeprom.size()));
        if (!chip.programEeprom(job.eepromStart, job.eeprom)) return Stop::ChipFailed;
    }
    if ((job.steps & kVerify) != 0 && !flashMatches(chip, job)) return Stop::ChipFailed;
    if ((job.steps & kWriteOptions) != 0) {
        if (job.trim) {
            if (!chip.canTrimTo(job.frequency)) return Stop::ChipFailed;
            chip.trimmedFrequency = job.frequency;
        }
        chip.writeOptions(job.options);
    }
    return Stop::Done;
}

std::variant<OffLineRunSpec, std::string> parseOffLineRunSpec(std::string_view text) {
    OffLineRunSpec wanted;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view item = trimmed(text.substr(0, comma));
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
        if (item.empty()) continue;
        if (item == "keep-chip") {
            wanted.keepChip = true;
        } else if (item.starts_with("run=")) {
            const auto count = number(trimmed(item.substr(4)));
            if (!count || *count == 0 || *count > 1'000'000) {
                return "cannot read \"" + std::string(item) + "\": run=N takes 1 to 1000000 chips";
            }
            wanted.count = static_cast<int>(*count);
        } else {
            return "cannot read \"" + std::string(item) + "\": the items are run=N and keep-chip";
        }
    }
    if (wanted.count == 0) return std::string("run=N is missing: say how many chips to program");
    return wanted;
}

std::string describeOffLineRun(const OffLineRun& run, int asked) {
    std::string text =
        "programmed " + std::to_string(run.programmed) + " of " + std::to_string(asked) + " chips";
    switch (run.stop) {
    case OffLineRun::Stop::Done: return text;
    case OffLineRun::Stop::NoSettings: return text + "; stopped: the programmer holds no off-line settings";
    case OffLineRun::Stop::ImageDamaged:
        return text + "; stopped: the stored image does not match its settings";
    case OffLineRun::Stop::LimitReached: return text + "; stopped: the counter reached its limit";
    case OffLineRun::Stop::NoChip: return text + "; stopped: no chip of the stored part in the socket";
    case OffLineRun::Stop::ChipFailed: return text + "; stopped: a step failed on the chip in the socket";
    }
    return text;
}

} // namespace scriba8::sim
