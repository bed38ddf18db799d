// SPDX-License-Identifier: MIT
// CAutoProcessDlg: the steps of the auto sequence as boxes bound to the
// record's autoProcess mask, and the "Run" button.
#pragma once

#include "auto_sequence.h"
#include "language.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <map>

class QCheckBox;
class QPushButton;

namespace scriba8::app {

class CAutoProcessDlg : public QDialog {
    Q_OBJECT

public:
    // autoProcess is the main record's mask: every click changes it at once.
    // run starts the sequence; the dialog stays open during and after it.
    CAutoProcessDlg(Language language, std::uint16_t& autoProcess, bool flashEmpty,
                    const ChipSizes& chip, std::function<void()> run, QWidget* parent = nullptr);

    // The box of a mask bit (one of the steps, or Save Chip Checksum).
    QCheckBox* box(std::uint16_t bit) const { return boxes_.at(bit); }

private:
    void clicked(std::uint16_t bit, bool ticked);
    void showMask();

    std::uint16_t& autoProcess_;
    std::map<std::uint16_t, QCheckBox*> boxes_;
};

} // namespace scriba8::app
