#pragma once

#include <QObject>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "app/MainState.h"

namespace Ui {
class DmxChannelMap;
}
class QPainter;
class QRect;
class QTableWidget;
class TfrmMain;
struct tRdmDevice;

// Colours of the channel grid (0x00BBGGRR).
inline constexpr uint32_t DmxChannelUsed = 0x808080;      // grey
inline constexpr uint32_t DmxChannelUsedAlt = 0xC0C0C0;   // silver, every second device
inline constexpr uint32_t DmxChannelSelected = 0x00FFFF;  // yellow
inline constexpr uint32_t DmxChannelCollision = 0x0000FF; // red

// The grid's geometry: 22 cells a row, a pitch of 22 by 17 pixels (21 by 16
// cells and their grid lines), so that a mouse position gives its channel by
// division.
inline constexpr int DmxGridColumns = 22;
inline constexpr int DmxGridRows = 24;
inline constexpr int DmxGridPitchX = 22;
inline constexpr int DmxGridPitchY = 17;

// The channels a record occupies, 0-based: none unless it is a device whose
// start address lies in 1..512 and whose current personality has a footprint
// that ends at or below channel 512.
struct DmxRange {
    int first;
    int last;
};
std::optional<DmxRange> OccupiedChannels(const tRdmDevice& rec);

// Fills the map from the records of the tree's nodes, in index order (a null
// entry is a node without a record), with the node `selected` in yellow, and
// shades every second neighbouring device silver.
void FillDmxChannelMap(std::array<tDmxChannel, 512>& map, std::span<const tRdmDevice* const> nodes,
                       int selected);

// The "DMX issue" tab: the main window's `DmxChannelMap` drawn on `StringGrid1`
// with its legend, and a device moved by dragging its channels.
class TDmxChannelMap : public QObject {
    Q_OBJECT

public:
    explicit TDmxChannelMap(TfrmMain* mainWindow);
    ~TDmxChannelMap() override;

    static TDmxChannelMap* of(const TfrmMain* mainWindow);

    void BuildDmxChannelMap();
    void StringGrid1DrawCell(int column, int row, const QRect& rect, QPainter& painter) const;
    void StringGrid1MouseDown(int X, int Y);
    void StringGrid1MouseMove(int X, int Y);
    void StringGrid1MouseUp();

    // 1 while a drag is under way; the grabbed channel's 0-based position in
    // the device; the device's start address when the drag began.
    uint8_t DragActive = 0;
    uint16_t DragGrabOffset = 0;
    uint16_t DragStartAddress = 0;

    std::unique_ptr<Ui::DmxChannelMap> ui; // the legend and the hint below the grid

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableWidget* grid() const;
    // The record being dragged, while it is still the node the drag began on.
    tRdmDevice* draggedRecord() const;

    TfrmMain* frm;
    const QObject* gridViewport = nullptr;
    // What the drag began on, so that a tree rebuilt under it ends the drag.
    const tRdmDevice* dragRecord = nullptr;
    uint64_t dragUid = 0;
    uint16_t dragSubDevice = 0;
};
