// SPDX-License-Identifier: MIT
#include "application.h"

#include "dialog_units.h"
#include "main_window.h"

#include <QCommandLineParser>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>

namespace scriba8::appmain {

void ApplyInterfaceLook(QApplication& application) {
    // One style everywhere, so the layout looks the same on every desktop.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) application.setStyle(style);
    application.setFont(InterfaceFont());
}

void SelectProgrammer(const std::string& programmer) {
    if (!programmer.empty()) ::setenv("SCRIBA8_PROGRAMMER", programmer.c_str(), 1);
}

} // namespace scriba8::appmain

CScriba8_T3Plus_APApp::CScriba8_T3Plus_APApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Scriba8_T3Plus_AP"));
    setOrganizationName(QStringLiteral("vorlane"));
    setWindowIcon(QIcon(QStringLiteral(":/scriba8/icon.png")));
}

int CScriba8_T3Plus_APApp::InitInstance() {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Scriba8 T3Plus programmer for 8051 microcontrollers"));
    parser.addHelpOption();
    const QCommandLineOption programmer(
        QStringLiteral("programmer"),
        QStringLiteral("The programmer to use: \"virtual\" for the built-in simulated programmer, "
                       "or a USB programmer as SCRIBA8_PROGRAMMER names it."),
        QStringLiteral("programmer"));
    const QCommandLineOption engineer(QStringLiteral("engineer"),
                                      QStringLiteral("Open the engineer window at start."));
    const QCommandLineOption part(QStringLiteral("part"),
                                  QStringLiteral("Select this chip at start instead of the last one."),
                                  QStringLiteral("name"));
    parser.addOption(programmer);
    parser.addOption(part);
    parser.addOption(engineer);
    // --help and a wrong option end the process inside process(); setting the
    // font first would leave the font library's tables allocated at that exit.
    parser.process(*this);
    scriba8::appmain::ApplyInterfaceLook(*this);
    if (parser.isSet(programmer)) scriba8::appmain::SelectProgrammer(parser.value(programmer).toStdString());

    CScriba8_T3Plus_APDlg window;
    if (!window.Initialise()) return 1;
    if (parser.isSet(part) && !window.SelectPartByName(parser.value(part))) {
        std::fprintf(stderr, "Scriba8_T3Plus_AP: no chip is named \"%s\"\n",
                     parser.value(part).toLocal8Bit().constData());
        return 2;
    }
    if (parser.isSet(engineer)) window.OnEngineer();
    // Not modal: the windows it opens (engineer window, dialogs) stay usable,
    // and the process still ends when it closes.
    connect(&window, &QDialog::finished, this, &QCoreApplication::quit);
    window.show();
    return exec();
}
