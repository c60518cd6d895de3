#include "window/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "window/fonts.h"

namespace tavorin {

bool installChineseTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void prepareApplication(QApplication& app) {
    installChineseTranslations(app);
    QApplication::setFont(windowFont(FontRole::Default, app.devicePixelRatio()));
}

}  // namespace tavorin
