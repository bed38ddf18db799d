// SPDX-License-Identifier: MIT
// Choosing the target chip: series list, chip list, and the reset of
// everything that depends on the chip.
#include "chip_selection.h"
#include "checksums.h"
#include "control_ids.h"
#include "hex_edit_base.h"
#include "main_window.h"
#include "options_panel.h"
#include "tab_pages.h"
#include "window_texts.h"

#include <QComboBox>
#include <QTabWidget>

#include <bit>

using namespace scriba8;
using namespace scriba8::appmain;

void CScriba8_T3Plus_APDlg::OnSeriesChanged() {
    chipList->clear();
    const std::string name = seriesList->currentText().toStdString();
    int series = -1;
    for (std::size_t i = 0; i < texts::kSeriesNames.size(); ++i) {
        if (texts::kSeriesNames[i] == name) {
            series = static_cast<int>(i);
            break;
        }
    }
    if (series >= 0) {
        const std::uint32_t bit = 1u << series;
        for (std::uint32_t row = 0; row < bodyInfoCount; ++row)
            if ((bodyInfoList[row].seriesMask & allSeriesMask) == bit)
                chipList->addItem(QString::fromUtf8(bodyInfoList[row].partName));
    }
    chipList->setCurrentIndex(chipList->count() > 0 ? 0 : -1);
    OnPartChanged();
}

void CScriba8_T3Plus_APDlg::OnPartChanged() {
    const std::string name = chipList->currentText().toStdString();
    for (std::uint32_t row = 0; row < bodyInfoCount; ++row)
        if (name == bodyInfoList[row].partName) context.partIndex = static_cast<std::int32_t>(row);
    const BodyInfo* chip = SelectedChip();
    if (chip == nullptr) return;

    // Buffers, load offset, file records, project and off-line fields.
    app::SelectChip(api, context, buffers, context.partIndex);
    options_->Fill(*chip, CurrentLanguage());

    const bool hasEeprom = chip->eepromSize != 0;
    if (hasEeprom && eepromTabShown == 0) {
        tabs->insertTab(1, eepromPage, QStringLiteral("EEPROM"));
        eepromTabShown = 1;
    } else if (!hasEeprom && eepromTabShown == 1) {
        tabs->removeTab(1);
        eepromTabShown = 0;
    }

    FlashEditor()->SetData(nullptr, 0);
    if (hasEeprom)
        EepromEditor()->SetData(buffers.eeprom.data(), static_cast<std::uint32_t>(buffers.eeprom.size()));
    eepromPage->SetBoxText(ids::kEepromChecksum,
                           QStringLiteral("%1").arg(context.eepromChecksum, 4, 16, QLatin1Char('0')).toUpper());

    currentTab = 0;
    tabs->setCurrentIndex(0);

    options_->ClearNowColumn();
    AppendLog(nullptr);
    operationLog.resetCounter();
    flashPage->ClearBoxes();
    eepromPage->SetBoxText(ids::kEepromFilePath, QString());
    ApplyChipRules(*chip);
    emit ChipChanged();
}

void CScriba8_T3Plus_APDlg::ReselectChip() {
    ContextRecord kept = context;
    const BodyInfo* chip = SelectedChip();
    if (chip == nullptr) return;

    const std::uint32_t mask = chip->seriesMask;
    if (mask != 0) {
        const auto series = static_cast<std::size_t>(std::countr_zero(mask));
        if (series < texts::kSeriesNames.size()) {
            const int entry = seriesList->findText(QString::fromUtf8(texts::kSeriesNames[series].data()),
                                                   Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (entry >= 0) {
                seriesList->setCurrentIndex(entry);
                OnSeriesChanged();
            }
        }
    }
    const int entry = chipList->findText(QString::fromUtf8(chip->partName),
                                         Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0) {
        chipList->setCurrentIndex(entry);
        OnPartChanged();
    }
    context = kept;
}

bool CScriba8_T3Plus_APDlg::SelectPartByName(const QString& name) {
    for (std::uint32_t row = 0; row < bodyInfoCount; ++row) {
        if (name == QString::fromUtf8(bodyInfoList[row].partName)) {
            context.partIndex = static_cast<std::int32_t>(row);
            ReselectChip();
            return true;
        }
    }
    return false;
}
