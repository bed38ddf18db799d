// SPDX-License-Identifier: MIT
#include "usage_errors.h"

#include "chip_lookup.h"

#include <regex>

namespace scriba8::cli {
namespace {

using app::Language;
using app::TextPair;

// The subcommand a mistyped word most likely stands for, as a hint; empty
// when a subcommand was recognised.
std::string suggestion(const CLI::App& app, Language language) {
    if (!app.get_subcommands().empty()) return {};
    std::vector<std::string> names;
    for (const CLI::App* command : app.get_subcommands({})) names.push_back(command->get_name());
    const bool english = language == Language::english;
    for (const std::string& word : app.remaining()) {
        if (word.starts_with("-")) continue;
        if (auto closest = ClosestWord(names, word))
            return english ? "unknown subcommand \"" + word + "\"; did you mean " + *closest + "?"
                           : "未知的子命令 \"" + word + "\"；您是指 " + *closest + " 吗？";
        return english ? "unknown subcommand \"" + word + "\" (scriba8 --help lists them)"
                       : "未知的子命令 \"" + word + "\"（scriba8 --help 列出了所有子命令）";
    }
    return {};
}

// CLI11's message, matched against the pattern its error kind uses; the
// captures fill the Chinese text at $1, $2, $3. Nothing when the message
// has another form.
std::optional<std::string> rewritten(const std::string& message, const char* pattern,
                                     const char* chinese) {
    const std::regex expression(pattern);
    std::smatch match;
    if (!std::regex_match(message, match, expression)) return std::nullopt;
    return match.format(chinese);
}

std::optional<std::string> chineseText(const CLI::ParseError& error) {
    const std::string message = error.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        if (auto text = rewritten(message, R"(The following arguments? (?:was|were) not expected: (-.*))",
                                  "未知的选项：$1"))
            return text;
        return rewritten(message, R"(The following arguments? (?:was|were) not expected: (.*))",
                         "多余的参数：$1");
    }
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        if (message == "A subcommand is required")
            return "缺少子命令（--help 列出了可用的子命令）";
        return rewritten(message, R"((\S+) is required)", "缺少必需的 $1");
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        if (auto text = rewritten(message, R"((\S+): \d+ required (.*) missing)", "$1 缺少参数 $2"))
            return text;
        return rewritten(message, R"(Expected (?:exactly|at least) \d+ arguments? to (\S+), got \d+)",
                         "$1 的参数个数不对");
    }
    if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
        if (auto text = rewritten(message, R"((\S+): (.*) not in (\{.*\}))",
                                  "$1 不接受 $2，可选的值为 $3"))
            return text;
        return message; // our own validators already speak the user's language
    }
    if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) {
        if (auto text = rewritten(message, R"(Could not convert: (\S+) = (.*))", "$1 不接受值 $2"))
            return text;
        return rewritten(message, R"((\S+): Should be true/false or a number)",
                         "$1 只接受 true/false 或数字");
    }
    if (dynamic_cast<const CLI::ExcludesError*>(&error) != nullptr)
        return rewritten(message, R"((\S+) excludes (\S+))", "$1 与 $2 不能同时使用");
    if (dynamic_cast<const CLI::RequiresError*>(&error) != nullptr)
        return rewritten(message, R"((\S+) requires (\S+))", "$1 需要同时给出 $2");
    return std::nullopt;
}

} // namespace

const TextPair kMoreHelpHint{"Run with --help for more information.",
                             "使用 --help 查看更多信息。"};

std::string ParseErrorText(const CLI::App& app, const CLI::ParseError& error, Language language) {
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr ||
        dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        if (std::string better = suggestion(app, language); !better.empty()) return better;
    }
    if (language == Language::chinese)
        if (std::optional<std::string> text = chineseText(error)) return *text;
    return error.what();
}

} // namespace scriba8::cli
