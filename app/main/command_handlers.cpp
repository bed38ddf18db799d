// SPDX-License-Identifier: MIT
// The window's file and device commands: Load File and Save Buffer, the
// eleven device buttons, Auto, Insert ISP-code, and the editing and reload
// switches. The work is app/core's and app/runner's; this file moves bytes
// between the page editors and the buffers and shows the results.
#include "main_window.h"

#include "command_auto_dialog.h"
#include "command_device.h"
#include "command_state.h"
#include "chip_selection.h"
#include "command_worker.h"
#include "control_ids.h"
#include "file_errors.h"
#include "file_loader.h"
#include "file_paths.h"
#include "hex_edit_base.h"
#include "insert_isp_dialog.h"
#include "isp_inserter.h"
#include "select_area_dialog.h"
#include "tab_pages.h"
#include "texts.h"
#include "transfer_watch.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <vector>

using namespace scriba8;
using app::BufferTab;

namespace scriba8::appmain {
void CommandStateDeleter::operator()(CommandState* state) const { delete state; }
} // namespace scriba8::appmain

namespace {

using scriba8::appmain::CommandScope;
using scriba8::appmain::CommandState;
namespace ids = scriba8::appmain::ids;

std::vector<std::uint8_t> EditorBytes(const CHexEditBase& editor) {
    std::vector<std::uint8_t> bytes(editor.Length());
    if (!bytes.empty()) editor.GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

void SetEditorBytes(CHexEditBase& editor, const std::vector<std::uint8_t>& bytes) {
    editor.SetData(bytes.empty() ? nullptr : bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

QString Hex4(std::uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

app::ChipSizes SelectedSizes(const CScriba8_T3Plus_APDlg& window) {
    return app::ChipSizesOf(window.api, window.context.partIndex).value_or(app::ChipSizes{});
}


void ShowFlashSummary(CScriba8_T3Plus_APDlg& window, const std::vector<std::uint8_t>& flash) {
    const app::FlashSummary summary = app::SummarizeFlash(flash, SelectedSizes(window).flashSize);
    window.flashPage->SetBoxText(ids::kFlashBufferSize, QString::number(summary.length));
    window.flashPage->SetBoxText(ids::kFlashBufferChecksum, Hex4(summary.bufferChecksum));
    window.flashPage->SetBoxText(ids::kFlashChipChecksum, Hex4(summary.chipChecksum));
}

void ShowFlash(CScriba8_T3Plus_APDlg& window, const QString& name) {
    SetEditorBytes(*window.FlashEditor(), window.buffers.flash);
    window.flashPage->SetBoxText(ids::kFlashFilePath, name);
    ShowFlashSummary(window, window.buffers.flash);
}

void ShowEeprom(CScriba8_T3Plus_APDlg& window, const QString& name) {
    SetEditorBytes(*window.EepromEditor(), window.buffers.eeprom);
    window.eepromPage->SetBoxText(ids::kEepromFilePath, name);
    window.eepromPage->SetBoxText(ids::kEepromChecksum, Hex4(app::Checksum16(window.buffers.eeprom)));
}

BufferTab SelectedTab(const CScriba8_T3Plus_APDlg& window) {
    return window.tabs->currentIndex() == 1 ? BufferTab::eeprom : BufferTab::flash;
}

// Each filter names its patterns once: the dialog shows the name only.
QString ChooseFileToLoad(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileName(
        parent, QString(), folder,
        QStringLiteral("Intel Hex/Binary (*.hex; *.bin) (*.hex *.HEX *.bin *.BIN);;"
                       "vorlane Project File (*.vlx) (*.vlx *.VLX);;All Files (*.*) (*)"),
        nullptr, QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
}

// Binary as the design has it, or Intel HEX, which Load File takes back; a
// name typed without an extension gets the chosen filter's.
QString ChooseFileToSave(QWidget* parent, const QString& folder) {
    const QString binary = QStringLiteral("Binary (*.bin) (*.bin *.BIN)");
    const QString hex = QStringLiteral("Intel HEX (*.hex) (*.hex *.HEX *.ihx *.IHX)");
    QFileDialog dialog(parent, QString(), folder);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters({binary, hex});
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bin"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(filter == hex ? QStringLiteral("hex") : QStringLiteral("bin"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

std::string FolderOf(const QString& path) {
    return (QFileInfo(path).absolutePath() + QLatin1Char('/')).toStdString();
}

ContextRecord SelectionRecord(const app::OptionSelection& selection) {
    ContextRecord record{};
    std::copy(selection.itemValue.begin(), selection.itemValue.end(), std::begin(record.itemValue));
    std::copy(selection.bitValue.begin(), selection.bitValue.end(), std::begin(record.bitValue));
    return record;
}

} // namespace

void CScriba8_T3Plus_APDlg::InitialiseCommands() {
    commandState.reset(new CommandState(*this));
    context.host = commandState->host.table();
    // A device failure the trace shows to be the programmer's silence is
    // explained as such.
    app::WatchTransfers(false);
    // Clicks on these do nothing while a command runs: they say so.
    QList<QPointer<QWidget>> commands;
    for (const int id : {ids::kLoadFile, ids::kSaveBuffer, ids::kSaveVlx, ids::kDumpTarget,
                         ids::kInsertIsp, ids::kOffLineMode, ids::kCheckId, ids::kErase,
                         ids::kBlankCheck, ids::kProgram, ids::kEepromProgram, ids::kVerify,
                         ids::kAuto, ids::kWriteOptions, ids::kReadOptions, ids::kWholeChipErase,
                         ids::kReadChipChecksum, ids::kClearLog, ids::kSeriesList, ids::kChipList,
                         ids::kAutoReload, ids::kEnableModifyBuffer})
        commands.append(Control(id));
    commandState->worker.setControlsToGrey(commands);
    // A byte typed into the Flash editor changes the sums the operator
    // compares with the chip's, as it does on the EEPROM page.
    connect(FlashEditor(), &CHexEditBase::Changed, this, [this] {
        const std::vector<std::uint8_t> bytes = EditorBytes(*FlashEditor());
        if (!bytes.empty()) ShowFlashSummary(*this, bytes);
    });
}

bool CScriba8_T3Plus_APDlg::CommandRunning() const {
    return commandState && commandState->worker.busy();
}

void CScriba8_T3Plus_APDlg::TakeBytesFromEditors() {
    buffers.flash = EditorBytes(*FlashEditor());
    // The EEPROM page of a chip without EEPROM may still show another chip's.
    if (SelectedSizes(*this).eepromSize != 0)
        buffers.eeprom = EditorBytes(*EepromEditor());
    else
        buffers.eeprom.clear();
}

// ---- Buffers and files ----

void CScriba8_T3Plus_APDlg::OnLoadFile() {
    CommandState& state = *commandState;
    if (!state.idle()) return;
    const CommandScope scope(state);
    const BufferTab tab = SelectedTab(*this);

    app::LoadRequest request;
    request.tab = tab;
    request.reloading = reloading == 1;
    if (!request.reloading) {
        const QString folder = QString::fromStdString(loadFileFolder);
        const QString chosen = environment_.chooseFileToLoad ? environment_.chooseFileToLoad(folder)
                                                             : ChooseFileToLoad(this, folder);
        if (chosen.isEmpty()) return;
        loadFileFolder = FolderOf(chosen);
        request.path = chosen.toStdString();
        const std::uint32_t flashSize = SelectedSizes(*this).flashSize;
        request.chooseArea = [this, flashSize](const app::AreaChoice& current) {
            return app::CSelectAreaDlg::Ask(this, CurrentLanguage(), flashSize, current.fillMode);
        };
    }

    TakeBytesFromEditors();
    app::FileLoader loader(api, context, buffers, operationLog);
    const app::LoadOutcome outcome = loader.load(request);
    if (outcome.result != S8_PASS) return;
    // A file that loaded but deserves a look (overlapping HEX records, data
    // moved from where they start) says so under its own line, as the
    // command-line tool does on stderr.
    std::vector<std::string> warnings = outcome.warnings;
    if (outcome.hexLowestAddress && *outcome.hexLowestAddress != 0)
        warnings.push_back(app::LowestAddressWarning(
            request.reloading ? buffers.record(tab).filePath : request.path,
            *outcome.hexLowestAddress, buffers.record(tab).loadOffset, CurrentLanguage(),
            app::FrontEnd::window));
    for (const std::string& warning : warnings) operationLog.append("   " + warning + "\r\n");

    if (outcome.project) {
        // Selecting the project's chip resets what a chip change resets,
        // also when it is the chip already selected: labels, the "Now"
        // column. It also empties the log; the operator keeps the log and
        // the loaded buffers.
        {
            const app::CodeBuffers loaded = buffers;
            const std::string logText(operationLog.text());
            const std::int32_t counter = operationLog.counter();
            ReselectChip();
            buffers = loaded;
            operationLog.append(logText);
            operationLog.setCounter(counter);
        }
        // The project holds the selection as read from option bytes.
        if (const BodyInfo* chip = SelectedChip()) app::AdoptDecodedSelection(*chip, context);
        ShowSelection(context, scriba8::appmain::SelectionTarget::set);
        // Whatever tab is shown, a project fills the Flash boxes.
        ShowFlash(*this, FromUtf8(outcome.displayName));
        if (SelectedSizes(*this).eepromSize != 0)
            ShowEeprom(*this, eepromPage->BoxText(ids::kEepromFilePath));
    } else if (tab == BufferTab::flash) {
        ShowFlash(*this, FromUtf8(outcome.displayName));
    } else {
        ShowEeprom(*this, FromUtf8(outcome.displayName));
    }
    OnBufferLoaded();
    ApplyTabRules();
}

void CScriba8_T3Plus_APDlg::OnSaveBuffer() {
    CommandState& state = *commandState;
    if (!state.idle()) return;
    const CommandScope scope(state);
    const BufferTab tab = SelectedTab(*this);
    const QString folder = QString::fromStdString(saveBufferFolder);
    const QString chosen = environment_.chooseFileToSave ? environment_.chooseFileToSave(folder)
                                                         : ChooseFileToSave(this, folder);
    if (chosen.isEmpty()) return;
    saveBufferFolder = FolderOf(chosen);
    TakeBytesFromEditors();
    app::FileLoader(api, context, buffers, operationLog).saveBuffer(tab, chosen.toStdString());
}

void CScriba8_T3Plus_APDlg::OnEnableModifyBuffer() {
    const bool editable = ControlAs<QCheckBox>(ids::kEnableModifyBuffer)->isChecked();
    const QColor background = editable ? QColor(255, 255, 255) : QColor(200, 200, 200);
    const QColor text(0, 0, 0);
    for (CHexEditBase* editor : {FlashEditor(), EepromEditor()}) {
        editor->SetAddressColors(background, text);
        editor->SetAsciiColors(background, text);
        editor->SetHexColors(background, text);
        editor->SetBackgroundColor(background);
        editor->SetReadOnly(!editable, true);
    }
    Control(ids::kAutoReload)->setEnabled(!editable);
}

void CScriba8_T3Plus_APDlg::OnAutoReload() {
    const bool on = ControlAs<QCheckBox>(ids::kAutoReload)->isChecked();
    Control(ids::kEnableModifyBuffer)->setEnabled(!on);
    autoReload = on ? 1 : 0;
    if (on && app::CanReload(buffers.record(SelectedTab(*this)))) {
        reloading = 1;
        OnLoadFile();
        reloading = 0;
    }
}

void CScriba8_T3Plus_APDlg::OnWindowActivated() {
    if (autoReload != 1 || !commandState) return;
    const CommandState& state = *commandState;
    // Not while a command or one of its dialogs is still open.
    if (!state.idle() || QApplication::activeModalWidget() != nullptr)
        return;
    if (!app::CanReload(buffers.record(SelectedTab(*this)))) return;
    reloading = 1;
    OnLoadFile();
    reloading = 0;
}

// ---- Device commands ----

namespace {

void RunDeviceCommand(CScriba8_T3Plus_APDlg& window, app::DeviceCommand command) {
    CommandState& state = *window.commandState;
    if (!state.idle()) return;
    window.TakeBytesFromEditors();
    const app::RunnerContext context{window.api, window.context, window.operationLog};
    app::StartDeviceCommand(
        state.worker, context, command, window.buffers,
        [&window, command](const app::CommandOutcome& outcome) {
            if (outcome.result == S8_PASS && outcome.readSelection)
                window.ShowSelection(SelectionRecord(*outcome.readSelection),
                                     scriba8::appmain::SelectionTarget::now);
            if (outcome.result == S8_PASS && command == app::DeviceCommand::dumpTarget &&
                outcome.dump) {
                app::ApplyDump(window.buffers, *outcome.dump);
                // The code now comes from the chip: a project or request form
                // made from it must not name the file loaded before.
                app::CopyToField(app::kDumpDisplayName, window.context.codeFileName,
                                 sizeof window.context.codeFileName);
                const QString name = QString::fromLatin1(app::kDumpDisplayName);
                ShowFlash(window, name);
                if (outcome.dump->eeprom) ShowEeprom(window, name);
                window.tabs->setCurrentIndex(0);
                window.OnBufferLoaded();
            }
            window.ApplyTabRules();
        });
}

} // namespace

void CScriba8_T3Plus_APDlg::OnCheckId() { RunDeviceCommand(*this, app::DeviceCommand::checkId); }
void CScriba8_T3Plus_APDlg::OnErase() { RunDeviceCommand(*this, app::DeviceCommand::erase); }
void CScriba8_T3Plus_APDlg::OnBlankCheck() { RunDeviceCommand(*this, app::DeviceCommand::blankCheck); }
void CScriba8_T3Plus_APDlg::OnProgram() { RunDeviceCommand(*this, app::DeviceCommand::program); }
void CScriba8_T3Plus_APDlg::OnEepromProgram() {
    RunDeviceCommand(*this, app::DeviceCommand::eepromProgram);
}
void CScriba8_T3Plus_APDlg::OnVerify() { RunDeviceCommand(*this, app::DeviceCommand::verify); }
void CScriba8_T3Plus_APDlg::OnWriteOptions() {
    RunDeviceCommand(*this, app::DeviceCommand::writeOptions);
}
void CScriba8_T3Plus_APDlg::OnReadOptions() {
    RunDeviceCommand(*this, app::DeviceCommand::readOptions);
}
void CScriba8_T3Plus_APDlg::OnWholeChipErase() {
    RunDeviceCommand(*this, app::DeviceCommand::wholeChipErase);
}
void CScriba8_T3Plus_APDlg::OnReadChipChecksum() {
    RunDeviceCommand(*this, app::DeviceCommand::readChipChecksum);
}
void CScriba8_T3Plus_APDlg::OnDumpTarget() { RunDeviceCommand(*this, app::DeviceCommand::dumpTarget); }

void CScriba8_T3Plus_APDlg::OnAuto() {
    CommandState& state = *commandState;
    if (!state.idle()) return;
    TakeBytesFromEditors();
    const app::RunnerContext runner{api, context, operationLog};
    app::CAutoProcessDlg dialog(
        CurrentLanguage(), context.autoProcess, buffers.flash.empty(), SelectedSizes(*this),
        [this, &state, runner] {
            // The editors cannot change while the dialog is open.
            app::StartAutoSequence(state.worker, runner, buffers,
                                   [this](const app::AutoRunResult&) { ApplyTabRules(); });
        },
        this);
    dialog.exec();
}

// ---- ISP code ----

void CScriba8_T3Plus_APDlg::OnInsertIsp() {
    CommandState& state = *commandState;
    if (!state.idle()) return;
    const CommandScope scope(state);
    // The command's line starts before its dialog, which belongs to it.
    const std::uint32_t start = operationLog.startCommand(app::texts::kInsertIsp);
    QString folder = QString::fromStdString(insertIspFolder);
    const auto chosen = app::CInsertISPDlg::Ask(this, CurrentLanguage(),
                                                buffers.record(BufferTab::flash).fillMode, folder);
    insertIspFolder = folder.toStdString();
    if (!chosen) {
        operationLog.result(S8_CANCELLED);
        operationLog.finishCommand(start);
        return;
    }
    buffers.record(BufferTab::flash).fillMode = chosen->fillMode;
    TakeBytesFromEditors();
    const app::IspInsertOutcome outcome =
        app::InsertIspCode(api, context, buffers, operationLog, chosen->code, start);
    if (outcome.result != S8_PASS) return;
    ShowSelection(context, scriba8::appmain::SelectionTarget::set);
    ShowFlash(*this, FromUtf8(outcome.displayName));
    OnBufferLoaded();
    ApplyTabRules();
}
