// SPDX-License-Identifier: MIT
// The four engineer sheets: CSheet0Dlg and CSheet1Dlg show one-byte option
// registers with a check box per named bit (sheet 1 adds five wider edit
// rows), CSheet2Dlg multi-byte values and the chip identity, CSheet3Dlg one
// large editor.
#pragma once

#include "engineer_sheet.h"

#include <array>
#include <vector>

class QCheckBox;

namespace scriba8::engineer {

// Sheets 0 and 1: a checked box means the bit is 0.
class CBitSheet : public CEngineerSheet {
    Q_OBJECT

public:
    QCheckBox* BitBox(int item, int bit) const;

protected:
    CBitSheet(int number, const SheetDefinition& definition, const SheetHost& host,
              const DialogUnits& units, int designHeight, QWidget* parent);

    // Field top of item row k in dialog units.
    virtual int RowTop(int k) const { return 52 + 29 * k; }
    void AddItemRows(int rows);

    void ValuesChanged() override;
    void WriteFieldEdited() override;
    void PaintCanvas(QPainter& painter) override;

private:
    void BytesToBits();
    void BitsToBytes();
    QRect BitFrame(int item, int bit) const;

    std::vector<std::array<QCheckBox*, 8>> bitBoxes_;
};

class CSheet0Dlg : public CBitSheet {
    Q_OBJECT
public:
    CSheet0Dlg(const SheetDefinition& definition, const SheetHost& host, const DialogUnits& units,
               QWidget* parent);
};

class CSheet1Dlg : public CBitSheet {
    Q_OBJECT
public:
    CSheet1Dlg(const SheetDefinition& definition, const SheetHost& host, const DialogUnits& units,
               QWidget* parent);

protected:
    int RowTop(int k) const override;
};

class CSheet2Dlg : public CEngineerSheet {
    Q_OBJECT
public:
    CSheet2Dlg(const SheetDefinition& definition, const SheetHost& host, const DialogUnits& units,
               QWidget* parent);
    CHexEditBase* IdentityField() const { return identity_; }
    QLabel* IdentityStatus() const { return status_; }

protected:
    void AfterRead() override;

private:
    CHexEditBase* identity_ = nullptr;
    QLabel* status_ = nullptr;
};

class CSheet3Dlg : public CEngineerSheet {
    Q_OBJECT
public:
    CSheet3Dlg(const SheetDefinition& definition, const SheetHost& host, const DialogUnits& units,
               QWidget* parent);

protected:
    void AfterRead() override;
};

} // namespace scriba8::engineer
