// SPDX-License-Identifier: MIT
#include "engineer_sheet.h"

#include "file_paths.h"
#include "hex_edit_base.h"
#include "operation_log.h"
#include "texts.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include <filesystem>
#include <utility>

namespace scriba8::engineer {
namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kGrey(200, 200, 200);

// The canvas that carries a sheet's controls and its own drawing.
class SheetCanvas : public QWidget {
public:
    SheetCanvas(QWidget* parent, std::function<void(QPainter&)> paint)
        : QWidget(parent), paint_(std::move(paint)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paint_(painter);
    }

private:
    std::function<void(QPainter&)> paint_;
};

// Shows Write and Read as busy while they run.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void Show(CHexEditBase& field, const Bytes& bytes) {
    field.SetData(bytes.empty() ? nullptr : bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

} // namespace

CEngineerSheet::CEngineerSheet(int number, const SheetDefinition& definition,
                               const SheetHost& host, const DialogUnits& units,
                               int designWidth, int designHeight, QWidget* parent)
    : QWidget(parent), number_(number), definition_(definition), host_(host), units_(units),
      designHeight_(units.Y(designHeight)) {
    canvas_ = new SheetCanvas(this, [this](QPainter& painter) { PaintCanvas(painter); });
    canvas_->resize(units.X(designWidth), designHeight_);
    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this] { ApplyScroll(); });
    sidewaysBar_ = new QScrollBar(Qt::Horizontal, this);
    sidewaysBar_->hide();
    connect(sidewaysBar_, &QScrollBar::valueChanged, this, [this] { ApplyScroll(); });
}

void CEngineerSheet::ConfigureValueField(CHexEditBase& field, std::int32_t size, bool readField) {
    const QColor& background = readField ? kGrey : kWhite;
    // One row fills the field; a scroll bar would cover it. The caret still
    // brings bytes beyond the right edge into view.
    field.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    field.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    field.SetShowAddress(false);
    field.SetShowAscii(false);
    field.SetBytesPerRow(static_cast<unsigned>(std::max(size, 1)), false);
    field.SetAddressColors(background, kBlack);
    field.SetAsciiColors(background, kBlack);
    field.SetHexColors(background, kBlack);
    field.SetBackgroundColor(background);
    if (readField) field.SetHighlightColors(QColor(255, 0, 0), QColor(255, 190, 190), kBlack);
    field.SetReadOnly(readField);
}

std::string CEngineerSheet::DataFilePath() const {
    return (std::filesystem::path(host_.dataFolder) / ("Sheet" + std::to_string(number_) + ".bin"))
        .string();
}

QLabel* CEngineerSheet::AddLabel(const QString& text, const QRect& where) {
    auto* label = new QLabel(canvas_);
    label->setGeometry(where);
    // A name longer than its place ends in an ellipsis and shows whole as a tip.
    const QString shown =
        label->fontMetrics().elidedText(text, Qt::ElideRight, label->contentsRect().width());
    label->setText(shown);
    if (shown != text) label->setToolTip(text);
    return label;
}

QPushButton* CEngineerSheet::AddButton(const QString& text, const QRect& where) {
    auto* button = new QPushButton(text, canvas_);
    button->setGeometry(where);
    button->setAutoDefault(false);
    return button;
}

CHexEditBase* CEngineerSheet::AddField(const QRect& where) {
    auto* field = new CHexEditBase(canvas_);
    field->setGeometry(where);
    return field;
}

void CEngineerSheet::AddCommandButtons(const QRect& write, const QRect& read, const QRect* sync) {
    writeButton_ = AddButton(QStringLiteral("Write"), write);
    readButton_ = AddButton(QStringLiteral("Read"), read);
    connect(writeButton_, &QPushButton::clicked, this, &CEngineerSheet::Write);
    connect(readButton_, &QPushButton::clicked, this, &CEngineerSheet::Read);
    if (sync != nullptr) {
        syncButton_ = AddButton(QStringLiteral("Sync"), *sync);
        connect(syncButton_, &QPushButton::clicked, this, &CEngineerSheet::Sync);
    }
}

CEngineerSheet::ValueRow CEngineerSheet::MakeValueRow(bool shown, const std::string& name,
                                                      std::int64_t offset, std::int32_t size,
                                                      const QRect& label, const QRect& write,
                                                      const QRect& read) {
    ValueRow row;
    row.shown = shown;
    row.offset = offset;
    row.size = shown ? size : 0;
    row.label = AddLabel(shown ? QString::fromStdString(name) + QStringLiteral(" : ") : QString(),
                         label);
    row.write = AddField(write);
    row.read = AddField(read);
    ConfigureValueField(*row.write, row.size, false);
    ConfigureValueField(*row.read, row.size, true);
    Show(*row.write, BlankImage(row.size));
    row.write->setEnabled(shown);
    row.read->setEnabled(false);
    row.write->setVisible(shown);
    row.read->setVisible(shown);
    return row;
}

void CEngineerSheet::Start() {
    for (const ValueRow& row : items_)
        connect(row.write, &CHexEditBase::Changed, this, [this] { WriteFieldEdited(); });
    for (const ValueRow& row : edits_)
        connect(row.write, &CHexEditBase::Changed, this, [this] { Compare(); });
    compared_ = false;
    if (syncButton_ != nullptr) syncButton_->setEnabled(false);
    ValuesChanged();
}

void CEngineerSheet::Write() {
    const WaitCursor busy;
    const std::uint32_t start = host_.log->startCommand(app::texts::kWriteEngineer);
    // The image is the sheet's own: the code buffers are never touched.
    Bytes image = BlankImage(definition_.writeOfBytes);
    for (const auto* rows : {&items_, &edits_})
        for (const ValueRow& row : *rows) {
            if (row.size == 0) continue;
            Bytes value = Contents(*row.write);
            value.resize(std::min(value.size(), static_cast<std::size_t>(row.size)));
            PlaceValue(image, row.offset, value);
        }
    writeImage_ = std::move(image);
    host_.log->outcome(app::texts::kPass);
    host_.log->finishCommand(start);
}

void CEngineerSheet::Read() {
    Bytes image;
    {
        const WaitCursor busy;
        const std::uint32_t start = host_.log->startCommand(app::texts::kReadEngineer);
        image = BlankImage(definition_.readOfBytes);
        host_.log->outcome(app::texts::kPass);
        host_.log->finishCommand(start);
    }
    compared_ = true;
    if (syncButton_ != nullptr) syncButton_->setEnabled(true);
    // The sheet works on without its file when the folder is not writable.
    (void)app::WriteWholeFile(DataFilePath(), image);
    for (const auto* rows : {&items_, &edits_})
        for (const ValueRow& row : *rows)
            if (row.size > 0) Show(*row.read, TakeValue(image, row.offset, row.size));
    AfterRead();
    ValuesChanged();
}

void CEngineerSheet::Sync() {
    for (const auto* rows : {&items_, &edits_})
        for (const ValueRow& row : *rows)
            if (row.size > 0) Show(*row.write, PaddedValue(Contents(*row.read), row.size));
    ValuesChanged();
}

void CEngineerSheet::Compare() {
    for (const auto* rows : {&items_, &edits_})
        for (const ValueRow& row : *rows) {
            if (row.read == row.write || row.size == 0) continue;
            const Bytes written = Contents(*row.write);
            const Bytes read = Contents(*row.read);
            const std::vector<IndexRange> ranges = DifferingRanges(written, read);
            // One overlay round marks every differing run; the field paints
            // the result once, on its next paint.
            row.read->SetOverlayPaint(true);
            for (const auto& [first, last] : ranges) row.read->SetHighlight(first, last);
            row.read->SetOverlayPaint(false);
            row.read->SetHighlight(CHexEditBase::kNone, CHexEditBase::kNone);
        }
    RedrawCanvas();
}

Bytes CEngineerSheet::Contents(const CHexEditBase& field) {
    Bytes bytes(field.Length());
    field.GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

void CEngineerSheet::RedrawCanvas() { canvas_->update(); }

void CEngineerSheet::ScrollLine(int direction) {
    scrollBar_->triggerAction(direction < 0 ? QAbstractSlider::SliderSingleStepSub
                                            : QAbstractSlider::SliderSingleStepAdd);
}

void CEngineerSheet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int barWidth = scrollBar_->sizeHint().width();
    // A sheet narrower than its columns scrolls sideways instead of cutting
    // the right-hand columns off.
    const int shownWidth = width() - barWidth;
    const int columnsWidth =
        std::min(canvas_->width(), canvas_->childrenRect().right() + 1 + units_.X(4));
    const bool narrow = shownWidth < columnsWidth;
    const int barHeight = narrow ? sidewaysBar_->sizeHint().height() : 0;
    sidewaysBar_->setGeometry(0, height() - barHeight, shownWidth, barHeight);
    sidewaysBar_->setVisible(narrow);
    {
        const QSignalBlocker quiet(sidewaysBar_);
        sidewaysBar_->setRange(0, std::max(0, columnsWidth - shownWidth));
        sidewaysBar_->setPageStep(std::max(1, shownWidth));
        sidewaysBar_->setSingleStep(units_.X(8));
    }
    scrollBar_->setGeometry(width() - barWidth, 0, barWidth, height() - barHeight);
    scroll_ = SheetScroll(designHeight_, height() - barHeight);
    const QSignalBlocker quiet(scrollBar_);
    scrollBar_->setRange(0, scroll_.maximum());
    scrollBar_->setPageStep(scroll_.page());
    scrollBar_->setSingleStep(scroll_.lineStep());
    scrollBar_->setValue(0);
    scrollBar_->setEnabled(scroll_.maximum() > 0);
    ApplyScroll();
}

void CEngineerSheet::ApplyScroll() {
    canvas_->move(-sidewaysBar_->value(), -scroll_.contentOffset(scrollBar_->value()));
}

} // namespace scriba8::engineer
