// SPDX-License-Identifier: MIT
// The request form: its texts and their places, drawn into a PDF and read
// back, the print's proportions against the preview, the preview's
// scrolling, and the two dialogs around it.
#include "form_fixture.h"
#include "generate_form_dialog.h"
#include "pdf_text.h"
#include "pre_view.h"
#include "request_form.h"
#include "vlx_view_dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace scriba8::app;

namespace {

// The text at a cell of the layout; empty when nothing is there.
std::string textAt(const RequestFormLayout& form, double x, double y) {
    for (const FormText& t : form.texts)
        if (t.x == x && t.y == y) return t.text;
    return "<none>";
}

QString writePdf(const QString& path, const ContextRecord& record, const BodyInfo* chip, int dpi) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(dpi);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return PrintRequestForm(printer, record, chip) ? path : QString();
}

// Answers the next modal message box with its default button and
// remembers its text.
class MessageBoxCatcher {
  public:
    MessageBoxCatcher() {
        QTimer::singleShot(0, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text_ = box->text();
                box->accept();
            }
        });
    }
    QString text() const { return text_; }

  private:
    QString text_;
};

} // namespace

class RequestFormTest : public QObject {
    Q_OBJECT
  private slots:
    void titleFollowsTheChipFamily();
    void projectTableFormatsEveryField();
    void optionRowsShowSizesLabelsAndDashes();
    void customerStringOnlyForChipsThatTakeOne();
    void pdfCarriesTheWholeForm();
    void printKeepsThePreviewsProportions();
    void previewScrollsByLinesAndPages();
    void generateDialogNeedsAPartNumber();
    void viewDialogPrintsAndSavesPdf();
    void screenshots();
};

void RequestFormTest::titleFollowsTheChipFamily() {
    QCOMPARE(RequestFormTitle(0), std::string("vorlane VLX2.0 Request Form v1.0"));
    QCOMPARE(RequestFormTitle(1), std::string("vorlane VLX2.1 Request Form v1.0"));
    QCOMPARE(RequestFormTitle(0x300), std::string("vorlane VLX3.0 Request Form v1.2"));
    QCOMPARE(RequestFormTitle(0x301), std::string("vorlane VLX3.1 Request Form v1.0"));
    BodyInfo chip = test::FormChip();
    chip.familyCode = 2;
    const auto record = test::SavedRecord();
    QCOMPARE(textAt(LayOutRequestForm(*record, &chip), 40, 4), std::string("<none>"));
}

void RequestFormTest::projectTableFormatsEveryField() {
    const BodyInfo chip = test::FormChip();
    const auto record = test::SavedRecord();
    const RequestFormLayout form = LayOutRequestForm(*record, &chip);
    QCOMPARE(textAt(form, 21, 11), std::string("PN-778"));
    QCOMPARE(textAt(form, 34, 14), std::string("VS8T164"));
    QCOMPARE(textAt(form, 34, 22), std::string("4660"));
    QCOMPARE(textAt(form, 75, 22), std::string("0x0BEE"));
    QCOMPARE(textAt(form, 34, 24), std::string("2025/01/03 09:05:07"));
    QCOMPARE(textAt(form, 75, 24), std::string("12-34-56-78"));
    QCOMPARE(textAt(form, 34, 26), std::string("5A"));
    QCOMPARE(textAt(form, 75, 26), std::string("AB-CD"));
    QCOMPARE(textAt(form, 75, 28), std::string("v1.5"));
    // The frame, its 8 row rules and 3 column rules, 4 row-by-row pieces
    // of each of the two inner columns, the options divider, 3 underlines
    // and 4 signature lines.
    QCOMPARE(form.lines.size(), std::size_t{4 + 8 + 1 + 8 + 1 + 3 + 4});
}

void RequestFormTest::optionRowsShowSizesLabelsAndDashes() {
    BodyInfo chip = test::FormChip();
    auto record = test::SavedRecord();
    RequestFormLayout form = LayOutRequestForm(*record, &chip);
    QCOMPARE(textAt(form, 17, 32), std::string("       ISP_SIZE :"));
    QCOMPARE(textAt(form, 35, 32), std::string("0.0 k"));
    // 64 KB without ISP area: the IAP list has no 0.5 k entry.
    QCOMPARE(textAt(form, 35, 33), std::string("2.0 k"));
    QCOMPARE(textAt(form, 17, 34), std::string("              \u2014 :"));
    QCOMPARE(textAt(form, 35, 34), std::string("\u2014"));
    QCOMPARE(textAt(form, 76, 32), std::string("Detect 3.6V"));
    QCOMPARE(textAt(form, 76, 33), std::string("24MHz"));
    QCOMPARE(textAt(form, 27, 36), std::string("    LOCK :"));
    QCOMPARE(textAt(form, 38, 36), std::string("V"));
    QCOMPARE(textAt(form, 38, 37), std::string(""));
    QCOMPARE(textAt(form, 68, 36), std::string(" FZWDTCR :"));
    QCOMPARE(textAt(form, 68, 37), std::string("       \u2014 :"));
    QCOMPARE(textAt(form, 79, 37), std::string("\u2014"));

    record->itemValue[1] = 0;
    QCOMPARE(textAt(LayOutRequestForm(*record, &chip), 35, 33), std::string("0.0 k"));
    record->itemValue[1] = 3;
    record->itemValue[0] = 1; // an ISP area: plain half kilobytes
    form = LayOutRequestForm(*record, &chip);
    QCOMPARE(textAt(form, 35, 32), std::string("1.5 k"));
    QCOMPARE(textAt(form, 35, 33), std::string("1.5 k"));
    record->itemValue[0] = 0;
    chip.flashSize = 0x8000; // any other chip
    QCOMPARE(textAt(LayOutRequestForm(*record, &chip), 35, 33), std::string("1.5 k"));
    chip.items[1].choices = "RA32-ISP-IAP";
    QCOMPARE(textAt(LayOutRequestForm(*record, &chip), 35, 33), std::string("3 k"));
}

void RequestFormTest::customerStringOnlyForChipsThatTakeOne() {
    BodyInfo chip = test::FormChip();
    const auto record = test::SavedRecord();
    QCOMPARE(textAt(LayOutRequestForm(*record, &chip), 15, 28), std::string("<none>"));
    chip.customerStringSupported = 1;
    const RequestFormLayout form = LayOutRequestForm(*record, &chip);
    QCOMPARE(textAt(form, 15, 28), std::string("Customer String"));
    QCOMPARE(textAt(form, 34, 28), std::string("ACME-7"));
}

void RequestFormTest::pdfCarriesTheWholeForm() {
    QTemporaryDir dir;
    const BodyInfo chip = test::FormChip();
    const auto record = test::SavedRecord();
    const QString pdf = writePdf(dir.filePath("form.pdf"), *record, &chip, 600);
    QVERIFY(!pdf.isEmpty());
    const QString text = test::PdfText(pdf);
    for (const char* expected :
         {"vorlane VLX3.0 Request Form v1.2", "PN-778", "blinky.vlx", "blinky.hex", "0x0BEE",
          "2025/01/03 09:05:07", "12-34-56-78", "AB-CD", "v1.5", "2.0 k", "Detect 3.6V",
          "defense of a suit.", "vorlane representative :"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    QVERIFY(text.contains(QStringLiteral("\u2014 :")));
}

void RequestFormTest::printKeepsThePreviewsProportions() {
    QTemporaryDir dir;
    const BodyInfo chip = test::FormChip();
    const auto record = test::SavedRecord();
    CPreView preview(*record, &chip);
    preview.resize(811, 552);
    const int w = preview.cellWidth();
    const int h = preview.cellHeight();
    QVERIFY(w > 0 && h > 0);

    for (int dpi : {600, 300}) {
        const QString pdf =
            writePdf(dir.filePath(QStringLiteral("form%1.pdf").arg(dpi)), *record, &chip, dpi);
        const QList<test::PdfWord> words = test::PdfWords(pdf);
        // Distances between texts, from points to 96-dpi pixels.
        const auto at = [&](const char* word) {
            const QRectF box = test::FirstWordBox(words, QString::fromLatin1(word));
            return box.topLeft() * (96.0 / 72.0);
        };
        const QPointF mcu = at("MCU");             // (15, 14)
        const QPointF key = at("Random");          // (56, 24)
        const QPointF liability = at("Liability"); // (10, 48)
        QVERIFY(!mcu.isNull() && !key.isNull() && !liability.isNull());
        QVERIFY2(qAbs((key.x() - mcu.x()) - (56 - 15) * w) <= 1.0,
                 qPrintable(QString::number(dpi)));
        QVERIFY2(qAbs((key.y() - mcu.y()) - (24 - 14) * h) <= 1.0,
                 qPrintable(QString::number(dpi)));
        QVERIFY2(qAbs((liability.y() - mcu.y()) - (48 - 14) * h) <= 1.0,
                 qPrintable(QString::number(dpi)));
        QVERIFY2(qAbs((mcu.x() - liability.x()) - (15 - 10) * w) <= 1.0,
                 qPrintable(QString::number(dpi)));
    }
}

void RequestFormTest::previewScrollsByLinesAndPages() {
    const BodyInfo chip = test::FormChip();
    const auto record = test::SavedRecord();
    CPreView preview(*record, &chip);
    preview.resize(811, 552);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    const int h = preview.cellHeight();
    QScrollBar* bar = preview.verticalScrollBar();
    QCOMPARE(bar->maximum(), kRequestFormRows * h - preview.viewport()->height());
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(bar->value(), h);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(bar->value(), 31 * h);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(bar->value(), 0);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(bar->value(), bar->maximum());
    preview.repaint();
    // The whole form is drawn: the last signature line's row is on the page.
    QCOMPARE(preview.page().height(), kRequestFormRows * h);
    QVERIFY(preview.page().toImage().pixelColor(40 * preview.cellWidth(), 64 * h) == Qt::black);
}

void RequestFormTest::generateDialogNeedsAPartNumber() {
    auto record = test::SavedRecord();
    std::memset(record->requestTo, 0, sizeof record->requestTo);
    std::strcpy(record->requestPartNo, "old");
    CGenerateFormDlg dialog(*record, Language::chinese);
    QVERIFY(dialog.partNoEdit()->text().isEmpty()); // never shows the old values
    dialog.open();
    dialog.toEdit()->setText(QStringLiteral("工厂"));
    {
        MessageBoxCatcher box;
        dialog.accept();
        QTRY_COMPARE(box.text(), QStringLiteral("\"下单料号\"是空的 !"));
    }
    QVERIFY(dialog.isVisible());
    QCOMPARE(QString::fromUtf8(record->requestPartNo), QStringLiteral("old"));
    QCOMPARE(QString::fromUtf8(record->requestTo), QStringLiteral(""));

    dialog.partNoEdit()->setText(QStringLiteral("PN-1"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromUtf8(record->requestPartNo), QStringLiteral("PN-1"));
    QCOMPARE(QString::fromUtf8(record->requestTo), QStringLiteral("工厂"));
    QCOMPARE(QString::fromUtf8(record->requestFrom), QStringLiteral("")); // "From" may stay empty
}

void RequestFormTest::viewDialogPrintsAndSavesPdf() {
    QTemporaryDir dir;
    const BodyInfo chip = test::FormChip();
    auto record = test::SavedRecord();
    std::strcpy(record->projectFolder, qPrintable(dir.path()));
    CVLXViewDlg dialog(*record, &chip, Language::english);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("VLX Request Form"));
    QCOMPARE(dialog.suggestedPdfPath(), dir.filePath("blinky.pdf"));

    const QString printed = dir.filePath("printed.pdf");
    dialog.setPrinterChooser([&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        return true;
    });
    dialog.printButton()->click();
    QVERIFY(test::PdfText(printed).contains("PN-778"));

    QString offered;
    dialog.setPdfPathChooser([&](const QString& suggested, QWidget*) {
        offered = suggested;
        return dir.filePath("mailed"); // the extension is added
    });
    dialog.pdfButton()->click();
    QCOMPARE(offered, dir.filePath("blinky.pdf"));
    QVERIFY(test::PdfText(dir.filePath("mailed.pdf")).contains("12-34-56-78"));

    // A folder that cannot be written: the user is told, nothing else.
    dialog.setPdfPathChooser(
        [&](const QString&, QWidget*) { return dir.filePath("missing/folder/form.pdf"); });
    dialog.open();
    MessageBoxCatcher box;
    dialog.pdfButton()->click();
    QTRY_VERIFY(box.text().startsWith("The PDF file could not be written."));

    // The system print dialog: no selection, no page range, no file
    // output; cancelling it prints nothing.
    dialog.setPrinterChooser(AskSystemPrinter);
    bool asked = false;
    bool offersMore = true;
    QTimer::singleShot(0, [&] {
        auto* print = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (print == nullptr) return;
        asked = true;
        offersMore = print->testOption(QAbstractPrintDialog::PrintToFile) ||
                     print->testOption(QAbstractPrintDialog::PrintSelection) ||
                     print->testOption(QAbstractPrintDialog::PrintPageRange);
        print->reject();
    });
    dialog.printButton()->click();
    QVERIFY(asked);
    QVERIFY(!offersMore);
}

// With SCRIBA8_SCREENSHOTS set to a folder, the preview dialog in both
// languages is saved there for the documentation.
void RequestFormTest::screenshots() {
    const QString folder = qEnvironmentVariable("SCRIBA8_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("SCRIBA8_SCREENSHOTS not set");
    const BodyInfo chip = test::FormChip();
    const auto record = test::SavedRecord();
    for (const auto& [language, name] : {std::pair{Language::english, "request-form-en.png"},
                                         std::pair{Language::chinese, "request-form-zh.png"}}) {
        CVLXViewDlg dialog(*record, &chip, language);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.grab().save(QDir(folder).filePath(QString::fromLatin1(name))));
    }
}

QTEST_MAIN(RequestFormTest)
#include "request_form_test.moc"
