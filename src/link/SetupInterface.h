#pragma once

#include <array>
#include <functional>
#include <memory>

#include "app/ModalDialog.h"
#include "link/network_sysinfo.h"

namespace Ui {
class TfrmSetupInterface;
}
class TfrmMain;

// The interface setup dialog: USB or the network, and for the network the
// machine's IPv4 adapters; picking one lists the maker's network interfaces
// on that adapter's subnet. The radio buttons and the adapter choice set the
// main window's InterfaceKind, InterfaceIp and InterfaceMask at once.
class TfrmSetupInterface : public TModalDialog {
    Q_OBJECT

public:
    explicit TfrmSetupInterface(TfrmMain* owner);
    ~TfrmSetupInterface() override;

    void EnableNetworkControls(bool on);
    void ListNetworkAdapters();

    void rbNetworkClick();
    void rbUsbClick();
    void cbNetworkAdapterCloseUp(int index);
    void btnOkClick();

    static constexpr int MaxAdapters = 16;
    std::array<t_networkdata, MaxAdapters> NetworkAdapters{};

    // Where the adapters come from: the machine's own list unless a test
    // gives others.
    std::function<QList<tAdapterInfo>()> AdapterSource = MachineAdapters;

    std::unique_ptr<Ui::TfrmSetupInterface> ui;

protected:
    void FormActivate() override;

private:
    TfrmMain* frmMain;
};
