// SPDX-License-Identifier: MIT
#include "pre_view.h"

#include "request_form.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace scriba8::app {

CPreView::CPreView(const ContextRecord& record, const BodyInfo* chip, QWidget* parent)
    : QAbstractScrollArea(parent), record_(record), chip_(chip) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics metrics(RequestFormFont(), viewport());
    w_ = metrics.horizontalAdvance(QLatin1Char('0'));
    h_ = metrics.height();
    verticalScrollBar()->setSingleStep(h_);
    verticalScrollBar()->setPageStep(30 * h_);
    horizontalScrollBar()->setSingleStep(w_);
    horizontalScrollBar()->setPageStep(30 * w_);
    updateScrollRanges();
}

void CPreView::updateScrollRanges() {
    const QSize client = viewport()->size();
    const int formHeight = kRequestFormRows * h_;
    verticalScrollBar()->setRange(0, std::max(0, formHeight - client.height()));
    // The page is as wide as the window: nothing to scroll sideways.
    horizontalScrollBar()->setRange(0, 0);
}

void CPreView::renderPage() {
    const QSize size(std::max(1, viewport()->width() - 1), kRequestFormRows * h_);
    if (page_.size() != size) page_ = QPixmap(size);
    page_.fill(Qt::white);
    QPainter painter(&page_);
    painter.setFont(RequestFormFont());
    DrawRequestForm(record_, chip_, painter, w_, h_);
}

void CPreView::paintEvent(QPaintEvent*) {
    renderPage();
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    painter.drawPixmap(QPoint(0, 0), page_,
                       QRect(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()),
                             viewport()->size()));
}

void CPreView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void CPreView::scrollContentsBy(int, int) { viewport()->update(); }

} // namespace scriba8::app
