// SPDX-License-Identifier: MIT
// The select-area and insert-ISP dialogs, driven by their control ids.
#include "insert_isp_dialog.h"
#include "select_area_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace scriba8::app;

namespace {

template <typename T>
T* control(QWidget& dialog, int id) {
    T* found = dialog.findChild<T*>(QStringLiteral("control%1").arg(id));
    if (found == nullptr) qFatal("control %d not found", id);
    return found;
}

// Clicks where the box or the round button is drawn: a wide control reacts
// only to clicks on its indicator and text.
void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void clickOk(QDialog& dialog) { click(control<QPushButton>(dialog, 1)); }

} // namespace

class ProjectDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void selectAreaProposesTheDataAreaBelowTheTop() {
        CSelectAreaDlg dialog(Language::english, 0x10000, FillMode::none);
        auto* address = control<QLineEdit>(dialog, 1124);
        QCOMPARE(address->text(), QStringLiteral("0000EC00"));
        QVERIFY(!address->isEnabled());
        QVERIFY(control<QRadioButton>(dialog, 1121)->isChecked());
        QVERIFY(control<QCheckBox>(dialog, 1243)->isChecked());
        // A chip smaller than the data area proposes its bottom.
        CSelectAreaDlg small(Language::english, 0x1000, FillMode::none);
        QCOMPARE(control<QLineEdit>(small, 1124)->text(), QStringLiteral("00000000"));
    }

    void selectAreaReadsTheTypedAddressOnlyForTheDataArea() {
        CSelectAreaDlg dialog(Language::english, 0x10000, FillMode::none);
        dialog.show();
        auto* address = control<QLineEdit>(dialog, 1124);
        click(control<QRadioButton>(dialog, 1122));
        QVERIFY(address->isEnabled());
        address->clear();
        QTest::keyClicks(address, QStringLiteral("8000"));
        QCOMPARE(dialog.choice().loadOffset, 0x8000u);

        // Only hex digits, at most eight of them.
        address->clear();
        QTest::keyClicks(address, QStringLiteral("1g2Z3fFfF9A"));
        QCOMPARE(address->text(), QStringLiteral("123fFfF9"));
        QCOMPARE(dialog.choice().loadOffset, 0x123FFFF9u);
        address->clear();
        QCOMPARE(dialog.choice().loadOffset, 0u);

        click(control<QRadioButton>(dialog, 1121));
        QVERIFY(!address->isEnabled());
        QCOMPARE(dialog.choice().loadOffset, 0u);
    }

    void selectAreaFillControlsFollowTheClearBox() {
        // A buffer filled with 0x00 that is not cleared keeps its mode.
        CSelectAreaDlg dialog(Language::english, 0x2000, FillMode::zeros);
        dialog.show();
        auto* fill = control<QCheckBox>(dialog, 1832);
        auto* zeros = control<QRadioButton>(dialog, 1830);
        auto* clear = control<QCheckBox>(dialog, 1243);
        QVERIFY(fill->isChecked());
        QVERIFY(zeros->isChecked());
        QVERIFY(fill->isEnabled() && zeros->isEnabled());
        click(clear);
        QVERIFY(!fill->isEnabled() && !zeros->isEnabled());
        click(clear);
        QVERIFY(fill->isEnabled());
        click(fill);
        QVERIFY(!zeros->isEnabled());
        QCOMPARE(dialog.choice().fillMode, FillMode::none);
        QVERIFY(dialog.choice().clearBeforeLoad);

        // An unfilled buffer proposes 0xFF once the box is ticked.
        CSelectAreaDlg fresh(Language::english, 0x2000, FillMode::none);
        fresh.show();
        QVERIFY(!control<QRadioButton>(fresh, 1831)->isEnabled());
        click(control<QCheckBox>(fresh, 1832));
        QVERIFY(control<QRadioButton>(fresh, 1831)->isChecked());
        QCOMPARE(fresh.choice().fillMode, FillMode::ones);
    }

    void selectAreaSpeaksChinese() {
        CSelectAreaDlg dialog(Language::chinese, 0x2000, FillMode::none);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("选择插入区域"));
        QCOMPARE(control<QPushButton>(dialog, 2)->text(), QStringLiteral("取消"));
    }

    void insertIspNeedsAFileForUserCode() {
        QString folder = QStringLiteral("/start/");
        QString askedIn;
        CInsertISPDlg dialog(Language::english, FillMode::none, folder, nullptr,
                             [&](QWidget*, const QString& from) {
                                 askedIn = from;
                                 return QStringLiteral("/isp/boot.hex");
                             });
        dialog.show();
        auto* browse = control<QPushButton>(dialog, 1107);
        QVERIFY(!browse->isEnabled());
        click(control<QRadioButton>(dialog, 1105));
        QVERIFY(browse->isEnabled());

        clickOk(dialog);
        QVERIFY(dialog.isVisible()); // no file yet: the dialog stays
        QCOMPARE(dialog.QDialog::result(), 0);

        click(browse);
        QCOMPARE(askedIn, QStringLiteral("/start/"));
        QCOMPARE(control<QLineEdit>(dialog, 1026)->text(), QStringLiteral("/isp/boot.hex"));
        QCOMPARE(folder, QStringLiteral("/isp/"));
        clickOk(dialog);
        QCOMPARE(dialog.QDialog::result(), int(QDialog::Accepted));
        const IspDialogResult chosen = dialog.chosen();
        QVERIFY(!chosen.code.builtIn);
        QCOMPARE(QString::fromStdString(chosen.code.userFile), QStringLiteral("/isp/boot.hex"));
        QCOMPARE(chosen.fillMode, FillMode::none);
    }

    void insertIspKeepsTheModeOfAFilledBuffer() {
        QString folder;
        CInsertISPDlg filled(Language::english, FillMode::ones, folder);
        for (int id : {1832, 1830, 1831})
            QVERIFY(!filled.findChild<QWidget*>(QStringLiteral("control%1").arg(id))->isEnabled());
        QVERIFY(control<QCheckBox>(filled, 1832)->isChecked());
        QVERIFY(control<QRadioButton>(filled, 1831)->isChecked());
        QCOMPARE(filled.chosen().fillMode, FillMode::ones);
        QVERIFY(filled.chosen().code.builtIn);

        CInsertISPDlg empty(Language::english, FillMode::none, folder);
        empty.show();
        click(control<QCheckBox>(empty, 1832));
        QVERIFY(control<QRadioButton>(empty, 1830)->isEnabled());
        click(control<QRadioButton>(empty, 1830));
        QCOMPARE(empty.chosen().fillMode, FillMode::zeros);
    }

    // With SCRIBA8_SCREENSHOTS set to a folder, both dialogs in both
    // languages are saved there, to look at their layout.
    void screenshots() {
        const QString folder = qEnvironmentVariable("SCRIBA8_SCREENSHOTS");
        if (folder.isEmpty()) QSKIP("SCRIBA8_SCREENSHOTS not set");
        for (Language language : {Language::english, Language::chinese}) {
            const QString suffix = language == Language::english ? "-en.png" : "-zh.png";
            CSelectAreaDlg area(language, 0x10000, FillMode::none);
            area.show();
            QVERIFY(QTest::qWaitForWindowExposed(&area));
            QVERIFY(area.grab().save(QDir(folder).filePath("select-area" + suffix)));
            QString ispFolder;
            CInsertISPDlg isp(language, FillMode::none, ispFolder);
            isp.show();
            QVERIFY(QTest::qWaitForWindowExposed(&isp));
            QVERIFY(isp.grab().save(QDir(folder).filePath("insert-isp" + suffix)));
        }
    }
};

QTEST_MAIN(ProjectDialogsTest)
#include "project_dialogs_test.moc"
