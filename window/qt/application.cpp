#include "window/qt/application.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QPainter>
#include <QProxyStyle>
#include <QTranslator>
#include <optional>

#include "window/qt/fonts.h"

// The icons are a resource of a static library: naming its initialiser keeps it linked in.
// Q_INIT_RESOURCE declares a global function, so it is called outside the namespace.
static void initIconResource() { Q_INIT_RESOURCE(icons); }

namespace tavorin {
namespace {

// A standard icon that the style reads only when it is first drawn.
class DeferredIconEngine final : public QIconEngine {
  public:
    DeferredIconEngine(const QStyle* style, QStyle::StandardPixmap which)
        : m_style(style), m_which(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QIconEngine* clone() const override { return new DeferredIconEngine(m_style, m_which); }

  private:
    const QIcon& icon() {
        if (!m_icon) m_icon = m_style->standardIcon(m_which);
        return *m_icon;
    }

    const QStyle* m_style;
    QStyle::StandardPixmap m_which;
    std::optional<QIcon> m_icon;
};

// The platform's style, except that the menu bar's overflow icon, which the window, two
// entries wide, only shows when shrunk to a sliver, is read when it is drawn: reading it
// at start-up loads every image-format plugin to probe the file.
class WindowStyle final : public QProxyStyle {
  public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (which == SP_ToolBarHorizontalExtensionButton && option == nullptr) {
            return QIcon(new DeferredIconEngine(baseStyle(), which));
        }
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

}  // namespace

bool installChineseTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QIcon applicationIcon() {
    initIconResource();
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/tavorin.png").arg(size), QSize(size, size));
    }
    return icon;
}

void prepareApplication(QApplication& app) {
    // The menu stays in the window on every desktop: no global menu bar, and so no look-up
    // of one on the session bus at start-up.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication::setStyle(new WindowStyle);
    installChineseTranslations(app);
    QApplication::setWindowIcon(applicationIcon());
    // Ties the window to its menu entry where the desktop asks (Wayland's application id).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tavorin"));
    QApplication::setFont(windowFont(FontRole::Default, app.devicePixelRatio()));
}

}  // namespace tavorin
