// SPDX-License-Identifier: MIT
// CGenerateFormDlg: asks for the three addressing texts of the request
// form after a project was saved.
#pragma once

#include "language.h"

#include "Scriba8_T3Plus_DLL.h"

#include <QDialog>

class QLineEdit;

namespace scriba8::app {

class CGenerateFormDlg : public QDialog {
    Q_OBJECT
  public:
    // OK stores the texts into the record's request fields; Cancel leaves
    // them. The boxes always open empty.
    CGenerateFormDlg(ContextRecord& record, Language language, QWidget* parent = nullptr);

    void accept() override;

    QLineEdit* toEdit() const { return to_; }
    QLineEdit* fromEdit() const { return from_; }
    QLineEdit* partNoEdit() const { return partNo_; }

  private:
    ContextRecord& record_;
    Language language_;
    QLineEdit* to_;
    QLineEdit* from_;
    QLineEdit* partNo_;
};

} // namespace scriba8::app
