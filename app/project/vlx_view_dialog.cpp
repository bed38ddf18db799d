// SPDX-License-Identifier: MIT
#include "vlx_view_dialog.h"

#include "pre_view.h"
#include "project_texts.h"
#include "request_form.h"
#include "message_title.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace scriba8::app {
namespace {

template <std::size_t N> QString fieldText(const char (&field)[N]) {
    return QString::fromUtf8(field, static_cast<qsizetype>(::strnlen(field, N)));
}

QString askPdfPath(const QString& suggested, QWidget* parent, Language language) {
    return QFileDialog::getSaveFileName(parent, Tr(texts::kSaveAsPdf, language), suggested,
                                        Tr(texts::kPdfFilter, language));
}

} // namespace

bool AskSystemPrinter(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    return dialog.exec() == QDialog::Accepted;
}

CVLXViewDlg::CVLXViewDlg(const ContextRecord& record, const BodyInfo* chip, Language language,
                         QWidget* parent)
    : QDialog(parent), record_(record), chip_(chip), language_(language),
      preview_(new CPreView(record, chip, this)),
      print_(new QPushButton(Tr(texts::kPrint, language), this)),
      pdf_(new QPushButton(Tr(texts::kSaveAsPdf, language), this)),
      choosePrinter_(AskSystemPrinter),
      choosePdfPath_([language](const QString& suggested, QWidget* owner) {
          return askPdfPath(suggested, owner, language);
      }) {
    setWindowTitle(Tr(texts::kRequestFormCaption, language));
    preview_->setMinimumSize(811, 552);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(pdf_);
    buttons->addWidget(print_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview_, 1);
    layout->addLayout(buttons);

    connect(print_, &QPushButton::clicked, this, &CVLXViewDlg::print);
    connect(pdf_, &QPushButton::clicked, this, &CVLXViewDlg::saveAsPdf);
}

QString CVLXViewDlg::suggestedPdfPath() const {
    const QString folder = fieldText(record_.projectFolder);
    QString name = QFileInfo(fieldText(record_.projectFile)).completeBaseName();
    if (name.isEmpty()) name = QStringLiteral("VLX");
    name += QStringLiteral(".pdf");
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

void CVLXViewDlg::print() {
    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter_ || !choosePrinter_(printer, this)) return;
    // Printing reports nothing: the printer's own queue shows its errors.
    PrintRequestForm(printer, record_, chip_);
}

void CVLXViewDlg::saveAsPdf() {
    if (!choosePdfPath_) return;
    QString path = choosePdfPath_(suggestedPdfPath(), this);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (!PrintRequestForm(printer, record_, chip_))
        QMessageBox::warning(this, appmain::MessageBoxTitle(),
                             Tr(texts::kPdfNotWritten, language_) + QStringLiteral("\n") +
                                 QDir::toNativeSeparators(path));
}

} // namespace scriba8::app
