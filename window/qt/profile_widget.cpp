#include "window/qt/profile_widget.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include "window/qt/controls.h"

namespace tavorin {
namespace {

QColor colourOf(const char* rgb) { return QColor(QString::fromLatin1(rgb)); }

QPolygonF polygonOf(const std::vector<ProfileDrawing::Point>& points) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const ProfileDrawing::Point& p : points) polygon << QPointF(p.x, p.y);
    return polygon;
}

// A stroke as the sheet's picture draws it: square ends cut off, mitred corners, dashes of 6
// and gaps of 3 units.
QPen penOf(ProfileDrawing::Stroke stroke) {
    const double width = strokeWidth(stroke);
    QPen pen(colourOf(strokeColour(stroke)), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    // Qt counts dashes in pen widths.
    if (strokeDashed(stroke)) pen.setDashPattern({6 / width, 3 / width});
    return pen;
}

}  // namespace

ProfileWidget::ProfileWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("profileDrawing"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProfileWidget::setPenstock(const Penstock* penstock) {
    m_penstock = penstock;
    layOut();
}

void ProfileWidget::layOut() {
    if (m_penstock == nullptr) {
        m_drawing.reset();
    } else {
        m_drawing = drawProfile(*m_penstock, width(), height());
    }
    update();
}

void ProfileWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_penstock != nullptr) layOut();
}

void ProfileWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_drawing) return;
    const ProfileDrawing& d = *m_drawing;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    for (const ProfileDrawing::Line& line : d.lines) {
        painter.setPen(penOf(line.stroke));
        painter.drawPolyline(polygonOf(line.points));
    }

    QFont font = this->font();
    font.setPixelSize(qRound(d.labelSize));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    for (const ProfileDrawing::Marker& m : d.markers) {
        const MarkShape shape = markShape(d, m);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colourOf(shape.colour));
        painter.drawPolygon(polygonOf(shape.outline));
        if (m.labelled) {
            painter.setPen(Qt::black);
            painter.drawText(QPointF(shape.label.x, shape.label.y), fromUtf8(m.name));
        }
    }
    painter.setPen(Qt::black);
    for (const ProfileDrawing::Text& t : d.texts) {
        const QString text = fromUtf8(t.text);
        const double advance = metrics.horizontalAdvance(text);
        const double x = t.anchor == ProfileDrawing::Anchor::Start    ? t.at.x
                         : t.anchor == ProfileDrawing::Anchor::Middle ? t.at.x - advance / 2
                                                                      : t.at.x - advance;
        painter.drawText(QPointF(x, t.at.y), text);
    }
}

}  // namespace tavorin
