// SPDX-License-Identifier: MIT
// Builds main windows on the fake chip table with their settings in a
// temporary folder, and finds their controls by id.
#pragma once

#include "control_ids.h"
#include "fake_chips.h"
#include "main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace scriba8::test {

class WindowFixture {
public:
    WindowFixture() : api_(FakeChipApi()) {}

    QString Folder() const { return folder_.path(); }
    QString SettingsPath() const { return folder_.filePath(QStringLiteral("Setting.ini")); }

    void WriteSettings(const QByteArray& text) const {
        QFile file(SettingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray ReadSettings() const {
        QFile file(SettingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A started window; the queued option notifications have run.
    std::unique_ptr<CScriba8_T3Plus_APDlg> Start(const app::LibraryApi* api = nullptr) {
        appmain::WindowEnvironment environment;
        environment.api = api != nullptr ? api : &api_;
        environment.programFolder = folder_.path().toStdString();
        environment.showMessage = [this](const QString& text) { messages.append(text); };
        auto window = std::make_unique<CScriba8_T3Plus_APDlg>(environment);
        started = window->Initialise();
        Settle();
        return window;
    }

    static void Settle() { QCoreApplication::processEvents(); }

    // Chooses a chip as the operator does: series first, then the chip.
    static void ChooseChip(CScriba8_T3Plus_APDlg& window, const char* series, const char* part) {
        Choose(window.seriesList, QString::fromLatin1(series));
        Choose(window.chipList, QString::fromLatin1(part));
        Settle();
    }

    // Picks the entry with this text as a user would (the activated signal).
    static void Choose(QComboBox* list, const QString& text) {
        const int index = list->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    static QStringList Entries(const QComboBox* list) {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
        return entries;
    }

    QStringList messages;
    bool started = false;

private:
    QTemporaryDir folder_;
    app::LibraryApi api_;
};

} // namespace scriba8::test
