// SPDX-License-Identifier: MIT
// CCustomerSettingDlg: edits the sixteen-byte customer string of the record
// while it is open. Only printable ASCII without the space is accepted, by a
// rule on the whole text, so pasted text cannot bring in anything else.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "language.h"

#include <QDialog>

class QLineEdit;

class CCustomerSettingDlg : public QDialog {
    Q_OBJECT
public:
    CCustomerSettingDlg(ContextRecord& record, scriba8::app::Language language,
                        QWidget* parent = nullptr);
    QLineEdit* Edit() const { return edit_; }

private:
    void StoreText(const QString& text);

    ContextRecord& record_;
    QLineEdit* edit_ = nullptr;
};
