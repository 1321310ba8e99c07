// Arrival and removal of the USB interface, seen through the real main window
// and the simulator: what the window shows, which reports go out, and what
// other HID devices do to the held link (nothing).
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "LinkFixture.h"
#include "app/Nevjegy.h"
#include "app/Nyelv.h"
#include "link/LinkTypes.h"
#include "ui_Main.h"
#include "ui_RdmPage.h"

namespace {

QString StatusText(TfrmMain* w) {
    return w->statusPanel(2)->text();
}

std::vector<uint8_t> Commands(const sim::SimDevice& box) {
    std::vector<uint8_t> out;
    for (const auto& r : box.written)
        out.push_back(r[1]);
    return out;
}

} // namespace

class ArrivalTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        // A hidden menu item always reads as disabled; shown, its enabled
        // state can be seen.
        w->ui->mSetupFirmware->setVisible(true);
    }
};

TEST_F(ArrivalTest, FirstScanRunsFromTheEventLoopAfterStartUp) {
    auto box = platform->PlugInterface(1); // type 1 shows page "Logo"
    // Nothing is scanned during construction or before the window shows.
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

TEST_F(ArrivalTest, TypeZeroWithoutMonitorSettingSendsNothing) {
    auto box = platform->PlugInterface(0, 0x23);
    Start();
    EXPECT_TRUE(dm->HidConnected);
    EXPECT_EQ(dm->InterfaceType, 0);
    EXPECT_EQ(dm->InterfaceVersion, 0x23);
    EXPECT_EQ(StatusText(w), QStringLiteral("USB Interface: Contact OK - Tamarind DMX Interface"));
    EXPECT_TRUE(box->written.empty());
    EXPECT_TRUE(w->rdmUi->btnDiscovery->isEnabled());
    EXPECT_FALSE(w->rdmUi->btnDemoDisc->isVisibleTo(w));
    EXPECT_EQ(w->rdmUi->btnDiscovery->minimumWidth(), 241);
    EXPECT_TRUE(w->findChild<QPushButton*>("btnSendDmx")->isEnabled());
    EXPECT_TRUE(w->ui->mFile->menuAction()->isVisible());
    EXPECT_TRUE(w->ui->mAblakKonfig->isVisible());
    EXPECT_TRUE(w->ui->mAblakProg->isVisible());
    EXPECT_TRUE(w->ui->mAblakRdm->isVisible());
    EXPECT_FALSE(w->ui->mSetupFirmware->isEnabled());
    EXPECT_FALSE(w->ui->mAblakDmxRFSet->isVisible());
    EXPECT_EQ(dm->LinkMode, LinkModeIdle);
}

TEST_F(ArrivalTest, TypeZeroWithMonitorSettingStartsTheMonitor) {
    WriteSettings(2);
    auto box = platform->PlugInterface(0);
    w->LineState.InputSignalFlag = 1;
    w->LineState.DetectFrameCount = 7;
    Start();
    ASSERT_EQ(box->written.size(), 1u);
    EXPECT_EQ(box->written[0][1], 2);
    EXPECT_EQ(box->written[0][2], 0);
    EXPECT_EQ(box->written[0][3], 0);
    EXPECT_EQ(box->written[0][4], 10);
    EXPECT_EQ(dm->LinkMode, LinkModeMonitor);
    EXPECT_EQ(w->LineState.InputSignalFlag, 0);
    EXPECT_EQ(w->LineState.DetectFrameCount, 0u);
}

TEST_F(ArrivalTest, RepeatersAskForTheirConfigurationOnTheLogoPage) {
    Start();
    const std::vector<std::pair<uint8_t, QString>> types = {
        {1, "BRENVIK REPEATER"}, {2, "BRENVIK SPLITTER 4"}, {13, "RIDGEL USB-DMX"}};
    for (const auto& [type, name] : types) {
        w->showMainPage(QStringLiteral("RDM"));
        auto box = platform->PlugInterface(type);
        Settle();
        EXPECT_EQ(StatusText(w), QStringLiteral("USB Interface: Contact OK - ") + name);
        EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo")) << int(type);
        EXPECT_EQ(Commands(*box), std::vector<uint8_t>{3}) << int(type);
        EXPECT_EQ(dm->LinkMode, LinkModeInterfaceConfig);
        EXPECT_TRUE(w->ui->mFile->menuAction()->isVisible());
        EXPECT_FALSE(w->ui->mAblakKonfig->isVisible());
        EXPECT_FALSE(w->ui->mAblakProg->isVisible());
        EXPECT_FALSE(w->ui->mAblakRdm->isVisible());
        EXPECT_TRUE(w->ui->mSetupFirmware->isEnabled());
        // The discovery belongs to the DMX interfaces only.
        EXPECT_FALSE(w->rdmUi->btnDiscovery->isEnabled());
        platform->Unplug(box);
        Settle();
    }
}

TEST_F(ArrivalTest, RfInterfaceAsksLaterFromItsTimer) {
    auto box = platform->PlugInterface(5);
    Start();
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("RfDMXRx"));
    EXPECT_TRUE(w->ui->mAblakDmxRFSet->isVisible());
    EXPECT_FALSE(w->ui->mAblakRdm->isVisible());
    EXPECT_FALSE(w->ui->mAblakRxDmx->isVisible());
    EXPECT_TRUE(w->ui->mSetupFirmware->isEnabled());
    EXPECT_EQ(dm->tmrGetInfo->interval(), 500);
    // Nothing is asked at arrival; the timer asks once (unless a slow run let
    // it fire already).
    if (dm->tmrGetInfo->isActive()) {
        EXPECT_TRUE(box->written.empty());
        dm->tmrGetInfoTimer();
    }
    EXPECT_FALSE(dm->tmrGetInfo->isActive());
    EXPECT_EQ(Commands(*box), std::vector<uint8_t>{3});
    EXPECT_EQ(dm->LinkMode, LinkModeInterfaceConfig);
}

TEST_F(ArrivalTest, TamarindInterfacesKeepThePageAndAskForTheirConfiguration) {
    Start();
    for (uint8_t type : {7, 8, 9, 10}) {
        w->showMainPage(QStringLiteral("RDM"));
        w->ui->mAblakKonfig->setVisible(true);
        w->ui->mAblakProg->setVisible(true);
        w->ui->mAblakRxDmx->setVisible(true);
        w->ui->mAblakRdm->setVisible(false);
        auto box = platform->PlugInterface(type);
        Settle();
        EXPECT_EQ(w->mainPageCaption(), QStringLiteral("RDM")) << int(type);
        EXPECT_EQ(Commands(*box), std::vector<uint8_t>{3}) << int(type);
        EXPECT_TRUE(w->ui->mFile->menuAction()->isVisible());
        EXPECT_FALSE(w->ui->mFileNew->menuAction()->isVisible());
        EXPECT_FALSE(w->ui->mAblakKonfig->isVisible());
        EXPECT_FALSE(w->ui->mAblakProg->isVisible());
        EXPECT_FALSE(w->ui->mAblakRxDmx->isVisible());
        EXPECT_TRUE(w->ui->mAblakRdm->isVisible());
        EXPECT_TRUE(w->ui->mSetupFirmware->isEnabled());
        // Discovery and the program buttons belong to 7, 8 and 9, not to 10.
        const bool dmxTools = type != 10;
        EXPECT_EQ(w->rdmUi->btnDiscovery->isEnabled(), dmxTools) << int(type);
        EXPECT_EQ(w->findChild<QPushButton*>("btnPrgEszkozbe")->isEnabled(), dmxTools) << int(type);
        EXPECT_EQ(w->findChild<QPushButton*>("btnKonfEszkbe")->isEnabled(), dmxTools) << int(type);
        platform->Unplug(box);
        Settle();
    }
}

TEST_F(ArrivalTest, TypeTwelveIsHeldButStartsNothing) {
    auto box = platform->PlugInterface(12);
    Start();
    EXPECT_TRUE(dm->HidConnected);
    EXPECT_EQ(StatusText(w), QStringLiteral("USB Interface: Contact OK - FENWYN"));
    EXPECT_TRUE(box->written.empty());
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("RDM"));
}

TEST_F(ArrivalTest, DisabledTypesAreNotAccepted) {
    Start();
    for (uint8_t type : {3, 4, 11, 14, 200}) {
        auto box = platform->PlugInterface(type);
        Settle();
        EXPECT_FALSE(dm->HidConnected) << int(type);
        EXPECT_EQ(dm->HidDev, nullptr) << int(type);
        EXPECT_TRUE(box->written.empty()) << int(type);
        EXPECT_EQ(StatusText(w), QStringLiteral("USB Interface: No contact"));
        platform->Unplug(box);
        Settle();
    }
    // Another maker's device with the same version is no interface either.
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
    w->frmNevjegy->show(); // the about box, open when the interface goes
    ASSERT_TRUE(w->frmNevjegy->isVisible());

    platform->Unplug(box);
    Settle();
    EXPECT_FALSE(dm->HidConnected);
    EXPECT_FALSE(dm->HidRemoved);
    EXPECT_EQ(dm->HidDev, nullptr);
    EXPECT_TRUE(dm->JvHidDC->Devices().empty());
    EXPECT_EQ(StatusText(w), QStringLiteral("USB Interface: No contact"));
    EXPECT_EQ(w->LineState.HidConnected, 0);
    EXPECT_EQ(w->LineState.TransmitFlag, 0);
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo"));
    EXPECT_FALSE(dm->tmrFrmwr->isActive());
    EXPECT_FALSE(w->tmrRx->isActive());
    EXPECT_FALSE(w->rdmUi->btnDiscovery->isEnabled());
    EXPECT_FALSE(w->findChild<QPushButton*>("btnSendDmx")->isEnabled());
    auto* prgDmx = w->findChild<QPushButton*>("btnPrgDmx");
    EXPECT_FALSE(prgDmx->isEnabled());
    EXPECT_EQ(prgDmx->palette().color(QPalette::ButtonText), QColor(0xFF, 0, 0));
    EXPECT_FALSE(w->findChild<QPushButton*>("btnPrgEszkozbe")->isEnabled());
    EXPECT_FALSE(w->findChild<QPushButton*>("btnKonfEszkbe")->isEnabled());
    EXPECT_FALSE(w->ui->mSetupFirmware->isEnabled());
    EXPECT_FALSE(w->frmNevjegy->isVisible());
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
    TJvHidDevice* first = dm->HidDev;
    EXPECT_EQ(dm->JvHidDC->Devices()[1], first);

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
    // The pulled-out one is gone from the list.
    ASSERT_EQ(dm->JvHidDC->Devices().size(), 1u);
    EXPECT_EQ(dm->JvHidDC->Devices()[0], dm->HidDev);
    EXPECT_EQ(StatusText(w), QStringLiteral("USB Interface: Contact OK - Tamarind DMX Interface"));
    const uint8_t data[2] = {7, 8};
    dm->EnqueuePacket(LinkTypeRdm, 2, data, 2);
    Settle();
    ASSERT_EQ(again->packets.size(), 1u);
    EXPECT_EQ(again->packets[0].payload(), (std::vector<uint8_t>{7, 8}));
}

TEST_F(ArrivalTest, ScanWithoutChangeRaisesNoEvent) {
    auto box = platform->PlugInterface(0);
    Start();
    int changes = 0, arrivals = 0, removals = 0;
    auto onChange = dm->JvHidDC->OnDeviceChange;
    dm->JvHidDC->OnDeviceChange = [&] {
        ++changes;
        onChange();
    };
    dm->JvHidDC->OnArrival = [&](TJvHidDevice*) { ++arrivals; };
    dm->JvHidDC->OnRemoval = [&](TJvHidDevice*) { ++removals; };
    platform->PostChangeNotice();
    Settle();
    dm->JvHidDC->DeviceChange();
    EXPECT_EQ(changes + arrivals + removals, 0);
    EXPECT_EQ(dm->JvHidDC->Devices().size(), 1u);
}

TEST_F(ArrivalTest, ForeignDevicesLeaveTheHeldLinkAlone) {
    auto box = platform->PlugInterface(0);
    Start();
    TJvHidDevice* held = dm->HidDev;
    auto keyboard = platform->PlugForeign(0x046D, 0xC31C, false);
    auto mouse = platform->PlugForeign(0x046D, 0xC077, true);
    Settle();
    platform->Unplug(keyboard);
    Settle();
    EXPECT_EQ(dm->HidDev, held);
    EXPECT_TRUE(dm->HidConnected);
    EXPECT_TRUE(held->HasReadThread());
    EXPECT_TRUE(mouse->written.empty());
    // Not held, so not read: the mouse's handles are closed after the scan.
    EXPECT_EQ(mouse->state()->openReadWriteHandles, 0);
    // The link still works.
    const uint8_t data[2] = {1, 2};
    dm->EnqueuePacket(LinkTypeRdm, 2, data, 2);
    Settle();
    ASSERT_EQ(box->packets.size(), 1u);
}

TEST_F(ArrivalTest, PullingASecondInterfaceLeavesTheHeldOneAlone) {
    auto a = platform->PlugInterface(0);
    Start();
    TJvHidDevice* held = dm->HidDev;
    auto b = platform->PlugInterface(7);
    Settle();
    EXPECT_EQ(dm->HidDev, held);
    EXPECT_EQ(dm->InterfaceType, 0);
    EXPECT_TRUE(b->written.empty());
    platform->Unplug(b);
    Settle();
    EXPECT_EQ(dm->HidDev, held);
    EXPECT_TRUE(dm->HidConnected);
    EXPECT_EQ(StatusText(w), QStringLiteral("USB Interface: Contact OK - Tamarind DMX Interface"));
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
    EXPECT_FALSE(w->findChild<QPushButton*>("btnSendDmx")->isEnabled());
    EXPECT_TRUE(dm->tmrFrmwr->isActive());
    EXPECT_EQ(dm->tmrFrmwr->interval(), 500);
    EXPECT_TRUE(w->ui->mSetupFirmware->isEnabled());
    // No configuration request: the upload goes on instead, polled by the
    // timer (which a slow run may have let fire already).
    dm->tmrFrmwrTimer();
    const auto sent = Commands(*again);
    ASSERT_FALSE(sent.empty());
    for (uint8_t command : sent)
        EXPECT_EQ(command, 4);
    EXPECT_EQ(dm->LinkMode, LinkModeFirmwareUpload);
}

TEST_F(ArrivalTest, QueuedPacketStartsAgainOnTheNextInterface) {
    auto box = platform->PlugInterface(0);
    box->autoCredit = false;
    Start();
    std::vector<uint8_t> payload(100);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(i);
    dm->EnqueuePacket(LinkTypeRdm, 100, payload.data(), 100);
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
        ASSERT_EQ(dm->HidDev, nullptr);
        box = platform->PlugInterface(0);
        Settle();
        ASSERT_TRUE(dm->HidConnected);
        // Whatever was cut off, the next packet gets through whole.
        const size_t before = box->packets.size();
        const uint8_t probe[3] = {1, 2, uint8_t(round)};
        dm->EnqueuePacket(LinkTypeRdm, 3, probe, 3);
        Settle();
        ASSERT_GT(box->packets.size(), before);
        EXPECT_EQ(box->packets.back().payload(), (std::vector<uint8_t>{1, 2, uint8_t(round)}));
        EXPECT_EQ(dm->TxQueue.Count, 0);
    }
}
