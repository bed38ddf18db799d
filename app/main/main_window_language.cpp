// SPDX-License-Identifier: MIT
// The interface language and the settings file.
#include "control_ids.h"
#include "dialog_units.h"
#include "main_window.h"
#include "options_panel.h"
#include "private_profile.h"
#include "qt_translations.h"
#include "tab_pages.h"
#include "window_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QStandardPaths>

#include <unistd.h>

using namespace scriba8;
using namespace scriba8::appmain;

namespace {

constexpr std::string_view kSection = "Setting";
constexpr std::string_view kNoFolder = "NULL";
// Folder values are taken up to this many characters.
constexpr std::size_t kFolderLimit = 255;

bool WritableFolder(const QString& folder) {
    return QFileInfo(folder).isDir() && ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

std::string WithSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder.toStdString();
}

} // namespace

QString CScriba8_T3Plus_APDlg::Text(const app::TextPair& pair) const {
    const std::string_view text = pair.in(CurrentLanguage());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void CScriba8_T3Plus_APDlg::ChooseSettingsFile() {
    const QString programFolder = environment_.programFolder.empty()
                                      ? QCoreApplication::applicationDirPath()
                                      : QString::fromStdString(environment_.programFolder);
    moduleFolder = WithSlash(programFolder);
    // Next to the program where it may write (a portable copy keeps its
    // settings with it), else in the user's configuration folder.
    if (WritableFolder(programFolder)) {
        settingsFile_ = moduleFolder + "Setting.ini";
        return;
    }
    const QString configFolder =
        environment_.configFolder.empty()
            ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
            : QString::fromStdString(environment_.configFolder);
    settingsFile_ = WithSlash(configFolder) + "Setting.ini";
}

int CScriba8_T3Plus_APDlg::ReadLastPartNo() const {
    return app::ReadProfileInt(settingsFile_, kSection, "LastPartNo", 0);
}

int CScriba8_T3Plus_APDlg::ReadLanguage() const {
    return app::ReadProfileInt(settingsFile_, kSection, "Language", 0);
}

void CScriba8_T3Plus_APDlg::ReadRemainingSettings() {
    const app::PrivateProfile profile = app::PrivateProfile::Load(settingsFile_);
    updateTips = profile.GetInt(kSection, "UpdateTips", 0);
    const auto folder = [&](std::string_view key, std::string& into) {
        std::string value = profile.GetString(kSection, key, kNoFolder);
        if (value.size() > kFolderLimit) {
            // Never in the middle of a UTF-8 character.
            std::size_t cut = kFolderLimit;
            while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
            value.resize(cut);
        }
        if (value != kNoFolder) into = value;
    };
    folder("LoadFilePath", loadFileFolder);
    folder("InsertISPPath", insertIspFolder);
    folder("SaveBufferPath", saveBufferFolder);
    folder("SaveVLXPath", saveVlxFolder);
}

void CScriba8_T3Plus_APDlg::SaveSettingsOnClose() {
    QDir().mkpath(QFileInfo(QString::fromStdString(settingsFile_)).absolutePath());
    app::PrivateProfile profile = app::PrivateProfile::Load(settingsFile_);
    profile.Set(kSection, "LastPartNo", std::to_string(context.partIndex));
    profile.Set(kSection, "LoadFilePath", loadFileFolder);
    profile.Set(kSection, "InsertISPPath", insertIspFolder);
    profile.Set(kSection, "SaveBufferPath", saveBufferFolder);
    profile.Set(kSection, "SaveVLXPath", saveVlxFolder);
    profile.Save(settingsFile_);
}

void CScriba8_T3Plus_APDlg::SwitchLanguage(int newLanguage) {
    language = newLanguage;
    QDir().mkpath(QFileInfo(QString::fromStdString(settingsFile_)).absolutePath());
    app::WriteProfileString(settingsFile_, kSection, "Language", std::to_string(newLanguage));
    ApplyLanguage(newLanguage);
}

void CScriba8_T3Plus_APDlg::ApplyLanguage(int newLanguage) {
    language = newLanguage;
    const app::Language shown = CurrentLanguage();
    operationLog.setLanguage(shown);
    UseQtTranslations(shown);
    // Other values (a hand-edited file) show Chinese and change no marks.
    if (newLanguage == 0 || newLanguage == 1) {
        englishAction->setChecked(newLanguage == 0);
        chineseAction->setChecked(newLanguage == 1);
    }

    setWindowTitle(QStringLiteral("%1 %2 v%3.%4.%5.%6")
                       .arg(Text(texts::kMaker), QString::fromUtf8(texts::kProduct.data()))
                       .arg(dllVersion >> 24 & 0xFF)
                       .arg(dllVersion >> 16 & 0xFF)
                       .arg(dllVersion >> 8 & 0xFF)
                       .arg(dllVersion & 0xFF));

    const auto setText = [&](int id, const app::TextPair& pair) {
        QWidget* control = Control(id);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(Text(pair));
            FitLabelToText(label);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setText(Text(pair));
        else if (auto* box = qobject_cast<QGroupBox*>(control)) box->setTitle(Text(pair));
    };
    setText(ids::kPartNoLabel, texts::kPartNo);
    setText(ids::kCodeBufferGroup, texts::kCodeBuffer);
    setText(ids::kOptionGroup, texts::kHwOption);
    setText(ids::kMessageGroup, texts::kMessage);
    setText(ids::kSetHead, texts::kSetHead);
    setText(ids::kNowHead, texts::kNowHead);
    for (int k = 0; k < ids::kItemSlots; ++k) {
        setText(ids::kItemSetLabel + k, texts::kSetHead);
        setText(ids::kItemNowLabel + k, texts::kNowHead);
    }
    setText(ids::kLoadFile, texts::kLoadFile);
    setText(ids::kSaveBuffer, texts::kSaveBuffer);
    setText(ids::kSaveVlx, texts::kSaveVlx);
    setText(ids::kDumpTarget, texts::kDumpTarget);
    setText(ids::kInsertIsp, texts::kInsertIsp);
    setText(ids::kOffLineMode, texts::kOffLineMode);
    setText(ids::kCheckId, texts::kCheckId);
    setText(ids::kErase, texts::kErase);
    setText(ids::kBlankCheck, texts::kBlankCheck);
    setText(ids::kProgram, texts::kProgram);
    setText(ids::kEepromProgram, texts::kEepromProgram);
    setText(ids::kVerify, texts::kVerify);
    setText(ids::kAuto, texts::kAuto);
    setText(ids::kWriteOptions, texts::kWriteOptions);
    setText(ids::kReadOptions, texts::kReadOptions);
    setText(ids::kWholeChipErase, texts::kWholeChipErase);
    setText(ids::kClearLog, texts::kClear);
    setText(ids::kEnableModifyBuffer, texts::kEnableModifyBuffer);
    setText(ids::kAutoReload, texts::kAutoReload);
    setText(ids::kReadChipChecksum, texts::kReadChipChecksum);
    flashPage->ApplyLanguage(shown);
    eepromPage->ApplyLanguage(shown);

    if (const BodyInfo* chip = SelectedChip()) Options().ApplyTips(*chip, shown);
}
