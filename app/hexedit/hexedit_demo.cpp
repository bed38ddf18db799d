// SPDX-License-Identifier: MIT
// hexedit-demo: the hex editor on its own, with 64 KiB of sample bytes.
//   hexedit-demo [--grab FILE.png]
// With --grab the window is saved as a picture and the demo exits.
#include "hex_edit_base.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdint>
#include <numeric>
#include <vector>

namespace {

std::vector<std::uint8_t> SampleBytes()
{
    std::vector<std::uint8_t> bytes(64 * 1024);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    const char greeting[] = "Scriba8 T3Plus hex editor demo";
    std::copy(std::begin(greeting), std::end(greeting) - 1, bytes.begin() + 0x40);
    return bytes;
}

QString ChecksumText(const CHexEditBase& editor)
{
    std::vector<std::uint8_t> bytes(editor.Length());
    editor.GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u) & 0xFFFF;
    return QStringLiteral("Buffer Size : %1    Buffer Checksum : %2")
        .arg(bytes.size())
        .arg(QStringLiteral("%1").arg(sum, 4, 16, QLatin1Char('0')).toUpper());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString grabPath;
    const QStringList args = QApplication::arguments();
    if (const auto at = args.indexOf(QStringLiteral("--grab")); at >= 0 && at + 1 < args.size())
        grabPath = args.at(at + 1);

    QWidget window;
    window.setWindowTitle(QStringLiteral("hexedit-demo"));
    auto* layout = new QVBoxLayout(&window);
    auto* editor = new CHexEditBase;
    auto* readOnly = new QCheckBox(QStringLiteral("Read-only"));
    auto* status = new QLabel;
    layout->addWidget(editor, 1);
    layout->addWidget(readOnly);
    layout->addWidget(status);

    editor->SetShowAddress(true);
    editor->SetAddressDigits(6);
    editor->SetShowAscii(true);
    editor->SetBytesPerRow(16, false);
    editor->SetAddressColors(QColor(255, 255, 255), QColor(0, 0, 0));
    editor->SetAsciiColors(QColor(255, 255, 255), QColor(0, 0, 0));
    editor->SetHexColors(QColor(255, 255, 255), QColor(0, 0, 0));
    editor->SetBackgroundColor(QColor(255, 255, 255));
    const std::vector<std::uint8_t> bytes = SampleBytes();
    editor->SetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    editor->SetHighlightColors(QColor(255, 0, 0), QColor(255, 190, 190), QColor(0, 0, 0));
    editor->SetHighlight(0x43, 0x56);
    editor->SetSelection(0x20, 0x2B);

    status->setText(ChecksumText(*editor));
    QObject::connect(editor, &CHexEditBase::Changed, status,
                     [status, editor] { status->setText(ChecksumText(*editor)); });
    QObject::connect(readOnly, &QCheckBox::toggled, editor,
                     [editor](bool on) { editor->SetReadOnly(on, true); });

    window.resize(760, 420);
    window.show();
    editor->setFocus();

    if (!grabPath.isEmpty()) {
        QTimer::singleShot(200, &window, [&window, grabPath] {
            const bool saved = window.grab().save(grabPath);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
