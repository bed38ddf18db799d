// SPDX-License-Identifier: MIT
// --lang zh: the layout of Chinese text on a terminal, the command line's
// errors and help in Chinese, and English left exactly as CLI11 writes it.
#include "exit_codes.h"
#include "help_format.h"
#include "option_values.h"
#include "text_format.h"
#include "usage_errors.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace scriba8::cli {
namespace {

using app::Language;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TerminalText, ChineseTakesTwoColumnsAndWrapsBetweenCharactersNotInsideWords) {
    EXPECT_EQ(DisplayWidth("erase"), 5u);
    EXPECT_EQ(DisplayWidth("擦除芯片"), 8u);
    EXPECT_EQ(DisplayWidth("（ISP代码）"), 11u);
    EXPECT_EQ(Padded("型号", 6), "型号  ");
    EXPECT_EQ(Padded("VS8G132", 4), "VS8G132 ");

    const std::string text = "将 Intel HEX 数据放在其自身的地址上（超出芯片的数据会被拒绝），"
                             "而不是从 --offset 开始。whole-chip-erase";
    const std::vector<std::string> lines = WrappedLines(text, 20);
    ASSERT_GT(lines.size(), 3u);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(DisplayWidth(line), 20u) << line;
        EXPECT_FALSE(line.starts_with("，") || line.starts_with("。") || line.starts_with("）")) << line;
        EXPECT_FALSE(line.ends_with("（")) << line;
        EXPECT_FALSE(line.starts_with(" ") || line.ends_with(" ")) << line;
        joined += line;
    }
    // Only blanks at the breaks are dropped: words and characters all stay.
    auto withoutBlanks = [](std::string s) {
        std::erase(s, ' ');
        return s;
    };
    EXPECT_EQ(withoutBlanks(joined), withoutBlanks(text));
    EXPECT_EQ(lines.back(), "whole-chip-erase");
    // A word longer than the line stays whole, and so does a quoted example.
    EXPECT_EQ(WrappedLines("whole-chip-erase", 5), std::vector<std::string>{"whole-chip-erase"});
    EXPECT_EQ(WrappedLines("例如 \"BOD1 level=Detect 4.2V\"（可列出）", 20),
              (std::vector<std::string>{"例如", "\"BOD1 level=Detect 4.2V\"", "（可列出）"}));
}

// A command line shaped like scriba8's, for the errors CLI11 reports.
struct Parsed {
    std::unique_ptr<CLI::App> app = std::make_unique<CLI::App>("test", "scriba8");
    std::string part, lang, output;
    bool yes = false, no = false, json = false;

    Parsed() {
        app->require_subcommand(1);
        app->fallthrough();
        app->add_option("--part", part)->type_name("NAME");
        app->add_option("--lang", lang)->check(CLI::IsMember({"en", "zh"}));
        app->add_flag("--yes", yes)->excludes(app->add_flag("--no", no));
        app->add_flag("--json", json);
        app->add_subcommand("program", "")->add_option("FILE", output)->required();
        app->add_subcommand("dump", "")->add_option("-o,--output", output)->required();
    }

    // The error for argv in both languages; empty when it parses.
    std::pair<std::string, std::string> error(std::vector<std::string> words) {
        words.insert(words.begin(), "scriba8");
        std::vector<const char*> argv;
        for (const std::string& word : words) argv.push_back(word.c_str());
        try {
            app->parse(static_cast<int>(argv.size()), argv.data());
        } catch (const CLI::ParseError& e) {
            return {ParseErrorText(*app, e, Language::english), ParseErrorText(*app, e, Language::chinese)};
        }
        return {};
    }
};

TEST(UsageErrors, CommonParseErrorsInChineseAndEnglishAsCli11WritesThem) {
    const struct {
        std::vector<std::string> argv;
        std::string english;
        std::string chinese;
    } cases[] = {
        {{"prgram"}, "unknown subcommand \"prgram\"; did you mean program?",
         "未知的子命令 \"prgram\"；您是指 program 吗？"},
        {{"zzzzzz"}, "unknown subcommand \"zzzzzz\" (scriba8 --help lists them)",
         "未知的子命令 \"zzzzzz\"（scriba8 --help 列出了所有子命令）"},
        {{"program", "--frobnicate", "a.hex"}, "The following argument was not expected: --frobnicate",
         "未知的选项：--frobnicate"},
        {{"program", "a.hex", "b.hex"}, "The following argument was not expected: b.hex",
         "多余的参数：b.hex"},
        {{"program"}, "FILE is required", "缺少必需的 FILE"},
        {{"dump"}, "--output is required", "缺少必需的 --output"},
        {{"--json"}, "A subcommand is required", "缺少子命令（--help 列出了可用的子命令）"},
        {{"program", "a.hex", "--part"}, "--part: 1 required NAME missing", "--part 缺少参数 NAME"},
        {{"--lang", "fr", "program", "a.hex"}, "--lang: fr not in {en,zh}",
         "--lang 不接受 fr，可选的值为 {en,zh}"},
        {{"--json=maybe", "program", "a.hex"}, "Could not convert: --json = maybe",
         "--json 不接受值 maybe"},
        {{"--yes", "--no", "program", "a.hex"}, "--yes excludes --no", "--yes 与 --no 不能同时使用"},
    };
    for (const auto& c : cases) {
        Parsed parsed;
        const auto [english, chinese] = parsed.error(c.argv);
        EXPECT_EQ(english, c.english) << c.argv.front();
        EXPECT_EQ(chinese, c.chinese) << c.argv.front();
    }
    // A kind nobody foresaw still says what went wrong, in English.
    Parsed parsed;
    EXPECT_EQ(ParseErrorText(*parsed.app, CLI::FileError("settings.ini was not readable"),
                             Language::chinese),
              "settings.ini was not readable");
}

std::string helpOf(Language language) {
    std::string part;
    bool flag = false;
    CLI::App app("描述", "scriba8");
    app.formatter(std::make_shared<HelpFormatter>(language));
    app.require_subcommand(1);
    app.footer("Exit status:\n  130  在当前步骤完成后中断（Ctrl-C、SIGTERM），以及一段足够长、必须折行才能显示在终端里的说明文字");
    app.add_option("--part", part, "芯片型号，名称与 scriba8 parts 列出的一致")->type_name("NAME");
    app.add_flag("--absolute", flag,
                 "将 Intel HEX 数据放在其自身的地址上（超出芯片的数据会被拒绝），而不是从 --offset 开始");
    app.add_flag("-y,--yes", flag, "回答 yes")->excludes(app.add_flag("-n,--no", flag, "回答 no"));
    auto* program = app.add_subcommand("program", "擦除 Flash，将 FILE 编程写入，然后校验");
    program->group(dynamic_cast<const HelpFormatter&>(*app.get_formatter()).subcommandHeading());
    return app.help();
}

TEST(Help, ChineseHeadingsAndDescriptionsLineUpOnAnEightyColumnTerminal) {
    const std::string help = helpOf(Language::chinese);
    EXPECT_NE(help.find("用法: scriba8 [选项] 子命令"), std::string::npos) << help;
    EXPECT_NE(help.find("\n选项:\n"), std::string::npos) << help;
    EXPECT_NE(help.find("\n子命令:\n"), std::string::npos) << help;
    EXPECT_NE(help.find("-y,--yes 互斥: --no"), std::string::npos) << help;
    bool inRows = false;
    for (const std::string& line : linesOf(help)) {
        EXPECT_LE(DisplayWidth(line), 80u) << line;
        if (line.ends_with(":")) {
            inRows = line == "选项:" || line == "子命令:";
            continue;
        }
        if (!inRows || line.empty()) continue;
        // Every description, and every continuation of one, starts in
        // column 30.
        ASSERT_GE(line.size(), 30u) << line;
        const std::size_t text = line.find_first_not_of(' ', line.find("  ", 2));
        EXPECT_EQ(DisplayWidth(line.substr(0, text)), 30u) << line;
    }
    // The footer's table rows continue under their text.
    EXPECT_NE(help.find("\n       "), std::string::npos) << help;

    // In English the formatter leaves CLI11's layout alone.
    bool flag = false;
    std::string part;
    const auto english = [&](bool ours) {
        CLI::App app("Describe", "scriba8");
        if (ours) app.formatter(std::make_shared<HelpFormatter>(Language::english));
        app.footer("Exit status:\n  0  success\n");
        app.add_option("--part", part, "The chip")->required();
        app.add_flag("-y,--yes", flag, "Yes")->excludes(app.add_flag("-n,--no", flag, "No"));
        app.add_subcommand("program", "Erase the Flash, program FILE into it and verify it");
        return app.help();
    };
    EXPECT_EQ(english(true), english(false));
}

TEST(Help, ExitStatusTableInBothLanguages) {
    const std::string english = ExitStatusHelp(Language::english);
    const std::string chinese = ExitStatusHelp(Language::chinese);
    EXPECT_TRUE(english.starts_with("Exit status:\n")) << english;
    EXPECT_TRUE(chinese.starts_with("退出状态:\n")) << chinese;
    EXPECT_NE(english.find("[results 102 111 113 119 121, any other]"), std::string::npos);
    EXPECT_NE(chinese.find("[结果码 102 111 113 119 121，以及其他任何结果码]"), std::string::npos);
    for (const ExitClass& entry : ExitClasses()) {
        EXPECT_NE(chinese.find("  " + std::to_string(entry.status) + "  " + std::string(entry.meaning.chinese)),
                  std::string::npos);
        EXPECT_FALSE(entry.meaning.chinese.empty()) << entry.status;
    }
}

TEST(PartTable, BitDescriptionsInTheChosenLanguage) {
    OptionBit both{};
    both.description = "Lock Device\0设备数据加锁\0";
    EXPECT_EQ(BitDescription(both, Language::english), "Lock Device");
    EXPECT_EQ(BitDescription(both, Language::chinese), "设备数据加锁");
    OptionBit englishOnly{};
    englishOnly.description = "Lock Device\0\0";
    EXPECT_EQ(BitDescription(englishOnly, Language::chinese), "Lock Device");
    OptionBit none{};
    EXPECT_EQ(BitDescription(none, Language::chinese), "");
}

} // namespace
} // namespace scriba8::cli
