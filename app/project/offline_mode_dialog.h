// SPDX-License-Identifier: MIT
// COffLineModeDlg: the counter limit and serial-number rules of an off-line
// download, edited straight into the main record, and "Read Info".
#pragma once

#include "code_buffers.h"
#include "language.h"
#include "library_api.h"
#include "operation_log.h"
#include "worker_call.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace scriba8::app {

struct OffLineDialogContext {
    const LibraryApi* api = nullptr;
    ContextRecord* record = nullptr; // edited at every change; Cancel keeps the edits
    const CodeBuffers* buffers = nullptr;
    OperationLog* log = nullptr;
    Language language = Language::english;
};

class COffLineModeDlg : public QDialog {
    Q_OBJECT
  public:
    // Shows what the programmer holds (CReadInfoDlg by default).
    using InfoPresenter = std::function<void(const ContextRecord& info, QWidget* parent)>;

    explicit COffLineModeDlg(const OffLineDialogContext& context, QWidget* parent = nullptr);

    void setInfoPresenter(InfoPresenter presenter) { presentInfo_ = std::move(presenter); }
    // The error beep of a corrected entry (QApplication::beep by default).
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    QLineEdit* maxCounterEdit() const { return maxCounter_; }
    QCheckBox* enableSerialBox() const { return enableSerial_; }
    QCheckBox* autoIncrementBox() const { return autoIncrement_; }
    QLineEdit* serialStringEdit() const { return serialString_; }
    QLineEdit* serialNumberEdit() const { return serialNumber_; }
    QLineEdit* startAddressEdit() const { return startAddress_; }
    QLineEdit* endAddressEdit() const { return endAddress_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* readInfoButton() const { return readInfo_; }

  private:
    void serialEnabledChanged();
    void maxCounterChanged();
    void serialStringChanged();
    void serialNumberChanged();
    void startAddressChanged();
    void readInfo();

    OffLineDialogContext context_;
    ContextRecord& record_;
    std::uint32_t addressLimit_ = 0;
    bool hasCode_ = false;
    QLineEdit* maxCounter_;
    QCheckBox* enableSerial_;
    QCheckBox* autoIncrement_;
    QLineEdit* serialString_;
    QLineEdit* serialNumber_;
    QLineEdit* startAddress_;
    QLineEdit* endAddress_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* readInfo_;
    InfoPresenter presentInfo_;
    std::function<void()> beep_;
};

// "Off-Line Mode" of the main window: the dialog, then on OK the download
// on a worker thread with the progress hooks and a wait cursor. Returns the
// result, or nothing when the dialog was cancelled.
struct OffLineCommandResult {
    bool downloaded = false;
    std::int32_t result = 0;
};
OffLineCommandResult RunOffLineModeCommand(const OffLineDialogContext& context,
                                           const ProgressHooks& hooks, QWidget* parent);

} // namespace scriba8::app
