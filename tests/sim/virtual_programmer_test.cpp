// SPDX-License-Identifier: MIT
// The virtual programmer's device behaviour at the bus level.
#include "bus.h"

#include "link/usb_ids.h"
#include "sim/manual_clock.h"

#include <gmock/gmock.h>

#include <cstring>
#include <functional>

namespace scriba8::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;

std::int32_t chipIndexWhere(const std::function<bool(const ChipRecord&)>& pred) {
    const auto table = chipTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (pred(table[i])) return static_cast<std::int32_t>(i);
    }
    return -1;
}

const BitDescriptor* bitNamed(const ChipRecord& chip, const char* name) {
    for (const BitDescriptor& bit : chip.bits) {
        if (std::strcmp(bit.name, name) == 0) return &bit;
    }
    return nullptr;
}

std::uint16_t sum(std::span<const std::uint8_t> bytes) {
    std::uint32_t s = 0;
    for (auto b : bytes) s += b;
    return static_cast<std::uint16_t>(s);
}

class VirtualProgrammerTest : public ::testing::Test {
protected:
    void SetUp() override {
        device_.environmentApplied = true;
        bus_.emplace(device_);
    }

    Payload write(std::uint8_t area, std::uint32_t address, std::span<const std::uint8_t> data,
                  std::uint16_t checksum) {
        Payload p = command(0x05, area);
        put32(p, 4, address);
        put32(p, 8, static_cast<std::uint32_t>(data.size()));
        p[12] = static_cast<std::uint8_t>(checksum);
        p[13] = static_cast<std::uint8_t>(checksum >> 8);
        return p;
    }

    // A write command followed by its data; returns the status.
    std::optional<std::uint16_t> writeWithData(std::uint8_t area, std::uint32_t address,
                                               std::span<const std::uint8_t> data,
                                               std::optional<std::uint16_t> checksum = {}) {
        if (!bus_->send(write(area, address, data, checksum.value_or(sum(data))))) return std::nullopt;
        for (std::size_t at = 0; at < data.size(); at += 128) {
            if (!bus_->send(data.subspan(at, std::min<std::size_t>(128, data.size() - at)))) {
                return std::nullopt;
            }
        }
        const auto reply = bus_->status();
        return reply ? std::optional(reply->value) : std::nullopt;
    }

    std::optional<std::vector<std::uint8_t>> read(std::uint8_t area, std::uint32_t length) {
        Payload p = command(0x06, area);
        put32(p, 8, length);
        bus_->send(p);
        return bus_->get(length);
    }

    std::optional<std::uint16_t> powerOn(std::int32_t index) {
        return bus_->run(powerOnCommand(*chipAt(index)));
    }
    std::optional<std::uint16_t> powerDown() { return bus_->run(command(0x07, 0x02)); }

    ScopedManualClock clock_;
    VirtualProgrammer device_;
    std::optional<Bus> bus_;
};

TEST_F(VirtualProgrammerTest, WritesCheckTheirChecksumAndOnlyClearBits) {
    ASSERT_THAT(powerOn(0), Optional(0));
    const std::vector<std::uint8_t> first{0xF0, 0x0F, 0xFF, 0x00};
    EXPECT_THAT(writeWithData(0x01, 0x10, first, sum(first) + 1), Optional(1));
    EXPECT_EQ(device_.socket()->flash[0x10], 0xFF);
    EXPECT_THAT(writeWithData(0x01, 0x10, first), Optional(0));
    const std::vector<std::uint8_t> second{0x3C, 0x3C, 0x3C, 0x3C};
    EXPECT_THAT(writeWithData(0x01, 0x10, second), Optional(0));
    const auto flash = read(0x01, 0x14);
    ASSERT_TRUE(flash.has_value());
    EXPECT_THAT(std::vector(flash->begin() + 0x10, flash->end()), ElementsAre(0x30, 0x0C, 0x3C, 0x00));
    // Beyond the end of the Flash.
    EXPECT_THAT(writeWithData(0x01, chipAt(0)->flashSize - 2, first), Optional(2));
}

TEST_F(VirtualProgrammerTest, LockAndSecurityFollowTheOptionsUntilAWholeChipErase) {
    const std::int32_t index = chipIndexWhere([](const ChipRecord& c) {
        return bitNamed(c, "LOCK") != nullptr && bitNamed(c, "SB") != nullptr;
    });
    ASSERT_GE(index, 0);
    const ChipRecord& chip = *chipAt(index);
    ASSERT_THAT(powerOn(index), Optional(0));
    ASSERT_THAT(writeWithData(0x01, 0, std::vector<std::uint8_t>{0x12, 0x34}), Optional(0));

    auto options = *read(0x02, chip.optionByteCount);
    const BitDescriptor& sb = *bitNamed(chip, "SB");
    options[sb.byteIndex] &= static_cast<std::uint8_t>(~sb.mask);
    ASSERT_THAT(writeWithData(0x02, 0, options), Optional(0));
    EXPECT_THAT(read(0x01, 2), Optional(::testing::Ne(std::vector<std::uint8_t>{0x12, 0x34})));

    const BitDescriptor& lock = *bitNamed(chip, "LOCK");
    options[lock.byteIndex] &= static_cast<std::uint8_t>(~lock.mask);
    ASSERT_THAT(writeWithData(0x02, 0, options), Optional(0));
    ASSERT_THAT(powerDown(), Optional(0));
    EXPECT_THAT(powerOn(index), Optional(6));
    EXPECT_THAT(read(0x01, 2), Optional(ElementsAre(0, 0)));

    EXPECT_THAT(bus_->run(command(0x02, 0x02)), Optional(0)); // erase including options
    ASSERT_THAT(powerDown(), Optional(0));
    EXPECT_THAT(powerOn(index), Optional(0));
    EXPECT_THAT(read(0x01, 2), Optional(ElementsAre(0xFF, 0xFF)));
}

TEST_F(VirtualProgrammerTest, SocketFollowsTheHostUnlessAPartIsPinned) {
    const ChipRecord& first = *chipAt(0);
    const std::int32_t variant = chipIndexWhere([&](const ChipRecord& c) {
        return &c != &first && c.chipId[0] == first.chipId[0] && c.chipId[1] == first.chipId[1] &&
               c.flashSize == first.flashSize;
    });
    const std::int32_t other = chipIndexWhere([&](const ChipRecord& c) { return c.chipId[1] != first.chipId[1]; });
    ASSERT_GE(variant, 0);

    ASSERT_THAT(powerOn(0), Optional(0));
    ASSERT_THAT(writeWithData(0x01, 0, std::vector<std::uint8_t>{0x00}), Optional(0));
    ASSERT_THAT(powerOn(variant), Optional(0)); // the other voltage of the same part: same chip
    EXPECT_EQ(device_.socket()->flash[0], 0x00);
    ASSERT_THAT(powerOn(other), Optional(0)); // another part: a fresh chip
    EXPECT_EQ(device_.socket()->flash[0], 0xFF);

    device_.pinChip(&first);
    EXPECT_THAT(powerOn(other), Optional(5));
    EXPECT_EQ(&device_.socket()->record(), &first);
}

TEST_F(VirtualProgrammerTest, EnteringTheBootLoaderRestartsTheDevice) {
    const UsbIds ids = programmerUsbIds();
    Payload enter = command(0x01, 0x09);
    enter[5] = 0x86;
    ASSERT_TRUE(bus_->send(enter));

    EXPECT_FALSE(bus_->send(command(0x04, 0x0A))); // the old handle is dead
    EXPECT_FALSE(device_.enumerates(ids.vendor, ids.product));
    EXPECT_FALSE(device_.enumerates(ids.vendor, ids.bootLoader));
    clock_.clock.sleepMs(VirtualProgrammer::kBootLoaderStartMs);
    ASSERT_TRUE(device_.enumerates(ids.vendor, ids.bootLoader));

    Bus boot(device_);
    const std::array<std::uint8_t, 9> header{0x33, 0, 0, 0, 0x00, 0x00, 0x40, 0x00, 0x40};
    EXPECT_FALSE(boot.send(header)); // the boot loader takes 65-byte reports only
    ASSERT_TRUE(boot.send(header, 65));
    const std::vector<std::uint8_t> data(64, 0x01);
    EXPECT_FALSE(boot.send(data, 65)); // still erasing
    clock_.clock.sleepMs(25);
    ASSERT_TRUE(boot.send(data, 65));
    ASSERT_TRUE(boot.send(std::array<std::uint8_t, 1>{0x22}, 65));
    EXPECT_THAT(boot.get(2), Optional(ElementsAre(0x00, 0x40)));
    ASSERT_TRUE(boot.send(std::array<std::uint8_t, 1>{0x44}, 65));
    // Not a firmware package: it runs, but reports nothing this library accepts.
    EXPECT_EQ(device_.firmware().main, 0u);
    clock_.clock.sleepMs(VirtualProgrammer::kFirmwareStartMs);
    EXPECT_TRUE(device_.enumerates(ids.vendor, ids.product));
}

TEST_F(VirtualProgrammerTest, OffLineStoreTakesImageAndSettings) {
    const std::vector<std::uint8_t> image(300, 0xA7);
    ASSERT_TRUE(bus_->send(write(0x04, 0x0000, image, sum(image))));
    EXPECT_FALSE(bus_->send(std::span(image).first(128))); // the store is being prepared
    clock_.clock.sleepMs(VirtualProgrammer::kOffLinePrepareMs);
    for (std::size_t at = 0; at < image.size(); at += 128) {
        ASSERT_TRUE(bus_->send(std::span(image).subspan(at, std::min<std::size_t>(128, image.size() - at))));
    }
    EXPECT_THAT(bus_->status(), Optional(::testing::Field(&Status::value, 0)));
    EXPECT_EQ(device_.offLine().image, image);

    EXPECT_THAT(read(0x03, 4), Optional(ElementsAre(0xFF, 0xFF, 0xFF, 0xFF)));
    std::vector<std::uint8_t> settings(75, 0);
    settings[4] = 2;       // layout
    settings[31] = 0x03;   // serial number on, incrementing
    settings[48] = 100;    // first serial number
    settings[56] = 2;      // at most two chips
    ASSERT_THAT(writeWithData(0x03, 0, settings), Optional(0));
    const auto back = *read(0x03, 256);
    EXPECT_EQ(back.size(), 256u);
    EXPECT_TRUE(std::equal(settings.begin(), settings.end(), back.begin()));
    EXPECT_EQ(back[75], 0xFF);
    // Stand-alone runs are tested with the off-line mode (tests/offline).
}

TEST_F(VirtualProgrammerTest, AtRealPaceALateReplyMeetsTheNextRead) {
    device_.setRealPace(true);
    ASSERT_THAT(powerOn(0), Optional(0));
    Payload erase = command(0x02, 0x01, 0x61);
    put32(erase, 8, 16);
    erase[12] = 0x00;
    erase[13] = 0x02; // 512-byte pages
    const std::uint64_t before = clock_.clock.now;
    ASSERT_TRUE(bus_->send(erase));
    EXPECT_FALSE(bus_->status(100).has_value());
    EXPECT_EQ(clock_.clock.now - before, 3u + 100u); // three packets, then the whole wait
    EXPECT_THAT(bus_->status(1000), Optional(::testing::Field(&Status::tag, 0x61)));
    EXPECT_GE(clock_.clock.now - before, 16u * pace::kPageEraseMs);
}

TEST_F(VirtualProgrammerTest, StateSurvivesTheTripThroughText) {
    ASSERT_THAT(powerOn(5), Optional(0));
    ASSERT_THAT(writeWithData(0x01, 0x100, std::vector<std::uint8_t>{1, 2, 3}), Optional(0));
    device_.socket()->locked = true;
    device_.firmware() = {0x00150001, 0x0102, false};
    device_.offLine().settings = {2, 4, 6};
    const std::string saved = device_.saveState();

    VirtualProgrammer other;
    ASSERT_TRUE(other.loadState(saved));
    EXPECT_EQ(other.saveState(), saved);
    EXPECT_EQ(&other.socket()->record(), chipAt(5));
    EXPECT_EQ(other.socket()->flash[0x101], 2);
    EXPECT_TRUE(other.socket()->locked);
    EXPECT_EQ(other.firmware().aux, 0x0102);

    std::string wrongSize = saved;
    wrongSize.replace(wrongSize.find("flash ") + 6, 2, "");
    for (const std::string& bad : {std::string("hello\n"), std::string(),
                                   saved.substr(0, saved.find("firmware")), wrongSize}) {
        VirtualProgrammer fresh;
        const std::string before = fresh.saveState();
        EXPECT_FALSE(fresh.loadState(bad));
        EXPECT_EQ(fresh.saveState(), before);
    }
}

} // namespace
} // namespace scriba8::sim
