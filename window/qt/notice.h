// The brief notice that a file was written: a small rounded label in the bottom right corner
// of the window the user works in, shown for a moment and then faded out. It moves no control and
// changes neither the window's size nor its title; a new notice replaces the one shown.
#pragma once

#include <QLabel>
#include <QTimer>

class QGraphicsOpacityEffect;
class QPropertyAnimation;

namespace tavorin {

class Notice final : public QLabel {
  public:
    // How long a notice stays, then how long it fades.
    static constexpr int kHoldMs = 2500;
    static constexpr int kFadeMs = 600;

    // Hidden until shown; objectName "notice".
    explicit Notice(QWidget* host);

    // Shows `text` in the bottom right corner of `host` (a window's client area), its
    // accessible name the text, and starts the time it stays.
    void showOver(QWidget* host, const QString& text);

  private:
    QTimer m_hold;
    QGraphicsOpacityEffect* m_opacity;
    QPropertyAnimation* m_fade;
};

}  // namespace tavorin
