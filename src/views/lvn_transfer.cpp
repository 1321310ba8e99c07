// Reading and writing the decoder's configuration image with PID 0x8014.

#include <QPointer>
#include <algorithm>
#include <utility>

#include "app/Main.h"
#include "app/conversion.h"
#include "link/DataModule.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_ops.h"
#include "views/RdmPageView.h"
#include "views/lvn_page.h"
#include "views/rdm_set_context.h"

namespace {

constexpr uint16_t PidLvnConfig = 0x8014;
constexpr uint8_t DecoderKind = 6;
constexpr uint16_t FirstBlockAddress = 0x8000;
// Device addresses advance by 128 for every 192-byte block.
constexpr uint16_t BlockAddressStep = 0x80;
constexpr uint8_t LastBlock = LvnBlockCount - 1; // 31
constexpr int PauseMs = 100;
constexpr int BlockAnswerHeader = 4; // address and two bytes not looked at

// "0x0000": a NACK's reason code.
QString ReasonText(const tRdmMessage& msg) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(GetWordBE(msg.data, 0), 4, 16, QLatin1Char('0')).toUpper();
}

int Percent(uint8_t block) {
    return block * 100 / LastBlock;
}

} // namespace

tRdmDevice* TLvnPage::selectedDecoder() const {
    RdmPageView* view = RdmViewOf(frm);
    tRdmDevice* rec = CurrentRecordOf(frm);
    if (!rec || !view || view->DemoMode || rec->DeviceKind != DecoderKind) return nullptr;
    return rec;
}

void TLvnPage::startTransfer(const tRdmDevice& rec) {
    targetUid = rec.uid;
    targetSubDevice = rec.subDevice;
    ++transferGeneration;
}

void TLvnPage::sendToDecoder(uint8_t commandClass, uint8_t pdl) {
    TDM* dm = frm->dataModule();
    if (!dm) return;
    RdmState& st = dm->RdmGlobals();
    st.RdmCurrentPid = PidLvnConfig;
    dm->SendRdmRequest(targetSubDevice, commandClass, targetUid, PidLvnConfig, pdl, st.RdmParamData,
                       RdmLinkTypeRequest);
}

// Every answer is handled after a pause of 100 ms, which leaves the window
// running; a transfer started meanwhile makes the answer stale.
void TLvnPage::afterPause(void (TLvnPage::*handler)(const tRdmMessage&), const tRdmMessage& msg) {
    TDM* dm = frm->dataModule();
    if (!dm) return;
    QPointer<TLvnPage> self(this);
    const uint32_t generation = transferGeneration;
    dm->PauseThen(
        PauseMs,
        [self, generation, handler, msg] {
            if (self && self->transferGeneration == generation) (self.data()->*handler)(msg);
        },
        PauseHold::Senders);
}

// ---------------------------------------------------------------- read

void TLvnPage::StartLvnConfigRead() {
    const tRdmDevice* rec = selectedDecoder();
    if (!rec || !frm->dataModule()) return;
    startTransfer(*rec);
    RdmState& st = RdmStateOf(frm);
    st.RdmParamData[0] = 0x00;
    st.RdmParamData[1] = 0x00;
    LimitsAsked = true;
    sendToDecoder(RdmGetCommand, 2);
    log(QStringLiteral("Get config data from: ") + DeviceLineTail(*rec));
}

void TLvnPage::sendBlockRead() {
    RdmState& st = RdmStateOf(frm);
    st.RdmParamData[0] = uint8_t(LvnBlockAddress >> 8);
    st.RdmParamData[1] = uint8_t(LvnBlockAddress);
    st.RdmParamData[2] = 0x00;
    st.RdmParamData[3] = LvnBlockSize;
    sendToDecoder(RdmGetCommand, 4);
}

void TLvnPage::ReceiveLvnConfigBlock(const tRdmMessage& msg) {
    afterPause(&TLvnPage::handleReadAnswer, msg);
}

void TLvnPage::handleReadAnswer(const tRdmMessage& msg) {
    const std::span<const uint8_t> data(msg.data.data(), std::min<size_t>(msg.pdl, msg.data.size()));
    // A device that does not know the parameter (or will not give a block)
    // says so with a NACK; its reason code is no block address, and taking
    // UNKNOWN_PID (0) for the limits answer would start the read over for ever.
    const bool limitsAsked = std::exchange(LimitsAsked, false);
    if (msg.responseType == RdmNackReason) {
        log(limitsAsked ? QStringLiteral("Reading stopped: config request refused (NACK reason %1)")
                              .arg(ReasonText(msg))
                        : QStringLiteral("Reading stopped: block %1 refused (NACK reason %2)")
                              .arg(LvnBlockIndex)
                              .arg(ReasonText(msg)));
        return;
    }
    // An answer too short to name an address is a short block, not the limits
    // answer: taken for that, it too would start the read over and over.
    if (data.size() >= 2 && GetWordBE(data, 0) == 0) {
        tLvnDeviceLimits& lim = cfg.LvnDeviceLimits;
        // Kept as the device says: the parse needs its own maximum to find the
        // slot records, and the editor bounds its counts by what the records hold.
        lim.personalityMax = msg.data[3];
        lim.slotMax = msg.data[4];
        lim.subDeviceMax = msg.data[5];
        lim.flagMask = GetWordBE(msg.data, 7);
        LvnBlockAddress = FirstBlockAddress;
        LvnLastBlock = LastBlock;
        LvnBlockIndex = 0;
        sendBlockRead();
        return;
    }
    if (LvnBlockIndex >= LvnBlockCount) return;
    // The block goes where the counter says, whatever address the answer names;
    // a short answer fills it only as far as its data reach.
    const int got = std::clamp(int(data.size()) - BlockAnswerHeader, 0, int(LvnBlockSize));
    std::copy_n(data.begin() + std::min<size_t>(BlockAnswerHeader, data.size()), got,
                cfg.LvnConfigImage.begin() + LvnBlockSize * LvnBlockIndex);
    if (got < LvnBlockSize)
        log(QStringLiteral("Block %1: only %2 of %3 bytes received")
                .arg(LvnBlockIndex)
                .arg(got)
                .arg(LvnBlockSize));
    if (LvnBlockIndex >= LvnLastBlock) {
        log(QStringLiteral("Ready"));
        const QString problem = ParseLvnConfigImage(cfg);
        if (!problem.isEmpty()) log(problem);
        ShowLvnHeader();
        return;
    }
    LvnBlockAddress = uint16_t(LvnBlockAddress + BlockAddressStep);
    LvnBlockIndex += 1;
    sendBlockRead();
    log(QStringLiteral("Reading - %1%").arg(Percent(LvnBlockIndex)));
}

// ---------------------------------------------------------------- write

void TLvnPage::StartLvnConfigSend() {
    const tRdmDevice* rec = selectedDecoder();
    if (!rec || !frm->dataModule()) return;
    // Only blocks 0..30 are written: a configuration that needs more would
    // reach the device cut short, so it is not sent at all.
    const int size = LvnConfigSize(cfg);
    if (size > LvnWrittenSize) {
        log(QStringLiteral("Config data too large: %1 bytes, at most %2 can be sent")
                .arg(size)
                .arg(LvnWrittenSize));
        return;
    }
    startTransfer(*rec);
    BuildLvnConfigImage(cfg);
    RdmStateOf(frm).RdmPendingOp = RdmOpLvnConfig;
    LvnBlockAddress = FirstBlockAddress;
    LvnLastBlock = LastBlock;
    LvnBlockIndex = 0;
    SendLvnConfigBlock();
    log(QStringLiteral("Sending config data to: ") + DeviceLineTail(*rec));
}

void TLvnPage::SendLvnConfigBlock() {
    if (LvnBlockIndex >= LvnBlockCount) return;
    std::array<uint8_t, RdmParamDataSize>& pd = RdmStateOf(frm).RdmParamData;
    pd[0] = uint8_t(LvnBlockAddress);
    pd[1] = uint8_t(LvnBlockAddress >> 8);
    pd[2] = LvnBlockSize;
    pd[3] = 0x00;
    const auto block = cfg.LvnConfigImage.begin() + LvnBlockSize * LvnBlockIndex;
    std::copy_n(block, LvnBlockSize, pd.begin() + 4);
    AppendCrc16(pd.data(), pd.size(), 0, 0, 4 + LvnBlockSize);
    sendToDecoder(RdmSetCommand, 4 + LvnBlockSize + 2);
    log(QStringLiteral("Sending - %1%").arg(Percent(LvnBlockIndex)));
    LvnBlockAddress = uint16_t(LvnBlockAddress + BlockAddressStep);
    LvnBlockIndex += 1;
}

void TLvnPage::SendNextLvnConfigBlock(const tRdmMessage& msg) {
    afterPause(&TLvnPage::handleWriteAnswer, msg);
}

void TLvnPage::handleWriteAnswer(const tRdmMessage& msg) {
    RdmState& st = RdmStateOf(frm);
    // Something else may have been started during the pause.
    if (st.RdmPendingOp != RdmOpLvnConfig) return;
    // A refused block is not stored: going on would end with "Ready" over a
    // configuration the device does not hold.
    if (msg.responseType == RdmNackReason) {
        st.RdmPendingOp = 0;
        log(QStringLiteral("Sending stopped: block %1 refused (NACK reason %2)")
                .arg(LvnBlockIndex - 1)
                .arg(ReasonText(msg)));
        return;
    }
    if (LvnBlockIndex >= LvnLastBlock) {
        log(QStringLiteral("Ready"));
        st.RdmPendingOp = 0;
        st.RdmParamData[0] = 0xFF;
        st.RdmParamData[1] = 0xFF;
        sendToDecoder(RdmSetCommand, 2);
        return;
    }
    SendLvnConfigBlock();
}
