// Arrival and removal of the USB interface, seen through the real main window
// and the simulator: what the window shows, which reports go out, and what
// other HID devices do to the held link (nothing).
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "LinkFixture.h"
#include "app/Nevjegy.h"
#include "app/Nyelv.h"
#include "link/LinkTypes.h"
#include "support/sim/rdm_discovery_link.h"
#include "ui_Main.h"
#include "ui_RdmPage.h"

class ArrivalTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        // A hidden menu item always reads as disabled; shown, its enabled
        // state can be seen.
        w->ui->mSetupFirmware->setVisible(true);
    }
    QPushButton* Button(const char* name) { return w->findChild<QPushButton*>(name); }
};

TEST_F(ArrivalTest, FirstScanRunsFromTheEventLoopAfterStartUp) {
    auto box = platform->PlugInterface(1); // type 1 shows page "Logo"
    QCoreApplication::processEvents();
    EXPECT_EQ(dm->HidDev, nullptr);
    EXPECT_TRUE(dm->JvHidDC->Devices().empty());

    Start();
    EXPECT_TRUE(w->formActivateDone());
    ASSERT_NE(dm->HidDev, nullptr);
    // Start-up chose "RDM"; the arrival came after it and chose "Logo".
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo"));
    EXPECT_TRUE(dm->HidDev->CheckedOut);
    EXPECT_TRUE(dm->HidDev->HasReadThread());
}

TEST_F(ArrivalTest, EachInterfaceTypeSetsUpTheWindowAndTheLink) {
    // Menus, in this order: File, Konfig, Prog, Rdm, RxDmx, DmxRFSet, File/New;
    // '1' shown, '0' hidden, '-' left as it was.
    struct Row {
        uint8_t type;
        uint8_t usb;
        const char* page; // "RDM": the page is kept
        std::vector<uint8_t> commands;
        const char* name;
        const char* menus;
        bool firmwareMenu, dmxTools;
        uint16_t mode;
    };
    const std::vector<Row> rows = {
        {0, 0, "RDM", {}, "Tamarind DMX Interface", "1111-0-", false, true, LinkModeIdle},
        {0, 2, "RDM", {2}, "Tamarind DMX Interface", "1111-0-", false, true, LinkModeMonitor},
        {1, 0, "Logo", {3}, "BRENVIK REPEATER", "1000-0-", true, false, LinkModeInterfaceConfig},
        {2, 0, "Logo", {3}, "BRENVIK SPLITTER 4", "1000-0-", true, false, LinkModeInterfaceConfig},
        {13, 0, "Logo", {3}, "RIDGEL USB-DMX", "1000-0-", true, false, LinkModeInterfaceConfig},
        {5, 0, "RfDMXRx", {3}, "CASPEL (DMX-RX/RF-TX)", "-00001-", true, false, LinkModeInterfaceConfig},
        {7, 0, "RDM", {3}, "Tamarind Interface", "1001000", true, true, LinkModeInterfaceConfig},
        {9, 0, "RDM", {3}, "Tamarind Interface", "1001000", true, true, LinkModeInterfaceConfig},
        {10, 0, "RDM", {3}, "LUNDER", "1001000", true, false, LinkModeInterfaceConfig},
        {12, 0, "RDM", {}, "FENWYN", "-----0-", false, false, LinkModeIdle},
    };
    Start();
    const std::vector<QAction*> menus = {w->ui->mFile->menuAction(),
                                         w->ui->mAblakKonfig,
                                         w->ui->mAblakProg,
                                         w->ui->mAblakRdm,
                                         w->ui->mAblakRxDmx,
                                         w->ui->mAblakDmxRFSet,
                                         w->ui->mFileNew->menuAction()};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "type " << int(r.type) << " USB=" << int(r.usb));
        w->showMainPage(QStringLiteral("RDM"));
        for (size_t i = 0; i < menus.size(); ++i)
            if (r.menus[i] != '-') menus[i]->setVisible(r.menus[i] == '0');
        w->UsbSetting = r.usb;
        dm->LinkMode = LinkModeIdle;
        w->LineState.DetectFrameCount = 7;
        auto box = platform->PlugInterface(r.type);
        Settle();
        // The RF interfaces ask from their timer, not at arrival.
        if (dm->tmrGetInfo->isActive()) {
            EXPECT_TRUE(box->written.empty());
            dm->tmrGetInfoTimer();
        }
        EXPECT_TRUE(dm->HidConnected);
        EXPECT_EQ(StatusText(), QStringLiteral("USB Interface: Contact OK - ") + r.name);
        EXPECT_EQ(w->mainPageCaption(), QString::fromLatin1(r.page));
        EXPECT_EQ(Commands(*box), r.commands);
        EXPECT_EQ(dm->LinkMode, r.mode);
        for (size_t i = 0; i < menus.size(); ++i)
            if (r.menus[i] != '-') {
                EXPECT_EQ(menus[i]->isVisible(), r.menus[i] == '1') << "menu " << i;
            }
        EXPECT_EQ(w->ui->mSetupFirmware->isEnabled(), r.firmwareMenu);
        EXPECT_TRUE(Button("btnSendDmx")->isEnabled());
        EXPECT_EQ(w->rdmUi->btnDiscovery->isEnabled(), r.dmxTools);
        EXPECT_EQ(Button("btnPrgEszkozbe")->isEnabled(), r.dmxTools);
        EXPECT_EQ(Button("btnKonfEszkbe")->isEnabled(), r.dmxTools);
        if (r.dmxTools) {
            EXPECT_FALSE(w->rdmUi->btnDemoDisc->isVisibleTo(w));
        }
        // The monitor starts with cleared line flags.
        EXPECT_EQ(w->LineState.DetectFrameCount == 0, r.mode == LinkModeMonitor);
        platform->Unplug(box);
        Settle();
    }
}

TEST_F(ArrivalTest, DisabledTypesAndOtherMakersAreNotAccepted) {
    Start();
    for (uint8_t type : {3, 4, 11, 14, 200}) {
        auto box = platform->PlugInterface(type);
        Settle();
        EXPECT_FALSE(dm->HidConnected) << int(type);
        EXPECT_EQ(dm->HidDev, nullptr) << int(type);
        EXPECT_TRUE(box->written.empty()) << int(type);
        EXPECT_EQ(StatusText(), QStringLiteral("USB Interface: No contact"));
        platform->Unplug(box);
        Settle();
    }
    auto other = std::make_shared<sim::SimInterface>("usb-lookalike", 0);
    other->attributes.productId = 0x1234;
    platform->Plug(other);
    Settle();
    EXPECT_FALSE(dm->HidConnected);
}

TEST_F(ArrivalTest, RemovalPutsTheWindowBackAndFreesTheDeviceAtTheEndOfTheScan) {
    auto box = platform->PlugInterface(7);
    Start();
    w->LineState.TransmitFlag = 1;
    dm->tmrFrmwr->start();
    w->tmrRx->start();
    w->showMainPage(QStringLiteral("RDM"));
    w->frmNevjegy->show();                     // the about box, open when the interface goes
    w->rdmUi->lUidD->setText("7FF3:00000001"); // a device's details on show

    platform->Unplug(box);
    Settle();
    EXPECT_FALSE(dm->HidConnected);
    EXPECT_FALSE(dm->HidRemoved);
    EXPECT_EQ(dm->HidDev, nullptr);
    EXPECT_TRUE(dm->JvHidDC->Devices().empty());
    EXPECT_EQ(StatusText(), QStringLiteral("USB Interface: No contact"));
    EXPECT_EQ(w->LineState.HidConnected, 0);
    EXPECT_EQ(w->LineState.TransmitFlag, 0);
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo"));
    EXPECT_FALSE(dm->tmrFrmwr->isActive());
    EXPECT_FALSE(w->tmrRx->isActive());
    for (const char* name : {"btnSendDmx", "btnPrgDmx", "btnPrgEszkozbe", "btnKonfEszkbe", "btnDiscovery"})
        EXPECT_FALSE(Button(name)->isEnabled()) << name;
    EXPECT_EQ(Button("btnPrgDmx")->palette().color(QPalette::ButtonText), QColor(0xFF, 0, 0));
    EXPECT_FALSE(w->ui->mSetupFirmware->isEnabled());
    EXPECT_FALSE(w->frmNevjegy->isVisible());
    EXPECT_NE(w->rdmUi->lUidD->text(), "7FF3:00000001");
    // The link's own state is kept for the next arrival.
    EXPECT_EQ(dm->LinkMode, LinkModeInterfaceConfig);

    // A request while nothing is held writes nothing and crashes nothing.
    dm->RequestInterfaceConfig();
    dm->SendHidReport();
}

TEST_F(ArrivalTest, ReplugArrivesAsNewDeviceAtTheEndOfTheList) {
    auto keyboard = platform->PlugForeign(0x046D, 0xC31C, false);
    auto box = platform->PlugInterface(0);
    Start();
    ASSERT_EQ(dm->JvHidDC->Devices().size(), 2u);
    EXPECT_EQ(dm->JvHidDC->Devices()[1], dm->HidDev);

    auto mouse = platform->PlugForeign(0x046D, 0xC077, true);
    platform->Unplug(box);
    Settle();
    auto again = platform->PlugInterface(0);
    Settle();
    const auto& list = dm->JvHidDC->Devices();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2], dm->HidDev);
    EXPECT_EQ(list[2]->PnPInfo().DeviceInstance, again->instance);
    EXPECT_TRUE(dm->HidConnected);
    EXPECT_TRUE(dm->HidDev->HasReadThread());
    EXPECT_EQ(dm->JvHidDC->CheckedOutCount, 1);
    EXPECT_EQ(dm->JvHidDC->CheckedInCount, 2);
    EXPECT_EQ(dm->JvHidDC->UnpluggedCount, 0);
}

TEST_F(ArrivalTest, PulledOutAndPluggedInWithinOneScanTheNewInterfaceIsHeld) {
    auto box = platform->PlugInterface(0);
    Start();
    // Both notices come in before the event loop runs: the first scan sees
    // the removal and the arrival together.
    platform->Unplug(box);
    auto again = platform->PlugInterface(0);
    Settle();
    ASSERT_TRUE(dm->HidConnected);
    ASSERT_NE(dm->HidDev, nullptr);
    EXPECT_FALSE(dm->HidRemoved);
    EXPECT_EQ(dm->HidDev->PnPInfo().DeviceInstance, again->instance);
    EXPECT_TRUE(dm->HidDev->HasReadThread());
    ASSERT_EQ(dm->JvHidDC->Devices().size(), 1u);
    EXPECT_EQ(StatusText(), QStringLiteral("USB Interface: Contact OK - Tamarind DMX Interface"));
}

TEST_F(ArrivalTest, ScanWithoutChangeRaisesNoEvent) {
    auto box = platform->PlugInterface(0);
    Start();
    int events = 0;
    auto onChange = dm->JvHidDC->OnDeviceChange;
    dm->JvHidDC->OnDeviceChange = [&] {
        ++events;
        onChange();
    };
    dm->JvHidDC->OnArrival = [&](TJvHidDevice*) { ++events; };
    dm->JvHidDC->OnRemoval = [&](TJvHidDevice*) { ++events; };
    platform->PostChangeNotice();
    Settle();
    dm->JvHidDC->DeviceChange();
    EXPECT_EQ(events, 0);
    EXPECT_EQ(dm->JvHidDC->Devices().size(), 1u);
}

TEST_F(ArrivalTest, OtherDevicesComingAndGoingLeaveTheHeldLinkAlone) {
    auto box = platform->PlugInterface(0);
    Start();
    TJvHidDevice* held = dm->HidDev;
    auto keyboard = platform->PlugForeign(0x046D, 0xC31C, false);
    auto mouse = platform->PlugForeign(0x046D, 0xC077, true);
    auto second = platform->PlugInterface(7); // a second interface is not taken
    Settle();
    EXPECT_EQ(dm->InterfaceType, 0);
    platform->Unplug(keyboard);
    platform->Unplug(second);
    Settle();
    EXPECT_EQ(dm->HidDev, held);
    EXPECT_TRUE(dm->HidConnected);
    EXPECT_TRUE(held->HasReadThread());
    EXPECT_EQ(StatusText(), QStringLiteral("USB Interface: Contact OK - Tamarind DMX Interface"));
    EXPECT_TRUE(mouse->written.empty());
    EXPECT_TRUE(second->written.empty());
    // Not held, so not read: the mouse's handles are closed after the scan.
    EXPECT_EQ(mouse->state()->openReadWriteHandles, 0);
    const uint8_t data[2] = {1, 2};
    dm->EnqueuePacket(LinkTypeRdm, 2, data, 2);
    Settle();
    ASSERT_EQ(box->packets.size(), 1u);
}

TEST_F(ArrivalTest, FirmwareUploadResumesAfterReplug) {
    auto box = platform->PlugInterface(7);
    Start();
    dm->LinkMode = LinkModeFirmwareUpload;
    dm->LinkSubState = LinkSubStateFirmware;
    platform->Unplug(box);
    Settle();
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo"));

    auto again = platform->PlugInterface(7);
    Settle();
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Send"));
    EXPECT_FALSE(Button("btnSendDmx")->isEnabled());
    EXPECT_TRUE(dm->tmrFrmwr->isActive());
    EXPECT_TRUE(w->ui->mSetupFirmware->isEnabled());
    // No configuration request: the upload goes on instead, polled by the
    // timer (which a slow run may have let fire already).
    dm->tmrFrmwrTimer();
    const auto sent = Commands(*again);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent, std::vector<uint8_t>(sent.size(), 4));
    EXPECT_EQ(dm->LinkMode, LinkModeFirmwareUpload);
}

TEST_F(ArrivalTest, QueuedPacketStartsAgainOnTheNextInterface) {
    auto box = platform->PlugInterface(0);
    box->autoCredit = false;
    Start();
    std::vector<uint8_t> payload(100);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(i);
    dm->EnqueuePacket(LinkTypeFileRecord, 100, payload.data(), 100);
    // An RDM request waiting behind it has nobody to answer it once the
    // interface is gone: it is not sent to the next one.
    dm->EnqueuePacket(LinkTypeRdm, 7, payload.data(), 30);
    box->SendCredit(40); // a first chunk gets out...
    Settle();
    ASSERT_EQ(box->chunks.size(), 2u);
    platform->Unplug(box); // ...then the interface is pulled
    Settle();
    EXPECT_EQ(dm->TxQueue.Count, 1);

    auto again = platform->PlugInterface(0);
    Settle();
    // Announced again at arrival and sent whole, from its first byte.
    ASSERT_EQ(again->packets.size(), 1u);
    EXPECT_EQ(again->packets[0].type, LinkTypeFileRecord);
    EXPECT_EQ(again->packets[0].payload(), payload);
    EXPECT_EQ(dm->TxQueue.Count, 0);
}

TEST_F(ArrivalTest, FileArgumentStartsTheSendTimerOnArrival) {
    program.reset();
    arguments = {dir.path() + "/show.dmx"};
    ArrivalTest::SetUp();
    auto box = platform->PlugInterface(0);
    Start();
    w->tmrFileSendStart->stop();
    platform->Unplug(box);
    Settle();
    auto again = platform->PlugInterface(0);
    Settle();
    EXPECT_TRUE(w->tmrFileSendStart->isActive());
}

TEST_F(ArrivalTest, OnFirstStartTheInterfaceArrivesWhileTheLanguageDialogIsOpen) {
    QFile::remove(dir.path() + QStringLiteral("/Tamarind.ini"));
    auto box = platform->PlugInterface(0);
    bool arrivedWhileOpen = false;
    int ticks = 0;
    // Plays the user: waits in the dialog until the interface is there (or
    // gives up), then cancels it.
    QTimer closer;
    closer.setInterval(1);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!w->frmNyelv->isVisible()) return;
        if (dm->HidConnected || ++ticks > 2000) {
            arrivedWhileOpen = dm->HidConnected;
            w->frmNyelv->reject();
        }
    });
    closer.start();
    Start();
    closer.stop();
    EXPECT_TRUE(arrivedWhileOpen);
    EXPECT_EQ(w->UsbSetting, 2);
    // The setting was not yet 2 when the interface arrived: no monitor.
    EXPECT_TRUE(box->written.empty());
    EXPECT_EQ(dm->LinkMode, LinkModeIdle);
}

TEST_F(ArrivalTest, PullingWithReportsInFlightLeavesTheProgramUsable) {
    auto box = platform->PlugInterface(0);
    Start();
    dm->LinkMode = LinkModeRdm;
    for (int round = 0; round < 20; ++round) {
        // Part of an answer and a credit request on their way in, a packet on
        // its way out, and the interface goes at an arbitrary moment.
        const uint8_t data[40] = {};
        dm->EnqueuePacket(LinkTypeRdm, 40, data, 40);
        box->PushData(4, std::vector<uint8_t>(90, 0x42), 3);
        box->SendCredit(64);
        for (int i = 0; i < round; ++i)
            QCoreApplication::processEvents();
        platform->Unplug(box);
        Settle();
        ASSERT_FALSE(dm->HidConnected);
        box = platform->PlugInterface(0);
        Settle();
        ASSERT_TRUE(dm->HidConnected);
        // Whatever was cut off, the next packet gets through whole.
        const uint8_t probe[3] = {1, 2, uint8_t(round)};
        dm->EnqueuePacket(LinkTypeRdm, 3, probe, 3);
        Settle();
        ASSERT_FALSE(box->packets.empty());
        EXPECT_EQ(box->packets.back().payload(), (std::vector<uint8_t>{1, 2, uint8_t(round)}));
        EXPECT_EQ(dm->TxQueue.Count, 0);
    }
}

TEST_F(ArrivalTest, InterfaceThatCannotBeOpenedIsNotTakenAndTheLogSaysWhy) {
    // Types whose arrival would write a request at once, start a request
    // timer, or enable DISCOVERY.
    struct Row {
        uint8_t type;
        uint8_t usb;
    };
    const std::vector<Row> rows = {{0, 2}, {1, 0}, {5, 0}, {7, 0}, {12, 0}};
    Start();
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "type " << int(r.type));
        w->UsbSetting = r.usb;
        dm->LinkMode = LinkModeIdle;
        const qsizetype before = Log().size();
        auto locked =
            std::make_shared<sim::SimInterface>(QStringLiteral("usb-locked-%1").arg(r.type), r.type);
        locked->readWriteAccess = false;
        platform->Plug(locked);
        ASSERT_NO_FATAL_FAILURE(Settle());
        // Nothing changed: a rescan says nothing more.
        platform->PostChangeNotice();
        ASSERT_NO_FATAL_FAILURE(Settle());

        EXPECT_FALSE(dm->HidConnected);
        EXPECT_EQ(dm->HidDev, nullptr);
        EXPECT_EQ(StatusText(), QStringLiteral("USB Interface: No contact"));
        EXPECT_FALSE(w->rdmUi->btnDiscovery->isEnabled());
        EXPECT_FALSE(dm->tmrGetInfo->isActive());
        EXPECT_EQ(dm->LinkMode, LinkModeIdle);
        EXPECT_TRUE(locked->written.empty());
        const QStringList added = Log().mid(before);
        ASSERT_EQ(added.size(), 1) << added.join('\n').toStdString();
        EXPECT_TRUE(added[0].contains(locked->path)) << added[0].toStdString();
        EXPECT_TRUE(added[0].contains(QStringLiteral("udev"))) << added[0].toStdString();
        EXPECT_TRUE(added[0].contains(QStringLiteral("can not be opened for reading and writing")));

        platform->Unplug(locked);
        ASSERT_NO_FATAL_FAILURE(Settle());
        EXPECT_EQ(Log().size(), before + 1);
    }

    // Plugged in again, now with access: it works as usual.
    w->UsbSetting = 0;
    auto box = platform->PlugInterface(7);
    auto line = std::make_shared<SimRdmDiscoveryLinkLine>();
    box->line = line;
    ASSERT_NO_FATAL_FAILURE(Settle());
    ASSERT_TRUE(dm->HidConnected);
    EXPECT_TRUE(dm->HidDev->HasReadThread());
    EXPECT_EQ(StatusText(), QStringLiteral("USB Interface: Contact OK - Tamarind Interface"));
    ASSERT_TRUE(w->rdmUi->btnDiscovery->isEnabled());
    QTest::mouseClick(w->rdmUi->btnDiscovery, Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(Settle());
    EXPECT_EQ(line->discovery.unMuteRequests, 1);
    EXPECT_TRUE(Log().contains(QStringLiteral("Number of discovered units: 0")));
}
