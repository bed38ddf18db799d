// SPDX-License-Identifier: MIT
#include "offline_mode_dialog.h"

#include "chip_selection.h"
#include "offline_commands.h"
#include "option_texts.h"
#include "project_texts.h"
#include "read_info_dialog.h"
#include "texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace scriba8::app {
namespace {

constexpr std::uint32_t kCounterLimit = 65535;

QString hex8(std::uint32_t value) {
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

QLineEdit* hexEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(8);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]*")), edit));
    return edit;
}

// A hex edit preceded by its "0x".
QWidget* withPrefix(QLineEdit* edit, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("0x"), box));
    row->addWidget(edit, 1);
    return box;
}

} // namespace

COffLineModeDlg::COffLineModeDlg(const OffLineDialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context), record_(*context.record),
      maxCounter_(new QLineEdit(this)), enableSerial_(new QCheckBox(this)),
      autoIncrement_(new QCheckBox(this)), serialString_(new QLineEdit(this)),
      serialNumber_(hexEdit(this)), startAddress_(hexEdit(this)), endAddress_(new QLineEdit(this)),
      ok_(new QPushButton(this)), cancel_(new QPushButton(this)),
      readInfoButton_(new QPushButton(this)),
      presentInfo_([api = context.api, language = context.language](const ContextRecord& info,
                                                                    QWidget* owner) {
          CReadInfoDlg dialog(info, ChipRow(*api, info.partIndex), language, owner);
          dialog.exec();
      }),
      readInfo_([api = context.api, log = context.log](
                     const ContextRecord& main, std::function<void(const OffLineInfo&)> shown) {
          shown(ReadOffLineInfo(*api, main, *log));
      }),
      beep_([] { QApplication::beep(); }) {
    const Language language = context.language;
    const std::uint32_t flashSize =
        ChipSizesOf(*context.api, record_.partIndex).value_or(ChipSizes{}).flashSize;
    addressLimit_ = flashSize > 16 ? flashSize - 16 : 0;
    hasCode_ = !context.buffers->flash.empty();

    setWindowTitle(Tr(texts::kOffLineCaption, language));
    maxCounter_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), maxCounter_));
    maxCounter_->setMaxLength(9);
    serialString_->setMaxLength(S8_SERIAL_STRING_SIZE);
    endAddress_->setReadOnly(true);
    enableSerial_->setText(Tr(texts::kEnableSerial, language));
    autoIncrement_->setText(Tr(texts::kAutoIncrement, language));
    ok_->setText(Tr(texts::kOk, language));
    cancel_->setText(Tr(texts::kCancel, language));
    readInfoButton_->setText(Tr(texts::kReadInfoButton, language));
    ok_->setDefault(true);

    auto* counterGroup = new QGroupBox(Tr(texts::kMaxCounter, language), this);
    auto* counterLayout = new QVBoxLayout(counterGroup);
    counterLayout->addWidget(maxCounter_);

    auto* serialGroup = new QGroupBox(Tr(texts::kSerialNumber, language), this);
    auto* grid = new QGridLayout(serialGroup);
    grid->addWidget(enableSerial_, 0, 0, 1, 2);
    grid->addWidget(autoIncrement_, 1, 0, 1, 2);
    grid->addWidget(new QLabel(Tr(texts::kString, language), serialGroup), 2, 0);
    grid->addWidget(serialString_, 2, 1);
    grid->addWidget(new QLabel(Tr(texts::kNumber, language), serialGroup), 3, 0);
    grid->addWidget(withPrefix(serialNumber_, serialGroup), 3, 1);
    grid->addWidget(new QLabel(Tr(texts::kStartAddress, language), serialGroup), 4, 0);
    grid->addWidget(withPrefix(startAddress_, serialGroup), 4, 1);
    grid->addWidget(new QLabel(Tr(texts::kEndAddress, language), serialGroup), 5, 0);
    grid->addWidget(withPrefix(endAddress_, serialGroup), 5, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(readInfoButton_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counterGroup);
    layout->addWidget(serialGroup);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(readInfoButton_, &QPushButton::clicked, this, &COffLineModeDlg::readInfo);
    connect(maxCounter_, &QLineEdit::textChanged, this, &COffLineModeDlg::maxCounterChanged);
    connect(serialString_, &QLineEdit::textChanged, this, &COffLineModeDlg::serialStringChanged);
    connect(serialNumber_, &QLineEdit::textChanged, this, &COffLineModeDlg::serialNumberChanged);
    connect(startAddress_, &QLineEdit::textChanged, this, &COffLineModeDlg::startAddressChanged);
    connect(enableSerial_, &QCheckBox::clicked, this, &COffLineModeDlg::serialEnabledChanged);
    connect(autoIncrement_, &QCheckBox::clicked, this, [this](bool checked) {
        record_.serialFlags = static_cast<std::uint8_t>(checked ? record_.serialFlags | 0x02
                                                                : record_.serialFlags & ~0x02);
    });

    // Without code there is nothing to download: only Cancel and Read Info.
    for (QWidget* control : std::initializer_list<QWidget*>{ok_, maxCounter_, enableSerial_})
        control->setEnabled(hasCode_);

    // Shown through the change handlers, so a start address beyond this
    // chip is corrected as soon as the dialog opens.
    const ContextRecord shown = record_;
    maxCounter_->setText(QString::number(shown.maxCounter));
    serialString_->setText(
        QString::fromUtf8(FieldBytesText(shown.serialString, S8_SERIAL_STRING_SIZE)));
    serialNumber_->setText(hex8(shown.serialNumber));
    startAddress_->setText(hex8(shown.serialAddress));
    enableSerial_->setChecked((shown.serialFlags & 0x01) != 0);
    autoIncrement_->setChecked((shown.serialFlags & 0x02) != 0);
    record_.serialFlags = shown.serialFlags;
    serialEnabledChanged();
}

void COffLineModeDlg::serialEnabledChanged() {
    const bool enabled = enableSerial_->isChecked();
    record_.serialFlags = static_cast<std::uint8_t>(enabled ? record_.serialFlags | 0x01
                                                            : record_.serialFlags & ~0x01);
    for (QWidget* control : std::initializer_list<QWidget*>{
             autoIncrement_, serialString_, serialNumber_, startAddress_, endAddress_})
        control->setEnabled(enabled && hasCode_);
}

void COffLineModeDlg::maxCounterChanged() {
    const std::uint64_t value = maxCounter_->text().toULongLong();
    if (value > kCounterLimit) {
        maxCounter_->setText(QString::number(kCounterLimit)); // runs this handler again
        beep_();
        return;
    }
    record_.maxCounter = static_cast<std::uint16_t>(value);
}

void COffLineModeDlg::serialStringChanged() {
    std::memset(record_.serialString, 0xFF, sizeof record_.serialString);
    const QByteArray bytes = serialString_->text().toLatin1();
    std::memcpy(
        record_.serialString, bytes.constData(),
        std::min<std::size_t>(static_cast<std::size_t>(bytes.size()), sizeof record_.serialString));
}

void COffLineModeDlg::serialNumberChanged() {
    record_.serialNumber = serialNumber_->text().toUInt(nullptr, 16);
}

void COffLineModeDlg::startAddressChanged() {
    const std::uint32_t value = startAddress_->text().toUInt(nullptr, 16);
    if (value > addressLimit_) {
        startAddress_->setText(hex8(addressLimit_)); // runs this handler again
        beep_();
        return;
    }
    record_.serialAddress = value;
    endAddress_->setText(hex8(value + 15));
}

void COffLineModeDlg::readInfo() {
    if (!readInfo_) return;
    readInfo_(record_, [dialog = QPointer<COffLineModeDlg>(this)](const OffLineInfo& read) {
        // The dialog may have gone while the programmer was read.
        if (dialog == nullptr || read.result != S8_PASS || !read.info || !dialog->presentInfo_)
            return;
        dialog->presentInfo_(*read.info, dialog);
    });
}

bool AskOffLineSettings(const OffLineDialogContext& context, QWidget* parent,
                        COffLineModeDlg::InfoReader reader) {
    COffLineModeDlg dialog(context, parent);
    if (reader) dialog.setInfoReader(std::move(reader));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace scriba8::app
