// SPDX-License-Identifier: MIT
#include "operation_log.h"

#include "Scriba8_T3Plus_DLL.h"
#include "texts.h"

#include <chrono>
#include <cstdio>
#include <initializer_list>

namespace scriba8::app {
namespace {

std::string counterText(std::int32_t counter) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", static_cast<int>(counter));
    return digits;
}

std::string concat(std::initializer_list<std::string_view> pieces) {
    std::string out;
    for (std::string_view piece : pieces) out.append(piece);
    return out;
}

} // namespace

std::uint32_t SystemTick() {
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return static_cast<std::uint32_t>(ms);
}

std::string FormatStartLine(std::int32_t counter, std::string_view title) {
    return concat({counterText(counter), " - ", title, " =>"});
}

std::string FormatStepLine(std::string_view title) { return concat({"       ", title, " =>"}); }

std::string FormatElapsed(std::uint32_t startTick, std::uint32_t endTick) {
    // Unsigned difference: a wrap of the tick counter still gives the interval.
    // Whole milliseconds printed as seconds with three decimals, without the
    // locale's decimal separator.
    std::uint32_t elapsed = endTick - startTick;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%u.%03u", static_cast<unsigned>(elapsed / 1000),
                  static_cast<unsigned>(elapsed % 1000));
    return concat({"   [", seconds, "\"]\r\n"});
}

std::string FormatAutoStart(std::int32_t counter, std::string_view title) {
    return concat({counterText(counter), " - ", title, " ======>Start\r\n"});
}

std::string FormatAutoEnd(std::string_view title) {
    return concat({"         ", title, " ======>End\r\n"});
}

std::string FormatChecksumLine(std::string_view label, std::uint16_t value) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(value));
    return concat({"   ", label, " 0x", hex, "\r\n"});
}

OperationLog::OperationLog(Language language, TickSource tick)
    : language_(language), tick_(tick ? std::move(tick) : TickSource(SystemTick)) {}

void OperationLog::clear() {
    text_.clear();
    if (listener_) listener_({}, true);
}

void OperationLog::append(std::string_view piece) {
    text_.append(piece);
    if (listener_) listener_(piece, false);
}

std::uint32_t OperationLog::startCommand(const TextPair& title, bool alwaysNumbered) {
    std::uint32_t start = now();
    commandTitle_ = std::string(title.in(language_));
    commandInterrupted_ = false;
    if (autoRunning_ && !alwaysNumbered) {
        append(FormatStepLine(title.in(language_)));
    } else {
        append(FormatStartLine(counter_, title.in(language_)));
        ++counter_;
    }
    return start;
}

void OperationLog::result(std::int32_t code) {
    resumeCommand(code);
    append(texts::ResultText(code).in(language_));
}

void OperationLog::outcome(const TextPair& text) {
    resumeCommand(S8_PASS);
    append(text.in(language_));
}

void OperationLog::finishCommand(std::uint32_t startTick) {
    append(FormatElapsed(startTick, now()));
    commandTitle_.clear();
    commandInterrupted_ = false;
}

void OperationLog::startNote(const TextPair& title, NoteResult resultFor) {
    // A second note (another firmware asked about) means the first one's
    // work is done.
    finishNote(S8_PASS);
    if (!commandTitle_.empty() && !commandInterrupted_) {
        append("\r\n");
        commandInterrupted_ = true;
    }
    note_ = Note{now(), std::move(resultFor)};
    append(FormatStepLine(title.in(language_)));
}

void OperationLog::finishNote(std::int32_t code) {
    if (!note_) return;
    const std::uint32_t start = note_->startTick;
    note_.reset();
    append(texts::ResultText(code).in(language_));
    append(FormatElapsed(start, now()));
}

void OperationLog::resumeCommand(std::int32_t commandResult) {
    if (note_) {
        const NoteResult resultFor = note_->resultFor;
        finishNote(resultFor ? resultFor(commandResult) : S8_PASS);
    }
    if (commandInterrupted_) {
        append(FormatStepLine(commandTitle_));
        commandInterrupted_ = false;
    }
}

void OperationLog::autoStart() {
    append(FormatAutoStart(counter_, texts::kAuto.in(language_)));
    ++counter_;
}

void OperationLog::autoEnd() { append(FormatAutoEnd(texts::kAuto.in(language_))); }

void OperationLog::chipChecksumLine(std::uint16_t checksum) {
    append(FormatChecksumLine(texts::kChipChecksumLabel.in(language_), checksum));
}

} // namespace scriba8::app
