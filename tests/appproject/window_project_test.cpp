// SPDX-License-Identifier: MIT
// The project commands from the main window on the virtual programmer:
// Save VLX with its request form printed to PDF, an off-line download and
// its read-back, and the About box's check against a local server.
#include "about_dialog.h"
#include "control_ids.h"
#include "generate_form_dialog.h"
#include "hex_edit_base.h"
#include "main_window.h"
#include "offline_mode_dialog.h"
#include "pdf_text.h"
#include "private_profile.h"
#include "read_info_dialog.h"
#include "version_server.h"
#include "vlx_view_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace scriba8;

namespace {

// Runs handle on every modal dialog that opens until it returns true for
// one that it has finished with (it closes the dialogs itself).
class ModalScript {
  public:
    explicit ModalScript(std::function<void(QWidget*)> handle) : handle_(std::move(handle)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == last_) return;
            last_ = modal;
            // Out of the timer's own call, so a dialog the handler opens
            // is seen by the next tick.
            QTimer::singleShot(0, modal, [this, modal] { handle_(modal); });
        });
        timer_.start(20);
    }

  private:
    std::function<void(QWidget*)> handle_;
    QTimer timer_;
    QPointer<QWidget> last_; // a later dialog may reuse the address of a closed one
};

int chooseSaveFile(void* user, const char*, const char*, const char*, const char*, char* path,
                   size_t size) {
    std::snprintf(path, size, "%s", static_cast<QString*>(user)->toUtf8().constData());
    return 1;
}

} // namespace

class WindowProjectTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void saveVlxPrintsTheRequestForm();
    void offLineDownloadAndReadBack();
    void aboutBoxChecksAgainstTheServer();

  private:
    QTemporaryDir dir_;
    std::unique_ptr<CScriba8_T3Plus_APDlg> window_;
    QString projectPath_;
    S8HostCallbacks host_{};
    app::test::VersionServer server_;
};

void WindowProjectTest::initTestCase() {
    appmain::WindowEnvironment environment;
    environment.programFolder = dir_.path().toStdString();
    environment.configFolder = dir_.path().toStdString();
    window_ = std::make_unique<CScriba8_T3Plus_APDlg>(environment);
    QVERIFY(window_->Initialise());
    window_->show();
    // A chip with EEPROM, and some code in the Flash editor.
    const BodyInfo* rows = nullptr;
    const std::int32_t count = window_->api.GetBodyInfo(&rows);
    std::int32_t row = -1;
    for (std::int32_t i = 0; i < count; ++i)
        if (std::strcmp(rows[i].partName, "VS8K116") == 0) row = i;
    QVERIFY(row >= 0);
    window_->context.partIndex = row;
    window_->ReselectChip();
    const std::vector<std::uint8_t> code(1000, 0x74);
    window_->FlashEditor()->SetData(code.data(), static_cast<std::uint32_t>(code.size()));
    window_->buffers.record(app::BufferTab::flash).kind = app::BufferKind::singleFile;
    // The library's save dialog, answered without a person.
    projectPath_ = dir_.filePath("window.vlx");
    host_.user = &projectPath_;
    host_.chooseSaveFile = chooseSaveFile;
    window_->context.host = &host_;
}

void WindowProjectTest::saveVlxPrintsTheRequestForm() {
    const QString printed = dir_.filePath("printed.pdf");
    bool viewed = false;
    ModalScript script([&](QWidget* modal) {
        if (auto* ask = qobject_cast<app::CGenerateFormDlg*>(modal)) {
            ask->partNoEdit()->setText("PN-42");
            ask->accept();
        } else if (auto* view = qobject_cast<app::CVLXViewDlg*>(modal)) {
            view->setPrinterChooser([&](QPrinter& printer, QWidget*) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(printed);
                return true;
            });
            view->printButton()->click();
            viewed = true;
            view->reject();
        }
    });
    window_->Control(appmain::ids::kSaveVlx)->setEnabled(true);
    qobject_cast<QPushButton*>(window_->Control(appmain::ids::kSaveVlx))->click();
    QVERIFY(viewed);
    QVERIFY(window_->LogText().contains("Save VLX =>Pass"));
    QCOMPARE(window_->saveVlxFolder, dir_.path().toStdString() + "/");
    const QString text = app::test::PdfText(printed);
    QVERIFY(text.contains("vorlane VLX3.1 Request Form v1.0"));
    QVERIFY(text.contains("PN-42"));
    QVERIFY(text.contains("window.vlx"));
    QVERIFY(text.contains("VS8K116"));
}

void WindowProjectTest::offLineDownloadAndReadBack() {
    bool read = false;
    QStringList shown;
    ModalScript script([&](QWidget* modal) {
        if (auto* offLine = qobject_cast<app::COffLineModeDlg*>(modal)) {
            if (!read) {
                offLine->maxCounterEdit()->setText("25");
                offLine->okButton()->click();
            } else {
                offLine->readInfoButton()->click();
            }
        } else if (auto* info = qobject_cast<app::CReadInfoDlg*>(modal)) {
            shown = {info->valueOf("PartNo : "), info->valueOf("Flash Size : "),
                     info->valueOf("Max Counter : ")};
            info->reject();
            qobject_cast<QDialog*>(info->parentWidget())->reject();
        }
    });
    qobject_cast<QPushButton*>(window_->Control(appmain::ids::kOffLineMode))->click();
    // The download runs on the command worker, as every device command does.
    QTRY_VERIFY_WITH_TIMEOUT(!window_->CommandRunning(), 60000);
    QVERIFY(window_->LogText().contains("Off-Line Mode =>Pass"));
    read = true;
    qobject_cast<QPushButton*>(window_->Control(appmain::ids::kOffLineMode))->click();
    QVERIFY(window_->LogText().contains("Read Info =>Pass"));
    QCOMPARE(shown, (QStringList{"VS8K116", "1000", "25"}));
}

void WindowProjectTest::aboutBoxChecksAgainstTheServer() {
    QVERIFY(app::test::StartTrustedServer(server_, dir_.path()));
    server_.body = app::test::versionFile("9.9.9.9", "https://example.com/new");
    QVERIFY(app::WriteProfileString(window_->SettingsFilePath(), "Setting", "UpdateServer",
                                    server_.address().toStdString()));
    QString shown;
    ModalScript script([&](QWidget* modal) {
        if (auto* about = qobject_cast<app::CAboutDlg*>(modal)) {
            about->checkButton()->click();
            // Closed whatever the answer, so a failure cannot hang the test.
            (void)QTest::qWaitFor([&] { return about->downloadButton()->isEnabled(); }, 20000);
            shown = about->resultLabel()->text();
            about->updateTipsBox()->click();
            about->reject();
        }
    });
    window_->updateAction->trigger();
    QCOMPARE(shown, QStringLiteral("Have new version(v9.9.9.9)\n Please click Download to update"));
    QCOMPARE(window_->downloadUrl, std::string("https://example.com/new"));
    QCOMPARE(window_->updateTips, 1);
    QCOMPARE(app::ReadProfileString(window_->SettingsFilePath(), "Setting", "UpdateTips", ""),
             std::string("1"));
}

QTEST_MAIN(WindowProjectTest)
#include "window_project_test.moc"
