// SPDX-License-Identifier: MIT
#include "tab_pages.h"

#include "checksums.h"
#include "control_ids.h"
#include "dialog_units.h"
#include "hex_edit_base.h"
#include "window_texts.h"

#include <QLabel>
#include <QLineEdit>

namespace scriba8::appmain {

BufferPage::BufferPage(const DialogUnits&, QWidget* parent) : QWidget(parent) {}

void BufferPage::CreateEditor(const DialogUnits& units, QRect unitsRect, const QColor& pageColour,
                              bool readOnly) {
    editor_ = new CHexEditBase(this);
    editor_->setGeometry(
        units.Rect(unitsRect.x(), unitsRect.y(), unitsRect.width(), unitsRect.height()));
    editor_->SetShowAddress(true);
    editor_->SetAddressDigits(6);
    editor_->SetShowAscii(true);
    editor_->SetBytesPerRow(16, false);
    const QColor black(0, 0, 0);
    editor_->SetAddressColors(pageColour, black);
    editor_->SetAsciiColors(pageColour, black);
    editor_->SetHexColors(pageColour, black);
    editor_->SetBackgroundColor(pageColour);
    editor_->SetReadOnly(readOnly);
    editor_->SetData(nullptr, 0);
    controls_.insert(ids::kHexEditor, editor_);
}

QLabel* BufferPage::AddLabel(const DialogUnits& units, int id, const QString& text,
                             QRect unitsRect) {
    auto* label = new QLabel(text, this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The label's line is centred on its box, however tall the font is.
    QRect rect = units.Rect(unitsRect.x(), unitsRect.y(), unitsRect.width(), unitsRect.height());
    label->setGeometry(rect.adjusted(0, -units.Y(2), 0, units.Y(2)));
    controls_.insert(id, label);
    return label;
}

QLineEdit* BufferPage::AddBox(const DialogUnits& units, int id, QRect unitsRect) {
    auto* box = new QLineEdit(this);
    box->setReadOnly(true);
    box->setGeometry(units.Rect(unitsRect.x(), unitsRect.y(), unitsRect.width(), unitsRect.height()));
    controls_.insert(id, box);
    return box;
}

void BufferPage::SetBoxText(int id, const QString& text) {
    if (auto* box = qobject_cast<QLineEdit*>(Control(id))) box->setText(text);
}

QString BufferPage::BoxText(int id) const {
    const auto* box = qobject_cast<const QLineEdit*>(Control(id));
    return box != nullptr ? box->text() : QString();
}

} // namespace scriba8::appmain

using namespace scriba8::appmain;

CTabDlg_Flash::CTabDlg_Flash(const DialogUnits& units, QWidget* parent) : BufferPage(units, parent) {
    CreateEditor(units, QRect(0, 0, 395, 65), QColor(200, 200, 200), true);
    AddLabel(units, ids::kFilePathLabel, QStringLiteral("File Path : "), QRect(3, 71, 40, 8));
    AddBox(units, ids::kFlashFilePath, QRect(46, 68, 349, 14));
    AddLabel(units, ids::kBufferSizeLabel, QStringLiteral("Buffer Size : "), QRect(3, 86, 40, 8));
    AddBox(units, ids::kFlashBufferSize, QRect(46, 85, 40, 14));
    AddLabel(units, ids::kBufferChecksumLabel, QStringLiteral("Buffer Checksum : "),
             QRect(95, 86, 62, 8));
    AddBox(units, ids::kFlashBufferChecksum, QRect(157, 85, 40, 14));
    AddLabel(units, ids::kChecksumLabel, QStringLiteral("Chip Checksum : "), QRect(206, 86, 56, 8));
    AddBox(units, ids::kFlashChipChecksum, QRect(263, 85, 40, 14));
    resize(units.X(400), units.Y(106));
    Elastic().add(Editor(), {0, 1, 0, 1});
    Elastic().add(Control(ids::kFlashFilePath), {0, 1, 1, 0});
    for (const int id : {ids::kFilePathLabel, ids::kBufferSizeLabel, ids::kFlashBufferSize,
                         ids::kBufferChecksumLabel, ids::kFlashBufferChecksum, ids::kChecksumLabel,
                         ids::kFlashChipChecksum})
        Elastic().add(Control(id), {0, 0, 1, 0});
}

void CTabDlg_Flash::ApplyLanguage(scriba8::app::Language language) {
    const auto set = [&](int id, const texts::TextPair& pair) {
        if (auto* label = qobject_cast<QLabel*>(Control(id))) {
            label->setText(QString::fromUtf8(pair.in(language)));
            FitLabelToText(label);
        }
    };
    set(ids::kFilePathLabel, texts::kFilePath);
    set(ids::kBufferSizeLabel, texts::kBufferSize);
    set(ids::kBufferChecksumLabel, texts::kBufferChecksum);
    set(ids::kChecksumLabel, texts::kChipChecksumLabel);
}

void CTabDlg_Flash::ClearBoxes() {
    for (const int id : {ids::kFlashFilePath, ids::kFlashBufferSize, ids::kFlashBufferChecksum,
                         ids::kFlashChipChecksum})
        SetBoxText(id, QString());
}

CTabDlg_EEPROM::CTabDlg_EEPROM(const DialogUnits& units, QWidget* parent)
    : BufferPage(units, parent) {
    CreateEditor(units, QRect(0, 0, 395, 81), QColor(255, 255, 255), false);
    AddBox(units, ids::kEepromFilePath, QRect(0, 85, 309, 14));
    AddLabel(units, ids::kChecksumLabel, QStringLiteral("CheckSum : "), QRect(312, 87, 40, 8));
    AddBox(units, ids::kEepromChecksum, QRect(355, 85, 40, 14));
    resize(units.X(402), units.Y(106));
    Elastic().add(Editor(), {0, 1, 0, 1});
    Elastic().add(Control(ids::kEepromFilePath), {0, 1, 1, 0});
    for (const int id : {ids::kChecksumLabel, ids::kEepromChecksum})
        Elastic().add(Control(id), {1, 0, 1, 0});
    connect(Editor(), &CHexEditBase::Changed, this, &CTabDlg_EEPROM::RefreshChecksum);
}

void CTabDlg_EEPROM::ApplyLanguage(scriba8::app::Language language) {
    if (auto* label = qobject_cast<QLabel*>(Control(ids::kChecksumLabel))) {
        label->setText(QString::fromUtf8(texts::kEepromChecksum.in(language)));
        FitLabelToText(label);
    }
}

void CTabDlg_EEPROM::RefreshChecksum() {
    std::vector<std::uint8_t> bytes(Editor()->Length());
    if (bytes.empty()) return;
    Editor()->GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    SetBoxText(ids::kEepromChecksum,
               QStringLiteral("%1").arg(scriba8::app::Checksum16(bytes), 4, 16, QLatin1Char('0')).toUpper());
}
