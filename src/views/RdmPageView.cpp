#include "views/RdmPageView.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/Main.h"
#include "app/Notebook.h"
#include "link/DataModule.h"
#include "link/LinkTypes.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_ops.h"
#include "ui_Main.h"
#include "ui_RdmPage.h"
#include "ui_SpecialTab.h"
#include "views/DeviceTree.h"
#include "views/PageLog.h"
#include "views/rdm_scan.h"

RdmPageView::RdmPageView(TfrmMain* mainWindow)
    : QObject(mainWindow), frmMain(mainWindow), ui(mainWindow->rdmUi.get()),
      specUi(std::make_unique<Ui::SpecialTab>()),
      deviceLog(new PageLog(ui->mDeviceList, DeviceLogLimit, this)),
      debugLog(new PageLog(ui->mDebug, DebugLogLimit, this)), Discovery(*this),
      Scan(std::make_unique<RdmScan>(*this)) {
    auto* special = new QWidget(ui->tsSpecial);
    specUi->setupUi(special);
    ui->tsSpecial->layout()->addWidget(special);
    // The Special notebook's pages are chosen by device kind, never by the user.
    specUi->nbRdmSpecial->tabBar()->hide();

    ui->btnClrTortenet->setIcon(ui->btnClrTortenet->style()->standardIcon(QStyle::SP_DialogResetButton));
    // The clear button is the window's cancel button: Escape empties the log while the page shows.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), ui->tvDeviceList->parentWidget());
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] { btnClrTortenetClick(); });

    ui->tvDeviceList->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row is one line of text: the tree need not measure each row each
    // time it lays out its hundreds of nodes.
    ui->tvDeviceList->setUniformRowHeights(true);
    // During a run the tree grows at nearly every request; the window shows it in batches.
    const auto running = [this] { return RunInProgress(); };
    new RepaintBatch(frmMain, running, this);

    QAbstractItemModel* treeModel = ui->tvDeviceList->model();
    // The groups that discovery made in an emptied tree, by caption (see AddFoundDevice).
    connect(treeModel, &QAbstractItemModel::modelReset, this, [this] {
        groupsByCaption.clear();
        groupsByCaptionExact = true;
    });
    const auto otherChange = [this] { groupsByCaptionExact = false; };
    connect(treeModel, &QAbstractItemModel::rowsInserted, this, [this] {
        if (!addingFoundDevice) groupsByCaptionExact = false;
    });
    connect(treeModel, &QAbstractItemModel::rowsRemoved, this, otherChange);
    connect(treeModel, &QAbstractItemModel::rowsMoved, this, otherChange);
    connect(treeModel, &QAbstractItemModel::dataChanged, this, otherChange);
    connect(treeModel, &QAbstractItemModel::layoutChanged, this, otherChange);

    connect(mainWindow->ui->mAblakRdm, &QAction::triggered, this, [this] { mAblakRdmClick(); });
    connect(ui->btnDiscovery, &QPushButton::clicked, this, [this] { btnDiscoveryClick(); });
    connect(ui->btnDemoDisc, &QPushButton::clicked, this, [this] { btnDemoDiscClick(); });
    connect(ui->tvDeviceList, &QTreeWidget::itemClicked, this, [this] { tvDeviceListClick(); });
    // A selection moved by the keyboard is taken as a click is.
    ui->tvDeviceList->installEventFilter(this);
    // An answer that never comes lets the line go after its deadline; a
    // click held for it is then taken.
    heldClickTimer = new QTimer(this);
    heldClickTimer->setSingleShot(true);
    connect(heldClickTimer, &QTimer::timeout, this, [this] { TakeHeldClick(); });
    connect(ui->pcRdm, &QTabWidget::currentChanged, this, [this] {
        if (!changingTabByCode) pcRdmChange();
    });
    connect(ui->btnClrTortenet, &QToolButton::clicked, this, [this] { btnClrTortenetClick(); });
    connect(ui->bclrDebug, &QPushButton::clicked, this, [this] { bclrDebugClick(); });
}

RdmPageView::~RdmPageView() = default;

QTreeWidget* RdmPageView::tree() const {
    return ui->tvDeviceList;
}

tRdmDevice* RdmPageView::RecordAt(int node) const {
    return DeviceRecordAt(ui->tvDeviceList, node);
}

int RdmPageView::NodeCountInTree() const {
    return NodeCount(ui->tvDeviceList);
}

uint16_t& RdmPageView::RdmCurrentNode() {
    TDM* dm = frmMain->dataModule();
    return dm ? dm->RdmGlobals().RdmCurrentNode : currentNodeFallback;
}

QString RdmPageView::Text(int n) const {
    return frmMain->text(n);
}

void RdmPageView::AddDeviceListLine(const QString& text) {
    deviceLog->Add(text);
}

void RdmPageView::AddDetailLine(const QString& text) {
    if (ui->cbReszl->isChecked()) AddDeviceListLine(text);
}

void RdmPageView::btnClrTortenetClick() {
    deviceLog->Clear();
}

void RdmPageView::bclrDebugClick() {
    debugLog->Clear();
}

void RdmPageView::SelectRdmTab(int index) {
    changingTabByCode = true;
    ui->pcRdm->setCurrentIndex(index);
    changingTabByCode = false;
}

bool RdmPageView::RunInProgress() const {
    // A run that lost its interface ends for the views when the button comes back.
    return DiscoveryRunning && !ui->btnDiscovery->isEnabled();
}

bool RdmPageView::ScanHoldsTheLine() const {
    if (RunInProgress()) return true;
    TDM* dm = frmMain->dataModule();
    if (!dm) return false;
    const RdmState& st = dm->RdmGlobals();
    return st.RdmPendingOp == RdmOpScan && st.AwaitingAnswer != 0;
}

bool RdmPageView::LineHeld() const {
    if (ScanHoldsTheLine()) return true;
    TDM* dm = frmMain->dataModule();
    return dm && (dm->HoldingPause() || dm->RdmOperationAnswerAwaited());
}

bool RdmPageView::SendersHeld() const {
    if (LineHeld()) return true;
    TDM* dm = frmMain->dataModule();
    return dm && dm->OperationPausing();
}

void RdmPageView::EndLineOperations(const QString& why) {
    TDM* dm = frmMain->dataModule();
    if (!dm) return;
    // What runs from one answer to the next learns it is cut off while it
    // can still tell its own operation from one that ended before.
    emit LineOperationsEnding();
    // A sensor command pressed before would otherwise go out at a poll after
    // an interface is back, or to a device listed again.
    if (hooks.DropSensorCommands) hooks.DropSensorCommands(why);
    // Nor does the repeated discovery test start a run on a line that is
    // gone, or over the demo's tree.
    dm->tTest->stop();
    RdmState& st = dm->RdmGlobals();
    // Nothing waits for an answer any more, nothing is asked again, and no
    // pause goes on to send what it would have.
    st.Asked.open = false;
    st.RdmPendingOp = RdmOpNone;
    st.AwaitingAnswer = 0;
    st.ScanRequestOut = false;
    st.RdmRetryCount = 0;
    dm->EndOperationPauses();
}

void RdmPageView::InterfaceRemoved() {
    TDM* dm = frmMain->dataModule();
    if (!dm) return;
    const bool run = DiscoveryRunning;
    if (run || ScanHoldsTheLine()) {
        Scan->CutShortByRemoval(run);
        // Nothing of it goes on when an interface arrives again: no request
        // left in the queue, no resend; the next discovery starts afresh.
        DiscoveryRunning = false;
        Discovery.DiscoveryTop = -1;
        dm->DropQueuedPackets();
        // The devices found so far are asked by clicks, whose answers are RDM's.
        if (dm->LinkMode == LinkModeDiscovery) dm->LinkMode = LinkModeRdm;
    }
    // Every operation of the line ends with it; a request still queued
    // would reach a device nobody waits for once an interface is back.
    EndLineOperations(QStringLiteral("the USB interface was removed"));
    dm->DropQueuedRdmRequests();
    // A click held meanwhile is taken now, in the tree it was made in: the
    // page is free, and works on the node the tree shows.
    TakeHeldClick();
}

void RdmPageView::HoldClick() {
    clickHeld = true;
    if (!RunInProgress()) heldClickTimer->start(TDM::RdmAnswerDeadlineMs + 10);
}

void RdmPageView::TakeHeldClick() {
    if (!clickHeld) return;
    if (LineHeld()) {
        HoldClick();
        return;
    }
    clickHeld = false;
    heldClickTimer->stop();
    tvDeviceListClick();
}

bool RdmPageView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || watched != ui->tvDeviceList)
        return QObject::eventFilter(watched, event);
    // Let the tree move its selection first, then take it as a click.
    const QTreeWidgetItem* before = ui->tvDeviceList->currentItem();
    event->accept();
    watched->event(event);
    if (ui->tvDeviceList->currentItem() != before) tvDeviceListClick();
    // A key the tree has no use for goes on to its parents, as it would have.
    if (!event->isAccepted())
        if (QWidget* parent = ui->tvDeviceList->parentWidget()) QCoreApplication::sendEvent(parent, event);
    return true;
}

void RdmPageView::mAblakRdmClick() {
    frmMain->showMainPage(QStringLiteral("RDM"));
}

void RdmPageView::btnDiscoveryClick() {
    DemoMode = 0;
    PrepareDiscovery();
    Discovery.StartDiscovery();
}

void RdmPageView::btnDemoDiscClick() {
    DemoMode = 1;
    // A click held goes with the tree it was made in.
    clickHeld = false;
    // The demo's nodes are none of the line's devices: an operation on its way
    // has no record left to go to, and holds nothing back.
    EndLineOperations(QStringLiteral("the demo replaced the devices"));
    if (DiscoveryRunning) {
        // The demo replaces the tree under a search or scan: end them, so that
        // late answers are not read into the demo's records.
        DiscoveryRunning = false;
        Discovery.DiscoveryTop = -1;
        if (TDM* dm = frmMain->dataModule()) ui->btnDiscovery->setEnabled(dm->HidConnected);
    }
    BuildDemoDeviceTree();
    FillDemoDeviceData();
    // The page showed a node of the tree that is gone: it shows nothing of
    // it, and works on no demo node, until one is picked.
    RdmCurrentNode() = 0;
    ClearDeviceDetails();
    ShowDeviceSpecialPage();
    CallHook(hooks.UpdateRemoteAccessTab);
}

void RdmPageView::RestartDiscoveryTest() {
    // The discovery's start stops the test's timer.
    PrepareDiscovery();
    Discovery.StartDiscovery();
}

void RdmPageView::FreeDeviceRecords() {
    // Records belong to their nodes: releasing them is removing the nodes,
    // which every caller does next anyway.
    ClearDeviceTree(ui->tvDeviceList);
}

void RdmPageView::PrepareDiscovery() {
    // A click held goes with the tree it was made in, and whatever operation
    // held it ends: the search takes the line.
    clickHeld = false;
    EndLineOperations(QStringLiteral("a discovery was started"));
    CallHook(hooks.StopSensorPolling);
    ui->btnDiscovery->setEnabled(false);
    DiscoveryRunning = true;
    ClearDeviceDetails();
    SelectRdmTab(0);
    ui->pcRdm->setTabVisible(ui->pcRdm->indexOf(ui->tsSpecial), false);
    AddDeviceListLine(Text(49));
    TDM* dm = frmMain->dataModule();
    if (dm) {
        dm->LinkMode = 1;
        dm->LinkSubState = 1;
    }
    FreeDeviceRecords();
    if (dm) {
        dm->HidReport[1] = 0x01;
        dm->HidReport[2] = 0x32;
        dm->HidReport[3] = 0x28;
        dm->SendHidReport();
    }
    // Broadcast DISC_UN_MUTE; the pending operation and PID stay as they are.
    SendDiscoveryRequest(0xFFFF'FFFFFFFFull, 0x0003, {}, RdmLinkTypeBroadcast);
    AddDeviceListLine(Text(50));
}

void RdmPageView::tvDeviceListClick() {
    QTreeWidgetItem* item = ui->tvDeviceList->currentItem();
    if (NodeCountInTree() == 0 || !item || !item->isSelected()) return;
    const int node = NodeIndex(ui->tvDeviceList, item);
    if (node < 0) return;
    if (LineHeld()) {
        // The scan works on the current node, and an operation on one device
        // has its answer on its way: showing another node now would make the
        // page's buttons act on a node the page does not show, or leave the
        // operation's page to another device. The click is taken when the
        // run or the operation has ended.
        HoldClick();
        return;
    }
    RdmCurrentNode() = static_cast<uint16_t>(node);
    ShowDeviceDetails(node);
    CallHook(hooks.BuildDmxChannelMap);
    ShowDeviceSpecialPage();
    CallHook(hooks.UpdateRemoteAccessTab);
    if (DemoMode == 1) return;
    if (const tRdmDevice* rec = RecordAt(node)) {
        // Read for the page, and never in place of an answer another
        // operation waits for: it goes out once the line is free.
        switch (rec->DeviceKind) {
        case 1:
            CallHook(hooks.ReadDeviceMode, 0x8000);
            break;
        case 2:
        case 4:
            CallHook(hooks.ReadDeviceMode, 0x8004);
            break;
        default:
            break;
        }
    }
    CallHook(hooks.StopSensorPolling);
    if (ui->pcRdm->currentWidget() == ui->tsErzekelok) CallHook(hooks.StartSensorPolling);
    CallHook(hooks.StopRemoteAccess);
    if (ui->pcRdm->currentWidget() == ui->tsRemoteAccess) CallHook(hooks.StartRemoteAccess);
}

void RdmPageView::pcRdmChange() {
    QWidget* tab = ui->pcRdm->currentWidget();
    const tRdmDevice* rec = RecordAt(RdmCurrentNode());
    const bool nodes = NodeCountInTree() > 0;
    if (tab == ui->tsSpecial && nodes && DemoMode == 0 && rec && !RunInProgress()) {
        // As for a click: the mode goes out once the line is free.
        switch (rec->DeviceKind) {
        case 1:
            CallHook(hooks.ReadDeviceMode, 0x8000);
            break;
        case 2:
        case 4:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
            CallHook(hooks.ReadDeviceMode, 0x8004);
            break;
        default:
            break;
        }
    }
    if (tab == ui->tsDmxKiosztas && nodes) CallHook(hooks.BuildDmxChannelMap);
    if (tab == ui->tsErzekelok && nodes) CallHook(hooks.ShowSensorPage);
    if (frmMain->mainPageCaption().compare(QStringLiteral("RDM"), Qt::CaseInsensitive) == 0 &&
        tab == ui->tsErzekelok && nodes) {
        CallHook(DemoMode ? hooks.StopSensorPolling : hooks.StartSensorPolling);
    }
    if (tab == ui->tsRemoteAccess && nodes)
        CallHook(DemoMode ? hooks.StopRemoteAccess : hooks.StartRemoteAccess);
}

void RdmPageView::SendDiscoveryRequest(uint64_t destination, uint16_t pid, std::span<const uint8_t> data,
                                       uint8_t linkType) {
    TDM* dm = frmMain->dataModule();
    if (!dm) return;
    // A run's un-mute that the full queue refused goes before the search's
    // next request: devices still muted by an earlier run would answer nothing.
    if (pid != PID_DISC_UN_MUTE && unMuteOwed)
        SendDiscoveryRequest(0xFFFF'FFFFFFFFull, PID_DISC_UN_MUTE, {}, RdmLinkTypeBroadcast);
    // The parameter data goes through the shared request buffer, as every request's does.
    RdmState& st = dm->RdmGlobals();
    const size_t n = std::min(data.size(), st.RdmParamData.size());
    std::copy_n(data.begin(), n, st.RdmParamData.begin());
    const bool queued = dm->SendRdmRequest(0, RdmDiscoveryCommand, destination, pid, static_cast<uint8_t>(n),
                                           std::span<const uint8_t>(st.RdmParamData.data(), n), linkType);
    if (pid == PID_DISC_UN_MUTE) unMuteOwed = !queued;
}

void RdmPageView::SendGetByPid(const tRdmDevice& rec, uint16_t pid) {
    TDM* dm = frmMain->dataModule();
    if (!dm) return;
    dm->RdmGlobals().RdmCurrentPid = pid;
    // Read for the page only: a SET pressed meanwhile may take the line.
    dm->RdmGlobals().NextRequestIsPoll = true;
    dm->SendRdmRequest(rec.subDevice, RdmGetCommand, rec.uid, pid, 0, {}, RdmLinkTypeRequest);
}

void RdmPageView::AddFoundDevice(uint64_t uid) {
    QTreeWidget* tv = ui->tvDeviceList;
    const QString group = FormatManufacturerId(uid);
    QTreeWidgetItem* parent = nullptr;
    // The first node with the manufacturer's caption, in tree (depth-first)
    // order. While the tree holds only what discovery added since it was
    // emptied, that is the group made for the manufacturer, found by its
    // caption without walking the tree; otherwise the tree is walked.
    if (groupsByCaptionExact) {
        parent = groupsByCaption.value(group);
    } else {
        for (QTreeWidgetItemIterator it(tv); *it && !parent; ++it)
            if ((*it)->text(0) == group) parent = *it;
    }
    addingFoundDevice = true;
    if (!parent) {
        DeviceNode* g = AddDeviceNode(tv, nullptr, group);
        g->record().nodeKind = NodeKindGroup;
        g->record().uid = uid;
        parent = g;
        parent->setExpanded(true);
        groupsByCaption.insert(group, g);
    }
    DeviceNode* d = AddDeviceNode(tv, parent, FormatRdmUid(uid));
    addingFoundDevice = false;
    d->record().nodeKind = NodeKindDevice;
    d->record().uid = uid;
    d->record().subDevice = 0;
    parent->setExpanded(true);
}

void RdmPageView::DiscoveryFinished(uint16_t count) {
    if (count == 0) {
        DiscoveryRunning = false;
        ui->btnDiscovery->setEnabled(true);
        return;
    }
    Scan->Begin();
}

void RdmPageView::ShowDeviceSpecialPage() {
    const tRdmDevice* rec = RecordAt(RdmCurrentNode());
    const uint8_t kind = rec ? rec->DeviceKind : 0;
    QTabWidget* pc = ui->pcRdm;
    QWidget* before = pc->currentWidget();
    bool special = false, lvn = false;
    auto buttons = [this](bool send, bool conf, bool prg) {
        specUi->btnRdmSendSpec->setVisible(send);
        specUi->btnRdmGetConf->setVisible(conf);
        specUi->btnRdmGetPrg->setVisible(prg);
    };
    switch (kind) {
    case 1:
        SelectPageByCaption(specUi->nbRdmSpecial, QStringLiteral("Kelvar"));
        buttons(true, true, true);
        special = true;
        break;
    case 2:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
        SelectPageByCaption(specUi->nbRdmSpecial, QStringLiteral("Q7"));
        buttons(true, true, true);
        special = true;
        break;
    case 3:
        SelectPageByCaption(specUi->nbRdmSpecial, QStringLiteral("Q9Root"));
        buttons(false, true, false);
        special = true;
        break;
    case 4:
        SelectPageByCaption(specUi->nbRdmSpecial, QStringLiteral("Q9Sub"));
        buttons(true, true, true);
        special = true;
        break;
    case 6:
        lvn = true;
        break;
    default:
        break;
    }
    changingTabByCode = true;
    pc->setTabVisible(pc->indexOf(ui->tsSpecial), special);
    pc->setTabVisible(pc->indexOf(ui->tsLvn24Conf), lvn);
    // Hiding the open tab moves the page control elsewhere: show the details then.
    if (pc->currentWidget() != before || !pc->isTabVisible(pc->indexOf(before))) pc->setCurrentIndex(0);
    changingTabByCode = false;
}
