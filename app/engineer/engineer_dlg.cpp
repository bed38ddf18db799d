// SPDX-License-Identifier: MIT
#include "engineer_dlg.h"

#include "screen_fit.h"
#include "sheets.h"

#include <QStyle>
#include <QTabBar>
#include <QWheelEvent>

namespace scriba8::engineer {
namespace {

using appmain::FitIntoScreen;

constexpr int kWheelNotch = 120;

// The frame the tab pages sit in, below the tab bar.
class TabPane : public QWidget {
public:
    using QWidget::QWidget;

    int paneTop = 0;

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace
} // namespace scriba8::engineer

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>

namespace scriba8::engineer {
namespace {

void TabPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, paneTop, 0, 0);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

} // namespace

CEngineerDlg::CEngineerDlg(QWidget* owner, const PrivateProfile& profile, const SheetHost& host)
    : QDialog(owner), units_(font()) {
    setWindowTitle(QStringLiteral("Engineer"));
    setModal(false);
    setSizeGripEnabled(true);

    tabControl_ = new TabPane(this);
    tabs_ = new QTabBar(tabControl_);
    tabs_->setDrawBase(false);
    for (const std::string& name : ReadTabNames(profile))
        tabs_->addTab(QString::fromStdString(name));

    sheets_[0] = new CSheet0Dlg(ReadSheetDefinition(profile, 0), host, units_, tabControl_);
    sheets_[1] = new CSheet1Dlg(ReadSheetDefinition(profile, 1), host, units_, tabControl_);
    sheets_[2] = new CSheet2Dlg(ReadSheetDefinition(profile, 2), host, units_, tabControl_);
    sheets_[3] = new CSheet3Dlg(ReadSheetDefinition(profile, 3), host, units_, tabControl_);
    for (CEngineerSheet* sheet : sheets_) sheet->hide();

    resize(DesignSize());
    PlaceControls();
    ShowSheet(0);
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { ShowSheet(index); });
}

CEngineerDlg* CEngineerDlg::Open(QWidget* owner, const PrivateProfile& profile,
                                 const SheetHost& host) {
    auto* dialog = new CEngineerDlg(owner, profile, host);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    FitIntoScreen(*dialog);
    dialog->show();
    return dialog;
}

QRect CEngineerDlg::PageRect() const {
    // Fonts larger than the dialog font of the layout get a taller tab bar.
    const int top = std::max(30, tabs_->sizeHint().height() + 6);
    return tabControl_->rect().adjusted(10, top, -10, -10);
}

void CEngineerDlg::PlaceControls() {
    const int margin = units_.X(7);
    tabControl_->setGeometry(rect().adjusted(margin, units_.Y(7), -margin, -units_.Y(7)));
    tabs_->move(2, 0);
    tabs_->resize(std::min(tabs_->sizeHint().width(), tabControl_->width() - 4),
                  tabs_->sizeHint().height());
    static_cast<TabPane*>(tabControl_)->paneTop = tabs_->count() > 0 ? tabs_->height() - 1 : 0;
    for (CEngineerSheet* sheet : sheets_) sheet->setGeometry(PageRect());
}

void CEngineerDlg::ShowSheet(int index) {
    if (index < 0 || index >= kSheetCount) return;
    Sheet(current_)->hide();
    current_ = index;
    Sheet(current_)->show();
}

void CEngineerDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

// Wheel turns that no control under the mouse used arrive here.
void CEngineerDlg::wheelEvent(QWheelEvent* event) {
    ForwardWheel(event->angleDelta().y());
    event->ignore();
}

void CEngineerDlg::ForwardWheel(int delta) {
    if (delta == kWheelNotch) CurrentSheet()->ScrollLine(-1);
    else if (delta == -kWheelNotch) CurrentSheet()->ScrollLine(+1);
}

} // namespace scriba8::engineer
