#include "discovery_scan_fixture.h"

#include <QCoreApplication>
#include <QDir>

using DiscoveryScreenshot = DiscoveryScanTest;

// A picture of the RDM page after a discovery of a few simulated devices, into
// the folder named by TAMARIND_SCREENSHOTS; without it the test does nothing.
TEST_F(DiscoveryScreenshot, RdmPageAfterDiscovery) {
    const QString dir = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
    if (dir.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
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
    QCoreApplication::processEvents();
    DeviceLogText(w); // the log's memo catches up before the picture
    EXPECT_TRUE(w->grab().save(QDir(dir).filePath("rdm-discovery.png")));
}
