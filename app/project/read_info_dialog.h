// SPDX-License-Identifier: MIT
// CReadInfoDlg: what the programmer holds for stand-alone production, as
// read back; every value read-only.
#pragma once

#include "language.h"

#include "Scriba8_T3Plus_DLL.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QGridLayout;
class QLineEdit;

namespace scriba8::app {

class CReadInfoDlg : public QDialog {
    Q_OBJECT
  public:
    // chip: the table row of info.partIndex, or null when the stored part
    // code matched no chip of this program.
    CReadInfoDlg(const ContextRecord& info, const BodyInfo* chip, Language language,
                 QWidget* parent = nullptr);

    // The value shown beside a label ("Max Counter : "), for tests and
    // screenshots; empty when there is no such label.
    QString valueOf(const QString& label) const;
    // Whether the check box with this text is ticked; false when absent.
    bool isTicked(const QString& text) const;

  private:
    void addRow(QGridLayout* grid, int row, const QString& label, const QString& value);
    QCheckBox* addBox(QGridLayout* grid, int row, int column, const QString& text, bool ticked);
};

} // namespace scriba8::app
