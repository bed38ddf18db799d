// SPDX-License-Identifier: MIT
#include "fill_controls.h"

#include "dialog_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QRadioButton>

namespace scriba8::app {

FillControls::FillControls(QWidget* parent, Language language)
    : fillBox_(new QCheckBox(Tr(dialog_texts::kFillUnused, language), parent)),
      zeros_(new QRadioButton(QStringLiteral("0x00"), parent)),
      ones_(new QRadioButton(QStringLiteral("0xFF"), parent)) {
    SetControlId(fillBox_, 1832);
    SetControlId(zeros_, 1830);
    SetControlId(ones_, 1831);
    // The two value buttons are one choice, apart from any other radio
    // buttons of the dialog.
    auto* group = new QButtonGroup(parent);
    group->addButton(zeros_);
    group->addButton(ones_);
    auto* row = new QHBoxLayout;
    row->addWidget(fillBox_);
    row->addWidget(zeros_);
    row->addWidget(ones_);
    row->addStretch();
    layout_ = row;
}

void FillControls::show(FillMode current) {
    fillBox_->setChecked(current != FillMode::none);
    if (current == FillMode::zeros)
        zeros_->setChecked(true);
    else
        ones_->setChecked(true);
}

FillMode FillControls::chosen() const {
    if (!fillBox_->isChecked()) return FillMode::none;
    return zeros_->isChecked() ? FillMode::zeros : FillMode::ones;
}

void FillControls::enableAll(bool enabled) {
    fillBox_->setEnabled(enabled);
    zeros_->setEnabled(enabled);
    ones_->setEnabled(enabled);
}

void FillControls::enableValuesByBox() {
    zeros_->setEnabled(fillBox_->isChecked());
    ones_->setEnabled(fillBox_->isChecked());
}

} // namespace scriba8::app
