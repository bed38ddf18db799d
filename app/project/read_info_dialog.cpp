// SPDX-License-Identifier: MIT
#include "read_info_dialog.h"

#include "option_texts.h"
#include "project_texts.h"
#include "texts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <array>
#include <string_view>

namespace scriba8::app {
namespace {

// The programmer's trim frequencies, by the code in the trim word's high
// byte.
constexpr std::array<std::string_view, 9> kFrequencies = {
    "External", "6M", "8M", "11.0592M", "12M", "20M", "22.1184M", "24M", "24.576M"};

QString hex(std::uint32_t value, int digits, bool prefixed) {
    const QString digitsText =
        QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
    return prefixed ? QStringLiteral("0x") + digitsText : digitsText;
}

QString colon(const QString& text) { return text + QStringLiteral(" : "); }

struct AutoStep {
    TextPair name;
    std::uint16_t bit;
};
constexpr std::array<AutoStep, 7> kAutoSteps = {{
    {{"WholeChip Erase", "整片擦除"}, S8_STEP_WHOLE_CHIP_ERASE},
    {{"Erase", "擦除"}, S8_STEP_ERASE},
    {{"Blank Check", "空检测"}, S8_STEP_BLANK_CHECK},
    {{"Program", "编程"}, S8_STEP_PROGRAM},
    {{"EEPROM Program", "E方编程"}, S8_STEP_EEPROM_PROGRAM},
    {{"Verify", "校验"}, S8_STEP_VERIFY},
    {{"Write Options", "写选项"}, S8_STEP_WRITE_OPTIONS},
}};

} // namespace

CReadInfoDlg::CReadInfoDlg(const ContextRecord& info, const BodyInfo* chip, Language language,
                           QWidget* parent)
    : QDialog(parent) {
    const auto tr = [language](const TextPair& pair) { return Tr(pair, language); };
    setWindowTitle(tr(texts::kReadInfo));

    auto* part = new QGridLayout;
    addRow(part, 0, tr(texts::kPartNoLabel),
           chip != nullptr ? QString::fromUtf8(chip->partName) : tr(texts::kUnknownPart));

    auto* code = new QGroupBox(tr(texts::kStoCode), this);
    auto* codeGrid = new QGridLayout(code);
    addRow(codeGrid, 0, colon(tr(texts::kStartAddress)), hex(info.flashStart, 8, true));
    addRow(codeGrid, 1, QStringLiteral("Flash %1 : ").arg(tr(texts::kSize)),
           QString::number(info.flashLength));
    addRow(codeGrid, 2, QStringLiteral("Flash %1").arg(tr(texts::kCheckSumLabel)),
           hex(info.flashChecksum, 4, false));
    addRow(codeGrid, 3, QStringLiteral("EEPROM %1 : ").arg(tr(texts::kSize)),
           QString::number(info.eepromLength));
    addRow(codeGrid, 4, QStringLiteral("EEPROM %1").arg(tr(texts::kCheckSumLabel)),
           hex(info.eepromChecksum, 4, false));

    auto* serial = new QGroupBox(tr(texts::kSerialNumber), this);
    auto* serialGrid = new QGridLayout(serial);
    addBox(serialGrid, 0, 0, tr(texts::kEnableSerial), (info.serialFlags & 0x01) != 0);
    addBox(serialGrid, 1, 0, tr(texts::kAutoIncrement), (info.serialFlags & 0x02) != 0);
    addRow(serialGrid, 2, colon(tr(texts::kAddress)), hex(info.serialAddress, 8, true));
    addRow(serialGrid, 3, colon(tr(texts::kString)),
           QString::fromUtf8(FieldBytesText(info.serialString, S8_SERIAL_STRING_SIZE)));
    addRow(serialGrid, 4, colon(tr(texts::kNumber)), hex(info.serialNumber, 8, true));
    const std::uint32_t current = (info.serialFlags & 0x02) != 0
                                      ? info.serialNumber + info.currentSerialNumber
                                      : info.currentSerialNumber;
    addRow(serialGrid, 5, colon(tr(texts::kCurrentNumber)), hex(current, 8, true));

    auto* counter = new QGroupBox(
        QStringLiteral("%1 %2").arg(tr(texts::kMaxCounter), tr(texts::kUnlimitedNote)), this);
    auto* counterGrid = new QGridLayout(counter);
    addRow(counterGrid, 0, colon(tr(texts::kMaxCounter)), QString::number(info.maxCounter));
    addRow(counterGrid, 1, colon(tr(texts::kCurrentCounter)), QString::number(info.currentCounter));

    auto* trim = new QGroupBox(tr(texts::kTrimFrequency), this);
    auto* trimGrid = new QGridLayout(trim);
    const bool trimmed = (info.trimWord & 0xFF) == 1;
    const std::size_t frequency = info.trimWord >> 8;
    addBox(trimGrid, 0, 0, tr(texts::kEnableTrim), trimmed);
    addRow(trimGrid, 1, colon(tr(texts::kFrequency)),
           trimmed && frequency < kFrequencies.size()
               ? QString::fromLatin1(kFrequencies[frequency].data(),
                                     static_cast<qsizetype>(kFrequencies[frequency].size()))
               : QString());

    auto* options = new QGroupBox(tr(texts::kHwOption), this);
    auto* optionGrid = new QGridLayout(options);
    if (chip != nullptr) {
        int row = 0;
        for (int k = 0; k < S8_ITEM_COUNT; ++k) {
            const char* name = chip->items[k].name;
            // Empty slots and the frequency (shown above) have no row.
            if (IsUnusedSlot(name) || std::string_view(name) == "Trim_Frequency") continue;
            addRow(optionGrid, row++, colon(QString::fromUtf8(name)),
                   QString::fromUtf8(OptionValueText(*chip, info, k, IapCounting::readBack)));
        }
        int bitRow = 0;
        for (int j = 0; j < S8_BIT_COUNT; ++j) {
            if (IsUnusedSlot(chip->bits[j].name)) continue;
            addBox(optionGrid, row + bitRow / 2, bitRow % 2, QString::fromUtf8(chip->bits[j].name),
                   info.bitValue[j] != 0);
            ++bitRow;
        }
    }

    auto* steps = new QGroupBox(tr(texts::kAutoGroup), this);
    auto* stepGrid = new QGridLayout(steps);
    for (std::size_t i = 0; i < kAutoSteps.size(); ++i)
        addBox(stepGrid, static_cast<int>(i), 0, tr(kAutoSteps[i].name),
               (info.autoProcess & kAutoSteps[i].bit) != 0);

    auto* left = new QVBoxLayout;
    left->addLayout(part);
    left->addWidget(code);
    left->addWidget(serial);
    left->addWidget(counter);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(trim);
    right->addWidget(options);
    right->addWidget(steps);
    right->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right);
}

void CReadInfoDlg::addRow(QGridLayout* grid, int row, const QString& label, const QString& value) {
    auto* text = new QLabel(label, this);
    text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* edit = new QLineEdit(value, this);
    edit->setReadOnly(true);
    edit->setObjectName(label);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(value) + 16);
    grid->addWidget(text, row, 0);
    grid->addWidget(edit, row, 1);
}

QCheckBox* CReadInfoDlg::addBox(QGridLayout* grid, int row, int column, const QString& text,
                                bool ticked) {
    auto* box = new QCheckBox(text, this);
    box->setChecked(ticked);
    box->setEnabled(false);
    box->setObjectName(text);
    grid->addWidget(box, row, column);
    return box;
}

QString CReadInfoDlg::valueOf(const QString& label) const {
    const auto* edit = findChild<QLineEdit*>(label);
    return edit != nullptr ? edit->text() : QString();
}

bool CReadInfoDlg::isTicked(const QString& text) const {
    const auto* box = findChild<QCheckBox*>(text);
    return box != nullptr && box->isChecked();
}

} // namespace scriba8::app
