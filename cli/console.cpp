// SPDX-License-Identifier: MIT
#include "console.h"

#include <cstring>

namespace scriba8::cli {
namespace {

int askYesNo(void* user, const char* text) { return static_cast<HostPrompts*>(user)->ask(text); }

void showError(void* user, const char* text) { static_cast<HostPrompts*>(user)->showError(text); }

int chooseSaveFile(void* user, const char*, const char*, const char*, const char*, char* path,
                   std::size_t pathSize) {
    return static_cast<const HostPrompts*>(user)->chooseSaveFile(path, pathSize) ? 1 : 0;
}

} // namespace

void LogPrinter::write(std::string_view piece) {
    if (out_ == nullptr) return;
    pending_.append(piece);
    std::size_t end = 0;
    while ((end = pending_.find('\n')) != std::string::npos) {
        std::string line = pending_.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::fprintf(out_, "%s\n", line.c_str());
        pending_.erase(0, end + 1);
    }
    std::fflush(out_);
}

void LogPrinter::flush() {
    if (out_ == nullptr || pending_.empty()) return;
    std::fprintf(out_, "%s\n", pending_.c_str());
    pending_.clear();
    std::fflush(out_);
}

void ProgressBar::show(bool visible) {
    if (!visible && drawn_) {
        std::fputs("\r\033[2K", out_);
        std::fflush(out_);
        drawn_ = false;
    }
}

void ProgressBar::update(std::uint16_t percent) {
    if (!enabled_) return;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(out_, "\r[%s] %3u%%", bar.c_str(), static_cast<unsigned>(percent));
    std::fflush(out_);
    drawn_ = true;
}

app::ProgressHooks ProgressBar::hooks() {
    app::ProgressHooks hooks;
    hooks.showProgress = [this](bool visible) { show(visible); };
    hooks.progress = [this](std::uint16_t percent) { update(percent); };
    return hooks;
}

HostPrompts::HostPrompts(Answer answer, bool interactive, std::FILE* in, std::FILE* err,
                         app::Language language)
    : answer_(answer), interactive_(interactive), language_(language), in_(in), err_(err) {
    table_.user = this;
    table_.askYesNo = &askYesNo;
    table_.showError = &cli::showError;
    table_.chooseSaveFile = &cli::chooseSaveFile;
}

bool HostPrompts::ask(const char* text) {
    const std::lock_guard lock(mutex_);
    const bool chinese = language_ == app::Language::chinese;
    std::fprintf(err_, "\n%s\n", text != nullptr ? text : "");
    if (answer_ != Answer::ask) {
        const bool yes = answer_ == Answer::yes;
        if (chinese)
            std::fprintf(err_, "已回答%s（%s）。\n", yes ? "是" : "否", yes ? "--yes" : "--no");
        else
            std::fprintf(err_, "Answered %s (%s).\n", yes ? "yes" : "no", yes ? "--yes" : "--no");
        return yes;
    }
    if (!interactive_) {
        std::fprintf(err_, "%s\n",
                     chinese ? "已回答否：没有可以提问的终端（用 --yes 表示接受）。"
                             : "Answered no: there is no terminal to ask on (pass --yes to accept).");
        return false;
    }
    for (;;) {
        std::fprintf(err_, "[y/N] ");
        std::fflush(err_);
        char line[64];
        if (std::fgets(line, sizeof line, in_) == nullptr) {
            std::fprintf(err_, "\n%s\n", chinese ? "已回答否。" : "Answered no.");
            return false;
        }
        const char first = line[0];
        if (first == 'y' || first == 'Y') return true;
        if (first == 'n' || first == 'N' || first == '\n') return false;
    }
}

void HostPrompts::showError(const char* text) {
    const std::lock_guard lock(mutex_);
    std::fprintf(err_, "scriba8: %s\n", text != nullptr ? text : "");
}

bool HostPrompts::chooseSaveFile(char* path, std::size_t pathSize) const {
    if (savePath_.empty() || path == nullptr || savePath_.size() >= pathSize) return false;
    std::memcpy(path, savePath_.c_str(), savePath_.size() + 1);
    return true;
}

} // namespace scriba8::cli
