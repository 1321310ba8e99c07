#pragma once

#include <QWidget>
#include <cstdint>

// A shape of the remote-access tab: a rectangle or a circle with a fill
// colour (0x00BBGGRR) and a black outline of a chosen width. It reports the
// press and the release of a mouse button; Qt delivers the release to the
// shape that was pressed, wherever the mouse is let go.
class TRemAccShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool circle READ circle WRITE setCircle)
    Q_PROPERTY(int penWidth READ penWidth WRITE setPenWidth)

public:
    explicit TRemAccShape(QWidget* parent = nullptr);

    uint32_t colour() const { return m_colour; }
    void setColour(uint32_t colour);
    bool circle() const { return m_circle; }
    void setCircle(bool circle);
    int penWidth() const { return m_penWidth; }
    void setPenWidth(int width);

signals:
    void mouseDown();
    void mouseUp();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    uint32_t m_colour = 0xFFFFFF;
    bool m_circle = false;
    int m_penWidth = 1;
};
