// SPDX-License-Identifier: MIT
// Paint cost of the hex editor. A repaint builds only the rows in view, so a
// 16 MiB buffer must repaint as fast as a 64 KiB one, and typing a digit with
// its repaint must stay far below one 60 Hz frame (16 ms).
#include "hex_edit_base.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

// An editor set up like a buffer tab, showing the middle of its buffer.
std::unique_ptr<CHexEditBase> ShownEditor(std::uint32_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::uint32_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + (i >> 9));

    auto editor = std::make_unique<CHexEditBase>();
    editor->resize(760, 420);
    editor->SetShowAddress(true);
    editor->SetAddressDigits(6);
    editor->SetShowAscii(true);
    editor->SetData(bytes.data(), size);
    editor->show();
    QApplication::processEvents();

    const std::uint32_t middle = size / 2;
    editor->SetCaretIndex(middle, true);
    editor->EnsureVisible(middle, middle, true);
    editor->SetSelection(middle, middle + 40);
    editor->SetHighlight(middle + 20, middle + 70);
    QApplication::processEvents();
    return editor;
}

void RepaintFullView(benchmark::State& state)
{
    const auto editor = ShownEditor(static_cast<std::uint32_t>(state.range(0)));
    QImage target(editor->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state)
        editor->viewport()->render(&target);
    state.counters["rows"] = editor->CurrentLayout().visibleRows;
}
BENCHMARK(RepaintFullView)->Arg(64 * 1024)->Arg(16 * 1024 * 1024)->Unit(benchmark::kMicrosecond);

void TypeDigitAndRepaint(benchmark::State& state)
{
    const auto editor = ShownEditor(static_cast<std::uint32_t>(state.range(0)));
    QImage target(editor->viewport()->size(), QImage::Format_RGB32);
    const std::uint32_t start = editor->CaretIndex();
    std::uint32_t typed = 0;
    for (auto _ : state) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(editor.get(), &key);
        editor->viewport()->render(&target);
        if (++typed == 4096) {  // stay in the same stretch of the buffer
            state.PauseTiming();
            editor->SetCaretIndex(start, true);
            typed = 0;
            state.ResumeTiming();
        }
    }
}
BENCHMARK(TypeDigitAndRepaint)->Arg(64 * 1024)->Arg(16 * 1024 * 1024)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
