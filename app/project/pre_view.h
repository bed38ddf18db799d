// SPDX-License-Identifier: MIT
// CPreView: the request form drawn off-screen and shown through a window
// that scrolls over it line by line.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <QAbstractScrollArea>
#include <QPixmap>

namespace scriba8::app {

class CPreView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // The record and chip must outlive the view.
    CPreView(const ContextRecord& record, const BodyInfo* chip, QWidget* parent = nullptr);

    int cellWidth() const { return w_; }
    int cellHeight() const { return h_; }
    // The whole form as the last paint drew it.
    const QPixmap& page() const { return page_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void updateScrollRanges();
    void renderPage();

    const ContextRecord& record_;
    const BodyInfo* chip_;
    QPixmap page_;
    int w_ = 0;
    int h_ = 0;
};

} // namespace scriba8::app
