// SPDX-License-Identifier: MIT
// The main window as a whole: start-up, settings file, language, layout, log.
#include "dialog_units.h"
#include "private_profile.h"
#include "tab_pages.h"
#include "texts.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QCheckBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTextCursor>
#include <QTest>

using namespace scriba8;
using namespace scriba8::test;
namespace ids = scriba8::appmain::ids;

namespace {

QString Caption(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* box = qobject_cast<QGroupBox*>(control)) return box->title();
    return {};
}

struct CaptionRow {
    int id;
    const char* english;
    const char* chinese;
};

// Every caption the language switch changes on the main window.
const CaptionRow kMainCaptions[] = {
    {ids::kPartNoLabel, "PartNo : ", "芯片型号 : "},
    {ids::kCodeBufferGroup, "Code Buffer", "代码缓冲区"},
    {ids::kOptionGroup, "H/W Option", "硬件选项"},
    {ids::kMessageGroup, "Message", "消息框"},
    {ids::kSetHead, "Set", "设置"},
    {ids::kNowHead, "Now", "读取"},
    {ids::kItemSetLabel, "Set", "设置"},
    {ids::kItemSetLabel + 5, "Set", "设置"},
    {ids::kItemNowLabel, "Now", "读取"},
    {ids::kItemNowLabel + 5, "Now", "读取"},
    {ids::kLoadFile, "Load File", "打开文件"},
    {ids::kSaveBuffer, "Save Buffer", "保存数据"},
    {ids::kSaveVlx, "Save VLX", "保存项目*.VLX"},
    {ids::kDumpTarget, "Dump Target", "读目标芯片"},
    {ids::kInsertIsp, "Insert ISP-code", "插入ISP代码"},
    {ids::kOffLineMode, "Off-Line Mode", "脱机模式"},
    {ids::kCheckId, "Check ID", "ID检测"},
    {ids::kErase, "Erase", "擦除"},
    {ids::kBlankCheck, "Blank Check", "空检测"},
    {ids::kProgram, "Program", "编程"},
    {ids::kEepromProgram, "EEPROM Program", "E方编程"},
    {ids::kVerify, "Verify", "校验"},
    {ids::kAuto, "Auto", "自动"},
    {ids::kWriteOptions, "Write Options", "写选项"},
    {ids::kReadOptions, "Read Options", "读选项"},
    {ids::kWholeChipErase, "WholeChip Erase", "整片擦除"},
    {ids::kClearLog, "Clear", "清除"},
    {ids::kEnableModifyBuffer, "Enable Modify Buffer", "开启修改缓冲区"},
    {ids::kAutoReload, "Auto Reload", "自动重载"},
    {ids::kReadChipChecksum, "Read Chip Checksum", "读取芯片检验和"},
};
const CaptionRow kFlashCaptions[] = {
    {ids::kFilePathLabel, "File Path : ", "文件路径 : "},
    {ids::kBufferSizeLabel, "Buffer Size : ", "缓冲区大小 : "},
    {ids::kBufferChecksumLabel, "Buffer Checksum : ", "缓冲区检验和 : "},
    {ids::kChecksumLabel, "Chip Checksum : ", "芯片检验和 : "},
};

QStringList WrongCaptions(CScriba8_T3Plus_APDlg& window, bool chinese) {
    QStringList wrong;
    const auto check = [&](QWidget* control, const CaptionRow& row) {
        const QString expected = QString::fromUtf8(chinese ? row.chinese : row.english);
        if (Caption(control) != expected)
            wrong << QStringLiteral("%1: \"%2\"").arg(row.id).arg(Caption(control));
    };
    for (const CaptionRow& row : kMainCaptions) check(window.Control(row.id), row);
    for (const CaptionRow& row : kFlashCaptions) check(window.flashPage->Control(row.id), row);
    check(window.eepromPage->Control(ids::kChecksumLabel),
          {ids::kChecksumLabel, "Check Sum : ", "检验和 : "});
    return wrong;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartUsesDefaultsAndWritesOnlyTheCloseKeys() {
        WindowFixture fixture;
        auto window = fixture.Start();
        QVERIFY(fixture.started);
        QCOMPARE(window->context.partIndex, kChip8K);
        QCOMPARE(window->chipList->currentText(), QStringLiteral("FAKE8K"));
        QCOMPARE(window->language, 0);
        QCOMPARE(window->updateTips, 0);
        QVERIFY(window->loadFileFolder.empty());
        QCOMPARE(window->windowTitle(), QStringLiteral("vorlane Scriba8 T3Plus v1.5.0.15"));
        QVERIFY(window->englishAction->isChecked());
        QVERIFY(!window->chineseAction->isChecked());
        QVERIFY(!window->Control(ids::kEngineer)->isVisibleTo(window.get()));
        QVERIFY(!window->progress->isVisibleTo(window.get()));
        QCOMPARE(window->tabs->count(), 1); // no EEPROM tab for a chip without EEPROM
        QVERIFY2(!QFile::exists(fixture.SettingsPath()), "nothing written before the close");

        // Esc closes the window the way the close box does, saving first.
        window->show();
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(fixture.ReadSettings(), QByteArray("[Setting]\n"
                                                    "LastPartNo=0\n"
                                                    "LoadFilePath=\n"
                                                    "InsertISPPath=\n"
                                                    "SaveBufferPath=\n"
                                                    "SaveVLXPath=\n"));
    }

    void aHandWrittenSettingsFileKeepsEverythingButTheChangedKeys() {
        WindowFixture fixture;
        const QByteArray original = "; written by hand\r\n"
                                    "[Other]\r\n"
                                    "LastPartNo=99\r\n"
                                    "\r\n"
                                    "[SETTING]\r\n"
                                    "lastpartno = 3 ; the 16K part\r\n"
                                    "LOADFILEPATH=\"/data/hex files/\"\r\n"
                                    "SaveVlxPath='/data/projects/'\r\n"
                                    "InsertISPPath=NULL\r\n"
                                    "language=0\r\n";
        fixture.WriteSettings(original);
        auto window = fixture.Start();
        QCOMPARE(window->context.partIndex, kChip16K);
        QCOMPARE(window->loadFileFolder, std::string("/data/hex files/"));
        QCOMPARE(window->saveVlxFolder, std::string("/data/projects/"));
        QVERIFY2(window->insertIspFolder.empty(), "NULL means no folder");

        WindowFixture::ChooseChip(*window, "Series C", "FAKE64K");
        window->reject();
        QByteArray expected = original;
        expected.replace("lastpartno = 3 ; the 16K part", "lastpartno = 2");
        expected.replace("InsertISPPath=NULL", "InsertISPPath=");
        expected += "SaveBufferPath=\r\n";
        QCOMPARE(fixture.ReadSettings(), expected);

        auto again = fixture.Start();
        QCOMPARE(again->chipList->currentText(), QStringLiteral("FAKE64K"));
    }

    void unusualRowsAndLanguagesStillStart() {
        WindowFixture fixture;
        // A row the chip table lacks, a language other than 0 or 1.
        // A folder longer than the 255 characters taken, in a multi-byte script.
        const QByteArray longFolder = "/" + QString(100, QChar(0x4E2D)).toUtf8();
        fixture.WriteSettings("[Setting]\nLastPartNo=4000\nLanguage=2\nLoadFilePath=" + longFolder + "\n");
        auto window = fixture.Start();
        QCOMPARE(window->context.partIndex, kChip8K);
        QCOMPARE(QByteArray::fromStdString(window->loadFileFolder), longFolder.left(253));
        QCOMPARE(Caption(window->Control(ids::kLoadFile)), QStringLiteral("打开文件"));
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("沃岚科技 Scriba8 T3Plus v")));
        QVERIFY2(window->englishAction->isChecked(), "value 2 leaves the marks as they were");
        QVERIFY(!window->chineseAction->isChecked());

        // The series of bits 14 and up are not offered, nor is their chip
        // selected again.
        fixture.WriteSettings("[Setting]\nLastPartNo=4\n");
        QCOMPARE(fixture.Start()->context.partIndex, kChip8K);
        QCOMPARE(WindowFixture::Entries(window->seriesList),
                 QStringList({QStringLiteral("Series A"), QStringLiteral("Series C")}));
    }

    void anEmptyChipTableEndsTheStart() {
        WindowFixture fixture;
        const app::LibraryApi empty = EmptyChipApi();
        auto window = fixture.Start(&empty);
        QVERIFY(!fixture.started);
        QCOMPARE(fixture.messages, QStringList(QStringLiteral("DLL does not have any body info !")));
    }

    void switchingTheLanguageChangesEveryCaptionAndIsKept() {
        WindowFixture fixture;
        auto window = fixture.Start();
        QCOMPARE(WrongCaptions(*window, false), QStringList());

        window->chineseAction->trigger();
        QCOMPARE(WrongCaptions(*window, true), QStringList());
        QVERIFY(window->chineseAction->isChecked());
        QVERIFY(!window->englishAction->isChecked());
        QCOMPARE(app::ReadProfileInt(fixture.SettingsPath().toStdString(), "Setting", "Language", -1), 1);
        QCOMPARE(Caption(window->Control(ids::kEngineer)), QStringLiteral("Engineer"));
        // The bit tips follow the language.
        QCOMPARE(window->Control(ids::kBitName)->toolTip(), QStringLiteral("加密锁定"));

        auto next = fixture.Start();
        QCOMPARE(WrongCaptions(*next, true), QStringList());
        next->englishAction->trigger();
        QCOMPARE(WrongCaptions(*next, false), QStringList());
        QCOMPARE(next->Control(ids::kBitName)->toolTip(), QStringLiteral("Lock the code"));
    }

    void aProgramFolderItCannotWriteSendsTheSettingsToTheConfigurationFolder() {
        WindowFixture fixture;
        QTemporaryDir config;
        // A file stands where the program's folder would be.
        const QString notAFolder = fixture.Folder() + QStringLiteral("/program");
        QFile(notAFolder).open(QIODevice::WriteOnly);
        appmain::WindowEnvironment environment;
        const app::LibraryApi api = FakeChipApi();
        environment.api = &api;
        environment.programFolder = notAFolder.toStdString();
        environment.configFolder = (config.path() + QStringLiteral("/deeper/Scriba8")).toStdString();
        CScriba8_T3Plus_APDlg window(environment);
        QVERIFY(window.Initialise());
        window.SwitchLanguage(1);
        window.reject();
        const QString written = config.path() + QStringLiteral("/deeper/Scriba8/Setting.ini");
        QCOMPARE(QString::fromStdString(window.SettingsFilePath()), written);
        QCOMPARE(app::ReadProfileInt(written.toStdString(), "Setting", "Language", -1), 1);
        QCOMPARE(app::ReadProfileString(written.toStdString(), "Setting", "LastPartNo", "?"),
                 std::string("0"));
    }

    void theLogOnlyGrowsAtItsEndAndClearRestartsTheNumbers() {
        WindowFixture fixture;
        auto window = fixture.Start();
        window->operationLog.finishCommand(window->operationLog.startCommand(app::texts::kCheckId));
        // The operator selects the start of the text; new text still goes to the end.
        QTextCursor selection(window->logEdit->document());
        selection.setPosition(0);
        selection.setPosition(3, QTextCursor::KeepAnchor);
        window->logEdit->setTextCursor(selection);
        window->AppendLog("%03d - %s =>", 7, "Erase");
        window->LogResult(S8_NO_PROGRAMMER);
        QVERIFY(window->LogText().startsWith(QStringLiteral("000 - Check ID =>")));
        QVERIFY(window->LogText().endsWith(QStringLiteral("\n007 - Erase =>Connect error")));

        QTest::mouseClick(window->Control(ids::kClearLog), Qt::LeftButton);
        QCOMPARE(window->LogText(), QString());
        window->operationLog.startCommand(app::texts::kVerify);
        QCOMPARE(window->LogText(), QStringLiteral("000 - Verify =>"));

        window->SwitchLanguage(1);
        window->LogResult(101);
        QCOMPARE(window->LogText(), QStringLiteral("000 - Verify =>成功"));
    }

    void controlsSitAtTheirDialogUnitPositionsAndNoCaptionIsCut() {
        WindowFixture fixture;
        auto window = fixture.Start();
        const appmain::DialogUnits units(appmain::InterfaceFont());
        QCOMPARE(window->Control(ids::kLoadFile)->geometry(), units.Rect(7, 53, 65, 14));
        QCOMPARE(window->Control(ids::kAuto)->geometry(), units.Rect(502, 53 + 24 * 6, 65, 14));
        QCOMPARE(window->Control(ids::kItemNowBox + 5)->geometry(),
                 units.Rect(52 + 136, 270 + 96, 87, 14));
        QCOMPARE(window->Control(ids::kBitSetBox + 13)->geometry(), units.Rect(288, 233 + 143, 10, 10));
        QCOMPARE(window->Control(ids::kClearLog)->geometry(), units.Rect(485, 372, 76, 14));

        for (const int language : {0, 1}) {
            window->ApplyLanguage(language);
            QStringList cut;
            const auto fits = [&](QWidget* control) {
                const QString text = Caption(control).remove(QLatin1Char('&'));
                if (text.isEmpty() || qobject_cast<QGroupBox*>(control) != nullptr) return;
                // The room the style leaves for the text inside the control.
                QRect room = control->contentsRect();
                if (auto* button = qobject_cast<QPushButton*>(control)) {
                    QStyleOptionButton option;
                    option.initFrom(button);
                    room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
                } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
                    QStyleOptionButton option;
                    option.initFrom(box);
                    room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
                }
                const QFontMetrics metrics = control->fontMetrics();
                if (metrics.horizontalAdvance(text) > room.width() || metrics.height() > room.height())
                    cut << QStringLiteral("%1 \"%2\" needs %3 x %4 of %5 x %6")
                               .arg(control->property("controlId").toInt())
                               .arg(text)
                               .arg(metrics.horizontalAdvance(text))
                               .arg(metrics.height())
                               .arg(room.width())
                               .arg(room.height());
            };
            for (const CaptionRow& row : kMainCaptions) fits(window->Control(row.id));
            for (const CaptionRow& row : kFlashCaptions) fits(window->flashPage->Control(row.id));
            fits(window->eepromPage->Control(ids::kChecksumLabel));
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
