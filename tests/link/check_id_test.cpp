// SPDX-License-Identifier: MIT
// CheckID and the frame around it, end to end against the virtual
// programmer: identity comparison, result codes, and how the link is left.
#include "link_fixture.h"

#include "export_impl.h"
#include "frame.h"
#include "link/usb_ids.h"

#include <gmock/gmock.h>

#include <set>

namespace scriba8::testing {
namespace {

using ::testing::ElementsAre;

bool twoByteFamily(std::uint8_t family) {
    for (std::uint8_t f : {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF7, 0xF8, 0xF9, 0xFA, 0xFC}) {
        if (f == family) return true;
    }
    return false;
}

class CheckIdTest : public LinkTest {
protected:
    std::int32_t run() { return checkId(&ctx_); }

    // The final code is also in the status word, and no link is left open.
    void expectResult(std::int32_t expected) {
        EXPECT_EQ(run(), expected);
        EXPECT_EQ(status_, expected);
        EXPECT_FALSE(ProgrammerIsOpen());
    }

    std::array<std::uint8_t, 5> identityOf(std::int32_t index, std::uint8_t third) {
        const ChipRecord& chip = *chipAt(index);
        return {chip.productByte(), chip.familyByte(), third, 0x77, 0x77};
    }
};

TEST_F(CheckIdTest, TwoByteFamiliesIgnoreTheThirdByte) {
    ctx_.partIndex = chipIndexWhere([](const ChipRecord& c) { return c.familyByte() == 0xF5; });
    ASSERT_GE(ctx_.partIndex, 0);
    expectResult(S8_PASS); // the virtual chip answers 00 in byte 2
    device().faults().identityReply = identityOf(ctx_.partIndex, 0x05);
    expectResult(S8_PASS);

    device().faults().identityReply.reset();
    device().faults().identityMismatch = true;
    expectResult(S8_FAIL);

    auto wrongFamily = identityOf(ctx_.partIndex, 0x00);
    wrongFamily[1] = 0xF4;
    device().faults().identityReply = wrongFamily;
    expectResult(S8_FAIL);
}

// Every family of the table against fixed replies: byte 2 counts only outside
// the two-byte identity families.
TEST_F(CheckIdTest, ThirdIdentityByteCountsOnlyOutsideTheTwoByteFamilies) {
    std::set<std::uint8_t> families;
    for (const ChipRecord& chip : chipTable()) families.insert(chip.familyByte());
    for (std::uint8_t family :
         {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF7, 0xF8, 0xF9, 0xFA, 0xFC, 0xF6, 0xFB}) {
        EXPECT_TRUE(families.contains(family)) << "no chip of family " << int{family};
    }
    for (std::uint8_t family : families) {
        SCOPED_TRACE(::testing::Message() << "family " << std::hex << int{family});
        ctx_.partIndex = chipIndexWhere([&](const ChipRecord& c) { return c.familyByte() == family; });
        const std::uint8_t product = chipAt(ctx_.partIndex)->productByte();
        const auto reply = [&](std::uint8_t third, std::uint8_t rest) {
            device().faults().identityReply = {product, family, third, rest, rest};
        };
        reply(0x05, 0x00);
        expectResult(S8_PASS);
        reply(0x00, 0x05);
        expectResult(twoByteFamily(family) ? S8_PASS : S8_FAIL);
        reply(0xFF, 0xFF);
        expectResult(twoByteFamily(family) ? S8_PASS : S8_FAIL);
    }
}

TEST_F(CheckIdTest, EveryChipOfTheTablePassesOnAFreshProgrammer) {
    for (std::size_t i = 0; i < chipTable().size(); ++i) {
        ctx_.partIndex = static_cast<std::int32_t>(i);
        EXPECT_EQ(run(), S8_PASS) << chipTable()[i].partName;
        EXPECT_EQ(twoByteFamily(chipTable()[i].familyByte()),
                  device().socket()->identity()[2] == 0x00);
    }
}

TEST_F(CheckIdTest, ExchangeIsPowerOnIdentityPowerDown) {
    expectResult(S8_PASS);
    EXPECT_THAT(commandsSent(), ElementsAre("04/0A", "07/01", "04/09", "07/02"));
    const auto identity = splitWords(traceLinesStartingWith("SET 0001 55").at(2));
    EXPECT_EQ(identity[10], "05"); // byte 8
    EXPECT_EQ(std::count(identity.begin() + 6, identity.end(), "00"), 127 - 4);
    EXPECT_EQ(traceLinesStartingWith("GET 0001").back().size(), std::string("GET 0001 01 F0 00 00 00").size());
    EXPECT_THAT(device().statusWaits(), ElementsAre(5000, 1000));
    EXPECT_FALSE(device().targetPowered());
}

TEST_F(CheckIdTest, ConnectionFailuresTranslateAndCloseWithPowerDown) {
    struct Case {
        const char* name;
        std::function<void(sim::VirtualProgrammer&)> fault;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"query not sent", [](auto& d) { d.faults().refuseSetFeature.at = 1; }, S8_SEND_ERROR},
        {"query unanswered", [](auto& d) { d.faults().refuseGetFeature.at = 1; }, S8_RECEIVE_ERROR},
        {"power-on failed", [](auto& d) { d.faults().status[sim::kPowerOnOp] = 2; }, S8_POWER_ON_FAILED},
        {"silent target", [](auto& d) { d.faults().status[sim::kPowerOnOp] = 3; }, S8_NO_RESPONSE},
        {"odd status", [](auto& d) { d.faults().status[sim::kPowerOnOp] = 4; }, S8_POWER_ON_FAILED},
        {"identity rejected", [](auto& d) { d.faults().status[sim::kPowerOnOp] = 5; }, S8_ID_REJECTED},
        {"locked", [](auto& d) { d.lockChip(); }, S8_CHIP_LOCKED},
        {"no power-on reply", [](auto& d) { d.faults().noStatusReply.insert(sim::kPowerOnOp); },
         S8_POWER_ON_FAILED},
        {"firmware declined", [](auto& d) { d.firmware().aux = 0x0100; }, S8_UPDATE_DECLINED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device().reset();
        device().environmentApplied = true;
        std::filesystem::remove(tracePath_);
        c.fault(device());
        expectResult(c.expected);
        EXPECT_EQ(commandsSent().back(), "07/02");
    }
}

TEST_F(CheckIdTest, IdentityTransferFailuresStillPowerDown) {
    device().faults().refuseSetFeature.at = 3; // query, power-on, identity
    expectResult(S8_SEND_ERROR);
    EXPECT_EQ(commandsSent().back(), "07/02");
    EXPECT_FALSE(device().targetPowered());

    device().faults().refuseSetFeature.at = 0;
    device().faults().refuseGetFeature.at = 2; // firmware reply, identity reply
    expectResult(S8_RECEIVE_ERROR);
    EXPECT_FALSE(device().targetPowered());
}

TEST_F(CheckIdTest, AnotherChipInTheSocketIsRejectedAtPowerOn) {
    const std::int32_t other = chipIndexWhere([&](const ChipRecord& c) {
        return c.chipId[0] != chipAt(0)->chipId[0] || c.chipId[1] != chipAt(0)->chipId[1];
    });
    device().pinChip(chipAt(other));
    expectResult(S8_ID_REJECTED);
}

TEST_F(CheckIdTest, NoProgrammerMeans105WithoutAWord) {
    device().faults().absent = true;
    expectResult(S8_NO_PROGRAMMER);
    EXPECT_TRUE(host_.questions.empty());
    EXPECT_TRUE(host_.errors.empty());
    EXPECT_TRUE(trace().empty());
}

TEST_F(CheckIdTest, PartOutsideTheTableIs111BeforeTouchingTheProgrammer) {
    for (std::int32_t index : {-1, static_cast<std::int32_t>(chipTable().size())}) {
        ctx_.partIndex = index;
        expectResult(S8_PART_UNSUPPORTED);
    }
    EXPECT_TRUE(trace().empty());
}

TEST_F(CheckIdTest, DecliningAnUpdateEndsWith106AfterClosing) {
    device().firmware().main = 0x00150002;
    expectResult(S8_UPDATE_DECLINED);
    EXPECT_EQ(host_.questions.size(), 1u);
}

TEST_F(CheckIdTest, FailedUpdatesEndWith107) {
    host_.answer = true;
    device().firmware().main = 0x00150002;
    device().faults().checksumSwapped = true;
    expectResult(S8_UPDATE_FAILED);
    EXPECT_EQ(host_.errors.size(), 1u);

    device().reset();
    device().environmentApplied = true;
    host_.errors.clear();
    device().firmware().main = 0x00150002;
    device().faults().noBootLoader = true;
    expectResult(S8_UPDATE_FAILED);
    EXPECT_TRUE(host_.errors.empty());
}

TEST_F(CheckIdTest, RefusedPowerDownKeepsTheResultAndReleasesTheHandle) {
    device().faults().status[sim::kPowerDownOp] = 1;
    expectResult(S8_PASS);
    device().faults().noStatusReply.insert(sim::kPowerDownOp);
    device().faults().identityMismatch = true;
    expectResult(S8_FAIL);
}

TEST_F(CheckIdTest, UnexpectedConnectionCodesAreFailures) {
    for (LinkCode code : {LinkCode::TagMismatch, LinkCode::UnexpectedStatus,
                          LinkCode::PowerDownFailed, LinkCode::FirmwareMismatch}) {
        EXPECT_EQ(ResultForConnection(code), S8_FAIL);
    }
    EXPECT_EQ(ResultForConnection(LinkCode::Ok), 0);
}

// Frame options the other device exports rely on.
class FrameTest : public LinkTest {};

TEST_F(FrameTest, LockedChipGoesOnWhenTheExportAllowsIt) {
    device().lockChip();
    FrameOptions options;
    options.continueWhenLocked = true;
    bool ran = false;
    const auto code = RunDeviceExport(ctx_, options, [&](DeviceSession& session) {
        ran = true;
        EXPECT_EQ(session.connection(), LinkCode::ChipLocked);
        return S8_PASS;
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(code, S8_PASS);
    EXPECT_EQ(commandsSent().back(), "07/02");
}

TEST_F(FrameTest, RejectedIdentityGoesOnOnlyWhereThePredicateSaysSo) {
    device().faults().status[sim::kPowerOnOp] = 5;
    FrameOptions options;
    options.continueWhenIdentityRejected = [](const ChipRecord& chip) {
        return chip.familyByte() >= 0xF0 && chip.familyByte() <= 0xF3;
    };
    auto body = [](DeviceSession&) { return S8_PASS; };
    ctx_.partIndex = chipIndexWhere([](const ChipRecord& c) { return c.familyByte() == 0xF2; });
    EXPECT_EQ(RunDeviceExport(ctx_, options, body), S8_PASS);
    ctx_.partIndex = chipIndexWhere([](const ChipRecord& c) { return c.familyByte() == 0xF4; });
    EXPECT_EQ(RunDeviceExport(ctx_, options, body), S8_ID_REJECTED);
}

TEST_F(FrameTest, OffLineExportsNeverPowerTheTarget) {
    FrameOptions options;
    options.powerTarget = false;
    options.needsChip = false;
    ctx_.partIndex = -1;
    EXPECT_EQ(RunDeviceExport(ctx_, options, [](DeviceSession& s) {
                  EXPECT_EQ(s.chipOrNull(), nullptr);
                  return S8_PASS;
              }),
              S8_PASS);
    device().firmware().aux = 0x0001;
    EXPECT_EQ(RunDeviceExport(ctx_, options, [](DeviceSession&) { return S8_PASS; }),
              S8_UPDATE_DECLINED);
    EXPECT_THAT(commandsSent(), ElementsAre("04/0A", "04/0A"));
}

TEST_F(FrameTest, UnpublishedResultsLeaveTheStatusWordToTheCaller) {
    FrameOptions options;
    options.publishResult = false;
    device().faults().absent = true;
    EXPECT_EQ(RunDeviceExport(ctx_, options, [](DeviceSession&) { return S8_PASS; }),
              S8_NO_PROGRAMMER);
    EXPECT_EQ(status_, 0);
}

TEST_F(FrameTest, BodyCanTakeOverThePowerDown) {
    EXPECT_EQ(RunDeviceExport(ctx_, {}, [](DeviceSession& session) {
                  session.skipPowerDown();
                  return S8_POWER_DOWN_FAILED;
              }),
              S8_POWER_DOWN_FAILED);
    EXPECT_THAT(commandsSent(), ElementsAre("04/0A", "07/01"));
    EXPECT_FALSE(ProgrammerIsOpen());
}

} // namespace
} // namespace scriba8::testing
