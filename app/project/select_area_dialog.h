// SPDX-License-Identifier: MIT
// CSelectAreaDlg: where a code file goes in the Flash buffer (the application
// area at 0 or a typed address), whether the buffer is cleared first and how
// the rest of the chip is filled.
#pragma once

#include "file_loader.h"
#include "fill_controls.h"
#include "language.h"

#include <QDialog>

#include <cstdint>
#include <optional>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace scriba8::app {

class CSelectAreaDlg : public QDialog {
    Q_OBJECT

public:
    // currentFill: the fill mode of the buffer the file goes into.
    CSelectAreaDlg(Language language, std::uint32_t flashSize, FillMode currentFill,
                   QWidget* parent = nullptr);

    // The choice after OK.
    AreaChoice choice() const;

    // Shows the dialog modally; nothing when cancelled.
    static std::optional<AreaChoice> Ask(QWidget* parent, Language language,
                                         std::uint32_t flashSize, FillMode currentFill);

    // The address proposed for the data area: 5 KB below the top of the chip.
    static std::uint32_t ProposedAddress(std::uint32_t flashSize);

private:
    void applyFillRule();

    FillMode currentFill_;
    QRadioButton* codeArea_;
    QRadioButton* dataArea_;
    QLineEdit* address_;
    QCheckBox* clearBuffer_;
    FillControls fill_;
};

} // namespace scriba8::app
