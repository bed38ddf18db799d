// SPDX-License-Identifier: MIT
// The stand-in keeps hidapi's conventions: the USB backend tests only mean
// something if it hands reports over exactly as libhidapi-hidraw does.
#include "link/usb_ids.h"

#include <hidapi.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr scriba8::UsbIds kIds = scriba8::kDefaultUsbIds;

std::vector<std::wstring> serials(unsigned short vendor, unsigned short product) {
    std::vector<std::wstring> found;
    hid_device_info* list = hid_enumerate(vendor, product);
    for (hid_device_info* info = list; info != nullptr; info = info->next) {
        found.emplace_back(info->serial_number);
    }
    hid_free_enumeration(list);
    return found;
}

// A 16-byte command in a 129-byte feature report with report id 0.
std::array<unsigned char, 129> command(unsigned char tag, unsigned char op, unsigned char area) {
    std::array<unsigned char, 129> report{};
    report[1] = 0x55;
    report[2] = tag;
    report[3] = op;
    report[4] = area;
    return report;
}

class StandinHidapi : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("SCRIBA8_USB_IDS");
        unsetenv("SCRIBA8_HIDAPI_STANDIN_STATE");
        setenv("SCRIBA8_HIDAPI_STANDIN", "A1; B2 boot; C3; D4 denied", 1);
        ASSERT_EQ(hid_init(), 0);
    }
};

TEST_F(StandinHidapi, EnumeratesByIdsInBusOrder) {
    EXPECT_EQ(serials(kIds.vendor, kIds.product), (std::vector<std::wstring>{L"A1", L"C3", L"D4"}));
    EXPECT_EQ(serials(kIds.vendor, kIds.bootLoader), std::vector<std::wstring>{L"B2"});
    EXPECT_EQ(serials(0, 0).size(), 4u);
    EXPECT_EQ(hid_enumerate(kIds.vendor ^ 1, 0), nullptr);
    EXPECT_STRNE(hid_error(nullptr), L"Success");
    hid_free_enumeration(nullptr);
}

TEST_F(StandinHidapi, FeatureReportsCarryTheReportIdInByteZeroAndInTheCount) {
    hid_device* device = hid_open_path("/dev/standin/hidraw0");
    ASSERT_NE(device, nullptr);
    auto query = command(0x11, 0x04, 0x0A); // firmware version
    EXPECT_EQ(hid_send_feature_report(device, query.data(), query.size()), 129);

    std::vector<unsigned char> reply(1025, 0xEE);
    reply[0] = 0;
    EXPECT_EQ(hid_get_feature_report(device, reply.data(), reply.size()), 1025);
    EXPECT_EQ(reply[0], 0);
    EXPECT_EQ(reply[1 + 7], 2); // the 8051 mark, eighth data byte

    // A shorter buffer: the count still includes the id byte.
    EXPECT_EQ(hid_send_feature_report(device, query.data(), query.size()), 129);
    std::array<unsigned char, 9> small{};
    EXPECT_EQ(hid_get_feature_report(device, small.data(), small.size()), 9);
    EXPECT_EQ(small[8], 2);

    // The programmer has no numbered reports.
    query[0] = 1;
    EXPECT_EQ(hid_send_feature_report(device, query.data(), query.size()), -1);
    EXPECT_STRNE(hid_error(device), L"Success");
    hid_close(device);
}

TEST_F(StandinHidapi, InputReportsComeWithoutTheReportIdAndTimeOutWithZero) {
    hid_device* device = hid_open_path("/dev/standin/hidraw0");
    ASSERT_NE(device, nullptr);
    const auto powerDown = command(0x5A, 0x07, 0x02);
    ASSERT_EQ(hid_send_feature_report(device, powerDown.data(), powerDown.size()), 129);
    std::array<unsigned char, 64> status{};
    EXPECT_EQ(hid_read_timeout(device, status.data(), status.size(), 1000), 64);
    EXPECT_EQ(status[0], 0x5A); // the tag, where the report id would be
    EXPECT_EQ(status[2], 0);    // status 0, low byte
    EXPECT_EQ(hid_read_timeout(device, status.data(), status.size(), 0), 0);
    hid_close(device);
}

TEST_F(StandinHidapi, OpeningFailsLikeHidrawDoes) {
    errno = 0;
    EXPECT_EQ(hid_open_path("/dev/standin/hidraw3"), nullptr);
    EXPECT_EQ(errno, EACCES);
    EXPECT_NE(std::wcsstr(hid_error(nullptr), L"Permission denied"), nullptr);
    EXPECT_EQ(hid_open_path("/dev/standin/hidraw9"), nullptr);
    EXPECT_NE(errno, EACCES);
}

} // namespace
