// SPDX-License-Identifier: MIT
#include "command_auto_dialog.h"

#include "texts.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace scriba8::app {
namespace {

QString textOf(const TextPair& pair, Language language) {
    const std::string_view text = pair.in(language);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The boxes' ids, in the order of the sequence's steps.
constexpr std::array<int, kAutoSteps.size()> kStepBoxIds{1228, 1229, 1230, 1231, 1232, 1233, 1234};
constexpr int kSaveChecksumBoxId = 1236;
constexpr int kRunButtonId = 1235;

} // namespace

CAutoProcessDlg::CAutoProcessDlg(Language language, std::uint16_t& autoProcess, bool flashEmpty,
                                 const ChipSizes& chip, std::function<void()> run,
                                 QWidget* parent)
    : QDialog(parent), autoProcess_(autoProcess) {
    setWindowTitle(textOf(texts::kAuto, language));
    auto* layout = new QVBoxLayout(this);
    auto addBox = [&](std::uint16_t bit, int id, const TextPair& label) {
        auto* box = new QCheckBox(textOf(label, language), this);
        box->setObjectName(QStringLiteral("control%1").arg(id));
        boxes_[bit] = box;
        layout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this, bit](bool ticked) { clicked(bit, ticked); });
    };
    for (std::size_t i = 0; i < kAutoSteps.size(); ++i)
        addBox(kAutoSteps[i].bit, kStepBoxIds[i], CommandTitle(kAutoSteps[i].command));
    addBox(S8_STEP_SAVE_CHIP_CHECKSUM, kSaveChecksumBoxId, texts::kSaveChipChecksum);

    auto* runButton = new QPushButton(textOf(texts::kRun, language), this);
    runButton->setObjectName(QStringLiteral("control%1").arg(kRunButtonId));
    layout->addWidget(runButton);
    connect(runButton, &QPushButton::clicked, this, [run = std::move(run)] {
        if (run) run();
    });

    const AutoDialogState state = OpenAutoDialog(autoProcess_, flashEmpty, chip);
    autoProcess_ = state.autoProcess;
    box(S8_STEP_PROGRAM)->setEnabled(state.programEnabled);
    box(S8_STEP_EEPROM_PROGRAM)->setEnabled(state.eepromProgramEnabled);
    box(S8_STEP_SAVE_CHIP_CHECKSUM)->setEnabled(state.saveChecksumEnabled);
    showMask();
}

void CAutoProcessDlg::clicked(std::uint16_t bit, bool ticked) {
    autoProcess_ = ClickAutoBox(autoProcess_, bit, ticked);
    showMask();
}

void CAutoProcessDlg::showMask() {
    for (const auto& [bit, box] : boxes_) box->setChecked((autoProcess_ & bit) != 0);
}

} // namespace scriba8::app
