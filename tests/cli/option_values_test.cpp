// SPDX-License-Identifier: MIT
// Hardware options by name: sizes, the IAP area's counting, labels, bits.
#include "option_values.h"

#include <gtest/gtest.h>

#include <memory>

namespace scriba8::cli {
namespace {

// A 64 KB chip with the usual item kinds.
BodyInfo testChip(std::uint32_t flashSize = 0x10000) {
    BodyInfo chip{};
    chip.partName = "TEST64";
    chip.flashSize = flashSize;
    for (OptionItem& item : chip.items) item = {"NA", "", 0};
    for (OptionBit& bit : chip.bits) bit = {"NA", 0, "", 0};
    chip.items[0] = {"ISP_SIZE", "0|0xE0,1024|0xC0,1536|0xA0,", 0};
    chip.items[1] = {"IAP_SIZE", "C8051-IAP", 0};
    chip.items[2] = {"Trim_Frequency", "External,6M,11.0592M,12M", 0};
    chip.items[3] = {"HWPSx", "F/256,F/128,F/64,F/32,F/16,F/8,F/4,F/2", 0};
    chip.items[4] = {"BOD1 level", "Detect 4.2V,Detect 3.7V,Detect 2.4V,Detect 2.0V", 0};
    chip.bits[0] = {"LOCK", 0, "Lock Device\0设备数据加锁", 0};
    chip.bits[1] = {"HWBS", 0, "When power on, Device will boot from ISP\0x", 0};
    return chip;
}

class Options : public ::testing::Test {
protected:
    std::string valueOf(const std::string& name, SelectionSource source = SelectionSource::toWrite) {
        for (const ItemText& item : DescribeSelection(chip_, *record_, source).items)
            if (item.name == name) return item.value;
        return "(none)";
    }

    BodyInfo chip_ = testChip();
    std::unique_ptr<ContextRecord> record_ = std::make_unique<ContextRecord>();
};

TEST(OptionText, SizesReadInKilobytesOrBytes) {
    EXPECT_EQ(ParseSize("2.0k"), 2048u);
    EXPECT_EQ(ParseSize("2k"), 2048u);
    EXPECT_EQ(ParseSize(" 1.5 K"), 1536u);
    EXPECT_EQ(ParseSize("2048"), 2048u);
    EXPECT_EQ(ParseSize("0x800"), 2048u);
    EXPECT_EQ(ParseSize("0"), 0u);
    for (const char* bad : {"", "k", "1.3k", "-1k", "0x", "2kk", "two"})
        EXPECT_EQ(ParseSize(bad), std::nullopt) << bad;

    EXPECT_EQ(SizeText(0), "0");
    EXPECT_EQ(SizeText(512), "0.5k");
    EXPECT_EQ(SizeText(1536), "1.5k");
    EXPECT_EQ(SizeText(0x10000), "64.0k");

    EXPECT_EQ(ParseSwitch("ON"), true);
    EXPECT_EQ(ParseSwitch("1"), true);
    EXPECT_EQ(ParseSwitch("0"), false);
    // Words that only look like a switch must not flip a lock bit.
    for (const char* bad : {"maybe", "yes", "no", "true", "false", "2", "o"})
        EXPECT_EQ(ParseSwitch(bad), std::nullopt) << bad;
}

TEST_F(Options, IspSizeIsChosenBySize) {
    EXPECT_EQ(SetItem(chip_, *record_, "ISP_SIZE=1.5k"), std::nullopt);
    EXPECT_EQ(record_->itemValue[0], 2);
    EXPECT_EQ(SetItem(chip_, *record_, "isp size = 1024"), std::nullopt);
    EXPECT_EQ(record_->itemValue[0], 1);
    EXPECT_EQ(SelectedIspSize(chip_, *record_), 1024u);

    const std::optional<std::string> error = SetItem(chip_, *record_, "ISP_SIZE=2k");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("0, 1.0k, 1.5k"), std::string::npos) << *error;
    EXPECT_EQ(record_->itemValue[0], 1);
}

TEST_F(Options, IapOnA64KChipWithoutIspAreaCountsOnePageLess) {
    // No 0.5k choice there, and the value written is one less than the pages.
    EXPECT_TRUE(SetItem(chip_, *record_, "IAP_SIZE=0.5k"));
    EXPECT_EQ(SetItem(chip_, *record_, "IAP_SIZE=1.0k"), std::nullopt);
    EXPECT_EQ(record_->itemValue[1], 1);
    EXPECT_EQ(valueOf("IAP_SIZE"), "1.0k");
    EXPECT_EQ(SetItem(chip_, *record_, "IAP_SIZE=64k"), std::nullopt);
    EXPECT_EQ(record_->itemValue[1], 127);
    EXPECT_EQ(SetItem(chip_, *record_, "IAP_SIZE=0"), std::nullopt);
    EXPECT_EQ(record_->itemValue[1], 0);
    EXPECT_TRUE(SetItem(chip_, *record_, "IAP_SIZE=700")); // not whole pages

    // Decoded from a chip the value is the page count itself.
    record_->itemValue[1] = 2;
    EXPECT_EQ(valueOf("IAP_SIZE", SelectionSource::decoded), "1.0k");

    // Beside an ISP area the pages count plainly, up to the ISP start.
    record_->itemValue[0] = 1;
    EXPECT_EQ(SetItem(chip_, *record_, "IAP_SIZE=0.5k"), std::nullopt);
    EXPECT_EQ(record_->itemValue[1], 1);
    EXPECT_EQ(valueOf("IAP_SIZE"), "0.5k");
    EXPECT_EQ(SetItem(chip_, *record_, "IAP_SIZE=63k"), std::nullopt);
    EXPECT_TRUE(SetItem(chip_, *record_, "IAP_SIZE=63.5k"));

    // A smaller chip counts plainly even without ISP area.
    chip_ = testChip(0x8000);
    record_->itemValue[0] = 0;
    EXPECT_EQ(SetItem(chip_, *record_, "IAP_SIZE=0.5k"), std::nullopt);
    EXPECT_EQ(record_->itemValue[1], 1);
    EXPECT_TRUE(SetItem(chip_, *record_, "IAP_SIZE=32.5k"));
}

TEST_F(Options, IspIsSetBeforeIapWhateverTheOrderGiven) {
    const std::vector<std::string> items{"IAP_SIZE=63k", "ISP_SIZE=1k"};
    EXPECT_EQ(ApplySettings(chip_, *record_, items, {}), std::nullopt);
    EXPECT_EQ(valueOf("ISP_SIZE"), "1.0k");
    EXPECT_EQ(valueOf("IAP_SIZE"), "63.0k");

    // An IAP area chosen earlier must still fit beside a new ISP area.
    record_->itemValue[0] = 0;
    ASSERT_EQ(SetItem(chip_, *record_, "IAP_SIZE=64k"), std::nullopt);
    const std::vector<std::string> isp{"ISP_SIZE=1.5k"};
    const std::optional<std::string> error = ApplySettings(chip_, *record_, isp, {});
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("does not fit"), std::string::npos) << *error;
}

TEST_F(Options, AnOptionGivenTwiceMustAgreeWithItself) {
    const std::vector<std::string> same{"ISP_SIZE=1k", "isp_size=1024"};
    EXPECT_EQ(ApplySettings(chip_, *record_, same, {}), std::nullopt);
    const std::vector<std::string> bitsSame{"LOCK=on", "LOCK=1"};
    EXPECT_EQ(ApplySettings(chip_, *record_, {}, bitsSame), std::nullopt);

    const std::vector<std::string> items{"ISP_SIZE=1k", "ISP_SIZE=1.5k"};
    std::optional<std::string> error = ApplySettings(chip_, *record_, items, {});
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("1.0k and as 1.5k"), std::string::npos) << *error;
    const std::vector<std::string> bits{"LOCK=on", "lock=off"};
    error = ApplySettings(chip_, *record_, {}, bits);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("LOCK is given twice"), std::string::npos) << *error;
}

TEST_F(Options, LabelsMatchLooselyButNeverAmbiguously) {
    EXPECT_EQ(SetItem(chip_, *record_, "BOD1 level=Detect 2.4V"), std::nullopt);
    EXPECT_EQ(record_->itemValue[4], 2);
    EXPECT_EQ(SetItem(chip_, *record_, "bod1_level=2.0v"), std::nullopt);
    EXPECT_EQ(record_->itemValue[4], 3);
    EXPECT_EQ(SetItem(chip_, *record_, "HWPSx=f/2"), std::nullopt);
    EXPECT_EQ(record_->itemValue[3], 7);
    EXPECT_EQ(SetItem(chip_, *record_, "Trim_Frequency=12M"), std::nullopt);
    EXPECT_EQ(record_->itemValue[2], 3);

    // "2" ends F/2, F/32 and others alike: refused with the choices listed.
    const std::optional<std::string> error = SetItem(chip_, *record_, "HWPSx=2");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("F/256, F/128"), std::string::npos) << *error;
    EXPECT_EQ(record_->itemValue[3], 7);
}

TEST_F(Options, BitsAndUnknownNames) {
    EXPECT_EQ(SetBit(chip_, *record_, "LOCK=on"), std::nullopt);
    EXPECT_EQ(record_->bitValue[0], 1u);
    EXPECT_EQ(SetBit(chip_, *record_, "lock = OFF"), std::nullopt);
    EXPECT_EQ(record_->bitValue[0], 0u);
    EXPECT_TRUE(SetBit(chip_, *record_, "LOCK=maybe"));

    const std::optional<std::string> bit = SetBit(chip_, *record_, "SB=on");
    ASSERT_TRUE(bit);
    EXPECT_NE(bit->find("LOCK, HWBS"), std::string::npos) << *bit;
    const std::optional<std::string> item = SetItem(chip_, *record_, "NA=1");
    ASSERT_TRUE(item);
    EXPECT_NE(item->find("ISP_SIZE, IAP_SIZE, Trim_Frequency, HWPSx, BOD1 level"),
              std::string::npos)
        << *item;
    EXPECT_TRUE(SetItem(chip_, *record_, "ISP_SIZE"));
    EXPECT_TRUE(SetItem(chip_, *record_, "ISP_SIZE="));
}

TEST_F(Options, DescriptionsOfReadSelections) {
    record_->itemValue[2] = 2;
    record_->itemValue[4] = -2; // a bit pattern below the item's bias
    record_->bitValue[0] = 1;
    record_->bitValue[1] = 7; // only 1 means active
    EXPECT_EQ(valueOf("Trim_Frequency"), "11.0592M");
    EXPECT_EQ(valueOf("Trim_Frequency", SelectionSource::decoded), "Not support read");
    EXPECT_EQ(valueOf("BOD1 level", SelectionSource::decoded), "unknown (-2)");

    const SelectionTexts texts = DescribeSelection(chip_, *record_, SelectionSource::decoded);
    ASSERT_EQ(texts.items.size(), 5u);
    ASSERT_EQ(texts.bits.size(), 2u);
    EXPECT_TRUE(texts.bits[0].active);
    EXPECT_FALSE(texts.bits[1].active);
    EXPECT_EQ(EnglishDescription(chip_.bits[0]), "Lock Device");
}

} // namespace
} // namespace scriba8::cli
