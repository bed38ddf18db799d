// SPDX-License-Identifier: MIT
// The documented exit classes against the code that maps results to exit
// statuses: scripts branch on these numbers, so a result that lands in
// another class than the table says is a silent change of meaning.
#include "exit_codes.h"

#include "Scriba8_T3Plus_DLL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace scriba8::cli;

namespace {

// One "Results" cell: codes such as "102 111", ranges "114-118" (also with an
// en dash), "any other" for the class that takes every unlisted result.
struct ResultList {
    std::set<int> codes;
    bool anyOther = false;
};

ResultList ParseResults(std::string text) {
    ResultList list;
    if (text.find("any other") != std::string::npos) list.anyOther = true;
    const std::string enDash = "\xE2\x80\x93";
    for (std::size_t at = text.find(enDash); at != std::string::npos; at = text.find(enDash))
        text.replace(at, enDash.size(), "-");
    std::replace(text.begin(), text.end(), ',', ' ');
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (word.empty() || !std::isdigit(static_cast<unsigned char>(word[0]))) continue;
        const std::size_t dash = word.find('-');
        const int first = std::stoi(word.substr(0, dash));
        const int last = dash == std::string::npos ? first : std::stoi(word.substr(dash + 1));
        EXPECT_LE(first, last) << word;
        for (int code = first; code <= last; ++code) list.codes.insert(code);
    }
    return list;
}

std::map<int, ResultList> TableInCode() {
    std::map<int, ResultList> table;
    for (const ExitClass& entry : ExitClasses()) {
        EXPECT_FALSE(table.contains(entry.status)) << "status " << entry.status << " listed twice";
        table[entry.status] = ParseResults(std::string(entry.results));
    }
    return table;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The "Exit status" table of the README: | status | meaning | results |.
std::map<int, ResultList> TableInReadme() {
    std::ifstream readme(SCRIBA8_README);
    EXPECT_TRUE(readme.good()) << SCRIBA8_README;
    std::map<int, ResultList> table;
    bool inSection = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.starts_with("Exit status")) {
            inSection = true;
            continue;
        }
        if (!inSection) continue;
        if (!table.empty() && !line.starts_with("|")) break;
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, '|');) cells.push_back(Trimmed(cell));
        // cells[0] is the text before the first bar.
        if (cells.size() < 4 || cells[1].empty() ||
            !std::all_of(cells[1].begin(), cells[1].end(), [](char c) { return std::isdigit(c); }))
            continue;
        table[std::stoi(cells[1])] = ParseResults(cells[3]);
    }
    return table;
}

int CatchAllStatus(const std::map<int, ResultList>& table) {
    int found = -1;
    for (const auto& [status, list] : table) {
        if (!list.anyOther) continue;
        EXPECT_EQ(found, -1) << "two classes take every other result";
        found = status;
    }
    return found;
}

} // namespace

TEST(ExitClassTable, EveryListedResultEndsWithItsClassStatus) {
    const auto table = TableInCode();
    ASSERT_FALSE(table.empty());
    for (const auto& [status, list] : table) {
        for (const int code : list.codes)
            EXPECT_EQ(ExitStatusFor(code), status) << "result " << code << " is listed under exit " << status;
    }
}

TEST(ExitClassTable, EveryOtherResultEndsInTheCatchAllClass) {
    const auto table = TableInCode();
    const int catchAll = CatchAllStatus(table);
    ASSERT_NE(catchAll, -1) << "no class takes the results nobody lists";
    std::map<int, int> listings;
    for (const auto& [status, list] : table)
        for (const int code : list.codes) ++listings[code];

    // Every code the library can return, and some it cannot.
    for (const int code : {-1, 0, 1, 100, 127, 200, 0xFFFF}) EXPECT_EQ(ExitStatusFor(code), catchAll) << code;
    for (int code = S8_PASS; code <= S8_PROGRAMMER_BUSY; ++code) {
        EXPECT_LE(listings[code], 1) << "result " << code << " is in more than one class";
        if (listings[code] == 0) {
            EXPECT_EQ(ExitStatusFor(code), catchAll) << "result " << code << " is mapped but not listed";
        }
    }
    EXPECT_EQ(ExitStatusFor(S8_PASS), kExitOk);
    EXPECT_EQ(ExitStatusFor(S8_STATUS_TIMEOUT), kExitTransfer);
}

TEST(ExitClassTable, ReadmeShowsTheSameTable) {
    const auto readme = TableInReadme();
    const auto code = TableInCode();
    ASSERT_FALSE(readme.empty()) << "no exit status table in the README";
    for (const auto& [status, list] : code) {
        ASSERT_TRUE(readme.contains(status)) << "exit " << status << " is missing in the README";
        EXPECT_EQ(readme.at(status).codes, list.codes) << "exit " << status;
        EXPECT_EQ(readme.at(status).anyOther, list.anyOther) << "exit " << status;
    }
    EXPECT_EQ(readme.size(), code.size());
}
