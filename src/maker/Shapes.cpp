#include "maker/Shapes.h"

#include <QMouseEvent>
#include <QPainter>

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::setColour(uint32_t colour) {
    colour &= 0xFFFFFF;
    if (colour == m_colour) return;
    m_colour = colour;
    update();
}

void TShape::setRounded(bool r) {
    m_rounded = r;
    update();
}

void TShape::setCircle(bool circle) {
    m_circle = circle;
    update();
}

void TShape::setPenWidth(int width) {
    m_penWidth = width;
    update();
}

QColor TShape::ToQColor(uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

uint32_t TShape::FromQColor(const QColor& c) {
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_rounded || m_circle);
    p.setPen(QPen(Qt::black, m_penWidth));
    p.setBrush(ToQColor(m_colour));
    // The outline lies inside the shape's rectangle.
    const qreal half = m_penWidth / 2.0;
    const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
    if (m_circle)
        p.drawEllipse(r);
    else if (m_rounded)
        p.drawRoundedRect(r, 6, 6);
    else
        p.drawRect(r);
}

void TShape::mousePressEvent(QMouseEvent* e) {
    emit mouseDown(e->buttons(), e->modifiers(), e->position().toPoint(), false);
}

void TShape::mouseDoubleClickEvent(QMouseEvent* e) {
    emit mouseDown(e->buttons(), e->modifiers(), e->position().toPoint(), true);
}

void TShape::mouseReleaseEvent(QMouseEvent*) {
    emit mouseUp();
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}
