// SPDX-License-Identifier: MIT
#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace scriba8::appmain {

bool UseQtTranslations(app::Language language) {
    // One translator for the program's life: installed while Chinese is shown.
    static QTranslator* qtTexts = nullptr;
    if (qtTexts == nullptr) {
        qtTexts = new QTranslator(QCoreApplication::instance());
        static_cast<void>(qtTexts->load(QStringLiteral("qtbase_zh_CN"),
                                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    }
    QCoreApplication::removeTranslator(qtTexts);
    if (language == app::Language::english) return true;
    if (qtTexts->isEmpty()) return false;
    return QCoreApplication::installTranslator(qtTexts);
}

} // namespace scriba8::appmain
