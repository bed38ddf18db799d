// SPDX-License-Identifier: MIT
#include "sim/faults.h"

#include <gtest/gtest.h>

namespace scriba8::sim {
namespace {

TEST(FaultSpec, EveryItemOfTheGrammar) {
    const auto parsed = parseFaultSpec(
        " absent, locked,id-mismatch,power-down-refused,no-boot-loader,checksum-swapped,"
        "fw-no8051,fw-main=0x00150002,fw-aux=260,power-on-status=6,set-fail=boot:2,get-fail=3,"
        "aux-reject=5,no-reply=05/01,wrong-tag=7/2,status=02/01:0x1234,");
    ASSERT_TRUE(std::holds_alternative<FaultSpec>(parsed)) << std::get<std::string>(parsed);
    const FaultSpec& wanted = std::get<FaultSpec>(parsed);
    const Faults& f = wanted.faults;
    EXPECT_TRUE(f.absent && f.identityMismatch && f.noBootLoader && f.checksumSwapped);
    EXPECT_TRUE(wanted.locked && wanted.no8051);
    EXPECT_EQ(wanted.mainFirmware, 0x00150002u);
    EXPECT_EQ(wanted.auxFirmware, 260);
    EXPECT_EQ(f.status.at(kPowerOnOp), 6);
    EXPECT_EQ(f.status.at(kPowerDownOp), 1);
    EXPECT_EQ(f.status.at(OpCode{0x02, 0x01}), 0x1234);
    EXPECT_EQ(f.refuseSetFeature.at, 2);
    EXPECT_TRUE(f.refuseSetFeature.bootLoaderOnly);
    EXPECT_EQ(f.refuseGetFeature.at, 3);
    EXPECT_FALSE(f.refuseGetFeature.bootLoaderOnly);
    EXPECT_EQ(f.auxRejectAtPoll, 5);
    EXPECT_TRUE(f.noStatusReply.contains(OpCode{0x05, 0x01}));
    EXPECT_TRUE(f.wrongTag.contains(kPowerDownOp));
}

TEST(FaultSpec, UnreadableItemsAreNamed) {
    for (const char* bad : {"absnet", "locked=1", "fw-main", "fw-main=0x1FFFFFFFF", "fw-aux=0x10000",
                            "power-on-status=x", "set-fail=0", "set-fail=usb:1", "no-reply=0501",
                            "no-reply=100/01", "status=05/01", "status=05/01:", "aux-reject=-1"}) {
        const auto parsed = parseFaultSpec(std::string("absent,") + bad);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << bad;
        EXPECT_NE(std::get<std::string>(parsed).find(bad), std::string::npos) << bad;
    }
    EXPECT_TRUE(std::holds_alternative<FaultSpec>(parseFaultSpec("")));
}

} // namespace
} // namespace scriba8::sim
