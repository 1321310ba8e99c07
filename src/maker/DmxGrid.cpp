#include "maker/DmxGrid.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

TDmxGrid::TDmxGrid(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted from the grid's image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TDmxGrid::setColumnCount(int count) {
    columns = std::max(count, 0);
    resizeCells();
}

void TDmxGrid::setRowCount(int count) {
    rows = std::max(count, 0);
    resizeCells();
}

void TDmxGrid::resizeCells() {
    const size_t n = size_t(columns) * size_t(rows);
    texts.assign(n, QString());
    numbers.assign(n, -1);
    changed.assign(n, 0);
    setFixedSize(sizeHint());
    redrawAll();
}

QSize TDmxGrid::sizeHint() const {
    return {columns * CellWidth + 1, rows * CellHeight + 1};
}

QString TDmxGrid::cellText(int column, int row) const {
    if (column < 0 || row < 0 || column >= columns || row >= rows) return {};
    const size_t i = size_t(row) * size_t(columns) + size_t(column);
    return numbers[i] >= 0 ? QString::number(numbers[i]) : texts[i];
}

void TDmxGrid::setCellText(int column, int row, const QString& text) {
    if (column < 0 || row < 0 || column >= columns || row >= rows) return;
    const size_t i = size_t(row) * size_t(columns) + size_t(column);
    if (numbers[i] < 0 && texts[i] == text) return;
    texts[i] = text;
    numbers[i] = -1;
    cellChangedAt(column, row);
}

void TDmxGrid::setCellNumber(int column, int row, uint8_t value) {
    if (column < 0 || row < 0 || column >= columns || row >= rows) return;
    const size_t i = size_t(row) * size_t(columns) + size_t(column);
    if (numbers[i] == value) return;
    numbers[i] = value;
    texts[i].clear();
    cellChangedAt(column, row);
}

void TDmxGrid::cellChangedAt(int column, int row) {
    // A hidden grid brings its image up to date when it is painted again.
    if (isVisible() && !canvasStale)
        drawCell(column, row);
    else
        canvasStale = true;
    changed[size_t(row) * size_t(columns) + size_t(column)] = 1;
    if (!repaintPending) {
        // One repaint request per row for everything changed until the event
        // loop comes round, instead of one per cell.
        repaintPending = true;
        QMetaObject::invokeMethod(this, &TDmxGrid::repaintChangedCells, Qt::QueuedConnection);
    }
    emit cellChanged(column, row);
}

void TDmxGrid::repaintChangedCells() {
    repaintPending = false;
    for (int r = 0; r < rows; ++r) {
        int first = columns, last = -1;
        for (int c = 0; c < columns; ++c) {
            uint8_t& flag = changed[size_t(r) * size_t(columns) + size_t(c)];
            if (!flag) continue;
            flag = 0;
            first = std::min(first, c);
            last = c;
        }
        if (last >= 0) update(cellRect(first, r).united(cellRect(last, r)));
    }
}

QRect TDmxGrid::cellRect(int column, int row) const {
    // A cell paints its own left and top lines; the grid's right and bottom
    // edges are the one pixel past the last cells.
    return {column * CellWidth, row * CellHeight, CellWidth, CellHeight};
}

const QImage& TDmxGrid::numberPicture(uint8_t value) {
    QImage& image = numberPictures[value];
    if (image.isNull()) image = picture(QString::number(value), false);
    return image;
}

const QImage& TDmxGrid::picture(const QString& text, bool fixed) {
    QHash<QString, QImage>& cache = pictures[fixed ? 1 : 0];
    auto found = cache.constFind(text);
    if (found != cache.constEnd()) return *found;
    const qreal ratio = canvas.devicePixelRatio();
    QImage image(QSize(CellWidth, CellHeight) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(fixed ? palette().color(QPalette::Button) : palette().color(QPalette::Base));
    QPainter p(&image);
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, 0, CellWidth - 1, 0);
    p.drawLine(0, 0, 0, CellHeight - 1);
    p.setPen(palette().color(fixed ? QPalette::ButtonText : QPalette::Text));
    p.setFont(font());
    p.drawText(QRect(0, 0, CellWidth, CellHeight), Qt::AlignCenter, text);
    p.end();
    return *cache.insert(text, image);
}

void TDmxGrid::drawCell(int column, int row) {
    const size_t i = size_t(row) * size_t(columns) + size_t(column);
    const bool fixed = row == 0 || column == 0;
    const QImage& cell =
        numbers[i] >= 0 && !fixed ? numberPicture(uint8_t(numbers[i])) : picture(texts[i], fixed);
    // A plain copy of the picture's lines: cells never overlap.
    const qreal ratio = canvas.devicePixelRatio();
    const size_t x = size_t(column * CellWidth * ratio), y = size_t(row * CellHeight * ratio);
    const size_t stride = size_t(canvas.bytesPerLine()), cellStride = size_t(cell.bytesPerLine());
    const size_t bytes = size_t(cell.width()) * 4;
    uchar* to = canvas.bits() + y * stride + x * 4;
    const uchar* from = cell.constBits();
    for (int line = 0; line < cell.height(); ++line, to += stride, from += cellStride)
        std::memcpy(to, from, bytes);
}

void TDmxGrid::redrawAll() {
    canvasStale = false;
    pictures[0].clear();
    pictures[1].clear();
    numberPictures.fill(QImage());
    const qreal ratio = devicePixelRatioF();
    canvas = QImage(sizeHint() * ratio, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(palette().color(QPalette::Mid));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            drawCell(c, r);
    update();
}

void TDmxGrid::paintEvent(QPaintEvent* event) {
    if (canvasStale || !qFuzzyCompare(canvas.devicePixelRatio(), devicePixelRatioF())) redrawAll();
    QPainter p(this);
    const qreal ratio = canvas.devicePixelRatio();
    // Row by row: strips this small are copied at once, without handing the
    // copy to other threads and waiting for them.
    for (const QRect& area : event->region())
        for (int top = area.top(); top <= area.bottom(); top = (top / CellHeight + 1) * CellHeight) {
            const int bottom = std::min(area.bottom(), (top / CellHeight + 1) * CellHeight - 1);
            const QRect strip(area.left(), top, area.width(), bottom - top + 1);
            p.drawImage(strip, canvas,
                        QRectF(QPointF(strip.topLeft()) * ratio, QSizeF(strip.size()) * ratio));
        }
}

void TDmxGrid::changeEvent(QEvent* event) {
    // Pictures drawn with the old font or colours are drawn again.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::StyleChange)
        redrawAll();
    QWidget::changeEvent(event);
}
