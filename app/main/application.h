// SPDX-License-Identifier: MIT
// CScriba8_T3Plus_APApp: the application object. It runs the main window
// and the process ends when that window closes.
#pragma once

#include <QApplication>

#include <string>

class CScriba8_T3Plus_APApp : public QApplication {
    Q_OBJECT
public:
    CScriba8_T3Plus_APApp(int& argc, char** argv);

    // Reads the command line, runs the main window until it closes and
    // returns the process's exit status.
    int InitInstance();
};

namespace scriba8::appmain {

// Font and style shared by every window of the application (and its tests).
void ApplyInterfaceLook(QApplication& application);

// "--programmer virtual" (or any programmer the library accepts) is
// passed on to the library as SCRIBA8_PROGRAMMER, before any library call.
void SelectProgrammer(const std::string& programmer);

} // namespace scriba8::appmain
