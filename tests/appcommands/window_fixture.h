// SPDX-License-Identifier: MIT
// The main window on the virtual programmer for the command tests: a chip
// chosen by name, buttons clicked by id, and the modal dialogs the commands
// open answered from a timer while they wait.
#pragma once

#include "control_ids.h"
#include "hex_edit_base.h"
#include "hex_text.h"
#include "main_window.h"
#include "select_area_dialog.h"
#include "tab_pages.h"
#include "virtual_programmer_fixture.h"

#include <QCheckBox>
#include <QRadioButton>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

namespace scriba8::test {

inline constexpr int kCommandTimeoutMs = 60000;

// Answers the modal dialogs the next commands open, in order. Each answer
// gets the dialog and returns false while it is not the expected one yet.
class DialogAnswers {
public:
    using Answer = std::function<bool(QDialog& dialog)>;

    DialogAnswers() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { answerOne(); });
        timer_.start();
    }
    void then(Answer answer) { answers_.push_back(std::move(answer)); }
    bool allAnswered() const { return answers_.empty(); }

    // Runs setUp on the next dialog of type T, then presses its OK (id 1)
    // or Cancel (id 2).
    template <typename T>
    void dialog(bool ok, std::function<void(T&)> setUp = {}) {
        then([ok, setUp](QDialog& dialog) {
            auto* typed = qobject_cast<T*>(&dialog);
            if (typed == nullptr) return false;
            if (setUp) setUp(*typed);
            Control<QPushButton>(dialog, ok ? 1 : 2)->click();
            return true;
        });
    }

private:
    void answerOne() {
        if (answers_.empty()) return;
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        // A dialog is answered from the tick after it appeared: by then it
        // is laid out and its controls can be clicked.
        if (dialog != seen_) {
            seen_ = dialog;
            return;
        }
        Answer answer = answers_.front();
        if (answer(*dialog)) answers_.pop_front();
    }

    QTimer timer_;
    std::deque<Answer> answers_;
    QPointer<QDialog> seen_;
};

inline QByteArray HexFile(const std::vector<std::uint8_t>& code, std::uint16_t start = 0) {
    std::string text;
    for (std::size_t at = 0; at < code.size(); at += 16) {
        const std::size_t end = std::min(code.size(), at + 16);
        text += DataRecord(static_cast<std::uint16_t>(start + at),
                           std::vector<std::uint8_t>(code.begin() + static_cast<std::ptrdiff_t>(at),
                                                     code.begin() + static_cast<std::ptrdiff_t>(end)));
    }
    text += EndRecord();
    return QByteArray::fromStdString(text);
}

inline QByteArray Bytes(const std::vector<std::uint8_t>& code) {
    return QByteArray(reinterpret_cast<const char*>(code.data()), static_cast<qsizetype>(code.size()));
}

inline std::vector<std::uint8_t> EditorContents(const CHexEditBase& editor) {
    std::vector<std::uint8_t> bytes(editor.Length());
    if (!bytes.empty()) editor.GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

// Ticks "Fill unused bytes" with 0xFF in the select-area dialog.
inline void FillWithOnes(app::CSelectAreaDlg& dialog) {
    auto* fill = Control<QCheckBox>(dialog, 1832);
    if (!fill->isChecked()) Click(fill);
    Click(Control<QRadioButton>(dialog, 1831));
}

class WindowFixture {
public:
    explicit WindowFixture(const char* part) {
        environment_.programFolder = state_.folder().toStdString();
        environment_.showMessage = [](const QString& text) { qWarning("%s", qPrintable(text)); };
        // The files the next Load File / Save Buffer commands choose; an
        // empty text cancels.
        const auto nextFile = [this](const QString&) {
            if (files.empty()) return QString();
            const QString chosen = files.front();
            files.pop_front();
            return chosen;
        };
        environment_.chooseFileToLoad = nextFile;
        environment_.chooseFileToSave = nextFile;
        window = std::make_unique<CScriba8_T3Plus_APDlg>(environment_);
        QVERIFY(window->Initialise());
        selectPart(part);
        window->show();
    }

    void selectPart(const char* part) {
        window->context.partIndex = PartIndex(part);
        window->ReselectChip();
        // ReselectChip keeps the record; a chip chosen in the lists starts
        // from its own defaults.
        window->OnPartChanged();
    }

    void click(int id) {
        auto* button = window->ControlAs<QAbstractButton>(id);
        QVERIFY2(button != nullptr && button->isEnabled(), qPrintable(QString::number(id)));
        Click(button);
    }

    // Load File into the shown tab: the file chosen, and for the Flash tab
    // the area dialog answered OK after area (if any) set it up.
    void load(const QString& path, std::function<void(app::CSelectAreaDlg&)> area = {}) {
        DialogAnswers answers;
        files.push_back(path);
        if (window->tabs->currentIndex() == 0) answers.dialog<app::CSelectAreaDlg>(true, area);
        click(appmain::ids::kLoadFile);
        QVERIFY(answers.allAnswered());
    }

    // Clicks a device button and waits until its line is finished.
    void runCommand(int id) {
        click(id);
        QTRY_VERIFY_WITH_TIMEOUT(!window->CommandRunning(), kCommandTimeoutMs);
    }

    QString log() const { return window->LogText(); }
    QString flashBox(int id) const { return window->flashPage->BoxText(id); }
    QString eepromBox(int id) const { return window->eepromPage->BoxText(id); }

    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = state_.path(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    std::deque<QString> files;
    VirtualState state_;
    appmain::WindowEnvironment environment_;
    std::unique_ptr<CScriba8_T3Plus_APDlg> window;
};

} // namespace scriba8::test
