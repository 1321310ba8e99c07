#include "link/DataModule.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <cstring>

#include "app/Main.h"
#include "link/LinkDispatch.h"
#include "link/hid/JvHidControllerClass.h"
#include "link/hid/LinuxHidPlatform.h"
#include "link/network.h"
#include "ui_RdmPage.h"

TDM::TDM(TfrmMain* mainWindow, std::shared_ptr<HidPlatform> platform, QObject* parent)
    : QObject(parent), frmMain(mainWindow) {
    setObjectName(QStringLiteral("DM"));
    auto makeTimer = [this](const char* name, int interval, void (TDM::*handler)()) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(name));
        timer->setInterval(interval);
        connect(timer, &QTimer::timeout, this, [this, handler] { (this->*handler)(); });
        return timer;
    };
    tmrSensor = makeTimer("tmrSensor", 500, &TDM::tmrSensorTimer);
    tmrRemAcc = makeTimer("tmrRemAcc", 250, &TDM::tmrRemAccTimer);
    tTest = makeTimer("tTest", 1000, &TDM::tTestTimer);
    tmrFrmwr = makeTimer("tmrFrmwr", 600, &TDM::tmrFrmwrTimer);
    tmrGetInfo = makeTimer("tmrGetInfo", 1000, &TDM::tmrGetInfoTimer);
    tmrNetwork = makeTimer("tmrNetwork", 1000, &TDM::tmrNetworkTimer);
    udpServer = new TUdpServer(this);
    udpServer->setObjectName(QStringLiteral("udpServer"));
    udpClient = new QUdpSocket(this);
    udpClient->setObjectName(QStringLiteral("udpClient"));
    network = std::make_unique<TNetworkDiscovery>(*this);
    pauseTimer = new QTimer(this);
    pauseTimer->setObjectName(QStringLiteral("pauseTimer"));
    pauseTimer->setSingleShot(true);
    connect(pauseTimer, &QTimer::timeout, this, &TDM::PauseElapsed);
    rdmDeadline = new QTimer(this);
    rdmDeadline->setObjectName(QStringLiteral("rdmDeadline"));
    rdmDeadline->setSingleShot(true);
    connect(rdmDeadline, &QTimer::timeout, this, &TDM::RdmDeadlinePassed);
    queueWatch = new QTimer(this);
    queueWatch->setObjectName(QStringLiteral("queueWatch"));
    queueWatch->setSingleShot(true);
    connect(queueWatch, &QTimer::timeout, this, &TDM::QueueQuiet);

    if (!platform) platform = std::make_shared<LinuxHidPlatform>();
    JvHidDC = std::make_unique<TJvHidDeviceController>(std::move(platform));
    JvHidDC->setObjectName(QStringLiteral("JvHidDC"));
    JvHidDC->OnArrival = [this](TJvHidDevice* dev) { JvHidDCArrival(dev); };
    JvHidDC->OnRemoval = [this](TJvHidDevice* dev) { JvHidDCRemoval(dev); };
    JvHidDC->OnEnumerate = [this](TJvHidDevice* dev, int32_t idx) { return JvHidDCEnumerate(dev, idx); };
    JvHidDC->OnDeviceChange = [this] { JvHidDCDeviceChange(); };

    // The first scan waits for the main window to be shown, so that it runs
    // from the event loop after the window's start-up work (which is posted
    // at a higher priority when the window is first shown). Without a window
    // (the benchmarks' rigs) there is nothing to wait for.
    if (frmMain)
        frmMain->installEventFilter(this);
    else
        JvHidDC->Loaded();
}

TDM::~TDM() {
    // The main window may be gone already (it closes first); it is not touched.
    // The controller goes first: it unplugs the held device (stopping its read
    // thread) and leaves it to us.
    TJvHidDevice* held = HidDev;
    TJvHidDevice* pulled = pulledOut != held ? pulledOut : nullptr;
    HidDev = nullptr;
    pulledOut = nullptr;
    JvHidDC.reset();
    delete held;
    delete pulled;
}

bool TDM::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frmMain && event->type() == QEvent::Show && !firstScanPosted) {
        firstScanPosted = true;
        JvHidDC->Loaded();
    }
    return QObject::eventFilter(watched, event);
}

void TDM::SendHidReport() {
    HidReport[0] = 0;
    if (!HidDev) return;
    uint32_t written = 0;
    HidDev->WriteReport(HidReport.data(), uint32_t(HidReport.size()), written);
}

void TDM::SendBlockPacket(const uint8_t* data, uint16_t length, uint8_t type, uint16_t parameter) {
    uint8_t packet[517];
    const uint16_t n = std::min<uint16_t>(length, 514);
    PutLinkHeader(packet, type, parameter, n);
    if (n && data) std::memcpy(packet + 3, data, n);
    EnqueuePacket(packet, uint16_t(n + 3));
}

void TDM::StartMonitor() {
    LinkMode = LinkModeMonitor;
    MonitorState = 2;
    MonitorWriteIndex = 0;
    if (InterfaceType == 7 || InterfaceType == 8 || InterfaceType == 9) return;
    HidReport[1] = CmdStartMonitor;
    HidReport[2] = 0;
    HidReport[3] = 0;
    HidReport[4] = 10;
    SendHidReport();
}

void TDM::StartBlockDownload(uint8_t a, uint8_t b) {
    LinkMode = LinkModeBlockDownload;
    HidReport[1] = CmdStartBlockDownload;
    HidReport[2] = a;
    HidReport[3] = b;
    SendHidReport();
    SendBlockPacket(Line().DmxFrame.data(), 513, LinkTypeDmx, 123);
}

void TDM::RequestInterfaceConfig() {
    LinkMode = LinkModeInterfaceConfig;
    HidReport[1] = CmdReadInterfaceConfig;
    HidReport[2] = 0;
    HidReport[3] = 0;
    HidReport[4] = 0;
    SendHidReport();
}

void TDM::PollFirmwareUpload() {
    HidReport[1] = CmdFirmwarePoll;
    HidReport[2] = 0;
    HidReport[3] = 0;
    HidReport[4] = 0;
    SendHidReport();
}

void TDM::HidDataReceived(TJvHidDevice* dev, uint8_t /*ReportID*/, const uint8_t* Data, uint16_t Size) {
    // A report handed over just before the interface was let go is not ours
    // any more.
    if (dev != HidDev || !Data || Size == 0) return;
    // Whatever the device delivers, only the report buffer's 65 bytes are written.
    const size_t length = std::min<size_t>(Size, HidReport.size());
    if (Pausing()) {
        HeldReport held{};
        std::memcpy(held.bytes.data(), Data, length);
        held.length = uint16_t(length);
        heldReports.push_back(held);
        return;
    }
    std::memcpy(HidReport.data(), Data, length);
    HidReportLength = uint16_t(length);
    DispatchInputReport();
}

void TDM::PauseThen(int ms, std::function<void()> rest, PauseHold hold) {
    pauses.push_back({ms, std::move(rest), hold});
    if (pauses.size() == 1) pauseTimer->start(ms);
}

bool TDM::HoldingPause() const {
    return std::any_of(pauses.begin(), pauses.end(),
                       [](const PendingPause& p) { return p.hold == PauseHold::Selection; });
}

bool TDM::OperationPausing() const {
    return std::any_of(pauses.begin(), pauses.end(),
                       [](const PendingPause& p) { return p.hold != PauseHold::Nothing; });
}

void TDM::EndOperationPauses() {
    if (!OperationPausing()) return;
    // The front pause may be running its rest right now (a pause ended from
    // inside it): it is left to finish, with nothing after it.
    const bool frontRunning = runningRest && !pauses.empty();
    auto first = pauses.begin() + (frontRunning ? 1 : 0);
    const bool frontGone = !frontRunning && !pauses.empty() && pauses.front().hold != PauseHold::Nothing;
    pauses.erase(std::remove_if(first, pauses.end(),
                                [](const PendingPause& p) { return p.hold != PauseHold::Nothing; }),
                 pauses.end());
    if (frontRunning) return;
    if (frontGone) {
        pauseTimer->stop();
        if (!pauses.empty()) {
            pauseTimer->start(pauses.front().ms);
            return;
        }
        ReleaseHeldReports();
    }
}

void TDM::PauseElapsed() {
    if (pauses.empty()) return;
    // The pause stays counted while its rest runs, so reports that arrive
    // from inside it are held behind the ones already waiting.
    std::function<void()> rest = std::move(pauses.front().rest);
    runningRest = true;
    if (rest) rest();
    runningRest = false;
    pauses.pop_front();
    if (!pauses.empty()) {
        pauseTimer->start(pauses.front().ms);
        return;
    }
    ReleaseHeldReports();
}

void TDM::ReleaseHeldReports() {
    while (!heldReports.empty() && !Pausing()) {
        // Only the bytes the report brought are copied, as when it came.
        const HeldReport& held = heldReports.front();
        std::copy_n(held.bytes.begin(), held.length, HidReport.begin());
        HidReportLength = held.length;
        heldReports.pop_front();
        DispatchInputReport();
    }
    LineMayBeFree();
}

void TDM::DispatchInputReport() {
    if (HidReport[0] == InputCreditRequest) {
        if (TxQueue.Count > 0) queueWatch->start(QueueAnnounceAgainMs);
        SendNextChunk();
        return;
    }
    switch (LinkHandlerFor(InterfaceType, LinkMode)) {
    case LinkHandler::None:
        break;
    case LinkHandler::Discovery:
        HandleDiscoveryReport();
        break;
    case LinkHandler::BlockAck:
        HandleBlockAck();
        break;
    case LinkHandler::MonitorStream:
        HandleMonitorStream();
        break;
    case LinkHandler::Rdm:
        HandleRdmReport();
        break;
    case LinkHandler::InterfaceConfig:
        HandleInterfaceConfig();
        break;
    case LinkHandler::InterfaceConfigRf:
        HandleInterfaceConfig();
        RfConfigFollowUp();
        break;
    case LinkHandler::FirmwareChunk:
        SendFirmwareChunk();
        break;
    case LinkHandler::ReceivedDmx:
        ShowReceivedDmx();
        break;
    case LinkHandler::RfConfig:
        HandleRfConfigAnswer();
        break;
    }
}

void TDM::RfConfigFollowUp() {
    auto* btn = frmMain ? frmMain->findChild<QAbstractButton*>(QStringLiteral("btnGetConfRfDmx")) : nullptr;
    if (Line().InterfaceBootInfo[0] != 0 && Line().InterfaceAppInfo[0] != 0) {
        LinkMode = LinkModeRfConfigRead;
        HidReport[1] = CmdReadRfConfig;
        HidReport[2] = 0;
        HidReport[3] = 0;
        HidReport[4] = 0;
        SendHidReport();
        if (InterfaceType == 5)
            ShowRfDmxConfigControls(true, true, true, true, true);
        else
            ShowRfDmxConfigControls(true, false, false, false, true);
        if (btn) btn->setText(QStringLiteral("GET CONFIG"));
    } else {
        if (btn) btn->setText(QStringLiteral("Firmware update..."));
    }
}

void TDM::AddDeviceListLine(const QString& text) {
    if (frmMain) frmMain->LogLine(text);
}

void TDM::tmrFrmwrTimer() {
    PollFirmwareUpload();
}

void TDM::tmrGetInfoTimer() {
    tmrGetInfo->stop();
    RequestInterfaceConfig();
}
