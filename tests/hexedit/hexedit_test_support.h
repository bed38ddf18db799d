// SPDX-License-Identifier: MIT
// Helpers shared by the hex editor's widget tests: a shown, focused editor in
// a top-level window, and pixel positions of bytes in its viewport.
#pragma once

#include "hex_edit_base.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

namespace hexedit_test {

// The editor in a window, without a frame, so its viewport starts at (0, 0)
// of the editor and the viewport height is the editor height. Below it there
// is room for other widgets (AddBelow).
struct Harness {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    CHexEditBase* editor = nullptr;

    Harness(int width, int height, std::vector<std::uint8_t> bytes)
    {
        editor = new CHexEditBase(window.get());
        editor->setFrameShape(QFrame::NoFrame);
        editor->setGeometry(0, 0, width, height);
        editor->SetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        window->resize(width, height + 40);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("test window did not become active");
        editor->setFocus();
    }

    void SetEditorHeight(int height) { editor->resize(editor->width(), height); }

    // A widget placed under the editor, next in the focus chain.
    template <typename W> W* AddBelow()
    {
        auto* widget = new W(window.get());
        widget->move(0, editor->height() + 5);
        widget->show();
        return widget;
    }

    int cw() const { return editor->CurrentLayout().charWidth; }
    int rh() const { return editor->CurrentLayout().rowHeight; }

    // Centre of character characterInByte (0, 1: the digits, 2: the space) of
    // byte index, in viewport pixels; the byte must be in view.
    QPoint DigitPoint(std::uint32_t index, int characterInByte = 0) const
    {
        const auto& l = editor->CurrentLayout();
        const std::uint32_t first = editor->FirstVisibleRow() * l.bytesPerRow;
        const int row = static_cast<int>((index - first) / l.bytesPerRow);
        const int column = static_cast<int>((index - first) % l.bytesPerRow);
        const int x = l.textRect.left + l.hexX - editor->HorizontalOffset() +
                      (3 * column + characterInByte) * cw() + cw() / 2;
        const int y = l.textRect.top + row * rh() + rh() / 2;
        return {x, y};
    }

    // Mouse input through the window, as the window system delivers it, so
    // the application knows which buttons are held. Points are in viewport
    // pixels.
    QPoint InWindow(QPoint viewportPoint) const { return editor->viewport()->mapTo(window.get(), viewportPoint); }
    void Press(QPoint at) { QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, InWindow(at)); }
    void MoveTo(QPoint at) { QTest::mouseMove(window->windowHandle(), InWindow(at)); }
    void Release(QPoint at) { QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, InWindow(at)); }

    // Text rows that fit a viewport of this height exactly.
    static int HeightForRows(int rows, int rowHeight) { return 10 + rows * rowHeight; }
};

inline std::vector<std::uint8_t> Counting(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

inline std::vector<std::uint8_t> Contents(const CHexEditBase& editor)
{
    std::vector<std::uint8_t> bytes(editor.Length());
    editor.GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

} // namespace hexedit_test
