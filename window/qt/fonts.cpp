#include "window/qt/fonts.h"

#include <QFontDatabase>

namespace tavorin {

QString chooseFamily(const QStringList& installed, const QStringList& chinese) {
    for (const QString& wanted : kPreferredFamilies) {
        for (const QString& family : installed) {
            if (family.compare(wanted, Qt::CaseInsensitive) == 0) return family;
        }
    }
    return chinese.isEmpty() ? QString() : chinese.front();
}

QString windowFamily() {
    static const QString family = chooseFamily(
        QFontDatabase::families(), QFontDatabase::families(QFontDatabase::SimplifiedChinese));
    return family;
}

qreal pointSize(FontRole role) {
    switch (role) {
        case FontRole::Default:
            return 9.0;
        case FontRole::Output:
            return 10.5;
        case FontRole::Title:
            return 12.0;
    }
    return 9.0;
}

bool antialiasGlyphs(qreal devicePixelRatio) { return devicePixelRatio > 1.0; }

QFont windowFont(FontRole role, qreal devicePixelRatio) {
    QFont font;
    const QString family = windowFamily();
    if (!family.isEmpty()) font.setFamilies({family});
    font.setPointSizeF(pointSize(role));
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(antialiasGlyphs(devicePixelRatio) ? QFont::PreferAntialias
                                                            : QFont::NoAntialias);
    return font;
}

}  // namespace tavorin
