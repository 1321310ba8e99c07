#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "rdm/rdm_discovery.h"

namespace Ui {
class RdmPage;
class SpecialTab;
} // namespace Ui

class TfrmMain;
class TDM;
class QTreeWidget;
class QTreeWidgetItem;
class QTimer;
struct tRdmDevice;
class RdmScan;
class PageLog;

// The RDM page of the main window: the device tree, the logs, the discovery
// buttons and the parameter tabs. It works on the page's widgets (the main
// window's `rdmUi`), hosts the Special tab's form inside `tsSpecial`, and owns
// the discovery and the parameter scan of the devices it shows.
class RdmPageView : public QObject, public DiscoveryHost {
    Q_OBJECT

public:
    explicit RdmPageView(TfrmMain* mainWindow);
    ~RdmPageView() override;

    TfrmMain* frmMain;
    Ui::RdmPage* ui;
    std::unique_ptr<Ui::SpecialTab> specUi;

    // 1 after "DEMO", 0 after "DISCOVERY": the views then send no maker
    // request, start no polling, and the SETs change only records and views.
    uint8_t DemoMode = 0;
    // Scans finished while the repeated discovery test runs.
    int AutoDiscoveryCount = 0;

    // The device log (mDeviceList) and the hidden debug log of requests
    // (mDebug). The device log holds a 500-device scan with "Detailes"
    // ticked; the debug log the requests of well over an hour of polling.
    static constexpr int DeviceLogLimit = 50000;
    static constexpr int DebugLogLimit = 20000;
    PageLog* deviceLog;
    PageLog* debugLog;

    RdmDiscovery Discovery;
    std::unique_ptr<RdmScan> Scan;

    // Work of other tabs that this page starts by name. Each is empty until
    // the tab that owns it installs it; an empty one does nothing.
    struct Hooks {
        std::function<void()> StopSensorPolling;
        std::function<void()> StartSensorPolling;
        std::function<void()> ShowSensorPage;
        std::function<void()> BuildDmxChannelMap;
        std::function<void()> UpdateRemoteAccessTab;
        std::function<void()> StartRemoteAccess;
        std::function<void()> StopRemoteAccess;
        // Reads the selected device's operating or DMX mode (by its PID) for
        // the Special tab, once no other operation holds the line.
        std::function<void(uint16_t pid)> ReadDeviceMode;
        // Drops a sensor reset or record that waits for the next poll, with
        // its line naming `why`.
        std::function<void(const QString& why)> DropSensorCommands;
    } hooks;

    // ---------------------------------------------------------- the tree
    QTreeWidget* tree() const;
    // The record of the node with this absolute index, or nullptr when the
    // index no longer exists. Every caller does nothing with nothing.
    tRdmDevice* RecordAt(int node) const;
    int NodeCountInTree() const;
    // The node the views and requests work on (absolute depth-first index).
    uint16_t& RdmCurrentNode();

    // ---------------------------------------------------------- page handlers
    void mAblakRdmClick();
    void btnDiscoveryClick();
    void btnDemoDiscClick();
    void PrepareDiscovery();
    void RestartDiscoveryTest();
    void FreeDeviceRecords();
    void ClearDeviceDetails();
    void tvDeviceListClick();
    void pcRdmChange();
    void btnClrTortenetClick();
    void bclrDebugClick();
    // A line in the device log, only while "Detailes" is ticked.
    void AddDetailLine(const QString& text);
    // A line at the end of the device log.
    void AddDeviceListLine(const QString& text) override;

    // True from PrepareDiscovery until the search found nothing or the scan
    // of what it found is over. While it is set the tree only shows nodes.
    bool DiscoveryRunning = false;
    // A run is on and the discovery button is disabled by it.
    bool RunInProgress() const;
    // The scan holds the line: a run is on, or a device is read again after a
    // SET (its re-read ends like a scan's). Nothing else may send a request or
    // take the link out of RDM until it lets go, or its answers are lost.
    bool ScanHoldsTheLine() const;
    // The interface was pulled out: a run or a reading again that held the
    // line ends here, with what it read so far, and its request is dropped.
    void InterfaceRemoved();
    // Ends every operation of the line (its awaited answer, its resends, its
    // pause and what the pause would send, a sensor command waiting for its
    // tick, the next run of the repeated discovery test): the page is free at
    // once. `why` ends the line of what is dropped.
    void EndLineOperations(const QString& why);
    // The line is held for one device's operation, or for the scan: a SET
    // waits for its answer or its reading back (also in the pause between
    // them), a maker read for its next packet. A selection made meanwhile
    // waits, a SET is refused, and a poll skips its tick; otherwise the
    // answer on its way would be dropped, or the rest of the operation sent
    // to the newly selected device.
    bool LineHeld() const;
    // No request but the operation's own may go out: the line is held, or an
    // operation waits in a pause between two of its requests (a set-up chain,
    // an upload, a decoder transfer), whose next request must not be displaced.
    bool SendersHeld() const;
    // A selection made while the line was held is taken now, as a whole,
    // once the line is free.
    void TakeHeldClick();

    // ---------------------------------------------------------- parameter page
    bool DeviceSupportsPid(int node, uint16_t pid) const;
    void ShowDeviceDetails(int node);
    void ShowPanInvert(int node, bool supported);
    void ShowTiltInvert(int node, bool supported);
    void ShowPanTiltSwap(int node, bool supported);
    void ShowDisplayInvert(int node, bool supported);
    void ShowDisplayLevel(int node, bool supported);
    void ShowLampStrikes(int node, bool supported);
    void ShowLampHours(int node, bool supported);
    void ShowDevicePowerCycles(int node, bool supported);
    void ShowLampState(int node, bool supported);
    void ShowLampOnMode(int node, bool supported);
    void ShowIdentifyMode(int node, bool supported);
    void ShowPowerState(int node, bool supported);
    void ShowLanguages(int node, bool supported);
    void ShowProductDetails(int node, bool supported);
    void ShowSlotInfo(int node, bool supported);

    // ---------------------------------------------------------- device kind
    void ShowDeviceSpecialPage();

    // ---------------------------------------------------------- demo
    void BuildDemoDeviceTree();
    void FillDemoDeviceData();

    // ---------------------------------------------------------- discovery host
    void SendDiscoveryRequest(uint64_t destination, uint16_t pid, std::span<const uint8_t> data,
                              uint8_t linkType) override;
    QString Text(int n) const override;
    void AddFoundDevice(uint64_t uid) override;
    void DiscoveryFinished(uint16_t count) override;

    // A GET with no data to the record's UID and sub-device, answered by PID.
    void SendGetByPid(const tRdmDevice& rec, uint16_t pid);

signals:
    // The line's operations are about to be ended under whatever still runs
    // (the interface removed, the demo, a discovery).
    void LineOperationsEnding();

public:
    void CallHook(const std::function<void()>& hook) const {
        if (hook) hook();
    }
    void CallHook(const std::function<void(uint16_t)>& hook, uint16_t pid) const {
        if (hook) hook(pid);
    }

private:
    void ResetDetailControls(bool group);
    void SelectRdmTab(int index);

    bool changingTabByCode = false;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void HoldClick();

    // The tree was clicked while the line was held (the tree's current item is the node).
    bool clickHeld = false;
    bool unMuteOwed = false; // the run's un-mute was not queued
    QTimer* heldClickTimer = nullptr;
    QHash<QString, QTreeWidgetItem*> groupsByCaption;
    bool groupsByCaptionExact = false;
    bool addingFoundDevice = false;
    uint16_t currentNodeFallback = 0; // while no data module is attached
};
