#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

// A grid of short texts with a fixed header row and column, made for values
// that change many times a second. Each distinct text is drawn once into a
// picture; a changed cell copies its picture into the grid's own image, and
// the changes of one pass of the event loop reach the screen together, one
// rectangle per row.
class TDmxGrid : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int columnCount READ columnCount WRITE setColumnCount)
    Q_PROPERTY(int rowCount READ rowCount WRITE setRowCount)

public:
    explicit TDmxGrid(QWidget* parent = nullptr);

    int columnCount() const { return columns; }
    int rowCount() const { return rows; }
    void setColumnCount(int count);
    void setRowCount(int count);

    QString cellText(int column, int row) const;
    // Nothing happens when the cell shows this text already.
    void setCellText(int column, int row, const QString& text);
    // The same for a number 0..255 in decimal, without building its text.
    void setCellNumber(int column, int row, uint8_t value);

    static constexpr int CellWidth = 34;
    static constexpr int CellHeight = 22;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // A cell's text changed (and the cell will be repainted).
    void cellChanged(int column, int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void resizeCells();
    QRect cellRect(int column, int row) const;
    const QImage& picture(const QString& text, bool fixed);
    const QImage& numberPicture(uint8_t value);
    void drawCell(int column, int row);
    void cellChangedAt(int column, int row);
    void redrawAll();
    void repaintChangedCells();

    int columns = 0;
    int rows = 0;
    std::vector<QString> texts;
    std::vector<int16_t> numbers; // the cell's number, or -1 when it holds a text
    std::vector<uint8_t> changed;
    bool repaintPending = false;
    bool canvasStale = false;           // cells changed while the grid was hidden
    QImage canvas;                      // the whole grid, as painted
    QHash<QString, QImage> pictures[2]; // [1]: header cells
    std::array<QImage, 256> numberPictures;
};
