// SPDX-License-Identifier: MIT
// Renders the engineer window as the program opens it (--engineer) on a
// definition file into a PNG file:
//   engineer_screenshot DEFINITION_FILE OUTPUT.png [TAB]
// The shown sheet is read and then one value changed, so the picture carries
// the compare marks. Settings and sheet files stay in a temporary folder.
#include "application.h"
#include "engineer_dlg.h"
#include "hex_edit_base.h"
#include "main_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabBar>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <vector>

using scriba8::engineer::CEngineerDlg;
using scriba8::engineer::CEngineerSheet;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DEFINITION_FILE OUTPUT.png [TAB]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    scriba8::appmain::ApplyInterfaceLook(application);
    const QString definition = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString output = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    QTemporaryDir folder;
    if (!QFile::copy(definition, folder.filePath(QStringLiteral("Engineer.ini"))) ||
        !QDir::setCurrent(folder.path())) {
        std::fprintf(stderr, "cannot use %s\n", argv[1]);
        return 1;
    }

    scriba8::appmain::WindowEnvironment environment;
    environment.programFolder = folder.path().toStdString();
    environment.configFolder = folder.path().toStdString();
    environment.showMessage = [](const QString& text) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    };
    CScriba8_T3Plus_APDlg window(environment);
    if (!window.Initialise()) return 1;
    window.OnEngineer();
    auto* engineer = window.findChild<CEngineerDlg*>();
    if (engineer == nullptr) return 1;
    engineer->resize(engineer->DesignSize()); // whatever the (offscreen) screen

    const int tab = argc > 3 ? std::atoi(argv[3]) : 0;
    engineer->Tabs()->setCurrentIndex(tab);
    CEngineerSheet* sheet = engineer->CurrentSheet();
    sheet->Read();
    if (!sheet->Items().empty() && sheet->Items()[0].size > 0) {
        CHexEditBase* field = sheet->Items()[0].write;
        std::vector<std::uint8_t> bytes(field->Length());
        field->GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        bytes[0] = 0x7E;
        field->SetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        emit field->Changed();
    }
    QApplication::processEvents();
    if (!engineer->grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
