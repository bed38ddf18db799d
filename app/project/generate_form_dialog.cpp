// SPDX-License-Identifier: MIT
#include "generate_form_dialog.h"

#include "project_texts.h"
#include "message_title.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace scriba8::app {
namespace {

// The longest text a field takes: its size less the terminator, cut at a
// character boundary.
template <std::size_t N> void storeText(char (&field)[N], const QString& text) {
    QByteArray bytes = text.toUtf8();
    qsizetype length = std::min<qsizetype>(bytes.size(), N - 1);
    while (length > 0 && length < bytes.size() &&
           (static_cast<unsigned char>(bytes[length]) & 0xC0) == 0x80)
        --length;
    std::memset(field, 0, N);
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(length));
}

} // namespace

CGenerateFormDlg::CGenerateFormDlg(ContextRecord& record, Language language, QWidget* parent)
    : QDialog(parent), record_(record), language_(language), to_(new QLineEdit(this)),
      from_(new QLineEdit(this)), partNo_(new QLineEdit(this)) {
    setWindowTitle(QString());
    auto* prompt = new QLabel(Tr(texts::kFormPrompt, language), this);
    prompt->setAlignment(Qt::AlignCenter);

    auto* fields = new QFormLayout;
    fields->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLineEdit* edit : {to_, from_, partNo_}) {
        edit->setMaxLength(80);
        edit->setMinimumWidth(280);
    }
    fields->addRow(Tr(texts::kFormTo, language), to_);
    fields->addRow(Tr(texts::kFormFrom, language), from_);
    fields->addRow(Tr(texts::kFormPartNo, language), partNo_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Tr(texts::kOk, language), QDialogButtonBox::AcceptRole);
    buttons->addButton(Tr(texts::kCancel, language), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addSpacing(8);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addWidget(buttons);
}

void CGenerateFormDlg::accept() {
    if (partNo_->text().isEmpty()) {
        QMessageBox::warning(this, appmain::MessageBoxTitle(), Tr(texts::kPartNoEmpty, language_),
                             QMessageBox::Ok);
        partNo_->setFocus();
        return;
    }
    storeText(record_.requestPartNo, partNo_->text());
    storeText(record_.requestTo, to_->text());
    storeText(record_.requestFrom, from_->text());
    QDialog::accept();
}

} // namespace scriba8::app
