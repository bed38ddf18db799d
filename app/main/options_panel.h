// SPDX-License-Identifier: MIT
// The "H/W Option" panel: item lists and bit boxes filled from the selected
// chip's record. The controls are the working copy of the record's "Set"
// selection: every change of a "Set" control writes the record at once.
//
// Filling posts the lists' and boxes' notifications (queued), so they run
// after the chip change has finished and read the controls as they are
// then; that is what finally sets the record's selection to the chip's
// defaults, or to what a ShowSelection in between put into the controls.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "language.h"

#include <QObject>

class CScriba8_T3Plus_APDlg;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace scriba8::appmain {

enum class SelectionTarget;

class OptionsPanel : public QObject {
    Q_OBJECT
public:
    explicit OptionsPanel(CScriba8_T3Plus_APDlg& window);

    // Rebuilds every slot for the chip and selects its defaults.
    void Fill(const BodyInfo& chip, app::Language language);
    // Item list k changed (by the operator, or a posted or sent notification).
    void OnItemChanged(int slot);
    // Bit box j clicked (by the operator or a posted notification).
    void OnBitClicked(int slot);
    void Show(const BodyInfo& chip, const ContextRecord& selection, SelectionTarget target,
              app::Language language);
    void ApplyTips(const BodyInfo& chip, app::Language language);
    // Empties the "Now" column.
    void ClearNowColumn();

    QComboBox* SetList(int slot) const;
    QLineEdit* NowBox(int slot) const;
    QGroupBox* ItemGroup(int slot) const;
    QCheckBox* SetBox(int slot) const;
    QCheckBox* NowCheck(int slot) const;
    QLabel* BitName(int slot) const;

private:
    void PostItemNotification(int slot);
    void PostBitNotification(int slot);
    void RebuildIapList(const BodyInfo& chip, int iapSlot, const QString& ispText);
    void EnableLinkedList(const BodyInfo& chip, int bitSlot);

    CScriba8_T3Plus_APDlg& window_;
};

} // namespace scriba8::appmain
