// Renders the engineer window on a definition file into a PNG file:
//   engineer_screenshot DEFINITION_FILE OUTPUT.png [TAB]
// The first sheet is shown after a Read with one register changed, so the
// picture carries the compare marks; the sheet files go to a temporary folder.
#include "engineer_dlg.h"
#include "hex_edit_base.h"
#include "operation_log.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTabBar>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace scriba8::engineer;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DEFINITION_FILE OUTPUT.png [TAB]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) application.setStyle(style);
    QTemporaryDir dataFolder;
    scriba8::app::OperationLog log;
    CEngineerDlg window(nullptr, scriba8::app::PrivateProfile::Load(argv[1]),
                        SheetHost{&log, dataFolder.path().toStdString()});
    window.show();
    const int tab = argc > 3 ? std::atoi(argv[3]) : 0;
    window.Tabs()->setCurrentIndex(tab);
    CEngineerSheet* sheet = window.CurrentSheet();
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
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
