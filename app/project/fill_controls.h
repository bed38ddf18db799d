// SPDX-License-Identifier: MIT
// The "Fill unused bytes" box with its 0x00 / 0xFF choice, shared by the
// select-area and insert-ISP dialogs. Each dialog has its own enabling rule.
#pragma once

#include "code_buffers.h"
#include "language.h"

class QCheckBox;
class QRadioButton;
class QWidget;
class QLayout;

namespace scriba8::app {

class FillControls {
public:
    FillControls(QWidget* parent, Language language);

    // A filled buffer shows its mode; an unfilled one proposes 0xFF.
    void show(FillMode current);
    // The mode the boxes stand for.
    FillMode chosen() const;

    void enableAll(bool enabled);
    // The value buttons follow the box.
    void enableValuesByBox();

    QLayout* layout() const { return layout_; }
    QCheckBox* fillBox() const { return fillBox_; }
    QRadioButton* zeros() const { return zeros_; }
    QRadioButton* ones() const { return ones_; }

private:
    QCheckBox* fillBox_;
    QRadioButton* zeros_;
    QRadioButton* ones_;
    QLayout* layout_;
};

} // namespace scriba8::app
