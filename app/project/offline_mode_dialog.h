// SPDX-License-Identifier: MIT
// COffLineModeDlg: the counter limit and serial-number rules of an off-line
// download, edited straight into the main record, and "Read Info".
#pragma once

#include "code_buffers.h"
#include "language.h"
#include "library_api.h"
#include "offline_commands.h"
#include "operation_log.h"

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
    // "Read Info": reads what the programmer holds and hands the outcome to
    // shown, now or later, on this thread. By default it reads here and now;
    // the main window reads on its command worker, so that a firmware
    // question stays answerable and no other input gets in.
    using InfoReader = std::function<void(const ContextRecord& main,
                                          std::function<void(const OffLineInfo& read)> shown)>;

    explicit COffLineModeDlg(const OffLineDialogContext& context, QWidget* parent = nullptr);

    void setInfoPresenter(InfoPresenter presenter) { presentInfo_ = std::move(presenter); }
    void setInfoReader(InfoReader reader) { readInfo_ = std::move(reader); }
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
    QPushButton* readInfoButton() const { return readInfoButton_; }

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
    QPushButton* readInfoButton_;
    InfoPresenter presentInfo_;
    InfoReader readInfo_;
    std::function<void()> beep_;
};

// The dialog of "Off-Line Mode": true when the operator pressed OK and the
// download may start (the caller runs it, so it can run where the window's
// other device commands run).
bool AskOffLineSettings(const OffLineDialogContext& context, QWidget* parent,
                        COffLineModeDlg::InfoReader reader = {});

} // namespace scriba8::app
