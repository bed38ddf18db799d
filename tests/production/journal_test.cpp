// SPDX-License-Identifier: MIT
// The allocation journal and the allocator on it: no number twice, across
// runs and across a crash, and one run at a time.
#include "serial_allocator.h"
#include "serial_journal.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace scriba8::app {
namespace {

class JournalTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::unique_ptr<SerialJournal> open() {
        auto opened = SerialJournal::open(path_);
        if (const auto* why = std::get_if<Bilingual>(&opened)) {
            ADD_FAILURE() << why->english;
            return nullptr;
        }
        return std::move(std::get<std::unique_ptr<SerialJournal>>(opened));
    }

    std::string text() const {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    static SerialPlan counting(std::uint64_t start) {
        ContinuousSerials rule;
        rule.start = start;
        rule.size = 2;
        rule.address = 0;
        SerialPlan plan;
        plan.rule = rule;
        return plan;
    }

    std::filesystem::path folder_ = test::MakeTempFolder("scriba8-journal");
    std::string path_ = (folder_ / "serials.journal").string();
};

TEST_F(JournalTest, NumbersSurviveTheRunAndAreNeverHandedOutAgain) {
    {
        auto journal = open();
        SerialAllocator allocator(counting(10), journal.get(), false, "run1");
        const auto a = allocator.take("p1").serial;
        const auto b = allocator.take("p2").serial;
        const auto c = allocator.take("p1").serial;
        ASSERT_TRUE(a && b && c);
        EXPECT_EQ(a->text, "A");
        EXPECT_EQ(b->text, "B");
        EXPECT_EQ(allocator.finish(*a, SerialState::pass), 0);
        EXPECT_EQ(allocator.finish(*b, SerialState::unused), 0);
        // c: the process died while its chip was being programmed.
    }
    EXPECT_NE(text().find("reserve\tn:12\tC\trun1\tp1\n"), std::string::npos) << text();

    auto journal = open();
    EXPECT_EQ(journal->state("n:10"), SerialState::pass);
    EXPECT_EQ(journal->state("n:11"), SerialState::unused);
    EXPECT_EQ(journal->state("n:12"), SerialState::reserved);
    EXPECT_FALSE(journal->state("n:13"));
    SerialAllocator next(counting(10), journal.get(), false, "run2");
    EXPECT_EQ(next.take("p1").serial->text, "D");
}

TEST_F(JournalTest, ReuseFailedGivesBackOnlyNumbersNoChipCanHold) {
    {
        auto journal = open();
        SerialAllocator allocator(counting(1), journal.get(), false, "run1");
        for (SerialState outcome : {SerialState::unused, SerialState::failed, SerialState::pass})
            allocator.finish(*allocator.take("p").serial, outcome);
        allocator.take("p"); // 4: unknown
    }
    auto journal = open();
    SerialAllocator allocator(counting(1), journal.get(), true, "run2");
    EXPECT_EQ(allocator.take("p").serial->text, "1"); // unused before
    EXPECT_EQ(allocator.take("p").serial->text, "5"); // failed, passed and unknown skipped
    // A number this run leaves unused comes back before the next new one.
    const Serial six = *allocator.take("p").serial;
    allocator.finish(six, SerialState::unused);
    EXPECT_EQ(allocator.take("p").serial->text, "6");
    EXPECT_EQ(allocator.take("p").serial->text, "7");
}

TEST_F(JournalTest, ACutLastLineIsSkippedAndTheNextLineStartsOnItsOwn) {
    {
        auto journal = open();
        journal->reserve("n:1", "1", "run1", "p");
    }
    {
        std::ofstream out(path_, std::ios::binary | std::ios::app);
        out << "outcome\tn:1\tpa"; // the crash came while this line was written
    }
    auto journal = open();
    ASSERT_EQ(journal->warnings().size(), 1u);
    EXPECT_NE(journal->warnings()[0].english.find("cut short"), std::string::npos);
    EXPECT_EQ(journal->state("n:1"), SerialState::reserved); // unknown, never reused
    EXPECT_EQ(journal->record("n:1", SerialState::failed), 0);
    journal.reset();
    auto again = open();
    EXPECT_EQ(again->state("n:1"), SerialState::failed);
    EXPECT_TRUE(again->warnings().empty());
}

TEST_F(JournalTest, OneRunAtATimeAndNoGuessingAtForeignLines) {
    auto first = open();
    auto second = SerialJournal::open(path_);
    ASSERT_TRUE(std::holds_alternative<Bilingual>(second));
    EXPECT_NE(std::get<Bilingual>(second).english.find("in use by another production run"), std::string::npos);
    first.reset();
    EXPECT_NE(open(), nullptr);

    std::ofstream(path_, std::ios::binary | std::ios::app) << "reserve\tonly two\n";
    auto damaged = SerialJournal::open(path_);
    ASSERT_TRUE(std::holds_alternative<Bilingual>(damaged));
    EXPECT_NE(std::get<Bilingual>(damaged).english.find("is not a line of a serial journal"), std::string::npos);
}

TEST_F(JournalTest, WithoutAJournalTheRunStillKeepsItsOwnNumbersApart) {
    SerialAllocator allocator(counting(1), nullptr, false, "run");
    const Serial one = *allocator.take("a").serial;
    allocator.finish(one, SerialState::unused);
    EXPECT_EQ(allocator.take("b").serial->text, "2");
}

TEST_F(JournalTest, APlanThatRunsOutSaysSo) {
    ContinuousSerials rule;
    rule.start = 0xFE;
    rule.size = 1;
    rule.address = 0;
    SerialPlan plan;
    plan.rule = rule;
    SerialAllocator allocator(plan, nullptr, false, "run");
    EXPECT_TRUE(allocator.take("a").serial);
    EXPECT_TRUE(allocator.take("a").serial);
    EXPECT_FALSE(allocator.take("a").serial);
}

} // namespace
} // namespace scriba8::app
