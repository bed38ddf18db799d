// SPDX-License-Identifier: MIT
// Renders the main window offscreen into PNG files, one per language:
//   window_screenshot OUTPUT_FOLDER [PART_NAME [TAB [SCREEN_NAME]]]
// TAB 1 shows the EEPROM page of a chip that has one. With SCREEN_NAME (on
// an X server, see tests/appcommands/with_xvfb.sh) the whole screen is
// taken, as the operator sees the window on it, into SCREEN_NAME-en.png and
// SCREEN_NAME-zh.png.
// The settings live in a temporary folder, so no settings file is touched.
#include "application.h"
#include "control_ids.h"
#include "main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [PART_NAME]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    scriba8::appmain::ApplyInterfaceLook(application);
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    QTemporaryDir settings;

    scriba8::appmain::WindowEnvironment environment;
    environment.programFolder = settings.path().toStdString();
    environment.showMessage = [](const QString& text) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    };
    CScriba8_T3Plus_APDlg window(environment);
    if (!window.Initialise()) return 1;
    if (argc > 2 && !window.SelectPartByName(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "no chip is named %s\n", argv[2]);
        return 1;
    }
    if (argc > 3) window.tabs->setCurrentIndex(QString::fromLocal8Bit(argv[3]).toInt());
    const QString screenName = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    window.show();
    // The picture of the window itself is its design size, whatever the
    // (offscreen) screen.
    if (screenName.isEmpty()) window.resize(window.DesignSize());
    QApplication::processEvents();
    const struct {
        int language;
        const char* suffix;
    } shots[] = {{0, "-en.png"}, {1, "-zh.png"}};
    for (const auto& shot : shots) {
        window.ApplyLanguage(shot.language);
        QApplication::processEvents();
        const QString name = (screenName.isEmpty() ? QStringLiteral("main-window") : screenName) +
                             QString::fromLatin1(shot.suffix);
        const QString path = QDir(output).filePath(name);
        const QPixmap picture =
            screenName.isEmpty() ? window.grab() : window.screen()->grabWindow(0);
        if (!picture.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
        std::printf("%s\n", path.toLocal8Bit().constData());
    }
    return 0;
}
