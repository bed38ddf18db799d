// SPDX-License-Identifier: MIT
#include "select_area_dialog.h"

#include "dialog_texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace scriba8::app {

std::uint32_t CSelectAreaDlg::ProposedAddress(std::uint32_t flashSize) {
    constexpr std::uint32_t kDataAreaSize = 5120;
    // A chip smaller than the data area has its data at the bottom.
    return flashSize > kDataAreaSize ? flashSize - kDataAreaSize : 0;
}

CSelectAreaDlg::CSelectAreaDlg(Language language, std::uint32_t flashSize, FillMode currentFill,
                               QWidget* parent)
    : QDialog(parent),
      currentFill_(currentFill),
      codeArea_(new QRadioButton(Tr(dialog_texts::kApCode, language), this)),
      dataArea_(new QRadioButton(Tr(dialog_texts::kIapData, language), this)),
      address_(new QLineEdit(this)),
      clearBuffer_(new QCheckBox(Tr(dialog_texts::kClearBuffer, language), this)),
      fill_(this, language) {
    setWindowTitle(Tr(dialog_texts::kSelectAreaTitle, language));
    SetControlId(codeArea_, 1121);
    SetControlId(dataArea_, 1122);
    SetControlId(address_, 1124);
    SetControlId(clearBuffer_, 1243);
    auto* addressLabel = new QLabel(Tr(dialog_texts::kAddress, language), this);
    SetControlId(addressLabel, 1123);

    codeArea_->setChecked(true);
    address_->setText(QStringLiteral("%1").arg(ProposedAddress(flashSize), 8, 16, QChar('0')).toUpper());
    address_->setMaxLength(8);
    address_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,8}")), address_));
    address_->setEnabled(false);
    clearBuffer_->setChecked(true);
    fill_.show(currentFill);

    QDialogButtonBox* buttons = OkCancelButtons(this, language);

    auto* area = new QGridLayout;
    area->addWidget(codeArea_, 0, 0);
    area->addWidget(dataArea_, 1, 0);
    area->addWidget(addressLabel, 1, 1);
    area->addWidget(address_, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(area);
    layout->addWidget(clearBuffer_);
    layout->addLayout(fill_.layout());
    layout->addWidget(buttons);

    connect(codeArea_, &QRadioButton::clicked, this, [this] { address_->setEnabled(false); });
    connect(dataArea_, &QRadioButton::clicked, this, [this] { address_->setEnabled(true); });
    connect(clearBuffer_, &QCheckBox::clicked, this, [this] { applyFillRule(); });
    connect(fill_.fillBox(), &QCheckBox::clicked, this, [this] { applyFillRule(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    applyFillRule();
}

// A buffer that keeps its filled contents keeps its fill mode; a cleared
// buffer may choose again.
void CSelectAreaDlg::applyFillRule() {
    if (clearBuffer_->isChecked()) {
        fill_.fillBox()->setEnabled(true);
        fill_.enableValuesByBox();
    } else if (currentFill_ != FillMode::none) {
        fill_.enableAll(false);
    } else {
        fill_.enableValuesByBox();
    }
}

AreaChoice CSelectAreaDlg::choice() const {
    AreaChoice choice;
    if (dataArea_->isChecked()) {
        bool ok = false;
        const std::uint32_t address = address_->text().toUInt(&ok, 16);
        choice.loadOffset = ok ? address : 0;
    }
    choice.clearBeforeLoad = clearBuffer_->isChecked();
    choice.fillMode = fill_.chosen();
    return choice;
}

std::optional<AreaChoice> CSelectAreaDlg::Ask(QWidget* parent, Language language,
                                              std::uint32_t flashSize, FillMode currentFill) {
    CSelectAreaDlg dialog(language, flashSize, currentFill, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

} // namespace scriba8::app
