// SPDX-License-Identifier: MIT
// What the window-command tests share: the device library on the virtual
// programmer, a fresh programmer state for every test function, and chip
// rows found by name.
#pragma once

#include "chip_selection.h"
#include "library_api.h"

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace scriba8::test {

inline std::int32_t PartIndex(const char* name) {
    const BodyInfo* first = nullptr;
    const std::int32_t count = app::DeviceLibrary().GetBodyInfo(&first);
    for (std::int32_t row = 0; row < count; ++row)
        if (std::strcmp(first[row].partName, name) == 0) return row;
    qFatal("no chip %s", name);
}

// Each test function gets a programmer of its own: the library loads the
// state file whenever it opens the link.
class VirtualState {
public:
    VirtualState() {
        qputenv("SCRIBA8_PROGRAMMER", "virtual");
        qputenv("SCRIBA8_VIRTUAL_STATE", dir_.filePath(QStringLiteral("programmer.state")).toLocal8Bit());
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

inline std::vector<std::uint8_t> SomeCode(std::size_t size, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// Clicks where a check box or round button is drawn: a wide one reacts only
// to clicks on its indicator and text.
inline void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

template <typename T>
T* Control(const QWidget& parent, int id) {
    T* found = parent.findChild<T*>(QStringLiteral("control%1").arg(id));
    if (found == nullptr) qFatal("control %d not found", id);
    return found;
}

} // namespace scriba8::test
