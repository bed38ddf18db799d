// SPDX-License-Identifier: MIT
// CVLXViewDlg: the request form's preview with "Print" and "Save as PDF".
#pragma once

#include "language.h"

#include "Scriba8_T3Plus_DLL.h"

#include <QDialog>

#include <functional>

class QPrinter;
class QPushButton;

namespace scriba8::app {

class CPreView;

class CVLXViewDlg : public QDialog {
    Q_OBJECT
  public:
    // Sets up the printer and asks the user; false when the user cancelled.
    using PrinterChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;
    // The PDF file to write, starting from a suggested path; empty when the
    // user cancelled.
    using PdfPathChooser = std::function<QString(const QString& suggested, QWidget* parent)>;

    // The record and chip must outlive the dialog.
    CVLXViewDlg(const ContextRecord& record, const BodyInfo* chip, Language language,
                QWidget* parent = nullptr);

    void setPrinterChooser(PrinterChooser chooser) { choosePrinter_ = std::move(chooser); }
    void setPdfPathChooser(PdfPathChooser chooser) { choosePdfPath_ = std::move(chooser); }

    CPreView* preview() const { return preview_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* pdfButton() const { return pdf_; }

    // The file name offered for the PDF: the project's, with ".pdf".
    QString suggestedPdfPath() const;

  private:
    void print();
    void saveAsPdf();

    const ContextRecord& record_;
    const BodyInfo* chip_;
    Language language_;
    CPreView* preview_;
    QPushButton* print_;
    QPushButton* pdf_;
    PrinterChooser choosePrinter_;
    PdfPathChooser choosePdfPath_;
};

// The system print dialog: no selection, no page range, no print to file.
bool AskSystemPrinter(QPrinter& printer, QWidget* parent);

} // namespace scriba8::app
