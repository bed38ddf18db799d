// SPDX-License-Identifier: MIT
// A log that explains: under a failed command's line the cause and what to
// do, as scriba8 says it; a failed verify's differing bytes; a firmware
// update as a step of its own. Cases that need a programmer fault run in
// their own process with SCRIBA8_VIRTUAL_FAULTS set (CMakeLists.txt).
#include "window_fixture.h"

#include <QMessageBox>
#include <QProgressBar>

using namespace scriba8;
using namespace scriba8::test;
namespace ids = scriba8::appmain::ids;

namespace {

bool RunsWith(const char* faults) { return qgetenv("SCRIBA8_VIRTUAL_FAULTS") == faults; }

QMessageBox* ShownBox() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(top); box != nullptr && box->isVisible())
            return box;
    return nullptr;
}

} // namespace

class WindowLogTest : public QObject {
    Q_OBJECT

private slots:
    // A verify that fails says where, in the interface language.
    void failedVerifyNamesTheDifferingBytes() {
        WindowFixture f("VS8K116");
        std::vector<std::uint8_t> code = SomeCode(0x100, 7);
        f.load(f.writeFile(QStringLiteral("code.bin"), Bytes(code)));
        f.runCommand(ids::kErase);
        f.runCommand(ids::kProgram);
        code[5] = static_cast<std::uint8_t>(~code[5]);
        code[0x80] = static_cast<std::uint8_t>(code[0x80] ^ 0x01);
        f.window->FlashEditor()->SetData(code.data(), static_cast<std::uint32_t>(code.size()));
        f.runCommand(ids::kVerify);
        const QString read5 = QStringLiteral("%1").arg(~code[5] & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
        const QString expected5 = QStringLiteral("%1").arg(code[5], 2, 16, QLatin1Char('0')).toUpper();
        QString log = f.log();
        const qsizetype line = log.indexOf(QStringLiteral("003 - Verify =>Fail   ["));
        QVERIFY2(line >= 0, qPrintable(log));
        QVERIFY2(log.mid(line).contains(QStringLiteral("\"]\n   2 bytes differ:\n"
                                                        "     0x00000005  expected 0x") +
                                         expected5 + QStringLiteral(", read 0x") + read5 +
                                         QStringLiteral("\n     0x00000080  expected")),
                 qPrintable(log));
        QVERIFY2(log.endsWith(QStringLiteral("\n   The chip's contents differ from the file: program "
                                             "the chip again (erase it first).\n")),
                 qPrintable(log));

        f.window->SwitchLanguage(1);
        f.runCommand(ids::kVerify);
        log = f.log();
        QVERIFY2(log.contains(QStringLiteral("004 - 校验 =>失败   [")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("   2 个字节不一致：\n")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("芯片内容与文件不一致")), qPrintable(log));
        // Success needs no words.
        f.window->SwitchLanguage(0);
        f.runCommand(ids::kCheckId);
        QVERIFY2(f.log().endsWith(QStringLiteral("\"]\n")), qPrintable(f.log()));
    }

    // A programmer that stops answering: the result says only "Fail"; the
    // lines under it say why and what to do.
    void silentProgrammerIsNamedAsTheCause() {
        if (!RunsWith("no-reply=05/01")) QSKIP("runs with SCRIBA8_VIRTUAL_FAULTS=no-reply=05/01");
        WindowFixture f("VS8K116");
        f.load(f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(0x100))));
        f.runCommand(ids::kProgram);
        const QString log = f.log();
        QVERIFY2(log.contains(QStringLiteral("001 - Program =>Fail   [")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("\"]\n   Cause: the programmer did not answer a command\n"
                                             "   The programmer stopped answering: unplug the "
                                             "programmer, plug it in again and repeat the command.")),
                 qPrintable(log));
    }

    // An update of the programmer's firmware, answered yes, is a step of the
    // command it came with: it says it runs, shows that it runs, and ends
    // with its result; the command's own result follows on its own line.
    void firmwareUpdateIsAStepOfItsCommand() {
        if (!RunsWith("fw-main=0x00140001"))
            QSKIP("runs with SCRIBA8_VIRTUAL_FAULTS=fw-main=0x00140001");
        WindowFixture f("VS8K116");
        QProgressBar* bar = f.window->progress;
        f.click(ids::kErase);
        QTRY_VERIFY_WITH_TIMEOUT(ShownBox() != nullptr, kCommandTimeoutMs);
        QMessageBox* question = ShownBox();
        QCOMPARE(question->windowTitle(), QStringLiteral("Scriba8 T3Plus"));
        QTest::mouseClick(question->button(QMessageBox::Yes), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.log().contains(QStringLiteral("Update Programmer Firmware =>")),
                                 kCommandTimeoutMs);
        QTRY_VERIFY(bar->isVisible() && bar->maximum() == 0); // busy, no percentage
        QVERIFY(!f.window->Control(ids::kErase)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!f.window->CommandRunning(), kCommandTimeoutMs);
        const QString log = f.log();
        QVERIFY2(log.startsWith(QStringLiteral("000 - Erase =>\n"
                                               "       Update Programmer Firmware =>Pass   [")),
                 qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("\"]\n       Erase =>Pass   [")), qPrintable(log));
        QVERIFY(!bar->isVisible());
        QCOMPARE(bar->maximum(), 100);
        QVERIFY(f.window->Control(ids::kErase)->isEnabled());
    }
};

QTEST_MAIN(WindowLogTest)
#include "window_log_test.moc"
