// Streams out through the interface: block downloads (uploads to the maker's
// stream-loaded controllers, a file or logo from the page "Send", the program
// editor's live output) answered record by record on the interface's block
// acknowledges, and the interface's firmware upload in chunks of 60 bytes.
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cmath>

#include "app/Main.h"
#include "link/DataModule.h"
#include "maker/ConfigPages.h"
#include "maker/FileKinds.h"
#include "maker/ProgramEditor.h"
#include "maker/SendPage.h"
#include "maker/StreamUpload.h"
#include "ui_KonfigPage.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"
#include "views/RdmPageView.h"

namespace {

constexpr uint16_t SubStateLiveDmx = 1;
constexpr uint16_t SubStatePrograms = 2;
constexpr uint16_t SubStateFile = 3;
constexpr uint16_t SubStateConfig = 4;

// The two arguments of the block-download command for an upload.
constexpr uint8_t UploadArgA = 66;
constexpr uint8_t UploadArgB = 50;
constexpr uint32_t FirstRecordPosition = 1 + DmxFileHeaderSize;
constexpr int FirmwareChunkMax = 60;
constexpr uint16_t DmxFrameLength = 513;

int Percent(uint32_t sent, uint32_t count) {
    if (count == 0) return 100;
    return int(std::nearbyint(100.0 / double(count) * double(sent)));
}

} // namespace

bool RefusedWhileScanHoldsTheLine(TfrmMain& frm, const QString& action) {
    if (!frm.rdmView || !frm.rdmView->ScanHoldsTheLine()) return false;
    frm.LogLine(QStringLiteral("%1 not started: the devices on the DMX line are being read").arg(action));
    return true;
}

// ---- the link's handlers --------------------------------------------------------

void TDM::HandleBlockAck() {
    if (frmMain && frmMain->sendPage) frmMain->sendPage->HandleBlockAck();
}

void TDM::SendFirmwareChunk() {
    if (frmMain && frmMain->sendPage) frmMain->sendPage->SendFirmwareChunk();
}

// ---- the entry points of the upload buttons and the firmware menus ------------------

void UploadProgramsByStream(TfrmMain& frm) {
    if (frm.sendPage) frm.sendPage->UploadProgramsByStream();
}

void UploadConfigByStream(TfrmMain& frm) {
    if (frm.sendPage) frm.sendPage->UploadConfigByStream();
}

bool UpdateFirmware(TfrmMain& frm) {
    return frm.sendPage && frm.sendPage->UpdateFirmware();
}

// ---- starting ---------------------------------------------------------------------

void TSendPage::SetGauge(uint16_t subState, int value, bool visible) {
    QProgressBar* gauge = nullptr;
    switch (subState) {
    case SubStatePrograms:
        gauge = frm.prgUi->gPrg;
        break;
    case SubStateFile:
    case LinkSubStateFirmware:
        gauge = frm.ui->gSend;
        break;
    case SubStateConfig:
        gauge = frm.konfUi->gKonf;
        break;
    default:
        return;
    }
    gauge->setValue(value);
    gauge->setVisible(visible);
}

void TSendPage::StartUpload(uint16_t subState, uint32_t frameCount) {
    TDM* d = dm();
    if (d) d->StartBlockDownload(UploadArgA, UploadArgB);
    frm.LineState.TransmitFlag = 1;
    if (d) d->LinkSubState = subState;
    SetGauge(subState, 0, true);
    StreamFrameCount = frameCount;
    transferFrameCount = frameCount;
    FramesSent = 0;
    Stream.Position = FirstRecordPosition;
    frm.ShowLineStatus();
}

void TSendPage::UploadProgramsByStream() {
    if (RefusedWhileScanHoldsTheLine(frm, QStringLiteral("Program upload"))) return;
    BuildProgramsStream(Stream, frm.programEditor->Programs);
    frm.prgUi->btnPrgEszkozbe->setEnabled(false);
    frm.prgUi->btnPrgDmx->setEnabled(false);
    StartUpload(SubStatePrograms, ProgramsFrameCount);
}

void TSendPage::UploadConfigByStream() {
    if (RefusedWhileScanHoldsTheLine(frm, QStringLiteral("Configuration upload"))) return;
    // A step time that is not a time would go out as the one stored before it.
    if (!KelvarStepTimesValid()) return;
    ConfigPages& pages = *frm.configPages;
    pages.ReadConfigPage();
    BuildConfigStream(Stream, pages.DeviceConfig, pages.CurveTable, frm.ConfigDeviceCode);
    frm.konfUi->btnKonfEszkbe->setEnabled(false);
    StartUpload(SubStateConfig, ConfigFrameCount);
}

bool TSendPage::StartStreamSend() {
    if (!LoadSendStream()) return false;
    // The first frame's period in ms (whatever the stream holds there).
    const std::span<const uint8_t> image(Stream.SendStream.data() + 1, SendStreamSize);
    const uint32_t a = TicksToTime(image, DmxFileHeaderSize, "ms");
    const uint8_t b = OpenedFileKind == FileKindBmp ? 200 : 50;
    TDM* d = dm();
    if (d) d->StartBlockDownload(uint8_t(a), b);
    frm.LineState.TransmitFlag = 1;
    if (d) d->LinkSubState = SubStateFile;
    frm.ui->btnSendDmx->setEnabled(false);
    frm.ShowLineStatus();
    SetGauge(SubStateFile, 0, true);
    transferFrameCount = StreamFrameCount;
    FramesSent = 0;
    Stream.Position = FirstRecordPosition;
    return true;
}

bool TSendPage::StartFirmwareSend() {
    if (!LoadSendStream()) return false;
    TDM* d = dm();
    if (d) {
        d->LinkMode = LinkModeFirmwareUpload;
        d->LinkSubState = LinkSubStateFirmware;
    }
    frm.LineState.TransmitFlag = 1;
    frm.ui->btnSendDmx->setEnabled(false);
    frm.ShowLineStatus();
    SetGauge(LinkSubStateFirmware, 0, true);
    transferFrameCount = StreamFrameCount;
    FramesSent = 0;
    FirmwareChunkOffset = 0;
    RecordLength = 0;
    Stream.Position = FirstRecordPosition;
    if (d) {
        d->PollFirmwareUpload();
        d->tmrFrmwr->setInterval(6000);
        d->tmrFrmwr->start();
    }
    return true;
}

void TSendPage::btnSendDmxClick() {
    const bool firmware = FirmwareMatches == 1;
    if (RefusedWhileScanHoldsTheLine(frm, firmware ? QStringLiteral("Firmware update")
                                                   : QStringLiteral("Stream send")))
        return;
    if (firmware)
        StartFirmwareSend();
    else
        StartStreamSend();
}

void TSendPage::tmrFileSendStartTimer() {
    frm.tmrFileSendStart->stop();
    // The file named on the command line goes out once the devices on the
    // line have been read: nobody is there to press Send again.
    if (frm.rdmView && frm.rdmView->ScanHoldsTheLine()) {
        frm.tmrFileSendStart->start();
        return;
    }
    StartStreamSend();
}

// ---- answering the interface ------------------------------------------------------------

bool TSendPage::NextRecord(uint16_t subState) {
    auto& frame = frm.LineState.DmxFrame;
    const RecordRead r =
        ReadStreamRecord(Stream, Stream.Position, frame.data(), DmxFrameLength, RecordLength);
    if (r == RecordRead::Ok) return true;
    TDM* d = dm();
    if (d) {
        if (r == RecordRead::TooLong)
            d->AddDeviceListLine(
                QStringLiteral("Record %1 does not fit a DMX frame: transfer stopped").arg(FramesSent + 1));
        else
            d->AddDeviceListLine(QStringLiteral("Stream ended after %1 of %2 records: transfer stopped")
                                     .arg(FramesSent)
                                     .arg(transferFrameCount));
    }
    if (subState == LinkSubStateFirmware)
        EndFirmwareUpload();
    else
        EndBlockDownload(subState);
    return false;
}

void TSendPage::HandleBlockAck() {
    TDM* d = dm();
    if (!d || d->HidReport[0] != InputBlockAck) return;
    const uint16_t sub = d->LinkSubState;
    auto& frame = frm.LineState.DmxFrame;
    if (sub == SubStateLiveDmx) {
        const tProgramData& p = frm.programEditor->Programs;
        const int ch = p.FixtureChannels();
        frame[0] = 0;
        for (int dev = 1; dev <= tProgramData::kDevices; ++dev)
            for (int c = 1; c <= ch; ++c)
                frame[size_t((dev - 1) * ch + c)] = p.Colour(p.CurrentProgram, p.CurrentStep, dev, c);
        if (frm.LineState.TransmitFlag)
            d->SendBlockPacket(frame.data(), DmxFrameLength, LinkTypeDmx, 1);
        else
            d->LinkMode = LinkModeRdm;
        return;
    }
    if (sub != SubStatePrograms && sub != SubStateFile && sub != SubStateConfig) return;
    if (FramesSent == transferFrameCount) {
        EndBlockDownload(sub);
        return;
    }
    if (!NextRecord(sub)) return;
    const uint16_t length = uint16_t(RecordLength + 1);
    d->SendBlockPacket(frame.data(), length, LinkTypeFileRecord, sub == SubStateFile ? 1 : uint8_t(length));
    ++FramesSent;
    SetGauge(sub, Percent(FramesSent, transferFrameCount), true);
}

void TSendPage::EndBlockDownload(uint16_t subState) {
    SetGauge(subState, 0, false);
    switch (subState) {
    case SubStatePrograms:
        frm.prgUi->btnPrgEszkozbe->setEnabled(true);
        frm.prgUi->btnPrgDmx->setEnabled(true);
        break;
    case SubStateFile:
        frm.ui->btnSendDmx->setEnabled(true);
        break;
    case SubStateConfig:
        frm.konfUi->btnKonfEszkbe->setEnabled(true);
        break;
    default:
        break;
    }
    if (TDM* d = dm()) d->StartMonitor();
    frm.LineState.TransmitFlag = 0;
    frm.ShowLineStatus();
    // A file named on the command line has been sent: the program's work is done.
    if (subState == SubStateFile && !frm.ProgramArguments.isEmpty()) frm.close();
}

void TSendPage::SendFirmwareChunk() {
    TDM* d = dm();
    if (!d) return;
    d->tmrFrmwr->stop();
    if (FirmwareChunkOffset == 0 || FirmwareChunkOffset >= RecordLength) {
        if (!NextRecord(LinkSubStateFirmware)) return;
        FirmwareChunkOffset = 0;
        ++FramesSent;
        SetGauge(LinkSubStateFirmware, Percent(FramesSent, transferFrameCount), true);
    }
    const auto& frame = frm.LineState.DmxFrame;
    THidReport& report = d->HidReport;
    report[3] = uint8_t(FirmwareChunkOffset);
    int n = 0;
    while (FirmwareChunkOffset < RecordLength && n < FirmwareChunkMax)
        report[size_t(4 + n++)] = frame[size_t(1 + FirmwareChunkOffset++)];
    report[1] = CmdFirmwareData;
    report[2] = uint8_t(n);
    d->SendHidReport();
    if (FramesSent == transferFrameCount && FirmwareChunkOffset == RecordLength) EndFirmwareUpload();
}

void TSendPage::EndFirmwareUpload() {
    SetGauge(LinkSubStateFirmware, 0, false);
    frm.ui->btnSendDmx->setEnabled(true);
    frm.LineState.TransmitFlag = 0;
    frm.ShowLineStatus();
    TDM* d = dm();
    if (d) {
        d->LinkMode = LinkModeIdle;
        d->tmrFrmwr->stop();
    }
    const uint8_t type = frm.LineState.InterfaceType;
    frm.showMainPage(type == 3 || type == 4 ? QStringLiteral("RfDmxRx") : QStringLiteral("Logo"));
}
