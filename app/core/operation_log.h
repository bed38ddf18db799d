// SPDX-License-Identifier: MIT
// The running operation log every command writes into: numbered start lines,
// outcome texts, the elapsed-time suffix and the auto sequence's brackets.
#pragma once

#include "language.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace scriba8::app {

// Milliseconds on a 32-bit counter that wraps, like a system tick count.
using TickSource = std::function<std::uint32_t()>;
std::uint32_t SystemTick();

// The exact line pieces.
std::string FormatStartLine(std::int32_t counter, std::string_view title); // "%03d - %s =>"
std::string FormatStepLine(std::string_view title);                       // "       %s =>"
std::string FormatElapsed(std::uint32_t startTick, std::uint32_t endTick); // "   [%.3f\"]\r\n"
std::string FormatAutoStart(std::int32_t counter, std::string_view title);
std::string FormatAutoEnd(std::string_view title);
std::string FormatChecksumLine(std::string_view label, std::uint16_t value);

class OperationLog {
public:
    // Called with every appended piece; an empty view with cleared = true
    // when the log was emptied. Front ends mirror the log through it.
    using Listener = std::function<void(std::string_view text, bool cleared)>;

    explicit OperationLog(Language language = Language::english, TickSource tick = SystemTick);

    void setListener(Listener listener) { listener_ = std::move(listener); }
    const Listener& listener() const { return listener_; }
    void setLanguage(Language language) { language_ = language; }
    Language language() const { return language_; }
    std::string_view text() const { return text_; }

    // Empties the text; the counter is left alone.
    void clear();
    void resetCounter() { counter_ = 0; }
    void setCounter(std::int32_t counter) { counter_ = counter; }
    std::int32_t counter() const { return counter_; }
    void append(std::string_view piece);

    bool autoRunning() const { return autoRunning_; }
    void setAutoRunning(bool running) { autoRunning_ = running; }

    std::uint32_t now() const { return tick_(); }

    // Takes the tick and writes the start line: numbered, or the step form
    // inside the auto sequence unless alwaysNumbered. Returns the tick.
    std::uint32_t startCommand(const TextPair& title, bool alwaysNumbered = false);
    // "Pass" for 101, else the code's message.
    void result(std::int32_t code);
    void outcome(const TextPair& text);
    void finishCommand(std::uint32_t startTick);

    void autoStart();
    void autoEnd();
    void chipChecksumLine(std::uint16_t checksum);

    // A step the library runs inside a command before the command's own
    // work (a firmware update): a step line of its own under the command's
    // start line; the command's outcome then follows on a step line of the
    // command's title. resultFor gives the note's result from the command's
    // when the command ends before finishNote.
    using NoteResult = std::function<std::int32_t(std::int32_t commandResult)>;
    void startNote(const TextPair& title, NoteResult resultFor);
    // Ends an open note; nothing when none is open.
    void finishNote(std::int32_t code);
    bool noteOpen() const { return note_.has_value(); }

private:
    struct Note {
        std::uint32_t startTick;
        NoteResult resultFor;
    };
    // Before the command's outcome: an open note ends, and a command line a
    // note interrupted is taken up again.
    void resumeCommand(std::int32_t commandResult);

    std::string text_;
    std::int32_t counter_ = 0;
    bool autoRunning_ = false;
    std::string commandTitle_; // of the command whose line is open; empty when none
    bool commandInterrupted_ = false;
    std::optional<Note> note_;
    Language language_;
    TickSource tick_;
    Listener listener_;
};

} // namespace scriba8::app
