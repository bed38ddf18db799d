// SPDX-License-Identifier: MIT
// Placing ISP boot code into the Flash image.
#include "export_impl.h"
#include "project/isp_insert.h"
#include "project_test_support.h"
#include "resources/resources.h"
#include "special_file.h"

#include <gtest/gtest.h>


#include <cstring>

namespace scriba8 {
namespace {

using test::Context;
using Bytes = std::vector<std::uint8_t>;

int slotNamed(const ChipRecord& chip, const char* name) {
    for (int k = 0; k < kItemSlots; ++k) {
        if (std::strcmp(chip.items[k].name, name) == 0) return k;
    }
    return -1;
}

bool hasIspItem(const ChipRecord& chip) { return slotNamed(chip, "ISP_SIZE") >= 0; }

// A record for row with a Flash buffer of the chip's full size, holding length bytes.
void prepare(Context& c, std::int32_t row, std::uint32_t length) {
    c->partIndex = row;
    c.flash.assign(chipAt(row)->flashSize, 0xEE);
    for (std::uint32_t i = 0; i < length; ++i)
        c.flash[i] = static_cast<std::uint8_t>(i);
    c->flashData = c.flash.data();
    c->flashLength = length;
}

std::int32_t rowWithChoices(const char* choices) {
    return test::firstRow([&](const ChipRecord& chip) {
        const int slot = slotNamed(chip, "ISP_SIZE");
        return slot >= 0 && std::strcmp(chip.items[slot].choices, choices) == 0;
    });
}

class IspInsert : public ::testing::Test {
  protected:
    void SetUp() override {
        row_ = rowWithChoices("0|0x30,1024|0x20,2048|0x10,4096|0x00");
        ASSERT_GE(row_, 0);
        chip_ = chipAt(row_);
    }
    std::int32_t row_ = -1;
    const ChipRecord* chip_ = nullptr;
};

TEST_F(IspInsert, SmallestAreaThatHoldsTheImage) {
    Context c;
    prepare(c, row_, 100);
    const Bytes image(769, 0x11);
    ASSERT_EQ(placeIspImage(*c, *chip_, image), S8_PASS);
    EXPECT_EQ(c->itemValue[slotNamed(*chip_, "ISP_SIZE")], 1);
    const std::uint32_t start = chip_->flashSize - 1024;
    EXPECT_EQ(c->flashLength, start + 769);
    EXPECT_EQ(c.flash[99], 99);
    EXPECT_EQ(c.flash[100], 0xFF) << "the gap is erased Flash";
    EXPECT_EQ(c.flash[start - 1], 0xFF);
    EXPECT_EQ(Bytes(c.flash.begin() + start, c.flash.begin() + start + 769), image);
    EXPECT_EQ(c.flash[start + 769], 0xEE) << "nothing written past the new length";
    for (int j = 0; j < kBitSlots; ++j) {
        if (std::strcmp(chip_->bits[j].name, "HWBS") == 0) {
            EXPECT_EQ(c->bitValue[j], 1u);
        }
    }

    prepare(c, row_, 0);
    ASSERT_EQ(placeIspImage(*c, *chip_, Bytes(1024, 0x22)), S8_PASS);
    EXPECT_EQ(c->itemValue[slotNamed(*chip_, "ISP_SIZE")], 1) << "an exact fit takes that size";
    EXPECT_EQ(c->flashLength, chip_->flashSize);

    prepare(c, row_, chip_->flashSize); // already reaching into the area
    ASSERT_EQ(placeIspImage(*c, *chip_, Bytes(10, 0x33)), S8_PASS);
    EXPECT_EQ(c->flashLength, chip_->flashSize);
    EXPECT_EQ(c.flash[chip_->flashSize - 1024], 0x33);
    EXPECT_EQ(c.flash[chip_->flashSize - 1024 + 10],
              static_cast<std::uint8_t>(chip_->flashSize - 1024 + 10));
}

TEST_F(IspInsert, TooLargeChangesNothing) {
    Context c;
    prepare(c, row_, 300);
    const auto before = test::snapshot(*c);
    const Bytes flashBefore = c.flash;
    EXPECT_EQ(placeIspImage(*c, *chip_, Bytes(4097, 0)), S8_FILE_TOO_LARGE);
    EXPECT_TRUE(test::sameRecord(*before, *c));
    EXPECT_EQ(c.flash, flashBefore);
}

TEST_F(IspInsert, ChipsOutsideTheTable) {
    ChipRecord rounded = *chip_;
    rounded.items[0].choices = "RA32-ISP-IAP";
    rounded.items[1] = rounded.items[0];
    rounded.items[1].name = "BOOT_MS";
    Context c;
    prepare(c, row_, 0);
    c->itemValue[0] = 3;
    ASSERT_EQ(placeIspImage(*c, rounded, Bytes(1500, 0x44)), S8_PASS);
    EXPECT_EQ(c->itemValue[0], 3) << "the rounded size is not a choice";
    EXPECT_EQ(c->itemValue[1], 1);
    EXPECT_EQ(c.flash[rounded.flashSize - 2048], 0x44);
    EXPECT_EQ(c->flashLength, rounded.flashSize - 2048 + 1500);

    rounded.flashSize = 1024;
    prepare(c, row_, 0);
    EXPECT_EQ(placeIspImage(*c, rounded, Bytes(1500, 0x44)), S8_FILE_TOO_LARGE)
        << "area larger than the Flash";

    ChipRecord noIsp = *chip_;
    noIsp.items[0].name = "NA";
    EXPECT_EQ(placeIspImage(*c, noIsp, Bytes(10, 0)), S8_FAIL);
}

TEST_F(IspInsert, UserFilesAsHexOrBinary) {
    test::TempDir dir;
    test::writeBytes(dir / "loader.Hex",
                     Bytes{':', '0', '0', '0', '0', '0', '0', '0', '1', 'F', 'F'});
    test::writeBytes(dir / "loader.bin", Bytes(700, 0x55));
    test::writeBytes(dir / "loader", Bytes{':', '0', '0'});
    test::writeBytes(dir / "huge.bin", Bytes(chip_->flashSize + 1, 0));
    test::writeBytes(dir / "empty.bin", Bytes{});
    test::writeBytes(dir / "noise.hex", Bytes(300, 0x9C));
    const std::string damaged = ":020000000102FB\r\n:020002000304F6\r\n:00000001FF\r\n";
    test::writeBytes(dir / "damaged.hex", Bytes(damaged.begin(), damaged.end()));
    // Far more text than any HEX file of a Flash-sized image: refused unread.
    test::writeBytes(dir / "huge.hex", Bytes(std::size_t{chip_->flashSize} * 16 + (1u << 20) + 1, ';'));
    const std::string pipe = test::MakeSpecialFile(dir.path());
    struct Case {
        const char* file;
        std::int32_t result;
        std::uint32_t length;
    };
    const Case cases[] = {
        // No image at all would turn on booting from an empty ISP area.
        {"loader.Hex", S8_FILE_ERROR, 0},
        {"empty.bin", S8_FILE_ERROR, 0},
        {"noise.hex", S8_FILE_ERROR, 0},
        {"damaged.hex", S8_FILE_ERROR, 0}, // bad checksum in its second record
        {"huge.hex", S8_FILE_TOO_LARGE, 0},
        {pipe.c_str(), S8_FILE_ERROR, 0}, // refused at once, not waited on
        {"loader.bin", S8_PASS, chip_->flashSize - 1024 + 700},
        {"loader", S8_PASS, chip_->flashSize - 1024 + 3}, // no extension: raw bytes
        {"huge.bin", S8_FILE_TOO_LARGE, 0},
        {"missing.bin", S8_FILE_ERROR, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.file);
        Context c;
        prepare(c, row_, 0);
        c->ispCodeSource = 1;
        std::strcpy(c->ispCodeFile, (dir / k.file).string().c_str());
        EXPECT_EQ(insertIspCode(c.ctx.get()), k.result);
        EXPECT_EQ(c.status, k.result);
        EXPECT_EQ(c->flashLength, k.length);
    }
}

TEST(IspBuiltIn, EveryChipWithAnIspAreaTakesItsImage) {
    const auto table = chipTable();
    int placed = 0;
    for (std::size_t row = 0; row < table.size(); ++row) {
        const ChipRecord& chip = table[row];
        if (!hasIspItem(chip)) continue;
        SCOPED_TRACE(chip.partName);
        const auto image = loadResource("ISPCODE", chip.ispResourceId);
        ASSERT_TRUE(image);
        EXPECT_GE(image->size(), 640u);
        EXPECT_LE(image->size(), 2022u);
        Context c;
        prepare(c, static_cast<std::int32_t>(row), 0);
        ASSERT_EQ(insertIspCode(c.ctx.get()), S8_PASS);
        const std::uint32_t start = c->flashLength - static_cast<std::uint32_t>(image->size());
        EXPECT_EQ(Bytes(c.flash.begin() + start, c.flash.begin() + c->flashLength), *image);
        EXPECT_LE(c->flashLength, chip.flashSize);
        ++placed;
    }
    EXPECT_GT(placed, 0);
}

} // namespace
} // namespace scriba8
