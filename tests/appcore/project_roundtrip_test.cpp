// SPDX-License-Identifier: MIT
// Project files written by the real library come back into the buffers
// through the application's loader.
#include "checksums.h"
#include "file_loader.h"
#include "hex_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace scriba8::app {
namespace {

namespace fs = std::filesystem;

std::int32_t FirstChip(bool withEeprom) {
    const BodyInfo* rows = nullptr;
    const std::int32_t count = DeviceLibrary().GetBodyInfo(&rows);
    for (std::int32_t i = 0; i < count; ++i)
        if ((rows[i].eepromSize != 0) == withEeprom) return i;
    return -1;
}

class ProjectRoundTrip : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("scriba8-roundtrip-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_P(ProjectRoundTrip, SavedProjectLoadsBackIntoTheBuffers) {
    const bool withEeprom = GetParam();
    const std::int32_t chip = FirstChip(withEeprom);
    if (chip < 0) GTEST_SKIP() << "no such chip in the table";
    const ChipSizes sizes = *ChipSizesOf(DeviceLibrary(), chip);

    std::uint16_t status = 0;
    auto saved = std::make_unique<ContextRecord>();
    saved->status = &status;
    saved->partIndex = chip;
    std::vector<std::uint8_t> flash = test::Bytes(300, 7);
    std::vector<std::uint8_t> eeprom(sizes.eepromSize, 0xA5);
    saved->flashData = flash.data();
    saved->flashLength = static_cast<std::uint32_t>(flash.size());
    saved->flashChecksum = Checksum16(flash);
    saved->eepromData = eeprom.empty() ? nullptr : eeprom.data();
    saved->eepromLength = sizes.eepromSize;
    saved->eepromChecksum = Checksum16(eeprom);
    std::strcpy(saved->codeFileName, "app.hex");
    std::strcpy(saved->projectFile, "roundtrip.vlx");
    std::strcpy(saved->projectFolder, dir_.string().c_str());
    ASSERT_EQ(DeviceLibrary().SaveVLX(saved.get()), S8_PASS);

    // Loaded into a window whose chip and EEPROM length are something else.
    auto record = std::make_unique<ContextRecord>();
    record->status = &status;
    record->partIndex = FirstChip(!withEeprom);
    record->eepromLength = 0x200;
    CodeBuffers buffers;
    buffers.eeprom.assign(0x200, 0xFF);
    OperationLog log;
    FileLoader loader(DeviceLibrary(), *record, buffers, log);
    LoadRequest request;
    request.path = (dir_ / "roundtrip.vlx").string();
    LoadOutcome outcome = loader.load(request);

    ASSERT_EQ(outcome.result, S8_PASS) << log.text();
    EXPECT_EQ(record->partIndex, chip);
    EXPECT_EQ(buffers.flash, flash);
    EXPECT_EQ(outcome.displayName, request.path + " (app.hex)");
    if (withEeprom) {
        EXPECT_EQ(buffers.eeprom, eeprom);
        EXPECT_EQ(buffers.file[1].kind, BufferKind::singleFile);
    } else {
        EXPECT_EQ(buffers.file[1].kind, BufferKind::empty);
    }
}

INSTANTIATE_TEST_SUITE_P(Chips, ProjectRoundTrip, ::testing::Bool(),
                         [](const auto& chipKind) { return chipKind.param ? "WithEeprom" : "FlashOnly"; });

} // namespace
} // namespace scriba8::app
