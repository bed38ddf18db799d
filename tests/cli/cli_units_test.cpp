// SPDX-License-Identifier: MIT
// The command line's own units: part lookup, steps, exit status and
// advice, JSON, HEX output and the terminal side.
#include "chip_lookup.h"
#include "console.h"
#include "exit_codes.h"
#include "files/append_file.h"
#include "image_output.h"
#include "intel_hex.h"
#include "json.h"
#include "steps.h"
#include "transfer_watch.h"
#include "failure_advice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace scriba8::cli {
namespace {

std::vector<BodyInfo> table(std::initializer_list<const char*> names) {
    std::vector<BodyInfo> rows;
    for (const char* name : names) {
        BodyInfo row{};
        row.partName = name;
        rows.push_back(row);
    }
    return rows;
}

TEST(PartLookup, WholeNamesInAnyCaseAndCloseMatchesClosestFirst) {
    const auto chips = table({"VS8A108", "VS8A108L", "VS8G132", "VS8G132L", "VS8B132", "VS8E248"});
    EXPECT_EQ(FindPart(chips, "VS8G132"), 2);
    EXPECT_EQ(FindPart(chips, "vs8g132"), 2);
    EXPECT_EQ(FindPart(chips, "VS8G13"), std::nullopt);
    // Two rows that differ only in case: the exact one, or none.
    const auto cased = table({"VS8x1", "VS8X1"});
    EXPECT_EQ(FindPart(cased, "VS8X1"), 1);
    EXPECT_EQ(FindPart(cased, "vs8x1"), std::nullopt);

    const std::vector<std::string> commands{"program", "verify", "programmers", "erase"};
    EXPECT_EQ(ClosestWord(commands, "prgram"), "program");
    EXPECT_EQ(ClosestWord(commands, "verfiy"), "verify");
    EXPECT_EQ(ClosestWord(commands, "flash-everything"), std::nullopt);

    EXPECT_EQ(ClosePartNames(chips, "vs8g132"),
              (std::vector<std::string>{"VS8G132", "VS8G132L", "VS8B132"}));
    EXPECT_EQ(ClosePartNames(chips, "VS8A1O8").front(), "VS8A108"); // a typo
    EXPECT_EQ(ClosePartNames(chips, "VS8E284").front(), "VS8E248"); // swapped digits
    EXPECT_TRUE(ClosePartNames(chips, "ATmega328P").empty());
    EXPECT_EQ(ClosePartNames(chips, "VS8", 2).size(), 2u);

    const std::vector<std::string> filters{"g1", "E2"};
    EXPECT_EQ(FilterParts(chips, filters), (std::vector<std::int32_t>{2, 3, 5}));
    EXPECT_EQ(FilterParts(chips, {}).size(), chips.size());
    EXPECT_EQ(SeriesName(1u << 6), "Series G");
}

TEST(Steps, NamesMasksAndMistakes) {
    std::string error;
    EXPECT_EQ(ParseSteps("erase, program,verify", error),
              S8_STEP_ERASE | S8_STEP_PROGRAM | S8_STEP_VERIFY);
    EXPECT_EQ(ParseSteps("default", error), S8_DEFAULT_AUTO_PROCESS);
    EXPECT_EQ(ParseSteps("none", error), 0);
    EXPECT_EQ(ParseSteps("0x5F", error), 0x5F);
    EXPECT_EQ(ParseSteps("program,burn", error), std::nullopt);
    EXPECT_NE(error.find("\"burn\""), std::string::npos);
    EXPECT_EQ(ParseSteps("0x100", error), std::nullopt);
    // An empty list or item is a slip of the script, not "no steps".
    for (const char* empty : {"", " ", "erase,,verify", "erase,", ",erase"}) {
        EXPECT_EQ(ParseSteps(empty, error), std::nullopt) << empty;
        EXPECT_FALSE(error.empty());
    }

    // Listed in running order, whatever the order of the bits.
    EXPECT_EQ(StepList(S8_STEP_VERIFY | S8_STEP_ERASE | S8_STEP_WHOLE_CHIP_ERASE),
              (std::vector<std::string>{"whole-chip-erase", "erase", "verify"}));

    EXPECT_EQ(ParseNumber("0x1F", 0xFF), 0x1Fu);
    EXPECT_EQ(ParseNumber("4096", 0xFFFF), 4096u);
    EXPECT_EQ(ParseNumber("65536", 0xFFFF), std::nullopt);
    EXPECT_EQ(ParseNumber("12ab", 0xFFFF), std::nullopt);
}

TEST(ExitStatus, EveryFailureIsNonZeroAndSaysWhatToDo) {
    EXPECT_EQ(ExitStatusFor(S8_PASS), kExitOk);
    for (std::int32_t code = S8_FAIL; code <= 130; ++code) {
        const int status = ExitStatusFor(code);
        EXPECT_NE(status, kExitOk) << code;
        EXPECT_NE(status, kExitUsage) << code; // kept for the command line itself
        for (const char* command : {"program", "verify", "blank-check", "check-id", "save"}) {
            const app::TextPair advice = app::AdviceFor(code, command);
            EXPECT_FALSE(advice.english.empty()) << code << " " << command;
            EXPECT_FALSE(advice.chinese.empty()) << code << " " << command;
        }
    }
    EXPECT_TRUE(app::AdviceFor(S8_PASS, "program").english.empty());
    EXPECT_NE(app::AdviceFor(S8_NO_PROGRAMMER, "erase").english.find("USB cable"), std::string_view::npos);
    EXPECT_NE(app::AdviceFor(S8_FAIL, "verify").english, app::AdviceFor(S8_FAIL, "blank-check").english);

    const std::string help = ExitStatusHelp();
    for (const ExitClass& entry : ExitClasses())
        EXPECT_NE(help.find("  " + std::to_string(entry.status) + "  "), std::string::npos);
}

// A file name or customer string need not be UTF-8; the report must still
// come out, in the order the fields were added.
TEST(JsonOutput, BadTextIsRepairedAndOrderKept) {
    Json object = Json::object();
    object["b"] = 1;
    object["bad"] = std::string("ok\xFF\xC3(");
    object["a"] = Json();
    EXPECT_EQ(JsonText(object), "{\"b\":1,\"bad\":\"ok\xEF\xBF\xBD\xEF\xBF\xBD(\",\"a\":null}");
}

TEST(HexOutput, ImagesBeyond64KRoundTripThroughTheParser) {
    std::vector<std::uint8_t> image(0x10010);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::string text = app::IntelHexText(image);
    EXPECT_EQ(text.substr(0, 9), ":10000000");
    EXPECT_NE(text.find(":020000040001F9\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with(":00000001FF\r\n"));

    const app::HexParseResult parsed = app::ParseIntelHex(text, 1u << 20);
    ASSERT_TRUE(parsed.fits);
    EXPECT_EQ(parsed.image, image);

    EXPECT_EQ(app::IntelHexText({}), ":00000001FF\r\n");
    // A short last line.
    const std::vector<std::uint8_t> three{1, 2, 3};
    EXPECT_EQ(app::IntelHexText(three), ":03000000010203F7\r\n:00000001FF\r\n");

    EXPECT_TRUE(app::IsHexFileName("/tmp/a.d/dump.HEX"));
    EXPECT_TRUE(app::IsHexFileName("dump.ihx"));
    EXPECT_FALSE(app::IsHexFileName("/tmp/hex/dump.bin"));
}

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    return text;
}

TEST(Terminal, LogLinesAppearWholeWithPlainNewlines) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    LogPrinter printer(out);
    printer.write("000 - Program =>");
    EXPECT_EQ(contents(out), "");
    std::fseek(out, 0, SEEK_END);
    printer.write("Pass   [0.010\"]\r\n001 - Verify =>");
    EXPECT_EQ(contents(out), "000 - Program =>Pass   [0.010\"]\n");
    std::fseek(out, 0, SEEK_END);
    printer.flush();
    EXPECT_EQ(contents(out), "000 - Program =>Pass   [0.010\"]\n001 - Verify =>\n");
    std::fclose(out);
}

TEST(Terminal, QuestionsAreAnsweredWithoutEverWaitingOnNoTerminal) {
    std::FILE* in = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(in != nullptr && err != nullptr);
    std::fputs("maybe\ny\n\n", in);
    std::rewind(in);

    HostPrompts asking(Answer::ask, true, in, err);
    EXPECT_TRUE(asking.ask("Update?"));  // "maybe" asks again, then "y"
    EXPECT_FALSE(asking.ask("Update?")); // an empty line is the default, no
    EXPECT_FALSE(asking.ask("Update?")); // end of input
    EXPECT_NE(contents(err).find("Update?"), std::string::npos);

    // Without a terminal the input is never read.
    std::rewind(in);
    HostPrompts script(Answer::ask, false, in, err);
    EXPECT_FALSE(script.ask("Update?"));
    EXPECT_EQ(std::ftell(in), 0);
    EXPECT_TRUE(HostPrompts(Answer::yes, false, in, err).ask("Update?"));
    EXPECT_FALSE(HostPrompts(Answer::no, true, in, err).ask("Update?"));

    // The callback table reaches the same object; saving takes the given path.
    const S8HostCallbacks* table = script.table();
    EXPECT_EQ(table->askYesNo(table->user, "Update?"), 0);
    char path[16];
    EXPECT_EQ(table->chooseSaveFile(table->user, "", "", "", "", path, sizeof path), 0);
    script.setSavePath("/tmp/p.vlx");
    EXPECT_EQ(table->chooseSaveFile(table->user, "", "", "", "", path, sizeof path), 1);
    EXPECT_STREQ(path, "/tmp/p.vlx");
    script.setSavePath("/a/path/longer/than/sixteen.vlx");
    EXPECT_EQ(table->chooseSaveFile(table->user, "", "", "", "", path, sizeof path), 0);
    std::fclose(in);
    std::fclose(err);
}

} // namespace
} // namespace scriba8::cli

// The library appends its trace by name; the watch must see a fault whatever
// way the lines arrive, and a clean exchange must never count as one.
TEST(TransferWatch, FindsTheFaultInLinesThatArriveInPieces) {
    using scriba8::app::LinkFault;
    EXPECT_EQ(scriba8::app::LinkFaultIn("SET 0001 55\nIN 0001 00 01 00 00 00\n"), LinkFault::none);
    EXPECT_EQ(scriba8::app::LinkFaultIn("GET 0001 00 TIMEOUT\nTAG 0001 05 06\n"), LinkFault::wrongTag);
    EXPECT_EQ(scriba8::app::LinkFaultIn("SET 0001 55\nTIMEOUT 0001 1000"), LinkFault::noReply);

    unsetenv("SCRIBA8_TRACE");
    scriba8::app::WatchTransfers(false);
    const char* path = std::getenv("SCRIBA8_TRACE");
    ASSERT_NE(path, nullptr);
    // As the library opens it: on Windows the trace vanishes with scriba8.
    auto append = [path](const std::string& text) {
        std::FILE* file = scriba8::files::openForAppending(path);
        ASSERT_NE(file, nullptr);
        std::fputs(text.c_str(), file);
        std::fclose(file);
    };
    append("SET 0001 55\nTIME");
    scriba8::app::PumpTransfers();
    append("OUT 0001 1000\n");
    EXPECT_EQ(scriba8::app::TakeLinkFault(), LinkFault::noReply);
    EXPECT_EQ(scriba8::app::TakeLinkFault(), LinkFault::none); // taken once
    append(std::string(40000, 'x') + "\nTAG 0001 05 06\n");
    EXPECT_EQ(scriba8::app::TakeLinkFault(), LinkFault::wrongTag);
}
