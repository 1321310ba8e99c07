// The pictures of the RDM page: with the demo devices, after a discovery, its
// channel map, sensor, remote-access and decoder tabs.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTabWidget>

#include "rdm/discovery_scan_fixture.h"
#include "sensor/sensor_polling_fixture.h"
#include "shot.h"
#include "views/channel_grid_fixture.h"
#include "views/lvn_fixture.h"
#include "views/remacc_fixture.h"
#include "views/views_fixture.h"

TEST_F(ViewsTest, RdmPageWithTheDemoDevices) {
    w->resize(1100, 720);
    w->show();
    w->showMainPage("RDM");
    view->btnDemoDiscClick();
    view->RdmCurrentNode() = 7;
    view->ShowDeviceDetails(7);
    ui->pcRdm->setCurrentWidget(ui->tsReszletek);
    SaveWindowShot(w, "rdm-demo.png");
}

TEST_F(DiscoveryScanTest, RdmPageAfterDiscovery) {
    auto& a = Device(Uid(0x7FF3, 0x0012A0F1));
    simdev::Basic(a, 0x0062, "VINTARO RGB MULTI 3G", "Pellmor GmbH",
                  {0x0080, 0x0081, 0x0082, 0x0070, 0x00A0, 0x00B0, 0x0120, 0x0121, 0x0400, 0x1010, 0x0090}, 2,
                  2, 0, 17, 3);
    simdev::Personality(a, 1, 3, "Dimmer mode. CHs:RGB");
    simdev::Personality(a, 2, 0, "Single mode");
    simdev::Sensor(a, 0, 0x00, 1, 0, 120, "Dimmer internal temperature");
    simdev::Sensor(a, 1, 0x01, 2, 0, 26, "Driver source voltage");
    simdev::Slots(a, {{0, 0x0205}, {0, 0x0206}, {0, 0x0207}});
    for (uint16_t s : {0, 1, 2})
        simdev::SlotDescription(a, s, "CH" + std::to_string(s + 1));
    simdev::Languages(a, {"en", "de", "hu"}, "en");
    simdev::ProductDetails(a, {0x0004, 0x0403});
    a.SetText(0x0082, "Truss 2 left");
    a.values[0x0400] = {0, 0, 0x04, 0xD2};
    a.values[0x1010] = {0xFF};
    simdev::Basic(Device(Uid(0x7FF3, 0x0012A0F2)), 0x0046, "VINTARO RGB DMX 2G", "Pellmor GmbH",
                  {0x0080, 0x0081});
    simdev::Basic(Device(Uid(0x0808, 0x00000101)), 0x0001, "Par 64 LED", "Acme Lighting", {0x0080, 0x0081});
    w->resize(1100, 720);
    ASSERT_NO_FATAL_FAILURE(Discover());
    ui->tvDeviceList->expandAll();
    for (int i = 0; i < NodeCount(ui->tvDeviceList); ++i) {
        if (view->RecordAt(i)->uid != a.uid) continue;
        ui->tvDeviceList->setCurrentItem(NodeAt(ui->tvDeviceList, i));
        view->tvDeviceListClick();
        Settle();
    }
    SaveWindowShot(w, "rdm-discovery.png");
}

TEST_F(ChannelGrid, ChannelMapAfterADemo) {
    w->resize(1100, 720);
    view->btnDemoDiscClick();
    view->RdmCurrentNode() = 2;
    view->ShowDeviceDetails(2);
    tree->setCurrentItem(NodeAt(tree, 2));
    auto* pc = Find<QTabWidget>("pcRdm");
    pc->setCurrentIndex(0);
    pc->setCurrentWidget(Find<QWidget>("tsDmxKiosztas"));
    SaveWindowShot(w, "dmx-channel-map.png");
}

TEST_F(SensorPolling, SensorTab) {
    w->resize(1100, 720);
    tree->expandAll();
    tree->setCurrentItem(NodeAt(tree, 1));
    Tick(3);
    SaveWindowShot(w, "sensor-tab.png");
}

TEST_F(RemoteAccessTab, TheDevicesDisplay) {
    QImage text(122, 32, QImage::Format_RGB32);
    text.fill(Qt::black);
    {
        QPainter p(&text);
        QFont font;
        font.setPixelSize(11);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(2, 0, 118, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("DMX address"));
        p.drawText(QRect(2, 16, 118, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("> 001"));
        p.drawRect(0, 0, 121, 31);
    }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 122; ++x)
            display.SetPixel(x, y, qGray(text.pixel(x, y)) > 100);
    w->resize(1100, 720);
    Tick();
    SaveWindowShot(w, "remote-access.png");
}

// The decoder tab and its personality dialog after a read from the simulated decoder.
TEST_F(LvnTest, DecoderTabAndPersonalityDialog) {
    WriteDeviceConfig(memory);
    memory.PutByte(192 + 34 + 2, 2); // the third slot of the first personality strobes
    w->resize(1100, 720);
    DiscoverAndSelect();
    Get();
    w->rdmView->deviceLog->Flush();
    SaveShot(*w, "lvn24-config-tab.png");
    dlg->setAnswerer([&](TModalDialog& d) {
        Dlg<QScrollBar>("sbPersChs"); // the dialog is up
        SaveShot(d, "lvn24-personality-dialog.png");
    });
    page->ui->btnPersSettings->click();
}
