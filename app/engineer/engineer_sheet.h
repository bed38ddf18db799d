// SPDX-License-Identifier: MIT
// CEngineerSheet: what the four engineer sheets share. A sheet shows rows of
// register values as pairs of hex fields, a write field the engineer edits
// and a read field with what was read back, the differing bytes of a pair
// highlighted. Write assembles the register image from the write fields,
// Read fills the read fields from a read image and keeps it in the sheet's
// data file, Sync copies the read values into the write fields.
//
// The controls sit on a canvas of the sheet's design size that scrolls
// vertically inside the sheet.
#pragma once

#include "dialog_units.h"
#include "register_image.h"
#include "sheet_definition.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CHexEditBase;
class QLabel;
class QPainter;
class QPushButton;
class QScrollBar;

namespace scriba8::app {
class OperationLog;
}

namespace scriba8::engineer {

using appmain::DialogUnits;

// What a sheet uses outside itself: the main window's operation log and the
// folder of the sheet data files.
struct SheetHost {
    app::OperationLog* log = nullptr;
    std::string dataFolder = ".";
};

class CEngineerSheet : public QWidget {
    Q_OBJECT

public:
    struct ValueRow {
        QLabel* label = nullptr;
        CHexEditBase* write = nullptr;
        CHexEditBase* read = nullptr; // the write field itself on the last sheet
        std::int64_t offset = 0;
        std::int32_t size = 0; // bytes of the value; 0 skips the row
        bool shown = false;
    };

    int Number() const { return number_; }
    const SheetDefinition& Definition() const { return definition_; }
    const std::vector<ValueRow>& Items() const { return items_; }
    const std::vector<ValueRow>& Edits() const { return edits_; }
    QPushButton* WriteButton() const { return writeButton_; }
    QPushButton* ReadButton() const { return readButton_; }
    QPushButton* SyncButton() const { return syncButton_; } // null on the last sheet
    QScrollBar* ScrollBar() const { return scrollBar_; }
    // Shown while the sheet is narrower than its columns.
    QScrollBar* SidewaysBar() const { return sidewaysBar_; }
    QWidget* Canvas() const { return canvas_; }
    // Set by the first Read: from then on the bit frames compare.
    bool Compared() const { return compared_; }
    // The image the last Write assembled.
    const Bytes& WriteImage() const { return writeImage_; }
    // Path of the file each Read stores its image in.
    std::string DataFilePath() const;

    // One line of scrolling: -1 up, +1 down.
    void ScrollLine(int direction);

public slots:
    void Write();
    void Read();
    void Sync();

protected:
    CEngineerSheet(int number, const SheetDefinition& definition, const SheetHost& host,
                   const DialogUnits& units, int designWidth, int designHeight,
                   QWidget* parent);

    const DialogUnits& Units() const { return units_; }
    // One row of size bytes without address or ASCII column: white and
    // editable, or grey, read-only and ready for the compare marks.
    static void ConfigureValueField(CHexEditBase& field, std::int32_t size, bool readField);
    QLabel* AddLabel(const QString& text, const QRect& where);
    QPushButton* AddButton(const QString& text, const QRect& where);
    CHexEditBase* AddField(const QRect& where);
    void AddCommandButtons(const QRect& write, const QRect& read, const QRect* sync);

    // A row of two one-row fields for a value of the given record.
    ValueRow MakeValueRow(bool shown, const std::string& name, std::int64_t offset,
                          std::int32_t size, const QRect& label, const QRect& write,
                          const QRect& read);
    void AddItemRow(const ValueRow& row) { items_.push_back(row); }
    void AddEditRow(const ValueRow& row) { edits_.push_back(row); }
    // Connects the write fields and shows the first state; the subclass
    // calls it at the end of its constructor.
    void Start();

    // Hooks of the subclasses.
    virtual void ValuesChanged() { Compare(); } // after Read, Sync and at start
    virtual void WriteFieldEdited() { Compare(); }
    virtual void AfterRead() {}
    virtual void PaintCanvas(QPainter&) {}

    // Highlights, in every read field, the bytes that differ from the write
    // field: computed once here, shown with the fields' next paint.
    void Compare();
    static Bytes Contents(const CHexEditBase& field);
    void RedrawCanvas();

    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyScroll();

    int number_;
    SheetDefinition definition_;
    SheetHost host_;
    DialogUnits units_;
    int designHeight_;
    QWidget* canvas_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    QScrollBar* sidewaysBar_ = nullptr;
    SheetScroll scroll_;
    QPushButton* writeButton_ = nullptr;
    QPushButton* readButton_ = nullptr;
    QPushButton* syncButton_ = nullptr;
    std::vector<ValueRow> items_;
    std::vector<ValueRow> edits_;
    bool compared_ = false;
    Bytes writeImage_;
};

} // namespace scriba8::engineer
