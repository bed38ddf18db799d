// SPDX-License-Identifier: MIT
// CScriba8_T3Plus_APDlg: the operator's main window. It owns the whole state
// of the application: the chip list, the one ContextRecord with its status
// word, the two buffer pages with their editors, the interface language, the
// remembered folders and the operation log.
//
// Where the code lives (each file fills its own part, nobody edits another's):
//   main_window.cpp        construction, start-up, close, tab switch, enabling
//   main_window_layout.cpp controls at their dialog-unit positions, how they
//                          follow a larger window, the scrolling client
//   main_window_language.cpp  ApplyLanguage (with Qt's own texts), language menu,
//                          settings keys
//   main_window_chip.cpp   OnSeriesChanged / OnPartChanged / ReselectChip
//   options_panel.cpp      the H/W option panel (fill, notifications, ShowSelection)
//   main_window_log.cpp    AppendLog / LogResult / Clear
//   command_handlers.cpp   Load File, Save Buffer, the eleven device buttons,
//                          Auto, Insert ISP, Enable Modify Buffer, Auto Reload,
//                          reload on activation; keeps its own state in
//                          CommandState (command_state.h)
//   project_handlers.cpp   Save VLX, About box and update check; its own state
//                          in ProjectState
//   offline_handler.cpp    Off-Line Mode and its Read Info, on the command worker
//   engineer_handler.cpp   the engineer window; its own state in EngineerState
// Handlers reach every control through Control(id) (ids in control_ids.h) or
// the typed members below, write the log with AppendLog/LogResult or through
// operationLog, pick texts with Text(pair), and after a buffer change call
// OnBufferLoaded() / ApplyTabRules().
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "code_buffers.h"
#include "language.h"
#include "library_api.h"
#include "operation_log.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class CHexEditBase;
class CTabDlg_Flash;
class CTabDlg_EEPROM;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace scriba8::appmain {
class DialogUnits;
class ElasticArea;
class OptionsPanel;
struct CommandState;
struct ProjectState;
struct EngineerState;
// Defined next to the state they delete, in the handler files.
struct CommandStateDeleter { void operator()(CommandState* state) const; };
struct ProjectStateDeleter { void operator()(ProjectState* state) const; };
struct EngineerStateDeleter { void operator()(EngineerState* state) const; };

// Which column ShowSelection fills.
enum class SelectionTarget { set, now };

// Where the window finds its library and keeps its settings; the defaults
// are the linked library and the program's folder.
struct WindowEnvironment {
    const app::LibraryApi* api = nullptr;  // null: the linked device library
    std::string programFolder;             // empty: the folder of the program file
    std::string configFolder;              // empty: the user's configuration folder
    // Shows a message to the operator; null shows a message box.
    std::function<void(const QString& text)> showMessage;
    // Choose the file for Load File / Save Buffer, starting in a folder; an
    // empty text when cancelled. Null shows the file dialogs.
    std::function<QString(const QString& folder)> chooseFileToLoad;
    std::function<QString(const QString& folder)> chooseFileToSave;
};
} // namespace scriba8::appmain

class CScriba8_T3Plus_APDlg : public QDialog {
    Q_OBJECT

public:
    explicit CScriba8_T3Plus_APDlg(scriba8::appmain::WindowEnvironment environment = {},
                                   QWidget* parent = nullptr);
    ~CScriba8_T3Plus_APDlg() override;

    // The start-up sequence. False when the library has no chip records: the
    // operator has been told and the program must end.
    bool Initialise();

    // Any control of the main window by its numeric id; null for an unknown id.
    QWidget* Control(int id) const;
    template <typename T> T* ControlAs(int id) const { return qobject_cast<T*>(Control(id)); }

    // --- language ---
    scriba8::app::Language CurrentLanguage() const {
        return scriba8::app::LanguageFromIndex(language);
    }
    QString Text(const scriba8::app::TextPair& pair) const;
    void ApplyLanguage(int newLanguage);
    // The language menu's commands: set, store and apply.
    void SwitchLanguage(int newLanguage);

    // --- log ---
    // printf-style; a null format empties the log.
    void AppendLog(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The result's text, for every code but 101.
    void LogResult(std::int32_t code);
    void OnClearLog();
    QString LogText() const;

    // --- chip ---
    const BodyInfo* SelectedChip() const;
    void OnSeriesChanged();
    void OnPartChanged();
    void ReselectChip();
    // Selects the chip of that exact name, in whichever series; false when
    // the table has none.
    bool SelectPartByName(const QString& name);
    // A selection in the "Set" or "Now" column of the option panel. "Set"
    // takes values as the record holds them for Write Options (a selection
    // decoded from option bytes goes through app::AdoptDecodedSelection
    // first); "Now" takes values decoded from a chip.
    void ShowSelection(const ContextRecord& selection, scriba8::appmain::SelectionTarget target);

    // --- enabling ---
    // After a successful load, dump or ISP insertion.
    void OnBufferLoaded();
    // The tab rules of the enabling table for the current tab and buffer.
    void ApplyTabRules();
    void OnTabChanged(int index);

    // The size the window is designed for, menu included; it opens at it
    // unless the screen is smaller.
    QSize DesignSize() const { return designSize_; }

    // --- paths ---
    std::string SettingsFilePath() const { return settingsFile_; }

    // --- the application's state (names as the rest of the program knows them) ---
    const BodyInfo* bodyInfoList = nullptr;
    std::uint32_t bodyInfoCount = 0;
    std::uint32_t allSeriesMask = 0;
    std::uint16_t statusWord = 0;
    ContextRecord context{};
    int language = 0;
    int updateTips = 0;
    int autoReload = 0;
    int reloading = 0;
    std::string downloadUrl;
    std::string moduleFolder;
    std::string loadFileFolder, insertIspFolder, saveBufferFolder, saveVlxFolder;
    int currentTab = 0;
    int eepromTabShown = 0;
    std::uint32_t dllVersion = 0, dllEdition = 0;
    // Buffer records, load offset and clear-before-load; the bytes themselves
    // live in the page editors.
    scriba8::app::CodeBuffers buffers;
    scriba8::app::OperationLog operationLog;
    const scriba8::app::LibraryApi& api;

    CTabDlg_Flash* flashPage = nullptr;
    CTabDlg_EEPROM* eepromPage = nullptr;
    CHexEditBase* FlashEditor() const;
    CHexEditBase* EepromEditor() const;

    QTabWidget* tabs = nullptr;
    QComboBox* seriesList = nullptr;
    QComboBox* chipList = nullptr;
    QPlainTextEdit* logEdit = nullptr;
    QProgressBar* progress = nullptr;
    QAction* englishAction = nullptr;
    QAction* chineseAction = nullptr;
    QAction* updateAction = nullptr;
    QIcon appIcon;

    // Shown to the operator (a message box unless the environment says otherwise).
    void ShowMessage(const QString& text);

signals:
    // After every chip change.
    void ChipChanged();

public slots:
    // Saves the settings, then closes (close box, Esc, the menu's Close).
    void reject() override;

    // ---- command_handlers.cpp ----
    void OnLoadFile();
    void OnSaveBuffer();
    void OnDumpTarget();
    void OnInsertIsp();
    void OnCheckId();
    void OnErase();
    void OnBlankCheck();
    void OnProgram();
    void OnEepromProgram();
    void OnVerify();
    void OnAuto();
    void OnWriteOptions();
    void OnReadOptions();
    void OnWholeChipErase();
    void OnReadChipChecksum();
    void OnEnableModifyBuffer();
    void OnAutoReload();
    void OnWindowActivated();
    // True while a device command or the auto sequence runs on the worker.
    bool CommandRunning() const;
    // The editors own the bytes; the core's commands work on the buffers.
    void TakeBytesFromEditors();

    // ---- project_handlers.cpp ----
    void OnSaveVlx();
    // ---- offline_handler.cpp ----
    void OnOffLineMode();
    void OnAbout();
    void RunStartupUpdateCheck();

    // ---- engineer_handler.cpp ----
    void OnEngineer();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    void ConnectControls();
    void RegisterControl(int id, QWidget* widget);
    void ChooseSettingsFile();
    int ReadLastPartNo() const;
    int ReadLanguage() const;
    void ReadRemainingSettings();
    void MirrorLogAppended(std::string_view text);
    void MirrorLogCleared();
    void SaveSettingsOnClose();
    void ApplyChipRules(const BodyInfo& chip);
    void InitialiseCommands();
    void InitialiseProject();
    void InitialiseEngineer();

    scriba8::appmain::WindowEnvironment environment_;
    std::string settingsFile_;
    std::unique_ptr<scriba8::appmain::DialogUnits> units_;
    QHash<int, QWidget*> controls_;
    scriba8::appmain::ElasticArea* client_ = nullptr;
    QSize designSize_; // the window at its designed size, menu included
    bool placed_ = false;
    QMenuBar* menuBar_ = nullptr;
    std::unique_ptr<scriba8::appmain::OptionsPanel> options_;
    bool saved_ = false;

public:
    // Extension state of the handler files.
    std::unique_ptr<scriba8::appmain::CommandState, scriba8::appmain::CommandStateDeleter> commandState;
    std::unique_ptr<scriba8::appmain::ProjectState, scriba8::appmain::ProjectStateDeleter> projectState;
    std::unique_ptr<scriba8::appmain::EngineerState, scriba8::appmain::EngineerStateDeleter> engineerState;
    scriba8::appmain::OptionsPanel& Options() const { return *options_; }
};
