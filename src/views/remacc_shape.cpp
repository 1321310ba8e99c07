#include "views/remacc_shape.h"

#include <QMouseEvent>
#include <QPainter>

#include "maker/Shapes.h"

TRemAccShape::TRemAccShape(QWidget* parent) : QWidget(parent) {}

void TRemAccShape::setColour(uint32_t colour) {
    m_colour = colour & 0xFFFFFF;
    update();
}

void TRemAccShape::setCircle(bool circle) {
    m_circle = circle;
    update();
}

void TRemAccShape::setPenWidth(int width) {
    m_penWidth = width;
    update();
}

void TRemAccShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_circle);
    p.setPen(QPen(Qt::black, m_penWidth));
    p.setBrush(TShape::ToQColor(m_colour));
    const qreal half = m_penWidth / 2.0;
    const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
    if (m_circle)
        p.drawEllipse(r);
    else
        p.drawRect(r);
}

void TRemAccShape::mousePressEvent(QMouseEvent*) {
    emit mouseDown();
}

void TRemAccShape::mouseReleaseEvent(QMouseEvent*) {
    emit mouseUp();
}
