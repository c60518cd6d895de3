#include "window/qt/fonts.h"

#include <QFontDatabase>
#include <QStringList>
#include <string>
#include <vector>

namespace tavorin {
namespace {

std::vector<std::string> utf8(const QStringList& names) {
    std::vector<std::string> all;
    all.reserve(static_cast<size_t>(names.size()));
    for (const QString& name : names) all.push_back(name.toStdString());
    return all;
}

}  // namespace

QString windowFamily() {
    static const QString family = QString::fromStdString(
        chooseFace(utf8(QFontDatabase::families()),
                   utf8(QFontDatabase::families(QFontDatabase::SimplifiedChinese))));
    return family;
}

QFont windowFont(FontRole role, qreal devicePixelRatio) {
    QFont font;
    const QString family = windowFamily();
    if (!family.isEmpty()) font.setFamilies({family});
    font.setPointSizeF(pointSizeTenths(role) / 10.0);
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(antialiasGlyphs(96.0 * devicePixelRatio) ? QFont::PreferAntialias
                                                                   : QFont::NoAntialias);
    return font;
}

}  // namespace tavorin
