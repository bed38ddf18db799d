// SPDX-License-Identifier: MIT
// Windows laid out at fixed dialog-unit positions that may still be given
// more room than their design size: each control follows the extra width and
// height by the fractions it is given, moving or growing. Below the design
// size nothing shrinks: the window scrolls instead (ElasticArea in a
// QScrollArea), so every control stays reachable on a small screen.
#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <vector>

namespace scriba8::appmain {

// Fractions of the extra width (x) and height (y).
struct Follow {
    double moveX = 0;
    double growX = 0;
    double moveY = 0;
    double growY = 0;
};

class ElasticLayout {
public:
    // The widget's geometry as it is now stands for no extra room.
    void add(QWidget* widget, Follow follow);
    // Moves and grows every widget for this much room beyond the design
    // size. Changes from elsewhere in between (a label fitted to its text)
    // are kept: only the difference to the last call is applied.
    void apply(int extraWidth, int extraHeight);

private:
    struct Entry {
        QPointer<QWidget> widget;
        Follow follow;
        QRect applied; // offsets applied so far: x, y moved; width, height grown
    };
    std::vector<Entry> entries_;
};

// A widget whose children follow its size through an ElasticLayout, never
// smaller than its design size.
class ElasticArea : public QWidget {
    Q_OBJECT
public:
    explicit ElasticArea(QWidget* parent = nullptr) : QWidget(parent) {}
    // The size the children's positions were designed for.
    void setDesignSize(QSize size);
    QSize designSize() const { return designSize_; }
    ElasticLayout& layout() { return layout_; }

signals:
    // After each resize, with the room beyond the design size: for widgets
    // inside children that follow too (the pages of a tab control).
    void extraRoomChanged(int extraWidth, int extraHeight);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QSize designSize_;
    ElasticLayout layout_;
};

} // namespace scriba8::appmain
