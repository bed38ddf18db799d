// SPDX-License-Identifier: MIT
#include "options_panel.h"

#include "control_ids.h"
#include "main_window.h"
#include "option_lists.h"
#include "window_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <cstring>

namespace scriba8::appmain {
namespace {

bool Used(const char* name) { return name != nullptr && std::strcmp(name, "NA") != 0; }

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A bit's description in the interface language: the English text, its
// terminator, and the Chinese text right behind it.
QString Description(const OptionBit& bit, app::Language language) {
    if (bit.description == nullptr) return {};
    const char* english = bit.description;
    if (language == app::Language::english) return QString::fromUtf8(english);
    return QString::fromUtf8(english + std::strlen(english) + 1);
}

int FindIapSlot(const BodyInfo& chip) {
    for (int k = 0; k < S8_ITEM_COUNT; ++k)
        if (app::KindOf(chip.items[k]) == app::ItemKind::iapSize) return k;
    return -1;
}

} // namespace

OptionsPanel::OptionsPanel(CScriba8_T3Plus_APDlg& window) : QObject(&window), window_(window) {}

QComboBox* OptionsPanel::SetList(int slot) const {
    return window_.ControlAs<QComboBox>(ids::kItemSetList + slot);
}
QLineEdit* OptionsPanel::NowBox(int slot) const {
    return window_.ControlAs<QLineEdit>(ids::kItemNowBox + slot);
}
QGroupBox* OptionsPanel::ItemGroup(int slot) const {
    return window_.ControlAs<QGroupBox>(ids::kItemGroup + slot);
}
QCheckBox* OptionsPanel::SetBox(int slot) const {
    return window_.ControlAs<QCheckBox>(ids::kBitSetBox + slot);
}
QCheckBox* OptionsPanel::NowCheck(int slot) const {
    return window_.ControlAs<QCheckBox>(ids::kBitNowBox + slot);
}
QLabel* OptionsPanel::BitName(int slot) const {
    return window_.ControlAs<QLabel>(ids::kBitName + slot);
}

void OptionsPanel::PostItemNotification(int slot) {
    QMetaObject::invokeMethod(this, [this, slot] { OnItemChanged(slot); }, Qt::QueuedConnection);
}

void OptionsPanel::PostBitNotification(int slot) {
    QMetaObject::invokeMethod(this, [this, slot] { OnBitClicked(slot); }, Qt::QueuedConnection);
}

void OptionsPanel::Fill(const BodyInfo& chip, app::Language language) {
    for (int k = 0; k < ids::kItemSlots; ++k) {
        window_.context.itemValue[k] = 0;
        QComboBox* list = SetList(k);
        list->clear();
        const bool used = Used(chip.items[k].name);
        for (QWidget* control : {static_cast<QWidget*>(ItemGroup(k)), static_cast<QWidget*>(list),
                                 window_.Control(ids::kItemSetLabel + k),
                                 window_.Control(ids::kItemNowLabel + k)})
            control->setEnabled(used);
        if (!used) {
            ItemGroup(k)->setTitle(QStringLiteral("NA"));
            continue;
        }
        ItemGroup(k)->setTitle(QString::fromUtf8(chip.items[k].name));
        for (const std::string& entry : app::ItemEntries(chip, k)) list->addItem(Utf8(entry));
        list->setCurrentIndex(chip.items[k].value < list->count() ? chip.items[k].value : -1);
        PostItemNotification(k);
    }
    for (int j = 0; j < ids::kBitSlots; ++j) {
        window_.context.bitValue[j] = 0;
        QCheckBox* box = SetBox(j);
        box->setChecked(false);
        const OptionBit& bit = chip.bits[j];
        if (!Used(bit.name)) {
            box->setEnabled(false);
            BitName(j)->setEnabled(false);
            BitName(j)->setText(QString());
            continue;
        }
        box->setEnabled(true);
        box->setChecked(bit.value != 0);
        BitName(j)->setEnabled(true);
        BitName(j)->setText(QString::fromUtf8(bit.name));
        PostBitNotification(j);
    }
    ApplyTips(chip, language);
}

void OptionsPanel::ApplyTips(const BodyInfo& chip, app::Language language) {
    for (int j = 0; j < ids::kBitSlots; ++j) {
        const OptionBit& bit = chip.bits[j];
        const QString tip = Used(bit.name) ? Description(bit, language) : QString();
        BitName(j)->setToolTip(tip);
        SetBox(j)->setToolTip(tip);
    }
}

void OptionsPanel::RebuildIapList(const BodyInfo& chip, int iapSlot, const QString& ispText) {
    QComboBox* iap = SetList(iapSlot);
    const int previousIndex = iap->currentIndex();
    const QString previousText = iap->currentText();

    const std::uint32_t ispBytes = app::IspBytesFromText(ispText.toStdString());
    const std::uint32_t room = chip.flashSize > ispBytes ? chip.flashSize - ispBytes : 0;
    iap->clear();
    for (const std::uint32_t pages : app::IapPageCounts(room))
        iap->addItem(Utf8(app::IapSizeText(pages)));

    int index = iap->findText(previousText);
    if (index < 0) index = std::min(previousIndex, iap->count() - 1);
    // A list that had no selection starts without an IAP area.
    if (index < 0) index = 0;
    iap->setCurrentIndex(index);
}

void OptionsPanel::OnItemChanged(int slot) {
    const BodyInfo* chip = window_.SelectedChip();
    if (chip == nullptr) return;
    QComboBox* list = SetList(slot);
    if (ItemGroup(slot)->title() == QLatin1String("ISP_SIZE")) {
        const int iapSlot = FindIapSlot(*chip);
        if (iapSlot >= 0) {
            RebuildIapList(*chip, iapSlot, list->currentText());
            // At once, so the IAP value is current before this one is taken.
            OnItemChanged(iapSlot);
        }
    }
    window_.context.itemValue[slot] = list->currentIndex();
}

void OptionsPanel::EnableLinkedList(const BodyInfo& chip, int bitSlot) {
    const std::uint32_t linked = chip.bits[bitSlot].linkedItem;
    if (linked == 0 || linked > static_cast<std::uint32_t>(ids::kItemSlots)) return;
    SetList(static_cast<int>(linked) - 1)->setEnabled(SetBox(bitSlot)->isChecked());
}

void OptionsPanel::OnBitClicked(int slot) {
    const BodyInfo* chip = window_.SelectedChip();
    if (chip == nullptr) return;
    window_.context.bitValue[slot] = SetBox(slot)->isChecked() ? 1u : 0u;
    EnableLinkedList(*chip, slot);
}

void OptionsPanel::Show(const BodyInfo& chip, const ContextRecord& selection,
                        SelectionTarget target, app::Language language) {
    for (int k = 0; k < ids::kItemSlots; ++k) {
        const OptionItem& item = chip.items[k];
        if (!Used(item.name)) continue;
        const std::int32_t value = selection.itemValue[k];
        if (target == SelectionTarget::now) {
            const bool trim = app::KindOf(item) == app::ItemKind::trimFrequency;
            NowBox(k)->setText(trim ? Utf8(texts::kNotSupportRead.in(language))
                                    : Utf8(app::ItemValueText(chip, selection, k, true)));
            continue;
        }
        QComboBox* list = SetList(k);
        int index = value;
        if (app::KindOf(item) == app::ItemKind::iapSize) {
            // By the size the value stands for: the list may still hold every
            // page count (a narrowing is pending) or already lack the single
            // page, and either way the value must come back unchanged.
            index = list->findText(Utf8(app::ItemValueText(chip, selection, k, false)));
        }
        // A value without an entry keeps the current one rather than leaving
        // the record with no value at all.
        if (index >= 0 && index < list->count()) list->setCurrentIndex(index);
        PostItemNotification(k);
    }
    for (int j = 0; j < ids::kBitSlots; ++j) {
        if (!Used(chip.bits[j].name)) continue;
        const bool active = selection.bitValue[j] != 0;
        if (target == SelectionTarget::now) {
            NowCheck(j)->setChecked(active);
            continue;
        }
        SetBox(j)->setChecked(active);
        // The box is the record's working copy.
        window_.context.bitValue[j] = active ? 1u : 0u;
        EnableLinkedList(chip, j);
    }
}

void OptionsPanel::ClearNowColumn() {
    for (int k = 0; k < ids::kItemSlots; ++k) NowBox(k)->clear();
    for (int j = 0; j < ids::kBitSlots; ++j) NowCheck(j)->setChecked(false);
}

} // namespace scriba8::appmain
