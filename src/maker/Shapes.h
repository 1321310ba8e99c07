#pragma once

#include <QLabel>
#include <QWidget>
#include <cstdint>

// A filled square (optionally with rounded corners) or circle with a black
// outline, whose colour is a 32-bit value with red in the low byte, green in
// the second and blue in the third. Qt delivers the release of a button to
// the shape it was pressed on, wherever the mouse is let go.
class TShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool rounded READ rounded WRITE setRounded)
    Q_PROPERTY(bool circle READ circle WRITE setCircle)
    Q_PROPERTY(int penWidth READ penWidth WRITE setPenWidth)

public:
    explicit TShape(QWidget* parent = nullptr);

    uint32_t colour() const { return m_colour; }
    void setColour(uint32_t colour);

    bool rounded() const { return m_rounded; }
    void setRounded(bool r);
    bool circle() const { return m_circle; }
    void setCircle(bool circle);
    int penWidth() const { return m_penWidth; }
    void setPenWidth(int width);

    static QColor ToQColor(uint32_t colour);
    static uint32_t FromQColor(const QColor& colour);

signals:
    // A mouse button went down on the shape: the buttons held, the modifier
    // keys, the position inside the shape, and whether it was a double click.
    void mouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos, bool doubleClick);
    void mouseUp();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    uint32_t m_colour = 0xFFFFFF;
    bool m_rounded = false;
    bool m_circle = false;
    int m_penWidth = 1;
};

// A label that reports a click.
class TClickLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
