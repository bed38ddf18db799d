// SPDX-License-Identifier: MIT
// Saving and loading whole project files through the library's entry points.
#include "chips/options.h"
#include "export_impl.h"
#include "project/byte_source.h"
#include "project/vlx_build.h"
#include "project/vlx_format.h"
#include "project/vlx_load.h"
#include "project/vlx_save.h"
#include "file_modes.h"
#include "project_test_support.h"
#include "special_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace scriba8 {
namespace {

using test::Context;
using test::TempDir;

const SaveStamp kStamp{{25, 12, 31, 23, 59, 30}, 0xC0DE, {0x12, 0x34, 0x56, 0x78}};

int itemSlot(const ChipRecord& chip, const char* name) {
    for (int k = 0; k < kItemSlots; ++k) {
        if (std::strcmp(chip.items[k].name, name) == 0) return k;
    }
    return -1;
}

// A record ready to save: the chip's default selection with an ISP area, a
// boot option and (where the chip has one) a trim frequency chosen, images
// with their sums, names that need the legacy code page.
void prepare(Context& c, std::int32_t row, const TempDir& dir) {
    const ChipRecord& chip = *chipAt(row);
    c->partIndex = row;
    std::vector<std::uint8_t> defaults(chip.optionByteCount);
    for (std::size_t i = 0; i < defaults.size(); ++i)
        defaults[i] = DefaultOptionByte(row, static_cast<int>(i));
    DecodeOptions(*c, defaults.data());
    c->itemValue[itemSlot(chip, "ISP_SIZE")] = 2;
    if (const int trim = itemSlot(chip, "Trim_Frequency"); trim >= 0) c->itemValue[trim] = 2;
    for (int j = 0; j < kBitSlots; ++j) {
        if (std::strcmp(chip.bits[j].name, "HWBS") == 0) c->bitValue[j] = 1;
    }

    auto& flash = c.flash;
    auto& eeprom = c.eeprom;
    flash.assign(3000, 0);
    for (std::size_t i = 0; i < flash.size(); ++i)
        flash[i] = static_cast<std::uint8_t>(i * 7 + 1);
    // Chips without EEPROM get stale EEPROM data too: it must never reach the file.
    eeprom.assign(chip.eepromSize != 0 ? chip.eepromSize : 100, 0x5A);
    c->flashData = flash.data();
    c->flashLength = static_cast<std::uint32_t>(flash.size());
    c->flashChecksum = test::byteSum(flash);
    c->flashFullChecksum = 0x4321;
    c->eepromData = eeprom.data();
    c->eepromLength = static_cast<std::uint32_t>(eeprom.size());
    c->eepromChecksum = test::byteSum(eeprom);
    c->autoProcess = S8_STEP_RUNNING | S8_STEP_SAVE_CHIP_CHECKSUM | S8_DEFAULT_AUTO_PROCESS;
    c->ispCodeSource = 1;
    std::strcpy(c->codeFileName, "程序 v2.hex");
    std::strcpy(c->ispCodeFile, "/opt/isp/引导.bin");
    std::memcpy(c->customerString, "CUSTOMER-42\xFF\xFF\xFF\xFF\xFF", 16);
    std::strcpy(c->projectFolder, dir.path().string().c_str());
    std::strcpy(c->projectFile, "project.vlx");
}

std::int32_t load(Context& c, const std::string& path) {
    std::strcpy(c->projectFile, path.c_str());
    return loadVlxFooter(c.ctx.get());
}

struct ScriptedHost {
    S8HostCallbacks table{};
    bool answer = false;
    std::vector<std::string> questions;
    std::string savePath; // empty: the user cancels
    std::string offeredFolder;

    ScriptedHost() {
        table.user = this;
        table.askYesNo = [](void* user, const char* text) {
            auto* self = static_cast<ScriptedHost*>(user);
            self->questions.emplace_back(text);
            return self->answer ? 1 : 0;
        };
        table.chooseSaveFile = [](void* user, const char* filter, const char* pattern,
                                  const char* extension, const char* folder, char* path,
                                  size_t size) {
            auto* self = static_cast<ScriptedHost*>(user);
            EXPECT_STREQ(filter, "vorlane Project File (*.vlx)");
            EXPECT_STREQ(pattern, "*.vlx");
            EXPECT_STREQ(extension, "vlx");
            self->offeredFolder = folder;
            if (self->savePath.empty() || self->savePath.size() >= size) return 0;
            std::strcpy(path, self->savePath.c_str());
            return 1;
        };
    }
};

TEST(VlxProject, EveryFamilyCodeLoadsBackWhatWasSaved) {
    for (const std::uint16_t family : {0, 1, 0x301}) {
        SCOPED_TRACE(family);
        TempDir dir;
        const auto row = test::firstRow([&](const ChipRecord& chip) {
            return chip.familyCode == family && (family != 0 || chip.chipChecksumSupported == 1);
        });
        ASSERT_GE(row, 0);
        Context saved;
        prepare(saved, row, dir);
        ASSERT_EQ(saveVlx(saved.ctx.get()), S8_PASS);
        EXPECT_EQ(saved.status, S8_PASS);
        EXPECT_STREQ(saved->projectFile, "project.vlx");
        EXPECT_EQ(std::string(saved->projectFolder), dir.path().string() + "/");

        Context loaded;
        loaded->eepromLength = 77; // stale, from an earlier buffer
        ASSERT_EQ(load(loaded, (dir / "project.vlx").string()), S8_PASS);
        EXPECT_EQ(loaded.status, S8_PASS);
        const ChipRecord& chip = *chipAt(row);
        EXPECT_EQ(loaded->partIndex, test::firstRow([&](const ChipRecord& other) {
                      return other.partCode == chip.partCode && other.familyCode == chip.familyCode;
                  }));
        EXPECT_EQ(std::memcmp(loaded->itemValue, saved->itemValue, sizeof saved->itemValue), 0);
        EXPECT_EQ(std::memcmp(loaded->bitValue, saved->bitValue, sizeof saved->bitValue), 0);
        EXPECT_STREQ(loaded->codeFileName, saved->codeFileName);
        EXPECT_STREQ(loaded->ispCodeFile, saved->ispCodeFile);
        EXPECT_EQ(loaded->flashLength, saved->flashLength);
        EXPECT_EQ(loaded->flashChecksum, saved->flashChecksum);
        EXPECT_EQ(loaded->projectChecksum, saved->flashChecksum);
        EXPECT_EQ(loaded->eepromLength, family == 0x301 ? saved->eepromLength : 0u);
        EXPECT_EQ(loaded->eepromChecksum, family == 0x301 ? saved->eepromChecksum : 0);
        EXPECT_EQ(loaded->autoProcess, saved->autoProcess & 0xFF);
        EXPECT_EQ(loaded->ispCodeSource, 1);
        EXPECT_EQ(loaded->projectTag, saved->projectTag);
        EXPECT_EQ(std::memcmp(loaded->saveTime, saved->saveTime, 6), 0);
        EXPECT_EQ(loaded->toolVersion, 0x0105);
        EXPECT_EQ(loaded->projectFamilyCode, family);
        if (family != 0) {
            EXPECT_EQ(std::memcmp(loaded->customerString, saved->customerString, 16), 0);
            EXPECT_EQ(loaded->projectId, saved->projectId);
            EXPECT_EQ(loaded->projectMark, 5);
        }
        if (family != 0x301) {
            EXPECT_EQ(loaded->trimWord, saved->trimWord);
        }

        std::vector<std::uint8_t> flash(loaded->flashLength), eeprom(loaded->eepromLength);
        loaded->flashData = flash.data();
        loaded->eepromData = eeprom.data();
        ASSERT_EQ(loadVlxBuffer(loaded.ctx.get()), S8_PASS);
        EXPECT_TRUE(std::equal(flash.begin(), flash.end(), saved->flashData));
        EXPECT_TRUE(std::equal(eeprom.begin(), eeprom.end(), saved->eepromData));
    }
}

TEST(VlxProject, ExtendedOptionBlockCarriesCustomerStringIdentifierAndMarker) {
    TempDir dir;
    const auto row = test::firstRow([](const ChipRecord& chip) { return chip.familyCode == 1; });
    Context c;
    prepare(c, row, dir);
    std::vector<std::uint8_t> file;
    ASSERT_EQ(buildProjectFile(*c, kStamp, &TrimWordFromSelection, file), S8_PASS);
    EXPECT_EQ(c->projectId, 0x12345678u);
    EXPECT_EQ(c->projectMark, 5);

    const std::size_t footerSize = vlx::storedFooterSize(file[file.size() - 2], file.back());
    vlx::Footer footer;
    ASSERT_EQ(vlx::decodeFooter({file.data() + file.size() - footerSize, footerSize},
                                file.size() - footerSize, footer),
              vlx::DecodeError::None);
    const auto& block = footer.optionBlock;
    ASSERT_EQ(block.size(), 64u);
    EXPECT_TRUE(std::equal(block.begin() + 16, block.begin() + 32, c->customerString));
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 48, block.begin() + 53),
              (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 5}));
    const std::size_t options = chipAt(row)->optionByteCount;
    for (std::size_t i = options; i < 64; ++i) {
        if (i < 16 || (i >= 32 && i < 48) || i > 52) {
            EXPECT_EQ(block[i], 0xFF) << i;
        }
    }
}

TEST(VlxProject, SaveTimeBytes) {
    std::tm local{};
    local.tm_year = 2025 - 1900;
    local.tm_mday = 2;
    EXPECT_EQ(saveTimeBytes(&local), (std::array<std::uint8_t, 6>{25, 1, 2, 0, 0, 0}));
    EXPECT_EQ(saveTimeBytes(nullptr), (std::array<std::uint8_t, 6>{0x30, 0, 0, 0xFF, 0xFF, 0xFF}));
}

// A small valid project made from raw footer fields, for layouts no chip
// produces.
std::vector<std::uint8_t> craftedProject(vlx::Footer footer,
                                         const std::vector<std::uint8_t>& code) {
    footer.flashLength = static_cast<std::uint32_t>(code.size());
    footer.flashChecksum = test::byteSum(code);
    auto bytes = code;
    const auto tail = *vlx::encodeFooter(footer);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

vlx::Footer footerForRow(std::int32_t row) {
    vlx::Footer f;
    f.familyCode = chipAt(row)->familyCode;
    f.partCode = chipAt(row)->partCode;
    f.codeFileName = "a.bin";
    f.optionBlock.assign(f.familyCode == 0 ? chipAt(row)->optionByteCount : 64, 0xFF);
    if (f.familyCode != 0) f.optionBlock[52] = 5;
    return f;
}

TEST(VlxProject, SiblingToolFileAsksFirstAndNoLeavesTheRecordUntouched) {
    const auto row = test::firstRow([](const ChipRecord& chip) { return chip.familyCode == 0; });
    vlx::Footer footer = footerForRow(row);
    footer.toolMarker = 5;
    const auto bytes = craftedProject(footer, {1, 2, 3});

    ScriptedHost host;
    Context c;
    c->host = &host.table;
    const auto before = test::snapshot(*c);
    MemorySource source(bytes);
    EXPECT_EQ(loadProjectFooter(*c, source), S8_PROJECT_TOOL_ERROR);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0], "This VLX belongs to T3_Scriba.\nReading may cause information "
                                 "loss.\nDo you want to continue?");
    EXPECT_TRUE(test::sameRecord(*before, *c));

    host.answer = true;
    EXPECT_EQ(loadProjectFooter(*c, source), S8_PASS);
    EXPECT_EQ(c->partIndex, row);

    Context silent; // no host: the answer is No
    EXPECT_EQ(loadProjectFooter(*silent, source), S8_PROJECT_TOOL_ERROR);
}

TEST(VlxProject, UnsupportedPartsAndDamagedOptionBlocks) {
    const auto classic =
        test::firstRow([](const ChipRecord& chip) { return chip.familyCode == 0; });
    const auto extended =
        test::firstRow([](const ChipRecord& chip) { return chip.familyCode == 1; });

    { // Family 0x300: 16-byte identifier, extended block, no EEPROM fields, no chip.
        vlx::Footer footer = footerForRow(extended);
        footer.familyCode = 0x300;
        const auto bytes = craftedProject(footer, {9, 9});
        Context c;
        c->partIndex = 3;
        MemorySource source(bytes);
        EXPECT_EQ(loadProjectFooter(*c, source), S8_PROJECT_PART_ERROR);
        EXPECT_EQ(c->partIndex, -1);
        EXPECT_STREQ(c->codeFileName, "a.bin");
        EXPECT_EQ(c->flashLength, 2u);
    }
    { // An option block shorter than the chip's reads as erased beyond its end.
        vlx::Footer footer = footerForRow(classic);
        footer.optionBlock = {0x00};
        const auto bytes = craftedProject(footer, {});
        Context c;
        MemorySource source(bytes);
        EXPECT_EQ(loadProjectFooter(*c, source), S8_PASS);
        const ChipRecord& chip = *chipAt(classic);
        for (int j = 0; j < kBitSlots; ++j) {
            if (std::strcmp(chip.bits[j].name, "NA") == 0) continue;
            EXPECT_EQ(c->bitValue[j], chip.bits[j].byteIndex == 0 ? 1u : 0u) << chip.bits[j].name;
        }
    }
    { // Extended blocks need room for their fields, and their marker.
        vlx::Footer footer = footerForRow(extended);
        footer.optionBlock.assign(47, 0xFF);
        Context c;
        auto bytes = craftedProject(footer, {});
        MemorySource shortBlock(bytes);
        EXPECT_EQ(loadProjectFooter(*c, shortBlock), S8_PROJECT_OPTION_ERROR);
        footer.optionBlock.assign(64, 0xFF);
        bytes = craftedProject(footer, {});
        MemorySource noMarker(bytes);
        EXPECT_EQ(loadProjectFooter(*c, noMarker), S8_PROJECT_OPTION_ERROR);
    }
}

TEST(VlxProject, DamagedFilesAreRefusedAndNeverLoaded) {
    for (const std::uint16_t family : {0, 1, 0x301}) {
        SCOPED_TRACE(family);
        TempDir dir;
        Context saved;
        prepare(saved,
                test::firstRow([&](const ChipRecord& chip) { return chip.familyCode == family; }),
                dir);
        ASSERT_EQ(saveVlx(saved.ctx.get()), S8_PASS);
        const auto good = test::readBytes(dir / "project.vlx");
        const std::size_t tail = 300; // the footer and the end of the code
        const std::size_t codeSize =
            good.size() - vlx::storedFooterSize(good[good.size() - 2], good.back());

        // A cut file no longer ends with its footer: whatever its last two
        // bytes claim, also a footer larger than what is left, is a damaged
        // footer, never an open error.
        for (std::size_t length = 0; length < good.size();
             length += length < good.size() - tail ? 97 : 1) {
            const std::vector<std::uint8_t> cut(good.begin(),
                                                good.begin() + static_cast<std::ptrdiff_t>(length));
            Context c;
            MemorySource source(cut);
            EXPECT_EQ(loadProjectFooter(*c, source), S8_PROJECT_CHECKSUM_ERROR) << "cut to " << length;
        }
        // A changed byte of the code breaks the code checksum, one of the
        // footer the footer checksum.
        std::mt19937 random(family);
        for (int round = 0; round < 2000; ++round) {
            auto flipped = good;
            const std::size_t at =
                round % 2 ? random() % good.size() : good.size() - 1 - random() % tail;
            flipped[at] ^= static_cast<std::uint8_t>(random() % 255 + 1);
            Context c;
            MemorySource source(flipped);
            EXPECT_EQ(loadProjectFooter(*c, source),
                      at < codeSize ? S8_PROJECT_BUFFER_ERROR : S8_PROJECT_CHECKSUM_ERROR)
                << "byte " << at;
        }
    }
}

TEST(VlxProject, FooterSizeBeyondTheFileIsADamagedFooter) {
    // The size field claims more bytes than the file has.
    for (const std::vector<std::uint8_t>& bytes :
         {std::vector<std::uint8_t>{0x00, 0x03}, std::vector<std::uint8_t>{1, 2, 3, 0xFF, 0xFF},
          std::vector<std::uint8_t>{0x12}, std::vector<std::uint8_t>{}}) {
        Context c;
        MemorySource source(bytes);
        EXPECT_EQ(loadProjectFooter(*c, source), S8_PROJECT_CHECKSUM_ERROR) << bytes.size();
    }
}

TEST(VlxProject, ImageReadStopsAtTheEndOfTheFile) {
    TempDir dir;
    const auto row = test::firstRow([](const ChipRecord& chip) { return chip.familyCode == 0; });
    Context saved;
    prepare(saved, row, dir);
    ASSERT_EQ(saveVlx(saved.ctx.get()), S8_PASS);

    Context c;
    ASSERT_EQ(load(c, (dir / "project.vlx").string()), S8_PASS);
    std::vector<std::uint8_t> flash(c->flashLength + 4096);
    c->flashData = flash.data();
    c->flashLength = static_cast<std::uint32_t>(flash.size());
    EXPECT_EQ(loadVlxBuffer(c.ctx.get()), S8_FILE_ERROR);
    EXPECT_EQ(c.status, S8_FILE_ERROR);

    std::strcpy(c->projectFile, (dir / "missing.vlx").string().c_str());
    EXPECT_EQ(loadVlxFooter(c.ctx.get()), S8_FILE_ERROR);
    EXPECT_EQ(loadVlxBuffer(c.ctx.get()), S8_FILE_ERROR);
    // A named pipe is refused at once instead of waiting for a writer.
    std::strcpy(c->projectFile, test::MakeSpecialFile(dir.path()).c_str());
    EXPECT_EQ(loadVlxFooter(c.ctx.get()), S8_FILE_ERROR);
    EXPECT_EQ(loadVlxBuffer(c.ctx.get()), S8_FILE_ERROR);
}

// An image the chip cannot hold would only fail later, when programming.
TEST(VlxProject, ImagesLargerThanTheChipAreRefusedAtLoad) {
    const auto row = test::firstRow([](const ChipRecord& chip) { return chip.familyCode == 0x301; });
    const ChipRecord& chip = *chipAt(row);
    for (const bool eeprom : {false, true}) {
        SCOPED_TRACE(eeprom);
        TempDir dir;
        Context saved;
        prepare(saved, row, dir);
        auto& image = eeprom ? saved.eeprom : saved.flash;
        image.assign((eeprom ? chip.eepromSize : chip.flashSize) + 1, 0x11);
        (eeprom ? saved->eepromData : saved->flashData) = image.data();
        (eeprom ? saved->eepromLength : saved->flashLength) = static_cast<std::uint32_t>(image.size());
        (eeprom ? saved->eepromChecksum : saved->flashChecksum) = test::byteSum(image);
        ASSERT_EQ(saveVlx(saved.ctx.get()), S8_PASS);
        Context c;
        EXPECT_EQ(load(c, (dir / "project.vlx").string()), S8_PROJECT_CHECKSUM_ERROR);
    }
}

TEST(VlxProject, HostChoosesTheFileOrCancels) {
    TempDir dir;
    const auto row = test::firstRow([](const ChipRecord& chip) { return chip.familyCode == 1; });
    ScriptedHost host;
    Context c;
    prepare(c, row, dir);
    c->host = &host.table;

    const auto before = test::snapshot(*c);
    EXPECT_EQ(saveVlx(c.ctx.get()), S8_CANCELLED);
    EXPECT_EQ(host.offeredFolder, dir.path().string());
    EXPECT_TRUE(test::sameRecord(*before, *c));

    std::filesystem::create_directory(dir / "chosen");
    host.savePath = (dir / "chosen" / "line 7.vlx").string();
    EXPECT_EQ(saveVlx(c.ctx.get()), S8_PASS);
    EXPECT_STREQ(c->projectFile, "line 7.vlx");
    EXPECT_EQ(std::string(c->projectFolder), (dir / "chosen").string() + "/");
    EXPECT_TRUE(std::filesystem::exists(host.savePath));
}

class FailedSave : public ::testing::Test {
  protected:
    void SetUp() override {
        row_ = test::firstRow([](const ChipRecord& chip) { return chip.familyCode == 1; });
        prepare(c_, row_, dir_);
        test::writeBytes(dir_ / "project.vlx", existing_);
        test::SetFileMode(dir_ / "project.vlx", 0640);
        before_ = test::snapshot(*c_);
    }

    // The old file is exactly as it was, nothing else is in the folder, and
    // the record changed at most in projectFolder.
    void expectNothingLost() {
        EXPECT_EQ(test::readBytes(dir_ / "project.vlx"), existing_);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
        std::memcpy(before_->projectFolder, c_->projectFolder, sizeof before_->projectFolder);
        EXPECT_TRUE(test::sameRecord(*before_, *c_));
    }

    TempDir dir_;
    std::int32_t row_ = -1;
    Context c_;
    std::unique_ptr<ContextRecord> before_;
    const std::vector<std::uint8_t> existing_ = std::vector<std::uint8_t>(5000, 0xA7);
};

TEST_F(FailedSave, MissingTrimItemWritesNothing) {
    const TrimStep missingItem = [](ContextRecord&) { return kTrimItemMissing; };
    EXPECT_EQ(saveProject(*c_, kStamp, missingItem), S8_TRIM_FAILED);
    expectNothingLost();
}

TEST_F(FailedSave, NameTooLongForItsLengthByte) {
    std::string name;
    for (int i = 0; i < 128; ++i)
        name += "码"; // 384 bytes of UTF-8, 256 in the legacy code page
    std::strcpy(c_->codeFileName, name.c_str());
    before_ = test::snapshot(*c_);
    EXPECT_EQ(saveProject(*c_, kStamp, &TrimWordFromSelection), S8_FILE_ERROR);
    expectNothingLost();

    name.erase(name.size() - 3); // 254 legacy bytes fit
    std::strcpy(c_->codeFileName, name.c_str());
    EXPECT_EQ(saveProject(*c_, kStamp, &TrimWordFromSelection), S8_PASS);
}

TEST_F(FailedSave, WriteErrorKeepsTheOldFile) {
    std::int32_t result = 0;
    {
        const test::FileSizeLimit small(1024); // the project is larger: its write fails half-way
        if (!small.active()) GTEST_SKIP() << "this system has no file size limit";
        result = saveProject(*c_, kStamp, &TrimWordFromSelection);
    }
    EXPECT_EQ(result, S8_FILE_ERROR);
    expectNothingLost();
}

TEST_F(FailedSave, UnwritableFolder) {
    // A file where the folder should be stops even root.
    std::strcpy(c_->projectFolder, (dir_ / "project.vlx").string().c_str());
    EXPECT_EQ(saveProject(*c_, kStamp, &TrimWordFromSelection), S8_FILE_ERROR);
    EXPECT_EQ(std::string(c_->projectFolder), (dir_ / "project.vlx").string() + "/");
    expectNothingLost();
}

TEST_F(FailedSave, SuccessfulOverwriteKeepsPermissions) {
    ASSERT_EQ(saveProject(*c_, kStamp, &TrimWordFromSelection), S8_PASS);
    if (!test::FileMode(dir_ / "project.vlx")) GTEST_SKIP() << "this system has no file modes";
    EXPECT_EQ(test::FileMode(dir_ / "project.vlx"), 0640u);
    EXPECT_NE(test::readBytes(dir_ / "project.vlx"), existing_);
}

} // namespace
} // namespace scriba8
