// SPDX-License-Identifier: MIT
// The engineer window opened from the main window: it reads the definition
// file of the current folder, logs into the main window's log and leaves
// the code buffers alone.
#include "control_ids.h"
#include "engineer_dlg.h"
#include "main_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

using scriba8::engineer::CEngineerDlg;

class EngineerWindowTest : public QObject {
    Q_OBJECT

private slots:
    void opensFromTheMainWindowAndLogsThere() {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(QStringLiteral(SCRIBA8_SOURCE_DIR "/examples/Engineer.ini"),
                            folder.filePath(QStringLiteral("Engineer.ini"))));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));

        scriba8::appmain::WindowEnvironment environment;
        environment.programFolder = folder.path().toStdString();
        environment.configFolder = folder.path().toStdString();
        environment.showMessage = [](const QString&) {};
        CScriba8_T3Plus_APDlg window(environment);
        QVERIFY(window.Initialise());
        window.show();
        QVERIFY(!window.Control(scriba8::appmain::ids::kEngineer)->isVisible());

        const std::uint8_t* flashData = window.context.flashData;
        const auto flashLength = window.context.flashLength;
        window.OnEngineer();
        window.OnEngineer();
        const auto windows = window.findChildren<CEngineerDlg*>();
        QCOMPARE(windows.size(), 2); // every opening is a window of its own
        CEngineerDlg* engineer = windows.front();
        QVERIFY(engineer->isVisible());
        QCOMPARE(engineer->Tabs()->count(), 4);
        QCOMPARE(engineer->Tabs()->tabText(0), QStringLiteral("Option"));

        window.OnClearLog();
        engineer->Sheet(0)->Write();
        engineer->Sheet(0)->Read();
        QVERIFY(window.LogText().startsWith(QStringLiteral("000 - Write Engineer OR =>Pass   [")));
        QVERIFY(window.LogText().contains(QStringLiteral("001 - Read Engineer OR =>Pass   [")));
        QCOMPARE(window.context.flashData, flashData);
        QCOMPARE(window.context.flashLength, flashLength);
        QCOMPARE(QFileInfo(folder.filePath(QStringLiteral("Sheet0.bin"))).size(), 8);

        QPointer<CEngineerDlg> closed = engineer;
        engineer->close();
        QTRY_VERIFY(closed.isNull());
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(EngineerWindowTest)
#include "engineer_window_test.moc"
