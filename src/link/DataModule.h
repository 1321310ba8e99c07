#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>

#include "app/Main.h"
#include "app/MainState.h"
#include "link/LinkTypes.h"
#include "rdm/RdmController.h"
#include "rdm/RdmLink.h"

class TfrmMain;
class QTimer;
class HidPlatform;
class TJvHidDevice;
class TJvHidDeviceController;
class TUdpServer;
class QUdpSocket;
class TNetworkDiscovery;

// What a pause of the data module holds back while it runs.
enum class PauseHold : uint8_t {
    Nothing,   // a pause of the link's own (after the interface's arrival)
    Senders,   // between two requests of one operation (a chain, an upload):
               // no other request may take the place of its next one
    Selection, // part of an operation on one device (a SET and its reading
               // back): a click waits too, and no other request goes out
};

// The data module: owns the HID controller, the link state, the packet queue,
// the RDM request and answer state and the data module's timers. It reaches the
// main window through the pointer it is given.
class TDM : public QObject {
    Q_OBJECT

public:
    // platform: where the HID controller finds its devices; empty means the
    // machine's own (libudev + hidraw).
    explicit TDM(TfrmMain* mainWindow, std::shared_ptr<HidPlatform> platform = {}, QObject* parent = nullptr);
    ~TDM() override;

    TfrmMain* mainWindow() const { return frmMain; }

    // ------------------------------------------------------------ the link
    // The one 65-byte buffer of both directions: output reports are built and
    // written from it, every input report is copied over it from byte 0.
    THidReport HidReport{};
    // Bytes the last input report brought (from byte 0); the rest of
    // HidReport is left over from earlier reports and is no part of it.
    uint16_t HidReportLength = 0;
    // The last input report, as far as it came.
    std::span<const uint8_t> InputReport() const { return {HidReport.data(), HidReportLength}; }
    uint16_t LinkMode = LinkModeIdle;
    uint16_t LinkSubState = 0;

    // The held interface (or none), whether it is connected, and whether it
    // was pulled out and is to be freed at the end of the scan.
    TJvHidDevice* HidDev = nullptr;
    bool HidConnected = false;
    bool HidRemoved = false;
    // High and low byte of the interface's version number. The contact and
    // the type are copied to the window's line state for the status bar.
    uint8_t InterfaceType = 0;
    uint8_t InterfaceVersion = 0;

    // State shared with the main window's frame: the DMX frame buffer, the
    // interface's configuration answer, the monitor and transmit flags.
    tLineState& Line() { return frmMain ? frmMain->LineState : ownLine; }

    // Parser of the monitor stream, reset by StartMonitor.
    uint8_t MonitorState = 2;
    uint16_t MonitorWriteIndex = 0;

    // Outgoing link packets.
    TTxQueue TxQueue;

    // Writes HidReport (report id 0 first) to the held interface; nothing
    // when none is held. The result is not looked at.
    void SendHidReport();
    void SendBlockPacket(const uint8_t* data, uint16_t length, uint8_t type, uint16_t parameter);
    void StartMonitor();
    void StartBlockDownload(uint8_t a, uint8_t b);
    void RequestInterfaceConfig();
    void PollFirmwareUpload();

    // Data handler of the held interface: copies the report over HidReport
    // and hands it to the handler of the interface type and link mode.
    void HidDataReceived(TJvHidDevice* HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size);

    // A new line at the end of the device log (mDeviceList).
    void AddDeviceListLine(const QString& text);

    // ------------------------------------------------------------ pauses
    // Waits `ms` on a single-shot timer, then runs `rest`, without blocking the
    // event loop. Input reports of the held interface that arrive meanwhile are
    // held and handled in their order once the pause (and any pause `rest`
    // starts) is over, so a handler sees the same order of reports as if it had
    // slept. Pauses asked for while one runs follow it in turn.
    // `hold`: what the pause holds back while it runs (see PauseHold).
    void PauseThen(int ms, std::function<void()> rest, PauseHold hold = PauseHold::Nothing);
    bool Pausing() const { return !pauses.empty(); }
    // A pause that holds the selection runs (or waits its turn).
    bool HoldingPause() const;
    // A pause of an operation of the line runs: its next request follows it,
    // so no other request may go out meanwhile.
    bool OperationPausing() const;
    // Ends every pause of an operation of the line: what it would have sent
    // is never sent. Reports held meanwhile are handled now.
    void EndOperationPauses();

    // An operation's answer is on its way: its request to one device went
    // out over the held interface, and neither its answer nor a report of
    // none has come, nor has its deadline passed. A poll's answer does not count.
    bool RdmOperationAnswerAwaited() const;
    // A request whose report has not come this long after it left the queue
    // counts as unanswered; so does one still waiting in the queue this long
    // after it was queued.
    static constexpr int RdmAnswerDeadlineMs = 1000;
    static constexpr int RdmQueueDeadlineMs = 3000;
    // Packets wait and the interface has asked for none this long: the
    // packet is announced again (the interface's request may have been lost).
    static constexpr int QueueAnnounceAgainMs = 500;

    // ------------------------------------------------------------ the queue
    // Queues a link packet (header included). False when it is refused: empty,
    // longer than a slot, or 20 packets already pending (a device-log line
    // says so; nothing pending is overwritten).
    bool EnqueuePacket(const uint8_t* bytes, uint16_t length);
    // Puts the link header (type, parameter, length) before the data and
    // queues the packet.
    bool EnqueuePacket(uint8_t type, uint16_t parameter, const uint8_t* data, uint16_t length);
    // Answers the credit request in HidReport with the next chunk.
    void SendNextChunk();
    // A packet's last chunk went out: an RDM request's report is owed, and
    // for the last request sent its deadline starts.
    void PacketLeft(const uint8_t* bytes);
    // The deadline of the last RDM request sent has passed (timer tick).
    void RdmDeadlinePassed();
    // The queue refused the last RDM request: its deadline is now (a
    // search's after a deadline's time, so that the queue can make room).
    void RdmRequestRefused();

    // ------------------------------------------------------------ arrival and removal
    bool IsInterfaceTypeEnabled(uint8_t code) const;
    void JvHidDCArrival(TJvHidDevice* HidDev);
    void JvHidDCRemoval(TJvHidDevice* HidDev);
    bool JvHidDCEnumerate(TJvHidDevice* HidDev, int32_t Idx);
    void JvHidDCDeviceChange();

    std::unique_ptr<TJvHidDeviceController> JvHidDC;

    // ------------------------------------------------------------ timers
    QTimer* tmrSensor;
    QTimer* tmrRemAcc;
    QTimer* tTest;
    QTimer* tmrFrmwr;
    QTimer* tmrGetInfo;
    QTimer* tmrNetwork;

    void tmrSensorTimer();
    void tmrRemAccTimer();
    void tTestTimer();
    void tmrFrmwrTimer();
    void tmrGetInfoTimer();
    void tmrNetworkTimer();

    // ------------------------------------------------------------ network interfaces (network.cpp)
    TUdpServer* udpServer;
    QUdpSocket* udpClient;
    TNetworkDiscovery& Network() { return *network; }

    // ------------------------------------------------------------ handlers of the input dispatch
    // Their bodies live in LinkHandlers.cpp until the subsystems that own them fill them in.
    void HandleDiscoveryReport();
    void HandleRdmReport();
    void HandleBlockAck();
    void HandleMonitorStream();
    void ShowReceivedDmx();
    void HandleInterfaceConfig();
    void SendFirmwareChunk();
    void HandleRfConfigAnswer();
    void ShowRfDmxConfigControls(bool rfChannel, bool dmxCount, bool mode, bool forward, bool send);
    void ClearDeviceDetails();
    // A run or a device's reading again ends with the interface's removal.
    void EndRdmWorkOnRemoval();
    // Forgets every packet waiting in the queue, the one in transfer included.
    void DropQueuedPackets();
    // Forgets the RDM requests waiting in the queue; other packets stay, and
    // so does the one in transfer when `keepInTransfer` (one partly sent
    // cannot be taken back).
    void DropQueuedRdmRequests(bool keepInTransfer = false);

    // ------------------------------------------------------------ the RDM controller
    // The request globals, the answer being collected and the answer path.
    RdmController& Rdm();
    RdmState& RdmGlobals() { return Rdm().state; }
    // Frames an RDM request, dumps it to mDebug and queues it (callers pass
    // RdmGlobals().RdmParamData as the data). False when it was not queued.
    bool SendRdmRequest(uint16_t subDevice, uint8_t commandClass, uint64_t destination, uint16_t pid,
                        uint8_t pdl, std::span<const uint8_t> data, uint8_t linkType);
    // Stores a GET answer into the record of the tree node with this absolute index.
    void DecodeGetResponse(const tRdmMessage& msg, int nodeIndex);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // After HandleInterfaceConfig for the RF interfaces (types 5 and 6).
    void RfConfigFollowUp();
    // Hands the report now in HidReport to the handler of the link mode.
    void DispatchInputReport();
    void PauseElapsed();
    // The empty chunk that makes the interface ask for the packet waiting.
    void AnnouncePacket();
    // An RDM request has begun to leave and has chunks still to send.
    bool RdmRequestPartlySent() const;
    void QueueQuiet();
    QTimer* rdmDeadline = nullptr;
    QTimer* queueWatch = nullptr;

    struct PendingPause {
        int ms;
        std::function<void()> rest;
        PauseHold hold = PauseHold::Nothing;
    };
    // Hands the reports held by the pauses to their handlers, in order, once
    // no pause is left.
    void ReleaseHeldReports();
    // The line may have been let go: a click held meanwhile is taken.
    void LineMayBeFree();
    std::deque<PendingPause> pauses;
    struct HeldReport {
        THidReport bytes;
        uint16_t length;
    };
    std::deque<HeldReport> heldReports;
    QTimer* pauseTimer = nullptr;
    bool runningRest = false; // the front pause's rest is running

    // The held interface once it is pulled out, until the end of its scan
    // frees it. HidDev may meanwhile hold a new interface that arrived in the
    // same scan.
    TJvHidDevice* pulledOut = nullptr;
    TfrmMain* frmMain;
    tLineState ownLine; // without a main window (benchmarks)
    std::unique_ptr<RdmLink> rdmLink;
    std::unique_ptr<RdmController> rdmController;
    std::unique_ptr<TNetworkDiscovery> network;
    bool firstScanPosted = false;
};
