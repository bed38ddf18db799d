// SPDX-License-Identifier: MIT
#include "dialog_texts.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QWidget>

namespace scriba8::app {

void SetControlId(QWidget* control, int id) { control->setObjectName(QStringLiteral("control%1").arg(id)); }

QDialogButtonBox* OkCancelButtons(QWidget* dialog, Language language) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(Tr(texts::kOk, language), QDialogButtonBox::AcceptRole);
    QPushButton* cancel =
        buttons->addButton(Tr(texts::kCancel, language), QDialogButtonBox::RejectRole);
    SetControlId(ok, 1);
    SetControlId(cancel, 2);
    ok->setDefault(true);
    return buttons;
}

} // namespace scriba8::app
