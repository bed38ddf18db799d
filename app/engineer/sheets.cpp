// SPDX-License-Identifier: MIT
#include "sheets.h"

#include "hex_edit_base.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace scriba8::engineer {
namespace {

const QColor kBlack(0, 0, 0);

std::int32_t OneByte(std::int32_t size) { return std::min(size, 1); }

const ItemRecord* ItemOf(const SheetDefinition& definition, int k) {
    return k < static_cast<int>(definition.items.size()) ? &definition.items[static_cast<std::size_t>(k)]
                                                         : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// Sheets with bit boxes

CBitSheet::CBitSheet(int number, const SheetDefinition& definition, const SheetHost& host,
                     const DialogUnits& units, int designHeight, QWidget* parent)
    : CEngineerSheet(number, definition, host, units, 707, designHeight, parent) {
    QRect sync = units.Rect(62, 14, 50, 14);
    AddCommandButtons(units.Rect(37, 31, 50, 14), units.Rect(89, 31, 50, 14), &sync);
    AddLabel(QStringLiteral("bit0"), units.Rect(576, 46, 24, 8));
    AddLabel(QStringLiteral("bit7"), units.Rect(114, 46, 24, 8));
    auto* note = new QGroupBox(QStringLiteral("Note"), Canvas());
    note->setGeometry(units.Rect(224, 17, 248, 29));
    auto* noteText = new QLabel(QStringLiteral("Bit check is \"0\", uncheck is \"1\""), note);
    noteText->setGeometry(units.Rect(8, 12, 232, 10));
}

void CBitSheet::AddItemRows(int rows) {
    const DialogUnits& u = Units();
    for (int k = 0; k < rows; ++k) {
        const ItemRecord* item = ItemOf(Definition(), k);
        const int top = RowTop(k);
        // These rows are one-byte registers, whatever size the file gives.
        AddItemRow(MakeValueRow(item != nullptr, item ? item->name : std::string(),
                                item ? item->addrOffset : 0, item ? OneByte(item->size) : 0,
                                u.Rect(7, top + 4, 57, 9), u.Rect(65, top, 22, 18),
                                u.Rect(89, top, 22, 18)));
        std::array<QCheckBox*, 8> boxes{};
        for (int b = 0; b < 8; ++b) {
            const QString name =
                item ? QString::fromStdString(item->bitNames[static_cast<std::size_t>(b)]) : QString();
            auto* box = new QCheckBox(Canvas());
            box->setGeometry(u.Rect(578 - 66 * b, top + 6, 10, 10));
            box->setEnabled(!name.isEmpty());
            box->setVisible(item != nullptr);
            auto* label = AddLabel(name, u.Rect(590 - 66 * b, top + 6, 45, 9));
            label->setVisible(item != nullptr);
            connect(box, &QCheckBox::clicked, this, [this] { BitsToBytes(); });
            boxes[static_cast<std::size_t>(b)] = box;
        }
        bitBoxes_.push_back(boxes);
    }
}

QCheckBox* CBitSheet::BitBox(int item, int bit) const {
    return bitBoxes_.at(static_cast<std::size_t>(item)).at(static_cast<std::size_t>(bit));
}

void CBitSheet::ValuesChanged() {
    BytesToBits();
    Compare();
}

void CBitSheet::WriteFieldEdited() { ValuesChanged(); }

void CBitSheet::BytesToBits() {
    for (std::size_t k = 0; k < Items().size(); ++k) {
        const ValueRow& row = Items()[k];
        if (row.size == 0) continue;
        const Bytes value = Contents(*row.write);
        if (value.empty()) continue;
        const BitChecks checks = ChecksFromByte(value.front());
        for (std::size_t b = 0; b < 8; ++b) bitBoxes_[k][b]->setChecked(checks[b]);
    }
}

void CBitSheet::BitsToBytes() {
    for (std::size_t k = 0; k < Items().size(); ++k) {
        const ValueRow& row = Items()[k];
        if (row.size == 0) continue;
        BitChecks checks{};
        for (std::size_t b = 0; b < 8; ++b) checks[b] = bitBoxes_[k][b]->isChecked();
        const std::uint8_t value = ByteFromChecks(checks);
        row.write->SetData(&value, 1);
    }
    Compare();
}

QRect CBitSheet::BitFrame(int item, int bit) const {
    return Units().Rect(575 - 66 * bit, RowTop(item) + 3, 63, 14);
}

void CBitSheet::PaintCanvas(QPainter& painter) {
    const QPen plain = painter.pen();
    const QPen differs(QColor(255, 0, 0), 2);
    for (std::size_t k = 0; k < Items().size(); ++k) {
        const ValueRow& row = Items()[k];
        const ItemRecord* item = ItemOf(Definition(), static_cast<int>(k));
        if (item == nullptr) continue;
        const Bytes written = Contents(*row.write);
        const Bytes read = Contents(*row.read);
        const bool compare = Compared() && !written.empty() && !read.empty();
        for (int b = 0; b < 8; ++b) {
            if (item->bitNames[static_cast<std::size_t>(b)].empty()) continue;
            const bool red = compare && ((written.back() ^ read.back()) >> b & 1) != 0;
            painter.setPen(red ? differs : plain);
            painter.drawRect(BitFrame(static_cast<int>(k), b));
        }
    }
}

CSheet0Dlg::CSheet0Dlg(const SheetDefinition& definition, const SheetHost& host,
                       const DialogUnits& units, QWidget* parent)
    : CBitSheet(0, definition, host, units, 300, parent) {
    AddItemRows(8);
    Start();
}

CSheet1Dlg::CSheet1Dlg(const SheetDefinition& definition, const SheetHost& host,
                       const DialogUnits& units, QWidget* parent)
    : CBitSheet(1, definition, host, units, 515, parent) {
    AddItemRows(11);
    struct Geometry {
        int labelTop, writeLeft, writeTop, readLeft, readTop, width;
    };
    static constexpr Geometry kEdits[kMaxEditRows] = {
        {377, 125, 372, 314, 372, 186}, {397, 125, 392, 314, 392, 186},
        {417, 125, 412, 314, 412, 186}, {437, 125, 432, 125, 451, 375},
        {476, 125, 471, 125, 490, 375}};
    for (int e = 0; e < kMaxEditRows; ++e) {
        const Geometry& g = kEdits[e];
        const bool shown = e < static_cast<int>(definition.edits.size());
        const EditRecord edit = shown ? definition.edits[static_cast<std::size_t>(e)] : EditRecord{};
        AddEditRow(MakeValueRow(shown, edit.name, edit.addrOffset, edit.size,
                                units.Rect(7, g.labelTop, 115, 9),
                                units.Rect(g.writeLeft, g.writeTop, g.width, 18),
                                units.Rect(g.readLeft, g.readTop, g.width, 18)));
    }
    Start();
}

int CSheet1Dlg::RowTop(int k) const {
    static constexpr int kLowerRows[] = {283, 312, 341};
    return k < 8 ? CBitSheet::RowTop(k) : kLowerRows[k - 8];
}

// ---------------------------------------------------------------------------
// Multi-byte values and the chip identity

CSheet2Dlg::CSheet2Dlg(const SheetDefinition& definition, const SheetHost& host,
                       const DialogUnits& units, QWidget* parent)
    : CEngineerSheet(2, definition, host, units, 707, 380, parent) {
    QRect sync = units.Rect(194, 7, 50, 14);
    AddCommandButtons(units.Rect(68, 7, 50, 14), units.Rect(131, 7, 50, 14), &sync);
    AddLabel(QStringLiteral("DUT ID : "), units.Rect(7, 39, 115, 9));
    identity_ = AddField(units.Rect(125, 35, 188, 18));
    ConfigureValueField(*identity_, 5, true);
    identity_->setEnabled(false);
    status_ = AddLabel(QString(), units.Rect(317, 39, 115, 9));
    for (int k = 0; k < 8; ++k) {
        const ItemRecord* item = ItemOf(definition, k);
        AddItemRow(MakeValueRow(item != nullptr, item ? item->name : std::string(),
                                item ? item->addrOffset : 0, item ? item->size : 0,
                                units.Rect(7, 60 + 40 * k, 115, 9),
                                units.Rect(125, 56 + 40 * k, 375, 18),
                                units.Rect(125, 75 + 40 * k, 375, 18)));
    }
    Start();
}

void CSheet2Dlg::AfterRead() {
    const Bytes id = BlankImage(5);
    const Bytes reversed(id.rbegin(), id.rend());
    status_->setText(QStringLiteral("ID pass"));
    identity_->SetData(reversed.data(), static_cast<std::uint32_t>(reversed.size()));
}

// ---------------------------------------------------------------------------
// One large editor

CSheet3Dlg::CSheet3Dlg(const SheetDefinition& definition, const SheetHost& host,
                       const DialogUnits& units, QWidget* parent)
    : CEngineerSheet(3, definition, host, units, 707, 380, parent) {
    AddCommandButtons(units.Rect(68, 7, 50, 14), units.Rect(131, 7, 50, 14), nullptr);
    const ItemRecord* item = ItemOf(definition, 0);
    ValueRow row;
    row.shown = item != nullptr;
    row.offset = item ? item->addrOffset : 0;
    row.size = item ? item->size : 0;
    row.label = AddLabel(item ? QString::fromStdString(item->name) + QStringLiteral(" : ") : QString(),
                         units.Rect(7, 39, 115, 9));
    row.write = row.read = AddField(units.Rect(125, 35, 400, 338));
    if (item != nullptr) {
        row.write->SetShowAddress(true);
        row.write->SetAddressDigits(6);
        row.write->SetShowAscii(true);
        row.write->SetBytesPerRow(16, false);
        const QColor white(255, 255, 255);
        row.write->SetAddressColors(white, kBlack);
        row.write->SetAsciiColors(white, kBlack);
        row.write->SetHexColors(white, kBlack);
        row.write->SetBackgroundColor(white);
        row.write->SetReadOnly(false);
    }
    row.write->SetData(nullptr, 0);
    row.write->setEnabled(item != nullptr);
    AddItemRow(row);
    // Nothing to write before something was read.
    WriteButton()->setEnabled(false);
    Start();
}

void CSheet3Dlg::AfterRead() { WriteButton()->setEnabled(true); }

} // namespace scriba8::engineer
