#include "views/dmx_channel_map.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <vector>

#include "app/Main.h"
#include "maker/Shapes.h"
#include "rdm/RdmDevice.h"
#include "ui_DmxChannelMap.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"
#include "views/rdm_set.h"

namespace {

constexpr int Channels = 512;
// The cells of row 23 past channel 512 stand for no channel: they take the
// colour of the page, so that the grid visibly ends at 512.
constexpr uint32_t NoChannelColour = 0xE0E0E0;

uint16_t Footprint(const tRdmDevice& rec) {
    return rec.currentPersonality == 0 ? 0 : rec.personalities[rec.currentPersonality].footprint;
}

bool Shaded(uint32_t colour) {
    return colour == DmxChannelUsed || colour == DmxChannelUsedAlt;
}

// The channel under a point of the grid's viewport, or -1 outside the 512 cells.
int ChannelAt(int X, int Y) {
    if (X < 0 || Y < 0 || X >= DmxGridColumns * DmxGridPitchX || Y >= DmxGridRows * DmxGridPitchY) return -1;
    const int slot = (Y / DmxGridPitchY) * DmxGridColumns + X / DmxGridPitchX;
    return slot < Channels ? slot : -1;
}

class DmxCellDelegate : public QStyledItemDelegate {
public:
    DmxCellDelegate(const TDmxChannelMap& map, QObject* parent) : QStyledItemDelegate(parent), map(map) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        map.StringGrid1DrawCell(index.column(), index.row(), option.rect, *painter);
    }

private:
    const TDmxChannelMap& map;
};

} // namespace

std::optional<DmxRange> OccupiedChannels(const tRdmDevice& rec) {
    if (rec.nodeKind == NodeKindGroup) return std::nullopt;
    const int a = rec.dmxStartAddress;
    const int f = Footprint(rec);
    // A device that does not fit below channel 513 is not drawn at all.
    if (a < 1 || a > Channels || f == 0 || a - 1 + f - 1 >= Channels) return std::nullopt;
    return DmxRange{a - 1, a - 1 + f - 1};
}

void FillDmxChannelMap(std::array<tDmxChannel, 512>& map, std::span<const tRdmDevice* const> nodes,
                       int selected) {
    for (tDmxChannel& ch : map)
        ch = tDmxChannel{DmxChannelFree, 0};
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (!nodes[i]) continue;
        const auto range = OccupiedChannels(*nodes[i]);
        if (!range) continue;
        const uint32_t colour = int(i) == selected ? DmxChannelSelected : DmxChannelUsed;
        for (int k = range->first; k <= range->last; ++k) {
            tDmxChannel& ch = map[size_t(k)];
            ch.colour = ch.colour == DmxChannelFree ? colour : DmxChannelCollision;
            ch.device = uint16_t(i + 1); // the last node drawn owns a shared channel
        }
    }
    // Neighbouring devices alternate between grey and silver. Yellow and red
    // channels count as borders; channel 1 itself always stays grey.
    int p = map[0].device == 0 ? 1 : 0;
    for (size_t k = 1; k < map.size(); ++k) {
        const uint32_t cur = map[k].colour;
        const uint32_t prev = map[k - 1].colour;
        if (cur != DmxChannelUsed && Shaded(prev)) p = 1 - p;
        if (cur == DmxChannelUsed && Shaded(prev) && map[k].device != map[k - 1].device) p = 1 - p;
        if (cur != DmxChannelSelected && prev == DmxChannelSelected) p = 1 - p;
        if (cur == DmxChannelUsed && p == 1) map[k].colour = DmxChannelUsedAlt;
    }
}

TDmxChannelMap::TDmxChannelMap(TfrmMain* mainWindow)
    : QObject(mainWindow), ui(std::make_unique<Ui::DmxChannelMap>()), frm(mainWindow) {
    setObjectName(QStringLiteral("DmxChannelMap"));
    QTableWidget* g = grid();
    g->setItemDelegate(new DmxCellDelegate(*this, g));
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->setFrameShape(QFrame::NoFrame);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setFocusPolicy(Qt::NoFocus);
    for (QHeaderView* h : {g->horizontalHeader(), g->verticalHeader()}) {
        h->setMinimumSectionSize(1);
        h->setSectionResizeMode(QHeaderView::Fixed);
    }
    for (int c = 0; c < g->columnCount(); ++c)
        g->setColumnWidth(c, DmxGridPitchX);
    for (int r = 0; r < g->rowCount(); ++r)
        g->setRowHeight(r, DmxGridPitchY);
    QFont font = g->font();
    font.setPixelSize(8);
    g->setFont(font);
    // The last grid line of each direction lies outside the cells.
    g->setFixedSize(DmxGridColumns * DmxGridPitchX + 1, DmxGridRows * DmxGridPitchY + 1);
    g->viewport()->installEventFilter(this);
    gridViewport = g->viewport();

    QWidget* page = frm->rdmUi->tsDmxKiosztas;
    auto* legend = new QWidget(page);
    ui->setupUi(legend);
    auto* layout = static_cast<QVBoxLayout*>(page->layout());
    layout->setAlignment(g, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(legend, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);
    ui->sDmxkiosztFree->setColour(DmxChannelFree);
    ui->sDmxkiosztUsed1->setColour(DmxChannelUsed);
    ui->sDmxkiosztUsed2->setColour(DmxChannelUsedAlt);
    ui->sDmxkiosztSel->setColour(DmxChannelSelected);
    ui->sDmxkiosztColl->setColour(DmxChannelCollision);

    if (RdmPageView* view = frm->rdmView) view->hooks.BuildDmxChannelMap = [this] { BuildDmxChannelMap(); };
}

TDmxChannelMap::~TDmxChannelMap() = default;

TDmxChannelMap* TDmxChannelMap::of(const TfrmMain* mainWindow) {
    return mainWindow ? mainWindow->findChild<TDmxChannelMap*>(QString(), Qt::FindDirectChildrenOnly)
                      : nullptr;
}

QTableWidget* TDmxChannelMap::grid() const {
    return frm->rdmUi->StringGrid1;
}

void TDmxChannelMap::BuildDmxChannelMap() {
    RdmPageView* view = frm->rdmView;
    std::vector<const tRdmDevice*> nodes;
    if (view) {
        const int n = view->NodeCountInTree();
        nodes.reserve(size_t(n));
        for (int i = 0; i < n; ++i)
            nodes.push_back(view->RecordAt(i));
    }
    FillDmxChannelMap(frm->DmxChannelMap, nodes, view ? view->RdmCurrentNode() : -1);
    grid()->viewport()->update();
}

void TDmxChannelMap::StringGrid1DrawCell(int column, int row, const QRect& rect, QPainter& painter) const {
    const int index = row * DmxGridColumns + column;
    const uint32_t colour =
        index >= 0 && index < Channels ? frm->DmxChannelMap[size_t(index)].colour : NoChannelColour;
    painter.fillRect(rect, TShape::ToQColor(colour));
    const QTableWidgetItem* item = grid()->item(row, column);
    if (!item || index >= Channels) return;
    painter.setPen(Qt::black);
    painter.setFont(grid()->font());
    painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, item->text());
}

tRdmDevice* TDmxChannelMap::draggedRecord() const {
    RdmPageView* view = frm->rdmView;
    tRdmDevice* rec = view ? view->RecordAt(view->RdmCurrentNode()) : nullptr;
    if (!rec || rec != dragRecord || rec->uid != dragUid || rec->subDevice != dragSubDevice) return nullptr;
    return rec;
}

void TDmxChannelMap::StringGrid1MouseDown(int X, int Y) {
    DragActive = 0;
    const int slot = ChannelAt(X, Y);
    RdmPageView* view = frm->rdmView;
    if (slot < 0 || !view || frm->DmxChannelMap[size_t(slot)].colour == DmxChannelFree) return;
    const int n = view->NodeCountInTree();
    for (int i = 0; i < n; ++i) {
        const tRdmDevice* found = view->RecordAt(i);
        const auto range = found ? OccupiedChannels(*found) : std::nullopt;
        if (!range || slot < range->first || slot > range->last) continue;
        QTreeWidgetItem* item = NodeAt(view->tree(), i);
        if (!item) return;
        // A pick is a click on the device's node: the same tabs, pages,
        // requests and polling follow, and the same wait while an answer
        // is on its way. A pick that waits moves nothing.
        view->tree()->setCurrentItem(item);
        view->tvDeviceListClick();
        tRdmDevice* rec = view->RecordAt(i);
        if (!rec || view->RdmCurrentNode() != i || view->LineHeld()) return;
        DragGrabOffset = uint16_t(slot + 1 - rec->dmxStartAddress);
        DragStartAddress = rec->dmxStartAddress;
        dragRecord = rec;
        dragUid = rec->uid;
        dragSubDevice = rec->subDevice;
        DragActive = 1;
        return;
    }
}

void TDmxChannelMap::StringGrid1MouseMove(int X, int Y) {
    if (DragActive != 1 || X <= 0 || Y <= 0) return;
    tRdmDevice* rec = draggedRecord();
    if (!rec) {
        // The tree was rebuilt or emptied under the drag.
        DragActive = 0;
        return;
    }
    const int slot = ChannelAt(X, Y);
    if (slot < 0) return;
    const int address = slot + 1 - DragGrabOffset;
    const int f = Footprint(*rec);
    if (address < 1 || address + f - 1 > Channels || address == rec->dmxStartAddress) return;
    rec->dmxStartAddress = uint16_t(address);
    BuildDmxChannelMap();
}

void TDmxChannelMap::StringGrid1MouseUp() {
    if (DragActive != 1) return;
    DragActive = 0;
    const tRdmDevice* rec = draggedRecord();
    if (!rec || rec->dmxStartAddress == DragStartAddress) return;
    // Sent in demo mode too.
    if (TRdmSetCommands* commands = TRdmSetCommands::of(frm))
        commands->SendDmxStartAddress(frm->rdmView->RdmCurrentNode(), DragStartAddress);
}

bool TDmxChannelMap::eventFilter(QObject* watched, QEvent* event) {
    // Compared by address only: while the window closes its forms go before this filter.
    if (watched != gridViewport) return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        StringGrid1MouseDown(pos.x(), pos.y());
        return true;
    }
    case QEvent::MouseMove: {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        StringGrid1MouseMove(pos.x(), pos.y());
        return true;
    }
    case QEvent::MouseButtonRelease:
        StringGrid1MouseUp();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
