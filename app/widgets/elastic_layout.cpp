// SPDX-License-Identifier: MIT
#include "elastic_layout.h"

#include <QResizeEvent>
#include <QVariant>

#include <cmath>

namespace scriba8::appmain {
namespace {

int share(double fraction, int extra) { return static_cast<int>(std::lround(fraction * extra)); }

// Where a label fitted to its text keeps the geometry it was designed with.
constexpr const char* kTemplateGeometry = "templateGeometry";

} // namespace

void ElasticLayout::add(QWidget* widget, Follow follow) {
    entries_.push_back({widget, follow, QRect()});
}

void ElasticLayout::apply(int extraWidth, int extraHeight) {
    for (Entry& entry : entries_) {
        if (entry.widget == nullptr) continue;
        const QRect wanted(share(entry.follow.moveX, extraWidth),
                           share(entry.follow.moveY, extraHeight),
                           share(entry.follow.growX, extraWidth),
                           share(entry.follow.growY, extraHeight));
        const int dx = wanted.x() - entry.applied.x();
        const int dy = wanted.y() - entry.applied.y();
        const int dw = wanted.width() - entry.applied.width();
        const int dh = wanted.height() - entry.applied.height();
        entry.applied = wanted;
        if (dx == 0 && dy == 0 && dw == 0 && dh == 0) continue;
        const auto moved = [&](QRect rect) {
            rect.translate(dx, dy);
            rect.setSize(rect.size() + QSize(dw, dh));
            return rect;
        };
        entry.widget->setGeometry(moved(entry.widget->geometry()));
        const QVariant designed = entry.widget->property(kTemplateGeometry);
        if (designed.isValid()) entry.widget->setProperty(kTemplateGeometry, moved(designed.toRect()));
    }
}

void ElasticArea::setDesignSize(QSize size) {
    designSize_ = size;
    setMinimumSize(size);
}

void ElasticArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!designSize_.isValid()) return;
    const int extraWidth = std::max(0, width() - designSize_.width());
    const int extraHeight = std::max(0, height() - designSize_.height());
    layout_.apply(extraWidth, extraHeight);
    emit extraRoomChanged(extraWidth, extraHeight);
}

} // namespace scriba8::appmain
