// SPDX-License-Identifier: MIT
#include "insert_isp_dialog.h"

#include "dialog_texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace scriba8::app {
namespace {

QString askForIspFile(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(
        parent, QString(), folder,
        QStringLiteral("Intel Hex/Binary (*.hex; *.bin) (*.hex *.HEX *.bin *.BIN);;All Files (*.*) (*)"));
}

} // namespace

CInsertISPDlg::CInsertISPDlg(Language language, FillMode flashFill, QString& folder,
                             QWidget* parent, FileChooser chooser)
    : QDialog(parent),
      flashFill_(flashFill),
      folder_(folder),
      chooser_(chooser ? std::move(chooser) : FileChooser(askForIspFile)),
      builtIn_(new QRadioButton(Tr(dialog_texts::kDefaultIsp, language), this)),
      userFile_(new QRadioButton(Tr(dialog_texts::kUserIsp, language), this)),
      path_(new QLineEdit(this)),
      browse_(new QPushButton(Tr(dialog_texts::kLoadFile, language), this)),
      fill_(this, language) {
    setWindowTitle(Tr(dialog_texts::kInsertIspTitle, language));
    SetControlId(builtIn_, 1104);
    SetControlId(userFile_, 1105);
    SetControlId(path_, 1026);
    SetControlId(browse_, 1107);
    builtIn_->setChecked(true);
    path_->setReadOnly(true);
    path_->setMinimumWidth(280);
    browse_->setEnabled(false);
    fill_.show(flashFill);

    QDialogButtonBox* buttons = OkCancelButtons(this, language);

    auto* source = new QGridLayout;
    source->addWidget(builtIn_, 0, 0, 1, 2);
    source->addWidget(userFile_, 1, 0, 1, 2);
    source->addWidget(path_, 2, 0);
    source->addWidget(browse_, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(source);
    layout->addLayout(fill_.layout());
    layout->addWidget(buttons);

    connect(builtIn_, &QRadioButton::clicked, this, [this] { browse_->setEnabled(false); });
    connect(userFile_, &QRadioButton::clicked, this, [this] { browse_->setEnabled(true); });
    connect(browse_, &QPushButton::clicked, this, &CInsertISPDlg::chooseFile);
    connect(fill_.fillBox(), &QCheckBox::clicked, this, [this] { applyFillRule(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &CInsertISPDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    applyFillRule();
}

// An already filled buffer cannot be filled differently.
void CInsertISPDlg::applyFillRule() {
    if (flashFill_ != FillMode::none)
        fill_.enableAll(false);
    else
        fill_.enableValuesByBox();
}

void CInsertISPDlg::chooseFile() {
    const QString chosen = chooser_(this, folder_);
    if (chosen.isEmpty()) return;
    folder_ = QFileInfo(chosen).absolutePath() + QLatin1Char('/');
    path_->setText(chosen);
}

void CInsertISPDlg::accept() {
    // A user-defined code needs its file.
    if (userFile_->isChecked() && path_->text().isEmpty()) return;
    QDialog::accept();
}

IspDialogResult CInsertISPDlg::chosen() const {
    IspDialogResult result;
    result.code.builtIn = builtIn_->isChecked();
    if (!result.code.builtIn) result.code.userFile = path_->text().toStdString();
    result.fillMode = fill_.chosen();
    return result;
}

std::optional<IspDialogResult> CInsertISPDlg::Ask(QWidget* parent, Language language,
                                                  FillMode flashFill, QString& folder) {
    CInsertISPDlg dialog(language, flashFill, folder, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.chosen();
}

} // namespace scriba8::app
