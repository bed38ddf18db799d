// SPDX-License-Identifier: MIT
// Renders a finished auto sequence on the virtual programmer into PNG files,
// one set per language:
//   auto_sequence_screenshot OUTPUT_FOLDER HEX_FILE [PART_NAME]
// The main window loads the file and runs the sequence through its own
// buttons and dialogs; the settings and the programmer's state live in a
// temporary folder.
#include "application.h"
#include "command_auto_dialog.h"
#include "select_area_dialog.h"
#include "window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>

#include <cstdio>

using namespace scriba8;

namespace {

bool Save(QWidget& widget, const QString& folder, const char* name) {
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER HEX_FILE [PART_NAME]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    appmain::ApplyInterfaceLook(application);
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString hex = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    QDir().mkpath(output);

    test::WindowFixture fixture(argc > 3 ? argv[3] : "VS8G132");
    CScriba8_T3Plus_APDlg& window = *fixture.window;
    window.resize(window.DesignSize()); // whatever the (offscreen) screen
    test::DialogAnswers answers;
    fixture.files.push_back(hex);
    answers.dialog<app::CSelectAreaDlg>(true);
    fixture.click(appmain::ids::kLoadFile);

    const struct {
        int language;
        const char* window;
        const char* dialog;
    } shots[] = {{0, "auto-sequence-en.png", "auto-dialog-en.png"},
                 {1, "auto-sequence-zh.png", "auto-dialog-zh.png"}};
    bool saved = true;
    for (const auto& shot : shots) {
        window.ApplyLanguage(shot.language);
        answers.then([&](QDialog& dialog) {
            if (qobject_cast<app::CAutoProcessDlg*>(&dialog) == nullptr) return false;
            test::Click(test::Control<QPushButton>(dialog, 1235));
            return true;
        });
        answers.then([&](QDialog& dialog) {
            if (window.CommandRunning()) return false;
            saved = Save(dialog, output, shot.dialog) && saved;
            dialog.reject();
            return true;
        });
        fixture.click(appmain::ids::kAuto);
        QApplication::processEvents();
        saved = Save(window, output, shot.window) && saved;
    }
    return saved && window.LogText().count(QStringLiteral("======>End")) == 2 ? 0 : 1;
}
