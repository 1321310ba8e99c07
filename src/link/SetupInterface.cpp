#include "link/SetupInterface.h"

#include "app/Main.h"
#include "link/DataModule.h"
#include "link/network.h"
#include "ui_SetupInterface.h"

TfrmSetupInterface::TfrmSetupInterface(TfrmMain* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TfrmSetupInterface>()), frmMain(owner) {
    ui->setupUi(this);
    // The star comes from the field's style sheet, which takes effect once the
    // field is polished; text put in before that would keep the platform's dot.
    ui->meJelszo->ensurePolished();
    // A radio button that becomes checked, by the user or by code, runs its handler.
    connect(ui->rbNetwork, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rbNetworkClick();
    });
    connect(ui->rbUsb, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rbUsbClick();
    });
    // The user picked an adapter from the drop-down.
    connect(ui->cbNetworkAdapter, &QComboBox::activated, this, [this](int i) { cbNetworkAdapterCloseUp(i); });
    connect(ui->btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(ui->btnMegsem, &QPushButton::clicked, this, [this] { reject(); });
}

TfrmSetupInterface::~TfrmSetupInterface() = default;

void TfrmSetupInterface::FormActivate() {
    setWindowTitle(QStringLiteral(" ") + frmMain->text(8) + QStringLiteral(" - ") + frmMain->text(59));
    if (frmMain->InterfaceKind == QLatin1String("NETWORK"))
        ui->rbNetwork->setChecked(true);
    else
        ui->rbUsb->setChecked(true);
    EnableNetworkControls(ui->rbNetwork->isChecked());
}

void TfrmSetupInterface::EnableNetworkControls(bool on) {
    for (QWidget* w :
         {static_cast<QWidget*>(ui->lHalozatiAdapterek), static_cast<QWidget*>(ui->cbNetworkAdapter),
          static_cast<QWidget*>(ui->lHalozatiInterfeszek), static_cast<QWidget*>(ui->lbNetworkInterfaceList),
          static_cast<QWidget*>(ui->lJelszo), static_cast<QWidget*>(ui->meJelszo),
          static_cast<QWidget*>(ui->btnKapcsolodas)})
        w->setEnabled(on);
}

void TfrmSetupInterface::ListNetworkAdapters() {
    ui->cbNetworkAdapter->clear();
    const QList<tAdapterInfo> adapters = AdapterSource ? AdapterSource() : QList<tAdapterInfo>{};
    const QList<tIpAddress> addresses = LocalIpv4Addresses(adapters);
    for (int i = 0; i < addresses.size() && i < MaxAdapters; ++i) {
        t_networkdata row;
        row.Ip = addresses[i];
        QueryAdapterInfo(row, adapters);
        ui->cbNetworkAdapter->addItem(IpToText(row.Ip) + QStringLiteral("  -  ") + row.Caption);
        NetworkAdapters[i] = row;
    }
    // Nothing is chosen until the user picks an adapter.
    ui->cbNetworkAdapter->setCurrentIndex(-1);
}

void TfrmSetupInterface::rbNetworkClick() {
    frmMain->InterfaceKind = QStringLiteral("NETWORK");
    EnableNetworkControls(ui->rbNetwork->isChecked());
    ListNetworkAdapters();
}

void TfrmSetupInterface::rbUsbClick() {
    frmMain->InterfaceKind = QStringLiteral("USB");
    ui->cbNetworkAdapter->clear();
    ui->lbNetworkInterfaceList->clear();
    ui->meJelszo->clear();
    EnableNetworkControls(ui->rbNetwork->isChecked());
}

void TfrmSetupInterface::cbNetworkAdapterCloseUp(int index) {
    // The drop-down holds at most MaxAdapters lines.
    if (index < 0 || index >= ui->cbNetworkAdapter->count()) return;
    frmMain->InterfaceKind = QStringLiteral("NETWORK");
    frmMain->InterfaceIp = NetworkAdapters[index].Ip;
    frmMain->InterfaceMask = NetworkAdapters[index].Mask;
    ui->lbNetworkInterfaceList->clear();
    TDM* dm = frmMain->dataModule();
    if (!dm) return;
    TNetworkDiscovery& net = dm->Network();
    net.setListBox(ui->lbNetworkInterfaceList);
    net.NetworkDeviceCount = 0;
    net.StartDiscoveryServer();
    net.StartDiscoveryClient();
    net.SendDiscoveryProbe();
}

void TfrmSetupInterface::btnOkClick() {
    if (ui->rbNetwork->isChecked()) {
        frmMain->InterfaceKind = QStringLiteral("NETWORK");
        const int i = ui->cbNetworkAdapter->currentIndex();
        if (i < 0) {
            frmMain->InterfaceIp = {0, 0, 0, 0};
            frmMain->InterfaceMask = {0xFF, 0xFF, 0xFF, 0xFF};
        } else {
            frmMain->InterfaceIp = NetworkAdapters[i].Ip;
            frmMain->InterfaceMask = NetworkAdapters[i].Mask;
        }
    } else {
        frmMain->InterfaceKind = QStringLiteral("USB");
    }
    accept();
}
