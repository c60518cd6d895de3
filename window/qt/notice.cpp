#include "window/qt/notice.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <algorithm>

namespace tavorin {
namespace {

constexpr int kMargin = 10;  // pixels from the host's bottom and sides

}  // namespace

Notice::Notice(QWidget* host)
    : QLabel(host),
      m_opacity(new QGraphicsOpacityEffect(this)),
      m_fade(new QPropertyAnimation(m_opacity, "opacity", this)) {
    setObjectName(QStringLiteral("notice"));
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    // Clicks go to the controls beneath; the focus stays where it is.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(
        QStringLiteral("QLabel#notice { background: rgba(48, 48, 48, 230); color: white;"
                       " border-radius: 6px; padding: 5px 12px; }"));
    setGraphicsEffect(m_opacity);
    hide();

    m_hold.setSingleShot(true);
    m_hold.setInterval(kHoldMs);
    connect(&m_hold, &QTimer::timeout, this, [this] { m_fade->start(); });
    m_fade->setDuration(kFadeMs);
    m_fade->setStartValue(1.0);
    m_fade->setEndValue(0.0);
    connect(m_fade, &QPropertyAnimation::finished, this, &QWidget::hide);
}

void Notice::showOver(QWidget* host, const QString& text) {
    m_fade->stop();
    m_opacity->setOpacity(1.0);
    if (parentWidget() != host) setParent(host);
    setText(text);
    setAccessibleName(text);
    // On one line, or wrapped to the host's width when longer.
    const int room = std::max(host->width() - 2 * kMargin, 1);
    setWordWrap(false);
    adjustSize();
    if (width() > room) {
        setWordWrap(true);
        resize(room, heightForWidth(room));
    }
    // Form1's bottom right holds no control: the results stay readable.
    move(host->width() - width() - kMargin, host->height() - height() - kMargin);
    raise();
    show();
    m_hold.start();
}

}  // namespace tavorin
