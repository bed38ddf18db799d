// SPDX-License-Identifier: MIT
// Part selection, the option panel, the buffer pages and the customer string.
#include "customer_setting_dialog.h"
#include "hex_edit_base.h"
#include "tab_pages.h"
#include "texts.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <cstring>

using namespace scriba8;
using namespace scriba8::test;
namespace ids = scriba8::appmain::ids;
using scriba8::appmain::SelectionTarget;

namespace {

bool Enabled(const CScriba8_T3Plus_APDlg& window, int id) { return window.Control(id)->isEnabled(); }

QComboBox* List(const CScriba8_T3Plus_APDlg& window, int slot) {
    return window.ControlAs<QComboBox>(ids::kItemSetList + slot);
}

} // namespace

class WindowPanelsTest : public QObject {
    Q_OBJECT

private slots:
    void aChipWithEepromShowsItsTabAndAnErasedBuffer() {
        WindowFixture fixture;
        auto window = fixture.Start();
        WindowFixture::ChooseChip(*window, "Series A", "FAKEE2");
        QCOMPARE(window->context.partIndex, kChipEeprom);
        QCOMPARE(window->tabs->count(), 2);
        QCOMPARE(window->tabs->tabText(1), QStringLiteral("EEPROM"));
        QCOMPARE(window->EepromEditor()->Length(), 512u);
        std::uint8_t first = 0;
        window->EepromEditor()->GetData(&first, 1);
        QCOMPARE(first, std::uint8_t{0xFF});
        QCOMPARE(window->eepromPage->BoxText(ids::kEepromChecksum), QStringLiteral("FE00"));

        // Typing a digit changes the byte and the checksum at once.
        window->tabs->setCurrentIndex(1);
        window->EepromEditor()->setFocus();
        QTest::keyClick(window->EepromEditor(), Qt::Key_5);
        window->EepromEditor()->GetData(&first, 1);
        QCOMPARE(first, std::uint8_t{0x5F});
        QCOMPARE(window->eepromPage->BoxText(ids::kEepromChecksum), QStringLiteral("FD60"));
        QVERIFY(Enabled(*window, ids::kEepromProgram));
        QVERIFY(!Enabled(*window, ids::kErase) && !Enabled(*window, ids::kBlankCheck));

        WindowFixture::ChooseChip(*window, "Series A", "FAKE8K");
        QCOMPARE(window->tabs->count(), 1);
        QCOMPARE(window->eepromPage->BoxText(ids::kEepromChecksum), QStringLiteral("0000"));
    }

    void aChipChangeResetsTheLogTheRecordAndTheButtons() {
        WindowFixture fixture;
        auto window = fixture.Start();
        QVERIFY(!Enabled(*window, ids::kSaveBuffer) && !Enabled(*window, ids::kSaveVlx) &&
                !Enabled(*window, ids::kAuto));
        QVERIFY(!Enabled(*window, ids::kReadChipChecksum));
        QCOMPARE(window->context.serialAddress, 0x2000u - 16);
        QCOMPARE(window->context.autoProcess, std::uint16_t{0x001F});

        window->operationLog.startCommand(app::texts::kProgram);
        window->operationLog.startCommand(app::texts::kProgram);
        window->context.autoProcess = 0x0040;
        window->context.serialAddress = 0x100;
        std::strcpy(window->context.projectFile, "/tmp/old.vlx");
        window->buffers.loadOffset = 0x800;
        window->flashPage->SetBoxText(ids::kFlashFilePath, QStringLiteral("old.hex"));
        window->OnBufferLoaded();
        QVERIFY(Enabled(*window, ids::kSaveBuffer) && Enabled(*window, ids::kProgram));

        WindowFixture::ChooseChip(*window, "Series A", "FAKEE2");
        QCOMPARE(window->LogText(), QString());
        QCOMPARE(window->operationLog.counter(), 0);
        QCOMPARE(window->context.autoProcess, std::uint16_t{0x001F});
        QCOMPARE(window->context.serialAddress, 0x3BF0u);
        QCOMPARE(window->context.projectFile[0], '\0');
        QCOMPARE(window->buffers.loadOffset, 0u);
        QCOMPARE(window->flashPage->BoxText(ids::kFlashFilePath), QString());
        QCOMPARE(window->context.eepromLength, 512u);
        // With EEPROM the project buttons work at once; Program waits for code.
        QVERIFY(Enabled(*window, ids::kSaveBuffer) && Enabled(*window, ids::kSaveVlx) &&
                Enabled(*window, ids::kAuto));
        QVERIFY(!Enabled(*window, ids::kProgram) && !Enabled(*window, ids::kVerify));
        QVERIFY(!Enabled(*window, ids::kEepromProgram));
        QVERIFY(Enabled(*window, ids::kErase) && Enabled(*window, ids::kBlankCheck));
        QVERIFY(Enabled(*window, ids::kReadChipChecksum));
    }

    void theTabDecidesWhichBufferButtonsWork() {
        WindowFixture fixture;
        auto window = fixture.Start();
        WindowFixture::ChooseChip(*window, "Series A", "FAKEE2");
        const std::uint8_t code[4] = {0x02, 0x00, 0x30, 0x22};
        window->FlashEditor()->SetData(code, sizeof code);
        window->tabs->setCurrentIndex(1);
        QCOMPARE(window->currentTab, 1);
        for (const int id : {ids::kErase, ids::kBlankCheck, ids::kProgram, ids::kVerify})
            QVERIFY2(!Enabled(*window, id), qPrintable(QString::number(id)));
        QVERIFY(Enabled(*window, ids::kEepromProgram));
        window->tabs->setCurrentIndex(0);
        QCOMPARE(window->currentTab, 0);
        for (const int id : {ids::kErase, ids::kBlankCheck, ids::kProgram, ids::kVerify})
            QVERIFY2(Enabled(*window, id), qPrintable(QString::number(id)));
        QVERIFY(!Enabled(*window, ids::kEepromProgram));
    }

    void reselectingKeepsTheRecordAndAShownSelectionSurvives() {
        WindowFixture fixture;
        auto window = fixture.Start();
        // As a project load leaves it: another chip, its own selection and fields.
        ContextRecord loaded = window->context;
        loaded.partIndex = kChip64K;
        loaded.itemValue[0] = 1; // 1.0 k ISP
        loaded.itemValue[1] = 6; // 3.0 k IAP
        loaded.itemValue[2] = 2;
        loaded.bitValue[1] = 1;
        loaded.autoProcess = 0x00C4;
        std::strcpy(loaded.projectFile, "/data/p.vlx");
        window->context = loaded;
        window->ReselectChip();
        window->ShowSelection(loaded, SelectionTarget::set);
        WindowFixture::Settle();
        QCOMPARE(window->chipList->currentText(), QStringLiteral("FAKE64K"));
        QCOMPARE(window->context.autoProcess, std::uint16_t{0x00C4});
        QCOMPARE(QString::fromLatin1(window->context.projectFile), QStringLiteral("/data/p.vlx"));
        for (int k = 0; k < 3; ++k) QCOMPARE(window->context.itemValue[k], loaded.itemValue[k]);
        QCOMPARE(window->context.bitValue[1], 1u);
        QCOMPARE(List(*window, 1)->currentText(), QStringLiteral("3.0 k"));
    }

    void iapListsFollowTheFlashAndIspSizes() {
        WindowFixture fixture;
        auto window = fixture.Start();
        QCOMPARE(List(*window, 0)->count(), 4);
        QCOMPARE(WindowFixture::Entries(List(*window, 0)),
                 QStringList({"0.0 k", "1.0 k", "2.0 k", "4.0 k"}));
        QCOMPARE(List(*window, 1)->count(), 17);
        QCOMPARE(List(*window, 1)->itemText(16), QStringLiteral("8.0 k"));

        WindowFixture::ChooseChip(*window, "Series C", "FAKE64K");
        QStringList entries = WindowFixture::Entries(List(*window, 1));
        QCOMPARE(entries.size(), 128);
        QCOMPARE(entries.mid(0, 3), QStringList({"0.0 k", "1.0 k", "1.5 k"}));
        QCOMPARE(entries.last(), QStringLiteral("64.0 k"));
        WindowFixture::Choose(List(*window, 0), QStringLiteral("1.0 k"));
        entries = WindowFixture::Entries(List(*window, 1));
        QCOMPARE(entries.size(), 127);
        QCOMPARE(entries.mid(0, 2), QStringList({"0.0 k", "0.5 k"}));
        QCOMPARE(entries.last(), QStringLiteral("63.0 k"));

        // 16 KB: a bigger ISP area shortens the list to its last entry, a
        // smaller one keeps the chosen size.
        WindowFixture::ChooseChip(*window, "Series C", "FAKE16K");
        WindowFixture::Choose(List(*window, 1), QStringLiteral("14.0 k"));
        WindowFixture::Choose(List(*window, 0), QStringLiteral("4.0 k"));
        QCOMPARE(List(*window, 1)->currentText(), QStringLiteral("12.0 k"));
        QCOMPARE(List(*window, 1)->count(), 25);
        QCOMPARE(window->context.itemValue[1], 24);
        WindowFixture::Choose(List(*window, 0), QStringLiteral("0.0 k"));
        WindowFixture::Choose(List(*window, 1), QStringLiteral("14.0 k"));
        WindowFixture::Choose(List(*window, 0), QStringLiteral("1.0 k"));
        QCOMPARE(List(*window, 1)->currentText(), QStringLiteral("14.0 k"));
        QCOMPARE(window->context.itemValue[0], 1);
        QCOMPARE(window->context.itemValue[1], 28);
    }

    void every64KIapValueSurvivesBeingShownAgain() {
        WindowFixture fixture;
        auto window = fixture.Start();
        WindowFixture::ChooseChip(*window, "Series C", "FAKE64K");
        QComboBox* iap = List(*window, 1);
        for (int entry = 0; entry < iap->count(); ++entry) {
            const QString text = iap->itemText(entry);
            WindowFixture::Choose(iap, text);
            const ContextRecord chosen = window->context;
            QCOMPARE(chosen.itemValue[1], entry);

            // Shown again into settled lists ...
            window->ShowSelection(chosen, SelectionTarget::set);
            WindowFixture::Settle();
            QCOMPARE(window->context.itemValue[1], entry);
            QCOMPARE(iap->currentText(), text);

            // ... and, as after a project load, right after the chip was
            // selected again while the panel's notifications are pending.
            window->context = chosen;
            window->ReselectChip();
            window->ShowSelection(chosen, SelectionTarget::set);
            WindowFixture::Settle();
            QCOMPARE(window->context.itemValue[1], entry);
            QCOMPARE(iap->currentText(), text);
        }
    }

    void linkedBitsNamesTipsAndEmptySlots() {
        WindowFixture fixture;
        auto window = fixture.Start();
        WindowFixture::ChooseChip(*window, "Series C", "FAKE64K");
        auto* hwenw = window->ControlAs<QCheckBox>(ids::kBitSetBox);
        QCOMPARE(window->ControlAs<QLabel>(ids::kBitName)->text(), QStringLiteral("HWENW"));
        QCOMPARE(hwenw->toolTip(), QStringLiteral("Hardware watchdog"));
        QVERIFY2(!List(*window, 3)->isEnabled(), "HWPSx waits for HWENW");
        QTest::mouseClick(hwenw, Qt::LeftButton, {}, QPoint(hwenw->width() / 2, hwenw->height() / 2));
        QVERIFY(hwenw->isChecked());
        QCOMPARE(window->context.bitValue[0], 1u);
        QVERIFY(List(*window, 3)->isEnabled());
        QTest::mouseClick(hwenw, Qt::LeftButton, {}, QPoint(hwenw->width() / 2, hwenw->height() / 2));
        QVERIFY(!List(*window, 3)->isEnabled());
        QCOMPARE(window->context.bitValue[0], 0u);

        // Slots 4, 5 and bits 2.. are empty.
        QCOMPARE(window->ControlAs<QGroupBox>(ids::kItemGroup + 4)->title(), QStringLiteral("NA"));
        for (const int id : {ids::kItemGroup + 4, ids::kItemSetList + 4, ids::kItemSetLabel + 4,
                             ids::kItemNowLabel + 4, ids::kBitSetBox + 2, ids::kBitName + 2})
            QVERIFY2(!Enabled(*window, id), qPrintable(QString::number(id)));
        QCOMPARE(window->ControlAs<QLabel>(ids::kBitName + 2)->text(), QString());
        QCOMPARE(window->Control(ids::kBitName + 2)->toolTip(), QString());
        for (int j = 0; j < ids::kBitSlots; ++j) QVERIFY(!Enabled(*window, ids::kBitNowBox + j));
    }

    void theNowColumnShowsWhatWasReadAndAChipChangeEmptiesIt() {
        WindowFixture fixture;
        auto window = fixture.Start();
        WindowFixture::ChooseChip(*window, "Series A", "FAKEE2");
        ContextRecord read = window->context;
        read.itemValue[0] = 1;
        read.itemValue[2] = 2;
        read.bitValue[0] = 1;
        window->ShowSelection(read, SelectionTarget::now);
        QCOMPARE(window->ControlAs<QLineEdit>(ids::kItemNowBox)->text(), QStringLiteral("1.0 k"));
        QCOMPARE(window->ControlAs<QLineEdit>(ids::kItemNowBox + 2)->text(), QStringLiteral("Not support read"));
        QVERIFY(window->ControlAs<QCheckBox>(ids::kBitNowBox)->isChecked());
        QCOMPARE(window->context.itemValue[0], 0); // the Set column is not touched

        window->SwitchLanguage(1);
        window->ShowSelection(read, SelectionTarget::now);
        QCOMPARE(window->ControlAs<QLineEdit>(ids::kItemNowBox + 2)->text(), QStringLiteral("不支持读取"));

        // A decoded 64 KB value counts its pages as they are.
        WindowFixture::ChooseChip(*window, "Series C", "FAKE64K");
        QCOMPARE(window->ControlAs<QLineEdit>(ids::kItemNowBox)->text(), QString());
        read = window->context;
        read.itemValue[1] = 3;
        window->ShowSelection(read, SelectionTarget::now);
        QCOMPARE(window->ControlAs<QLineEdit>(ids::kItemNowBox + 1)->text(), QStringLiteral("1.5 k"));
    }

    void theCustomerStringTakesPrintableTextUpToSixteenCharacters() {
        ContextRecord record{};
        std::memset(record.customerString, 0xFF, sizeof record.customerString);
        CCustomerSettingDlg dialog(record, app::Language::english);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Customer string"));
        QTest::keyClicks(dialog.Edit(), QStringLiteral("A B\tC"));
        QCOMPARE(dialog.Edit()->text(), QStringLiteral("ABC"));
        const std::uint8_t abc[16] = {0x41, 0x42, 0x43, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        QVERIFY(std::memcmp(record.customerString, abc, 16) == 0);

        CCustomerSettingDlg reopened(record, app::Language::chinese);
        QCOMPARE(reopened.windowTitle(), QStringLiteral("自定义字符串"));
        QCOMPARE(reopened.Edit()->text(), QStringLiteral("ABC"));
        QTest::keyClicks(reopened.Edit(), QStringLiteral("DEFGHIJKLMNOPQRS"));
        QCOMPARE(reopened.Edit()->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
        QCOMPARE(record.customerString[15], std::uint8_t{'P'});

        // A paste goes through the same rule as typing.
        reopened.Edit()->selectAll();
        reopened.Edit()->insert(QStringLiteral("has space"));
        QCOMPARE(reopened.Edit()->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
        reopened.Edit()->clear();
        for (const std::uint8_t byte : record.customerString) QCOMPARE(byte, std::uint8_t{0xFF});
    }
};

QTEST_MAIN(WindowPanelsTest)
#include "window_panels_test.moc"
