// The drawing of a penstock's profile (sheet/profile_drawing.h) painted with QPainter: the
// same lines, marks and texts as the sheet's picture, laid out again at the widget's size
// whenever it is resized.
#pragma once

#include <QWidget>
#include <optional>

#include "sheet/profile_drawing.h"

namespace tavorin {

class ProfileWidget final : public QWidget {
  public:
    explicit ProfileWidget(QWidget* parent);

    // Draws `penstock`, which must stay as it is until the next call; nothing leaves the
    // area empty.
    void setPenstock(const Penstock* penstock);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layOut();

    const Penstock* m_penstock = nullptr;
    std::optional<ProfileDrawing> m_drawing;
};

}  // namespace tavorin
