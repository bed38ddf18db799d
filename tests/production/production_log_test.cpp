// SPDX-License-Identifier: MIT
// The record of every chip and what a report makes of it: cut records are
// skipped by the reader, and every gap in the serial numbers is explained.
#include "Scriba8_T3Plus_DLL.h"
#include "production_log.h"
#include "production_summary.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <cstdio>
#include <fstream>

namespace scriba8::app {
namespace {

ProductionRecord chip(std::uint64_t counter, const std::string& programmer, std::optional<std::string> serial,
                      std::int32_t code, const std::string& time = "2026-12-10T07:00:00.000Z") {
    ProductionRecord r;
    r.time = time;
    r.host = "line-3";
    r.runId = "run";
    r.counter = counter;
    r.programmer = programmer;
    r.part = "VS8G132";
    r.serial = std::move(serial);
    r.steps = {{"erase", S8_PASS, 12}, {"program", code, 40}};
    r.resultCode = code;
    r.result = code == S8_PASS ? "pass" : "program: Checksum error";
    r.outcome = code == S8_PASS ? "pass" : "failed";
    r.durationMs = 52;
    return r;
}

class ProductionLogTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_ = test::MakeTempFolder("scriba8-production-log");
};

TEST_F(ProductionLogTest, RecordsComeBackAndACutRecordIsSkippedWithAWarning) {
    const std::string path = (folder_ / "run.jsonl").string();
    {
        auto opened = RecordWriter::open(path, RecordWriter::Form::jsonLines);
        auto& writer = std::get<std::unique_ptr<RecordWriter>>(opened);
        ASSERT_EQ(writer->write(chip(1, "usb:A", "10", S8_PASS)), 0);
        ASSERT_EQ(writer->write(chip(2, "usb:B", std::nullopt, S8_CHECKSUM_ERROR)), 0);
    }
    const std::string line = RecordJson(chip(3, "usb:A", "12", S8_PASS));
    for (const char* key : {"\"time\":", "\"programmer\":", "\"part\":", "\"serial\":\"12\"", "\"result\":\"pass\"",
                            "\"durationMs\":52", "\"imageCrc32\":", "\"steps\":[{\"step\":\"erase\""})
        EXPECT_NE(line.find(key), std::string::npos) << key;
    std::ofstream(path, std::ios::binary | std::ios::app) << "{\"bogus\":1}\n" << line.substr(0, 40);

    auto read = ReadProductionLogs({path});
    ASSERT_TRUE(std::holds_alternative<ReadRecords>(read));
    const ReadRecords& records = std::get<ReadRecords>(read);
    ASSERT_EQ(records.records.size(), 2u);
    EXPECT_EQ(records.records[0].serial, std::optional<std::string>("10"));
    EXPECT_FALSE(records.records[1].serial);
    EXPECT_EQ(records.records[1].resultCode, S8_CHECKSUM_ERROR);
    EXPECT_EQ(records.records[1].steps[1].ms, 40u);
    ASSERT_EQ(records.warnings.size(), 2u);
    EXPECT_NE(records.warnings[0].english.find("line 3: not a whole production record"), std::string::npos);
    EXPECT_NE(records.warnings[1].english.find("line 4: a record cut short"), std::string::npos);

    EXPECT_TRUE(std::holds_alternative<Bilingual>(ReadProductionLogs({(folder_ / "none.jsonl").string()})));

    // The next run's first record starts on a line of its own.
    {
        auto opened = RecordWriter::open(path, RecordWriter::Form::jsonLines);
        ASSERT_EQ(std::get<std::unique_ptr<RecordWriter>>(opened)->write(chip(4, "usb:A", "13", S8_PASS)), 0);
    }
    auto again = ReadProductionLogs({path});
    EXPECT_EQ(std::get<ReadRecords>(again).records.size(), 3u);
    EXPECT_EQ(std::get<ReadRecords>(again).records.back().serial, std::optional<std::string>("13"));
}

TEST_F(ProductionLogTest, CsvHasItsHeaderOnceAndQuotesWhatNeedsIt) {
    const std::string path = (folder_ / "run.csv").string();
    for (int run = 0; run < 2; ++run) {
        auto opened = RecordWriter::open(path, RecordWriter::Form::csv);
        ProductionRecord r = chip(1, "virtual:/tmp/a,b.state", "1", S8_PASS);
        ASSERT_EQ(std::get<std::unique_ptr<RecordWriter>>(opened)->write(r), 0);
    }
    std::ifstream in(path);
    std::string first, second, third;
    std::getline(in, first);
    std::getline(in, second);
    std::getline(in, third);
    EXPECT_EQ(first.rfind("time,host,runId,counter,programmer", 0), 0u);
    EXPECT_NE(second.find(",\"virtual:/tmp/a,b.state\","), std::string::npos) << second;
    EXPECT_EQ(third.rfind("2026-12-10", 0), 0u) << "a second header";
}

TEST(ProductionSummary, TotalsYieldAndEveryGapExplained) {
    // Numbers 1..8 step 1: 3 failed, 6 never recorded (the run died), 7 failed
    // and then went to no chip.
    std::vector<ProductionRecord> records{
        chip(1, "usb:A", "1", S8_PASS, "2026-12-10T07:00:00.000Z"),
        chip(2, "usb:B", "2", S8_PASS),
        chip(3, "usb:B", "3", S8_CHECKSUM_ERROR),
        chip(4, "usb:A", "4", S8_PASS),
        chip(5, "usb:A", "5", S8_PASS),
        chip(6, "usb:B", "7", S8_CHECKSUM_ERROR),
        chip(7, "usb:A", "8", S8_PASS, "2026-12-10T07:30:00.000Z"),
    };
    const ProductionSummary s = Summarize(records);
    EXPECT_EQ(s.attempts, 7u);
    EXPECT_EQ(s.passed, 5u);
    EXPECT_NEAR(s.yieldPercent, 500.0 / 7.0, 1e-9);
    EXPECT_NEAR(s.chipsPerHour, 5 / (1800.052 / 3600.0), 0.01);
    EXPECT_EQ(s.failuresByCode.at(S8_CHECKSUM_ERROR), 2u);
    EXPECT_EQ(s.byProgrammer.at("usb:B").failed, 2u);
    EXPECT_EQ(s.firstSerial, 1u);
    EXPECT_EQ(s.lastSerial, 8u);
    ASSERT_EQ(s.gaps.size(), 2u);
    EXPECT_EQ(s.gaps[0].first, 3u);
    EXPECT_EQ(s.gaps[0].why[0].second, "program: Checksum error");
    EXPECT_EQ(s.gaps[1].first, 6u);
    EXPECT_EQ(s.gaps[1].last, 7u);
    EXPECT_EQ(s.gaps[1].why[0].second, "unknown");
    EXPECT_EQ(s.gaps[1].why[1].second, "program: Checksum error");
    EXPECT_TRUE(s.serialsTwice.empty());

    const std::vector<std::string> lines = SummaryLines(s, Language::english);
    const auto has = [&](const std::string& text) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(has("gap 6..7 (2)"));
    EXPECT_TRUE(has("no record: the run ended while a chip was being programmed"));

    // A number in two good chips is what a report exists to catch.
    records.push_back(chip(8, "usb:B", "4", S8_PASS));
    EXPECT_EQ(Summarize(records).serialsTwice, std::vector<std::string>{"4"});
}

TEST(ProductionSummary, ANumberStepIsFoundFromTheNumbersThemselves) {
    std::vector<ProductionRecord> records;
    for (int n : {0x100, 0x110, 0x130})
        records.push_back(chip(1, "usb:A", [&] { char t[8]; std::snprintf(t, sizeof t, "%X", n); return std::string(t); }(), S8_PASS));
    const ProductionSummary s = Summarize(records);
    EXPECT_EQ(s.serialStep, 0x10u);
    ASSERT_EQ(s.gaps.size(), 1u);
    EXPECT_EQ(s.gaps[0].first, 0x120u);
    EXPECT_EQ(s.gaps[0].why[0].second, "unknown");
    EXPECT_EQ(RecordTimeMs("1970-01-02T00:00:01.250Z"), std::optional<std::int64_t>(86'401'250));
    EXPECT_FALSE(RecordTimeMs("yesterday"));
}

} // namespace
} // namespace scriba8::app
