// SPDX-License-Identifier: MIT
// The layout of --help in the chosen language: CLI11's headings and labels
// translated, and in Chinese the columns measured in terminal columns, not
// bytes, with long texts wrapped to the terminal.
#pragma once

#include "language.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace scriba8::cli {

class HelpFormatter : public CLI::Formatter {
public:
    explicit HelpFormatter(app::Language language);

    // The heading the subcommands are listed under.
    std::string subcommandHeading() const { return get_label("Subcommands"); }

    std::string make_group(std::string group, bool is_positional,
                           std::vector<const CLI::Option*> opts) const override;
    std::string make_option(const CLI::Option* opt, bool is_positional) const override;
    std::string make_subcommand(const CLI::App* sub) const override;
    std::string make_footer(const CLI::App* app) const override;

private:
    // "  name" padded to the first column, then the description.
    std::string row(const std::string& name, const std::string& description) const;

    app::Language language_;
};

} // namespace scriba8::cli
