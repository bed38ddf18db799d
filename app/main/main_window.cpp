// SPDX-License-Identifier: MIT
#include "main_window.h"

#include "chip_selection.h"
#include "control_ids.h"
#include "dialog_units.h"
#include "hex_edit_base.h"
#include "options_panel.h"
#include "screen_fit.h"
#include "tab_pages.h"
#include "window_texts.h"
#include "message_title.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include <bit>

using namespace scriba8;
using namespace scriba8::appmain;

// The artwork is compiled into this static library; a program linking it
// must register it explicitly (outside any namespace).
static void RegisterArtwork() { Q_INIT_RESOURCE(resources); }

CScriba8_T3Plus_APDlg::CScriba8_T3Plus_APDlg(WindowEnvironment environment, QWidget* parent)
    : QDialog(parent),
      api(environment.api != nullptr ? *environment.api : app::DeviceLibrary()),
      environment_(std::move(environment)),
      units_(std::make_unique<DialogUnits>(InterfaceFont())) {
    RegisterArtwork();
    context.partIndex = -1;
    context.status = &statusWord;
    setFont(InterfaceFont());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(texts::kTemplateCaption.data()));
    appIcon = QIcon(QStringLiteral(":/scriba8/icon.png"));
    options_ = std::make_unique<OptionsPanel>(*this);
    CreateControls();
    CreateMenu();
    ConnectControls();
    operationLog.setListener([this](std::string_view text, bool cleared) {
        if (cleared) {
            MirrorLogCleared();
        } else {
            MirrorLogAppended(text);
        }
    });
    InitialiseCommands();
    InitialiseProject();
    InitialiseEngineer();
}

CScriba8_T3Plus_APDlg::~CScriba8_T3Plus_APDlg() {
    // The panel is a child object too; it must not outlive the controls it reads.
    options_.reset();
}

QWidget* CScriba8_T3Plus_APDlg::Control(int id) const { return controls_.value(id); }

void CScriba8_T3Plus_APDlg::RegisterControl(int id, QWidget* widget) {
    widget->setProperty("controlId", id);
    widget->setObjectName(QStringLiteral("control%1").arg(id));
    controls_.insert(id, widget);
}

CHexEditBase* CScriba8_T3Plus_APDlg::FlashEditor() const { return flashPage->Editor(); }
CHexEditBase* CScriba8_T3Plus_APDlg::EepromEditor() const { return eepromPage->Editor(); }

const BodyInfo* CScriba8_T3Plus_APDlg::SelectedChip() const {
    if (bodyInfoList == nullptr || context.partIndex < 0 ||
        static_cast<std::uint32_t>(context.partIndex) >= bodyInfoCount)
        return nullptr;
    return &bodyInfoList[context.partIndex];
}

void CScriba8_T3Plus_APDlg::ShowMessage(const QString& text) {
    if (environment_.showMessage) {
        environment_.showMessage(text);
        return;
    }
    QMessageBox::information(this, MessageBoxTitle(), text);
}

bool CScriba8_T3Plus_APDlg::Initialise() {
    if (!appIcon.isNull()) setWindowIcon(appIcon);
    ChooseSettingsFile();

    // Tab pages: both exist for the window's life; only the EEPROM item comes and goes.
    tabs->addTab(flashPage, QStringLiteral("Flash"));
    tabs->addTab(eepromPage, QStringLiteral("EEPROM"));
    tabs->removeTab(1);
    eepromTabShown = 0;
    options_->SetList(0)->setCurrentIndex(-1);
    progress->hide();

    context.partIndex = ReadLastPartNo();

    const BodyInfo* rows = nullptr;
    const std::int32_t count = api.GetBodyInfo != nullptr ? api.GetBodyInfo(&rows) : 0;
    bodyInfoList = rows;
    bodyInfoCount = count > 0 && rows != nullptr ? static_cast<std::uint32_t>(count) : 0;
    if (bodyInfoCount == 0) {
        // Nothing can be selected or programmed without chip records.
        ShowMessage(QString::fromUtf8(texts::kNoBodyInfo.english.data()));
        return false;
    }
    for (std::uint32_t row = 0; row < bodyInfoCount; ++row) allSeriesMask |= bodyInfoList[row].seriesMask;

    seriesList->clear();
    for (std::size_t i = 0; i < texts::kSeriesNames.size(); ++i)
        if (allSeriesMask & (1u << i)) seriesList->addItem(QString::fromUtf8(texts::kSeriesNames[i].data()));

    // A remembered row the library does not have (another chip table), or
    // one whose series the list cannot show, starts at the first chip.
    const BodyInfo* remembered = SelectedChip();
    if (remembered == nullptr || remembered->seriesMask == 0 ||
        std::countr_zero(remembered->seriesMask) >= static_cast<int>(texts::kSeriesNames.size()))
        context.partIndex = 0;
    ReselectChip();

    if (api.GetDLLInfo != nullptr) api.GetDLLInfo(&dllVersion, &dllEdition);
    ApplyLanguage(ReadLanguage());
    ReadRemainingSettings();

    if (const BodyInfo* chip = SelectedChip()) app::ResetProjectFields(*chip, context);

    Control(ids::kEngineer)->hide();
    if (updateTips == 1) RunStartupUpdateCheck();
    return true;
}

void CScriba8_T3Plus_APDlg::reject() {
    if (!saved_) {
        saved_ = true;
        SaveSettingsOnClose();
    }
    QDialog::reject();
}

void CScriba8_T3Plus_APDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    FitIntoScreen(*this);
}

void CScriba8_T3Plus_APDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) OnWindowActivated();
}

void CScriba8_T3Plus_APDlg::OnTabChanged(int index) {
    if (index < 0) return;
    currentTab = index;
    ApplyTabRules();
}

void CScriba8_T3Plus_APDlg::ApplyTabRules() {
    const bool flashTab = currentTab == 0;
    const bool flashLoaded = FlashEditor()->Length() != 0;
    Control(ids::kErase)->setEnabled(flashTab);
    Control(ids::kBlankCheck)->setEnabled(flashTab);
    Control(ids::kProgram)->setEnabled(flashTab && flashLoaded);
    Control(ids::kVerify)->setEnabled(flashTab && flashLoaded);
    Control(ids::kEepromProgram)->setEnabled(!flashTab);
}

void CScriba8_T3Plus_APDlg::ApplyChipRules(const BodyInfo& chip) {
    const bool hasEeprom = chip.eepromSize != 0;
    for (const int id : {ids::kSaveBuffer, ids::kSaveVlx, ids::kAuto}) Control(id)->setEnabled(hasEeprom);
    ApplyTabRules();
    Control(ids::kReadChipChecksum)->setEnabled(chip.chipChecksumSupported == 1);
}

void CScriba8_T3Plus_APDlg::OnBufferLoaded() {
    for (const int id : {ids::kSaveBuffer, ids::kSaveVlx, ids::kProgram, ids::kVerify, ids::kAuto})
        Control(id)->setEnabled(true);
}

void CScriba8_T3Plus_APDlg::ShowSelection(const ContextRecord& selection, SelectionTarget target) {
    if (const BodyInfo* chip = SelectedChip()) options_->Show(*chip, selection, target, CurrentLanguage());
}
