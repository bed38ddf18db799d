// SPDX-License-Identifier: MIT
// The engineer window and its sheets on screen: tabs, bit boxes, Write and
// Read with their log lines and data files, the compare highlighting, Sync
// and scrolling.
#include "engineer_dlg.h"
#include "definition_text.h"
#include "hex_edit_base.h"
#include "operation_log.h"
#include "sheets.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace scriba8::engineer;
using engineer_test::Entries;
using engineer_test::MemoryProfile;

namespace {

const QColor kHighlightFill(255, 190, 190);
const QColor kRed(255, 0, 0);

Entries OptionSheets() {
    return {
        {"Main/SheetCount", "4"},
        {"Sheet0/Name", "Option"},
        {"Sheet1/Name", "Config"},
        {"Sheet2/Name", "Calibration"},
        {"Sheet3/Name", "Block"},
        {"Sheet0/WriteOfBytes", "4"},
        {"Sheet0/ReadOfBytes", "4"},
        {"Sheet0/ItemCount", "3"},
        {"Sheet0/Item00_Name", "OR0"},
        {"Sheet0/Item00_Size", "1"},
        {"Sheet0/Item00_Bit00", "WDTEN"},
        {"Sheet0/Item00_Bit03", "LVR"},
        {"Sheet0/Item00_Bit07", "LOCK"},
        {"Sheet0/Item01_Name", "OR1"},
        {"Sheet0/Item01_AddrOffset", "2"},
        {"Sheet0/Item01_Size", "1"},
        {"Sheet0/Item02_Name", "Outside"},
        {"Sheet0/Item02_AddrOffset", "9"},
        {"Sheet0/Item02_Size", "1"},
        {"Sheet1/WriteOfBytes", "8"},
        {"Sheet1/ReadOfBytes", "8"},
        {"Sheet1/ItemCount", "2"},
        {"Sheet1/Item01_Name", "CFG1"},
        {"Sheet1/Item01_AddrOffset", "1"},
        {"Sheet1/Item01_Size", "1"},
        {"Sheet1/Item01_Bit06", "IAP"},
        {"Sheet1/EditCount", "1"},
        {"Sheet1/Edit00_Name", "Trim"},
        {"Sheet1/Edit00_AddrOffset", "4"},
        {"Sheet1/Edit00_Size", "4"},
        {"Sheet2/WriteOfBytes", "16"},
        {"Sheet2/ReadOfBytes", "12"},
        {"Sheet2/ItemCount", "3"},
        {"Sheet2/Item00_Name", "Gain"},
        {"Sheet2/Item00_AddrOffset", "0"},
        {"Sheet2/Item00_Size", "8"},
        {"Sheet2/Item01_Name", "Empty"},
        {"Sheet2/Item01_Size", "0"},
        {"Sheet2/Item02_Name", "Tail"},
        {"Sheet2/Item02_AddrOffset", "10"},
        {"Sheet2/Item02_Size", "4"},
        {"Sheet3/WriteOfBytes", "64"},
        {"Sheet3/ReadOfBytes", "64"},
        {"Sheet3/ItemCount", "1"},
        {"Sheet3/Item00_Name", "Block"},
        {"Sheet3/Item00_Size", "48"},
    };
}

Bytes Contents(const CHexEditBase& field) {
    Bytes bytes(field.Length());
    field.GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

int CountPixels(QWidget* widget, const QColor& color) {
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color) ++count;
    return count;
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

class EngineerDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<scriba8::app::OperationLog> log_;
    std::unique_ptr<CEngineerDlg> dialog_;

    CEngineerDlg& Open(const Entries& entries) {
        dialog_ = std::make_unique<CEngineerDlg>(
            nullptr, MemoryProfile(entries),
            SheetHost{log_.get(), folder_->path().toStdString()});
        dialog_->show();
        if (!QTest::qWaitForWindowExposed(dialog_.get())) qFatal("engineer window not shown");
        return *dialog_;
    }

    template <typename Sheet> Sheet& SheetAt(int index) {
        return *static_cast<Sheet*>(dialog_->Sheet(index));
    }

    void Select(int tab) {
        dialog_->Tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
    }

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        log_ = std::make_unique<scriba8::app::OperationLog>();
    }
    void cleanup() {
        dialog_.reset();
        log_.reset();
        folder_.reset();
    }

    void tabsFollowTheFile() {
        Open({{"Main/SheetCount", "2"}, {"Sheet0/Name", "Option"}, {"Sheet1/Name", "Config"}});
        QCOMPARE(dialog_->Tabs()->count(), 2);
        QCOMPARE(dialog_->Tabs()->tabText(0), QStringLiteral("Option"));
        QCOMPARE(dialog_->Tabs()->tabText(1), QStringLiteral("Config"));
        QVERIFY(dialog_->Sheet(0)->isVisible());
        Select(1);
        QVERIFY(dialog_->Sheet(1)->isVisible());
        QVERIFY(!dialog_->Sheet(0)->isVisible());
        QCOMPARE(dialog_->CurrentIndex(), 1);

        // No tabs at all: the first sheet is still there, in the page.
        Open({});
        QCOMPARE(dialog_->Tabs()->count(), 0);
        QVERIFY(dialog_->Sheet(0)->isVisible());
        QCOMPARE(dialog_->Sheet(0)->geometry(), dialog_->PageRect());
        for (int i = 1; i < kSheetCount; ++i) QVERIFY(!dialog_->Sheet(i)->isVisible());

        // More tabs than sheets: only the four that have a sheet.
        Open({{"Main/SheetCount", "12"}});
        QCOMPARE(dialog_->Tabs()->count(), 4);
        Select(3);
        QVERIFY(dialog_->Sheet(3)->isVisible());
    }

    // The sample file shipped with the program fills all four sheets.
    void sampleDefinitionFillsEverySheet() {
        dialog_ = std::make_unique<CEngineerDlg>(
            nullptr,
            scriba8::app::PrivateProfile::Load(SCRIBA8_SOURCE_DIR "/examples/Engineer.ini"),
            SheetHost{log_.get(), folder_->path().toStdString()});
        QCOMPARE(dialog_->Tabs()->count(), 4);
        QCOMPARE(dialog_->Tabs()->tabText(0), QStringLiteral("Option"));
        QCOMPARE(dialog_->Tabs()->tabText(3), QStringLiteral("Block"));
        const std::size_t items[] = {4, 3, 3, 1};
        for (int i = 0; i < kSheetCount; ++i) {
            CEngineerSheet* sheet = dialog_->Sheet(i);
            QCOMPARE(sheet->Definition().items.size(), items[i]);
            sheet->Read();
            QCOMPARE(QFileInfo(QString::fromStdString(sheet->DataFilePath())).size(),
                     qint64{sheet->Definition().readOfBytes});
            QVERIFY(sheet->Definition().readOfBytes > 0);
        }
        QCOMPARE(dialog_->Sheet(0)->Definition().address, 0x1F00u);
        QCOMPARE(dialog_->Sheet(1)->Edits()[3].label->text(), QStringLiteral("Serial : "));
        QCOMPARE(Contents(*dialog_->Sheet(1)->Edits()[3].read), Bytes(16, 0xFF));
        QCOMPARE(dialog_->Sheet(3)->Items()[0].write->Length(), 256u);
    }

    void bitBoxesAndBytesFollowEachOther() {
        Open(OptionSheets());
        auto& sheet0 = SheetAt<CSheet0Dlg>(0);
        CHexEditBase* field = sheet0.Items()[0].write;
        QVERIFY2(!sheet0.BitBox(0, 1)->isEnabled(), "an unnamed bit has no box to click");
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("7E"));
        QCOMPARE(Contents(*field), Bytes{0x7E});
        for (int b = 0; b < 8; ++b)
            QCOMPARE(sheet0.BitBox(0, b)->isChecked(), b == 0 || b == 7);

        QTest::mouseClick(sheet0.BitBox(0, 3), Qt::LeftButton);
        QCOMPARE(Contents(*field), Bytes{0x76});
        QCOMPARE(Contents(*sheet0.Items()[1].write), Bytes{0xFF}); // other rows keep their bytes

        Select(1);
        auto& sheet1 = SheetAt<CSheet1Dlg>(1);
        QTest::mouseClick(sheet1.BitBox(1, 6), Qt::LeftButton);
        QCOMPARE(Contents(*sheet1.Items()[1].write), Bytes{0xBF});
        sheet1.Items()[1].write->setFocus();
        QTest::keyClicks(sheet1.Items()[1].write, QStringLiteral("FE"));
        QVERIFY(!sheet1.BitBox(1, 6)->isChecked());
        QVERIFY2(sheet1.BitBox(1, 0)->isChecked(), "disabled boxes follow the byte too");
    }

    void readHighlightsWhatDiffersAndSyncClearsIt() {
        Open(OptionSheets());
        auto& sheet0 = SheetAt<CSheet0Dlg>(0);
        QVERIFY(!sheet0.SyncButton()->isEnabled());
        QCOMPARE(sheet0.Items()[0].read->Length(), 0u);
        const std::uint8_t typed = 0x7E;
        sheet0.Items()[0].write->SetData(&typed, 1);
        QTest::mouseClick(sheet0.ReadButton(), Qt::LeftButton);
        QApplication::processEvents();

        QVERIFY(sheet0.Compared());
        QVERIFY(sheet0.SyncButton()->isEnabled());
        QCOMPARE(Contents(*sheet0.Items()[0].read), Bytes{0xFF});
        QVERIFY(CountPixels(sheet0.Items()[0].read, kHighlightFill) > 0);
        QCOMPARE(CountPixels(sheet0.Items()[1].read, kHighlightFill), 0);
        // Red frames around the named bits 0 and 7, none around bit 3.
        QVERIFY(CountPixels(sheet0.Canvas(), kRed) > 0);

        QTest::mouseClick(sheet0.SyncButton(), Qt::LeftButton);
        QApplication::processEvents();
        QCOMPARE(Contents(*sheet0.Items()[0].write), Bytes{0xFF});
        QCOMPARE(CountPixels(sheet0.Items()[0].read, kHighlightFill), 0);
        QCOMPARE(CountPixels(sheet0.Canvas(), kRed), 0);
    }

    void compareMarksScatteredBytesInOnePaint() {
        Open(OptionSheets());
        Select(2);
        auto& sheet2 = SheetAt<CSheet2Dlg>(2);
        QTest::mouseClick(sheet2.ReadButton(), Qt::LeftButton);
        QApplication::processEvents();
        CHexEditBase* read = sheet2.Items()[0].read;
        PaintCounter counter;
        read->viewport()->installEventFilter(&counter);

        const Bytes scattered{0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF};
        sheet2.Items()[0].write->SetData(scattered.data(), 8);
        sheet2.Items()[0].write->setFocus();
        QTest::keyClick(sheet2.Items()[0].write, Qt::Key_F); // an edit starts the compare
        QTest::keyClick(sheet2.Items()[0].write, Qt::Key_0);
        QApplication::processEvents();
        QCOMPARE(counter.paints, 1);
        // Four separate marks: the fill shows in four separate places.
        const int wide = CountPixels(read, kHighlightFill);
        QVERIFY(wide > 0);

        // Repainting the sheet does not compare again.
        counter.paints = 0;
        sheet2.Canvas()->repaint();
        QApplication::processEvents();
        QCOMPARE(CountPixels(read, kHighlightFill), wide);
    }

    void writeAssemblesTheSheetsOwnImageAndLogs() {
        Open(OptionSheets());
        auto& sheet0 = SheetAt<CSheet0Dlg>(0);
        const std::uint8_t a = 0x12, b = 0x34, outside = 0x56;
        sheet0.Items()[0].write->SetData(&a, 1);
        sheet0.Items()[1].write->SetData(&b, 1);
        sheet0.Items()[2].write->SetData(&outside, 1); // offset 9 of a 4-byte image
        QTest::mouseClick(sheet0.WriteButton(), Qt::LeftButton);
        QCOMPARE(sheet0.WriteImage(), (Bytes{0x12, 0xFF, 0x34, 0xFF}));
        QVERIFY(QString::fromStdString(std::string(log_->text()))
                    .startsWith(QStringLiteral("000 - Write Engineer OR =>Pass   [")));
        QVERIFY(log_->text().ends_with("\"]\r\n"));

        // Edit rows are copied after the items, only as far as the image goes.
        Select(1);
        auto& sheet1 = SheetAt<CSheet1Dlg>(1);
        const Bytes trim{1, 2, 3, 4};
        sheet1.Edits()[0].write->SetData(trim.data(), 4);
        log_->setLanguage(scriba8::app::Language::chinese);
        QTest::mouseClick(sheet1.WriteButton(), Qt::LeftButton);
        QCOMPARE(sheet1.WriteImage(), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4}));
        QVERIFY(log_->text().find("001 - 写工程版选项 =>成功") != std::string_view::npos);

        // Multi-byte values: the shorter of size and field, the rest stays 0xFF.
        Select(2);
        auto& sheet2 = SheetAt<CSheet2Dlg>(2);
        const Bytes gain{9, 8};
        sheet2.Items()[0].write->SetData(gain.data(), 2);
        const Bytes tail{5, 6, 7, 8};
        sheet2.Items()[2].write->SetData(tail.data(), 4);
        QTest::mouseClick(sheet2.WriteButton(), Qt::LeftButton);
        Bytes expected(16, 0xFF);
        expected[0] = 9;
        expected[1] = 8;
        std::copy(tail.begin(), tail.end(), expected.begin() + 10);
        QCOMPARE(sheet2.WriteImage(), expected);
    }

    // The rows of sheets 0 and 1 are one-byte registers: a wider Size in the
    // file still gives a one-byte field, and Write puts only that byte, so
    // the register after it keeps its value.
    void bitSheetItemsAreOneByteWide() {
        Entries entries{{"Main/SheetCount", "2"}};
        for (const std::string sheet : {"Sheet0/", "Sheet1/"}) {
            entries[sheet + "WriteOfBytes"] = "4";
            entries[sheet + "ItemCount"] = "2";
            entries[sheet + "Item00_Name"] = "NEXT";
            entries[sheet + "Item00_AddrOffset"] = "1";
            entries[sheet + "Item00_Size"] = "1";
            entries[sheet + "Item01_Name"] = "WIDE";
            entries[sheet + "Item01_AddrOffset"] = "0";
            entries[sheet + "Item01_Size"] = "2";
        }
        Open(entries);
        for (int index : {0, 1}) {
            Select(index);
            CEngineerSheet& sheet = *dialog_->Sheet(index);
            CHexEditBase* next = sheet.Items()[0].write;
            CHexEditBase* wide = sheet.Items()[1].write;
            QCOMPARE(wide->Length(), 1u);
            next->setFocus();
            QTest::keyClicks(next, QStringLiteral("5A"));
            wide->setFocus();
            QTest::keyClicks(wide, QStringLiteral("12"));
            QTest::mouseClick(sheet.WriteButton(), Qt::LeftButton);
            QCOMPARE(sheet.WriteImage(), (Bytes{0x12, 0x5A, 0xFF, 0xFF}));
        }
    }

    void readKeepsTheImageInTheDataFile() {
        Open(OptionSheets());
        Select(2);
        auto& sheet2 = SheetAt<CSheet2Dlg>(2);
        QTest::mouseClick(sheet2.ReadButton(), Qt::LeftButton);
        QFile file(QString::fromStdString(sheet2.DataFilePath()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(12, '\xFF'));
        QVERIFY(log_->text().find("000 - Read Engineer OR =>Pass") != std::string_view::npos);

        QCOMPARE(Contents(*sheet2.IdentityField()), Bytes(5, 0xFF));
        QCOMPARE(sheet2.IdentityStatus()->text(), QStringLiteral("ID pass"));
        QCOMPARE(Contents(*sheet2.Items()[0].read), Bytes(8, 0xFF));
        QCOMPARE(sheet2.Items()[1].read->Length(), 0u); // an item of size 0 is skipped
        QCOMPARE(Contents(*sheet2.Items()[2].read), Bytes(2, 0xFF)); // the image ends at 12

        // A sheet whose folder cannot take the file still reads.
        dialog_.reset();
        dialog_ = std::make_unique<CEngineerDlg>(
            nullptr, MemoryProfile(OptionSheets()),
            SheetHost{log_.get(), (folder_->path() + "/missing/folder").toStdString()});
        dialog_->Sheet(0)->Read();
        QCOMPARE(Contents(*dialog_->Sheet(0)->Items()[0].read), Bytes{0xFF});
        QVERIFY(!QFile::exists(QString::fromStdString(dialog_->Sheet(0)->DataFilePath())));
    }

    void longNamesAndWideValuesStayReadable() {
        const std::string name(80, 'N');
        Open({{"Main/SheetCount", "3"},
              {"Sheet2/ItemCount", "1"},
              {"Sheet2/Item00_Name", name},
              {"Sheet2/Item00_Size", "64"}});
        Select(2);
        const CEngineerSheet::ValueRow& row = dialog_->Sheet(2)->Items()[0];
        QCOMPARE(row.label->toolTip(), QString::fromStdString(name) + QStringLiteral(" : "));
        QVERIFY(row.label->text().endsWith(QChar(0x2026)));
        QVERIFY(row.label->fontMetrics().horizontalAdvance(row.label->text()) <=
                row.label->contentsRect().width());
        // The one row keeps the whole height of its field.
        QVERIFY(!row.write->horizontalScrollBar()->isVisible());
        QVERIFY(row.write->viewport()->height() >= row.write->CurrentLayout().rowHeight);
    }

    void lastSheetWritesOnlyAfterARead() {
        Open(OptionSheets());
        Select(3);
        auto& sheet3 = SheetAt<CSheet3Dlg>(3);
        QVERIFY(sheet3.SyncButton() == nullptr);
        QVERIFY(!sheet3.WriteButton()->isEnabled());
        QCOMPARE(sheet3.Items()[0].write->Length(), 0u);
        QTest::mouseClick(sheet3.ReadButton(), Qt::LeftButton);
        QVERIFY(sheet3.WriteButton()->isEnabled());
        QCOMPARE(Contents(*sheet3.Items()[0].write), Bytes(48, 0xFF));
        QCOMPARE(QFileInfo(QString::fromStdString(sheet3.DataFilePath())).size(), 64);
    }

    // A window narrower than the sheet's columns (a small screen, a large
    // scale factor) reaches the last column by scrolling sideways.
    void narrowWindowScrollsSidewaysToTheLastColumn() {
        Open(OptionSheets());
        Select(0);
        CEngineerSheet* sheet = dialog_->Sheet(0);
        QScrollBar* sideways = sheet->SidewaysBar();
        QVERIFY(!sideways->isVisible() || dialog_->width() < sheet->Canvas()->width());
        dialog_->resize(dialog_->width() / 2, dialog_->height());
        QApplication::processEvents();
        QVERIFY(sideways->isVisible());
        const QWidget* rightmost = nullptr;
        for (const QWidget* child : sheet->Canvas()->findChildren<QWidget*>())
            if (child->isVisible() && (rightmost == nullptr || child->geometry().right() >
                                                                    rightmost->geometry().right()))
                rightmost = child;
        QVERIFY(rightmost != nullptr);
        const auto shownInSheet = [&] {
            const QRect where(rightmost->mapTo(sheet, QPoint(0, 0)), rightmost->size());
            return where.right() < sideways->width();
        };
        QVERIFY(!shownInSheet());
        sideways->setValue(sideways->maximum());
        QVERIFY(shownInSheet());
        QVERIFY(sideways->geometry().bottom() < sheet->height());
    }

    void wheelNotchesScrollTheShownSheet() {
        Open(OptionSheets());
        Select(1);
        dialog_->resize(dialog_->width(), dialog_->height() / 2);
        QApplication::processEvents();
        CEngineerSheet* sheet = dialog_->Sheet(1);
        QScrollBar* bar = sheet->ScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), 0);

        auto turn = [&](int delta) {
            QWheelEvent wheel(QPointF(5, 5), dialog_->mapToGlobal(QPointF(5, 5)), QPoint(),
                              QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(dialog_.get(), &wheel);
        };
        turn(-120);
        QCOMPARE(bar->value(), bar->singleStep());
        // The sideways bar, when the sheet is narrower than its columns,
        // takes its height from the shown part.
        const int shown = sheet->height() - (sheet->SidewaysBar()->isVisible()
                                                 ? sheet->SidewaysBar()->height()
                                                 : 0);
        QCOMPARE(sheet->Canvas()->y(),
                 -SheetScroll(sheet->Canvas()->height(), shown).contentOffset(bar->value()));
        turn(-240);
        turn(60);
        QCOMPARE(bar->value(), bar->singleStep()); // only single notches scroll
        turn(120);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(sheet->Canvas()->y(), 0);
        for (int i = 0; i < 100; ++i) turn(-120);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(sheet->Canvas()->geometry().bottom() < sheet->height() + 8);
    }

    // Damaged definitions: random keys and values, huge and negative counts,
    // sizes and offsets. Every window opens and every command runs.
    void hostileDefinitionsOpenAndRun() {
        std::mt19937 random(20261209);
        const std::vector<std::string> keys = {
            "Name", "Area", "Address", "WriteOfBytes", "ReadOfBytes", "ItemCount", "EditCount",
            "Item00_Size", "Item00_AddrOffset", "Item07_Size", "Item10_Size", "Item10_AddrOffset",
            "Item00_Bit07", "Item00_Bit31", "Edit04_Size", "Edit04_AddrOffset", "Edit00_Name",
            "Item99_Size"};
        const std::vector<std::string> values = {
            "0", "1", "-1", "8", "11", "255", "65536", "99999999999", "-2147483648",
            "2147483647", "4294967295", "1F00", "x", "", "12abc", std::string(300, 'n')};
        auto pick = [&random](const auto& list) { return list[random() % list.size()]; };
        for (int round = 0; round < 40; ++round) {
            Entries entries{{"Main/SheetCount", pick(values)}};
            for (int i = 0; i < 60; ++i) {
                const std::string section = "Sheet" + std::to_string(random() % 5);
                entries[section + "/" + pick(keys)] = pick(values);
            }
            // Lines that are no key at all, and bytes that are no text.
            std::string text = engineer_test::IniText(entries);
            for (const char* junk : {"[Sheet1\n", "=7\n", "ItemCount\n", "[]\n"})
                text.insert(random() % (text.size() + 1), junk);
            text.insert(random() % (text.size() + 1), std::string(1, static_cast<char>(random())));
            const QString path = folder_->filePath(QStringLiteral("Engineer.ini"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text.data(), static_cast<qint64>(text.size()));
            file.close();
            dialog_ = std::make_unique<CEngineerDlg>(
                nullptr, scriba8::app::PrivateProfile::Load(path.toStdString()),
                SheetHost{log_.get(), folder_->path().toStdString()});
            for (int i = 0; i < kSheetCount; ++i) {
                CEngineerSheet* sheet = dialog_->Sheet(i);
                sheet->Write();
                sheet->Read();
                if (sheet->SyncButton() != nullptr) sheet->Sync();
                sheet->Write();
                QVERIFY(sheet->WriteImage().size() <= std::size_t{kMaxImageBytes});
            }
            dialog_->Tabs()->setCurrentIndex(dialog_->Tabs()->count() - 1);
        }
    }
};

QTEST_MAIN(EngineerDialogTest)
#include "engineer_dialog_test.moc"
