// SPDX-License-Identifier: MIT
#include "help_format.h"

#include "text_format.h"

#include <array>
#include <utility>

namespace scriba8::cli {
namespace {

using app::TextPair;

// The width --help is laid out for.
constexpr std::size_t kTerminalWidth = 80;

// CLI11's own words, by the key it looks them up with.
constexpr std::array<std::pair<std::string_view, TextPair>, 10> kLabels{{
    {"Usage", {"Usage", "用法"}},
    {"OPTIONS", {"OPTIONS", "选项"}},
    {"SUBCOMMAND", {"SUBCOMMAND", "子命令"}},
    {"SUBCOMMANDS", {"SUBCOMMANDS", "子命令"}},
    {"Options", {"Options", "选项"}},
    {"Subcommands", {"Subcommands", "子命令"}},
    {"Positionals", {"Positionals", "位置参数"}},
    {"REQUIRED", {"REQUIRED", "必需"}},
    {"Excludes", {"Excludes", "互斥"}},
    {"Needs", {"Needs", "需要"}},
}};

std::size_t leadingBlanks(const std::string& line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? 0 : first;
}

// An indented line (a table row such as "  130  interrupted") continues
// under its text; any other line at the margin.
std::size_t hangingIndent(const std::string& line) {
    const std::size_t indent = leadingBlanks(line);
    if (indent == 0) return 0;
    const std::size_t wordEnd = line.find(' ', indent);
    if (wordEnd == std::string::npos) return indent;
    const std::size_t text = line.find_first_not_of(' ', wordEnd);
    return text == std::string::npos ? indent : text;
}

} // namespace

HelpFormatter::HelpFormatter(app::Language language) : language_(language) {
    for (const auto& [key, text] : kLabels) label(std::string(key), std::string(text.in(language)));
}

std::string HelpFormatter::make_group(std::string group, bool is_positional,
                                      std::vector<const CLI::Option*> opts) const {
    return Formatter::make_group(get_label(group), is_positional, std::move(opts));
}

std::string HelpFormatter::make_option(const CLI::Option* opt, bool is_positional) const {
    if (language_ == app::Language::english) return Formatter::make_option(opt, is_positional);
    return row(make_option_name(opt, is_positional) + make_option_opts(opt), make_option_desc(opt));
}

std::string HelpFormatter::make_subcommand(const CLI::App* sub) const {
    if (language_ == app::Language::english) return Formatter::make_subcommand(sub);
    return row(sub->get_display_name(true), sub->get_description());
}

std::string HelpFormatter::make_footer(const CLI::App* app) const {
    if (language_ == app::Language::english) return Formatter::make_footer(app);
    // Line by line, as the English footer is written, so the blank lines
    // between its paragraphs stay.
    const std::string footer = app->get_footer();
    if (footer.empty()) return {};
    std::string text;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = footer.find('\n', start);
        const std::string line = footer.substr(start, end == std::string::npos ? end : end - start);
        const std::size_t indent = hangingIndent(line);
        const std::vector<std::string> wrapped =
            WrappedLines(std::string_view(line).substr(indent), kTerminalWidth - indent);
        text += line.substr(0, indent) + wrapped.front();
        for (std::size_t i = 1; i < wrapped.size(); ++i)
            text += "\n" + std::string(indent, ' ') + wrapped[i];
        if (end == std::string::npos) break;
        text += "\n";
        start = end + 1;
    }
    return text + "\n";
}

std::string HelpFormatter::row(const std::string& name, const std::string& description) const {
    const std::string first = "  " + name;
    const std::size_t column = get_column_width();
    std::string text = first;
    if (description.empty()) return text + "\n";
    if (DisplayWidth(first) >= column)
        text += "\n" + std::string(column, ' ');
    else
        text += std::string(column - DisplayWidth(first), ' ');
    const std::vector<std::string> lines = WrappedLines(description, kTerminalWidth - column);
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\n" + std::string(column, ' ')) + lines[i];
    return text + "\n";
}

} // namespace scriba8::cli
