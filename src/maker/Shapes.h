#pragma once

#include <QLabel>
#include <QWidget>
#include <cstdint>

// A filled square (optionally with rounded corners) whose colour is a 32-bit
// value with red in the low byte, green in the second and blue in the third.
class TShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool rounded READ rounded WRITE setRounded)

public:
    explicit TShape(QWidget* parent = nullptr);

    uint32_t colour() const { return m_colour; }
    void setColour(uint32_t colour);

    bool rounded() const { return m_rounded; }
    void setRounded(bool r);

    static QColor ToQColor(uint32_t colour);
    static uint32_t FromQColor(const QColor& colour);

signals:
    // A mouse button went down on the shape: the buttons held, the modifier
    // keys, the position inside the shape, and whether it was a double click.
    void mouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos, bool doubleClick);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    uint32_t m_colour = 0xFFFFFF;
    bool m_rounded = false;
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
