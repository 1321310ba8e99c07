#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/Szovegek.h"
#include "network_fixture.h"

using SetupDialog = NetworkTest;

TEST_F(SetupDialog, AdapterLinesComeFromEachLocalAddress) {
    const tAdapterInfo eth{
        "eth0", "02:FC:00:00:00:01", {{{192, 0, 2, 2}, {255, 255, 255, 0}}, {{10, 9, 9, 9}, {255, 0, 0, 0}}}};
    tAdapterInfo many{"many", "", {}};
    for (uint8_t i = 1; i <= 17; ++i)
        many.addresses.append({{10, 0, 0, i}, {255, 255, 255, 0}});
    const struct {
        QList<tAdapterInfo> adapters;
        QStringList lines;
    } rows[] = {
        // An address that is not its adapter's first gets no name and no mask.
        {{eth, Loopback}, {"192.0.2.2  -  eth0", "10.9.9.9  -  ", "127.0.0.1  -  lo"}},
        {{}, {}},
    };
    for (const auto& r : rows) {
        dlg().AdapterSource = [&] { return r.adapters; };
        dlg().ListNetworkAdapters();
        EXPECT_EQ(AdapterLines(), r.lines);
        EXPECT_EQ(dlg().ui->cbNetworkAdapter->currentIndex(), -1);
        dlg().cbNetworkAdapterCloseUp(-1); // a drop-down closed without a choice
        EXPECT_NE(main().InterfaceKind, "NETWORK");
    }
    dlg().AdapterSource = [&] { return QList<tAdapterInfo>{eth}; };
    dlg().ListNetworkAdapters();
    EXPECT_EQ(IpToText(dlg().NetworkAdapters[0].Mask), "255.255.255.0");
    EXPECT_EQ(dlg().NetworkAdapters[0].Mac, "02:FC:00:00:00:01");
    EXPECT_EQ(IpToText(dlg().NetworkAdapters[1].Mask), "0.0.0.0");
    // Sixteen addresses at most are listed.
    dlg().AdapterSource = [&] { return QList<tAdapterInfo>{many}; };
    dlg().ListNetworkAdapters();
    EXPECT_EQ(AdapterLines().size(), 16);
    EXPECT_EQ(AdapterLines().first(), "10.0.0.1  -  many");
    EXPECT_EQ(AdapterLines().last(), "10.0.0.16  -  ");
}

TEST_F(SetupDialog, OpeningShowsTheSavedKindAndStartsNoDiscovery) {
    auto networkControlsEnabled = [&] {
        return dlg().ui->cbNetworkAdapter->isEnabled() && dlg().ui->lbNetworkInterfaceList->isEnabled() &&
               dlg().ui->meJelszo->isEnabled() && dlg().ui->btnKapcsolodas->isEnabled();
    };
    main().InterfaceKind = "";
    dlg().show();
    EXPECT_EQ(dlg().windowTitle(), " " + TextOf(8, 2) + " - " + TextOf(59, 2));
    EXPECT_TRUE(dlg().ui->rbUsb->isChecked());
    EXPECT_EQ(main().InterfaceKind, "USB");
    EXPECT_FALSE(networkControlsEnabled());
    EXPECT_TRUE(AdapterLines().isEmpty());
    dlg().hide();

    main().InterfaceKind = "NETWORK";
    dlg().show();
    EXPECT_TRUE(dlg().ui->rbNetwork->isChecked());
    EXPECT_TRUE(networkControlsEnabled());
    EXPECT_EQ(AdapterLines(), QStringList{"127.0.0.1  -  lo"});
    EXPECT_EQ(net().NetworkState, 0);
    EXPECT_FALSE(dm().udpServer->Active());
    // The Wi-Fi settings are never usable.
    for (QWidget* w :
         {static_cast<QWidget*>(dlg().ui->Edit1), static_cast<QWidget*>(dlg().ui->ComboBox1),
          static_cast<QWidget*>(dlg().ui->CheckBox1), static_cast<QWidget*>(dlg().ui->RadioButton2)})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    // The password shows as stars.
    QLineEdit* password = dlg().ui->meJelszo;
    password->setText("ab");
    EXPECT_EQ(password->displayText(), "**");
    password->clear();
    dlg().hide();

    // Already on NETWORK, opening again leaves the lists as they were.
    dlg().AdapterSource = [] { return QList<tAdapterInfo>{}; };
    dlg().show();
    EXPECT_EQ(AdapterLines(), QStringList{"127.0.0.1  -  lo"});
}

TEST_F(SetupDialog, TheMenuShowsTheDialogAndSavesTheChoice) {
    enum Pick { None, Usb, Network, NetworkAndAdapter };
    const struct {
        const char* kindBefore;
        Pick pick;
        bool ok;
        const char* kind;
        const char* ip;
        const char* mask;
    } rows[] = {
        {"USB", Network, true, "NETWORK", "0.0.0.0", "255.255.255.255"},
        {"USB", NetworkAndAdapter, true, "NETWORK", "127.0.0.1", "255.0.0.0"},
        {"NETWORK", Usb, true, "USB", "10.1.1.1", "255.255.0.0"},
        // Cancel keeps what the radio buttons and the adapter already changed.
        {"NETWORK", Usb, false, "USB", "10.1.1.1", "255.255.0.0"},
        {"USB", NetworkAndAdapter, false, "NETWORK", "127.0.0.1", "255.0.0.0"},
        {"NETWORK", None, false, "NETWORK", "10.1.1.1", "255.255.0.0"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.kindBefore << " " << r.pick << " " << r.ok);
        main().InterfaceKind = r.kindBefore;
        main().InterfaceIp = TextToIp("10.1.1.1");
        main().InterfaceMask = TextToIp("255.255.0.0");
        dlg().setAnswerer([&](TModalDialog&) {
            if (r.pick == Usb) ClickRadio(dlg().ui->rbUsb);
            if (r.pick == Network || r.pick == NetworkAndAdapter) ClickRadio(dlg().ui->rbNetwork);
            if (r.pick == NetworkAndAdapter) PickAdapter(0);
            QTest::mouseClick(r.ok ? dlg().ui->btnOk : dlg().ui->btnMegsem, Qt::LeftButton);
        });
        main().ui->mSetupInterface->trigger();
        EXPECT_FALSE(dlg().isVisible());
        EXPECT_EQ(ReadSettings(),
                  QStringLiteral("[Setup]\nLanguage=English\nUSB=2\nINTERFACE=%1\nIP=%2\nMASK=%3\n")
                      .arg(r.kind, r.ip, r.mask)
                      .toUtf8());
        EXPECT_EQ(main().statusPanel(2)->text(), QStringLiteral("%1 Interface: No contact").arg(r.kind));
    }
}
