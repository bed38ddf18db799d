// SPDX-License-Identifier: MIT
// CEngineerDlg: the modeless engineer window. Its tabs and the four register
// sheets come from the sheet definition file, read each time a window opens.
#pragma once

#include "engineer_sheet.h"
#include "sheet_definition.h"

#include <QDialog>

#include <array>
#include <string>

class QTabBar;

namespace scriba8::engineer {

class CEngineerDlg : public QDialog {
    Q_OBJECT

public:
    // The profile gives the definitions; host.dataFolder takes the data files.
    CEngineerDlg(QWidget* owner, const PrivateProfile& profile, const SheetHost& host);

    // A new, independent window that deletes itself when closed.
    static CEngineerDlg* Open(QWidget* owner, const PrivateProfile& profile, const SheetHost& host);

    QTabBar* Tabs() const { return tabs_; }
    CEngineerSheet* Sheet(int index) const { return sheets_.at(static_cast<std::size_t>(index)); }
    int CurrentIndex() const { return current_; }
    CEngineerSheet* CurrentSheet() const { return Sheet(current_); }
    // Where the sheets are shown, in the tab control's coordinates.
    QRect PageRect() const;
    // The size the window is designed for; it opens at it unless the screen
    // is smaller.
    QSize DesignSize() const { return QSize(units_.X(684), units_.Y(570)); }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowSheet(int index);
    void PlaceControls();
    // A single wheel notch over the window scrolls the shown sheet a line.
    void ForwardWheel(int delta);

    DialogUnits units_;
    QWidget* tabControl_ = nullptr;
    QTabBar* tabs_ = nullptr;
    std::array<CEngineerSheet*, kSheetCount> sheets_{};
    int current_ = 0;
};

} // namespace scriba8::engineer
