// SPDX-License-Identifier: MIT
// The two pages of the "Code Buffer" tab control. Each hosts the hex editor
// that owns its buffer's bytes and a few read-only boxes that show the file
// name and checksums (filled by the commands that change the buffer).
#pragma once

#include "elastic_layout.h"
#include "language.h"

#include <QHash>
#include <QWidget>

#include <cstdint>
#include <vector>

class CHexEditBase;
class QLabel;
class QLineEdit;

namespace scriba8::appmain {
class DialogUnits;

// A page's controls by id and the set-up both editors share.
class BufferPage : public QWidget {
    Q_OBJECT
public:
    QWidget* Control(int id) const { return controls_.value(id); }
    CHexEditBase* Editor() const { return editor_; }
    void SetBoxText(int id, const QString& text);
    QString BoxText(int id) const;
    // The page's controls follow the room its tab control is given beyond
    // the design size: the editor grows, the boxes under it move down.
    ElasticLayout& Elastic() { return elastic_; }

protected:
    BufferPage(const DialogUnits& units, QWidget* parent);
    // The page's editor: colours on the page colour, 16 bytes a row, six address
    // digits, ASCII column, no data.
    void CreateEditor(const DialogUnits& units, QRect unitsRect, const QColor& pageColour,
                      bool readOnly);
    QLabel* AddLabel(const DialogUnits& units, int id, const QString& text, QRect unitsRect);
    QLineEdit* AddBox(const DialogUnits& units, int id, QRect unitsRect);

private:
    CHexEditBase* editor_ = nullptr;
    QHash<int, QWidget*> controls_;
    ElasticLayout elastic_;
};

} // namespace scriba8::appmain

class CTabDlg_Flash : public scriba8::appmain::BufferPage {
    Q_OBJECT
public:
    CTabDlg_Flash(const scriba8::appmain::DialogUnits& units, QWidget* parent = nullptr);
    void ApplyLanguage(scriba8::app::Language language);
    // Boxes 1800..1803 emptied.
    void ClearBoxes();
};

class CTabDlg_EEPROM : public scriba8::appmain::BufferPage {
    Q_OBJECT
public:
    CTabDlg_EEPROM(const scriba8::appmain::DialogUnits& units, QWidget* parent = nullptr);
    void ApplyLanguage(scriba8::app::Language language);
    // The checksum box shows the sum of the editor's bytes; an empty editor
    // leaves it as it is.
    void RefreshChecksum();
};
