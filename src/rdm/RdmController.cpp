#include "rdm/RdmController.h"

#include <QString>
#include <algorithm>
#include <utility>

#include "rdm/RdmDevice.h"
#include "rdm/RdmLink.h"
#include "rdm/rdm_decode.h"
#include "rdm/rdm_discovery.h"
#include "rdm/rdm_ops.h"

namespace {

constexpr uint8_t ReportTypeData = 11;
constexpr uint8_t SubtypeNoAnswer = 2;
constexpr uint8_t SubtypeMoreToCome = 3;
constexpr uint8_t SubtypeLastPiece = 4;
constexpr int ReportDataOffset = 4;

// ": " + UID + " - " + sub-device, the end of a device-log line about one
// device; nothing when there is no record.
QString DeviceSuffix(const tRdmDevice* rec) {
    if (!rec) return QString();
    return QStringLiteral(": ") + FormatRdmUid(rec->uid) + QStringLiteral(" - ") +
           QString::number(rec->subDevice);
}

} // namespace

namespace {

bool IsDevice(const tRdmDevice* rec, uint64_t uid, uint16_t subDevice) {
    return rec && rec->nodeKind != NodeKindGroup && rec->uid == uid && rec->subDevice == subDevice;
}

} // namespace

int RdmLink::NodeOfDevice(uint64_t uid, uint16_t subDevice, int hint) {
    if (IsDevice(DeviceRecordAt(hint), uid, subDevice)) return hint;
    for (int node = 0;; ++node) {
        const tRdmDevice* rec = DeviceRecordAt(node);
        if (!rec) return -1;
        if (IsDevice(rec, uid, subDevice)) return node;
    }
}

bool RdmController::SendRdmRequest(uint16_t subDevice, uint8_t commandClass, uint64_t destination,
                                   uint16_t pid, uint8_t pdl, std::span<const uint8_t> data,
                                   uint8_t linkType) {
    const bool poll = std::exchange(state.NextRequestIsPoll, false);
    if (!link.InterfaceHeld()) return false;
    state.RdmRxCount = 0;
    state.RdmRxOverflow = false;
    state.ScanRequestOut = false;
    std::array<uint8_t, RdmRequestMax> packet{};
    const int length = BuildRdmRequest(packet, subDevice, commandClass, destination, pid, pdl, data, linkType,
                                       state.RdmTransaction);
    // Only a GET or a SET to one device is answered through the RDM path;
    // the discovery's answers go their own way.
    state.Asked = RdmAskedRequest{};
    state.LastSentTransaction = state.RdmTransaction;
    state.LastRequestLeft = false;
    if (commandClass == RdmGetCommand || commandClass == RdmSetCommand) {
        state.Asked.open = true;
        state.Asked.poll = poll;
        state.Asked.op = state.RdmPendingOp;
        state.Asked.transaction = state.RdmTransaction;
        state.Asked.uid = destination;
        state.Asked.subDevice = subDevice;
        state.Asked.node = link.NodeOfDevice(destination, subDevice, state.RdmCurrentNode);
        state.Asked.commandClass = commandClass;
        state.Asked.pid = pid;
    }
    ++state.RdmTransaction;
    if (commandClass == RdmSetCommand) {
        state.LastSetPid = pid;
        state.LastSetPdl = static_cast<uint8_t>(length - 29);
        state.LastSetData.fill(0);
        CopyBytes(data, 0, state.LastSetData, state.LastSetPdl);
    }
    const std::span<const uint8_t> bytes(packet.data(), size_t(length));
    link.AddDebugLine(HexDumpLine(bytes));
    if (link.EnqueuePacket(packet.data(), static_cast<uint16_t>(length))) return true;
    // It never leaves, so nothing answers it: it takes its no-answer path
    // at once, and holds nothing meanwhile.
    link.RequestRefused();
    return false;
}

bool RdmController::RequestLeft(uint8_t transaction) {
    // More than a queue's worth of requests whose report never came: the
    // oldest will not come any more.
    constexpr size_t OwedMax = 32;
    if (state.ReportsOwed.size() >= OwedMax) state.ReportsOwed.pop_front();
    state.ReportsOwed.push_back(RdmOwedReport{transaction, false});
    if (transaction != state.LastSentTransaction) return false;
    state.LastRequestLeft = true;
    state.LateReportTaken = false;
    return true;
}

void RdmController::HandleRdmReport(std::span<const uint8_t> report) {
    if (report.size() < 3 || report[0] != ReportTypeData) return;
    const uint8_t subtype = report[1];
    if (subtype == SubtypeMoreToCome || subtype == SubtypeLastPiece) {
        // The count is trusted only as far as the report brought bytes: 60 in
        // a 64-byte report, whatever it claims.
        const size_t available =
            report.size() > size_t(ReportDataOffset) ? report.size() - ReportDataOffset : 0;
        const size_t n = std::min(size_t(report[2]), available);
        if (state.RdmRxCount + n > state.RdmRxBuffer.size()) {
            state.RdmRxOverflow = true;
        } else if (!state.RdmRxOverflow) {
            std::copy_n(report.begin() + ReportDataOffset, n, state.RdmRxBuffer.begin() + state.RdmRxCount);
            state.RdmRxCount = static_cast<uint16_t>(state.RdmRxCount + n);
        }
        if (subtype == SubtypeLastPiece) HandleCompleteAnswer();
        return;
    }
    if (subtype == SubtypeNoAnswer) {
        // The silence of an earlier request: the awaited report is still to come.
        if (TakeReport()) HandleNoAnswer();
        return;
    }
    // A discovery answer is a whole report too.
    if (subtype <= 1) TakeReport();
    state.RdmRetryCount = 0;
}

bool RdmController::TakeReport() {
    // Nothing owed: a report twice over, or one given up for lost. It is
    // taken for nothing.
    if (state.ReportsOwed.empty()) return false;
    const RdmOwedReport owed = state.ReportsOwed.front();
    state.ReportsOwed.pop_front();
    if (owed.late) state.LateReportTaken = true;
    // While the last request waits in the queue, every report is an earlier one's.
    return state.LastRequestLeft && owed.transaction == state.LastSentTransaction;
}

bool RdmController::TakeEarlierAnswer(uint8_t transaction) {
    auto& owed = state.ReportsOwed;
    const bool lastOwed =
        state.LastRequestLeft && !owed.empty() && owed.back().transaction == state.LastSentTransaction;
    const auto end = owed.end() - (lastOwed ? 1 : 0);
    const auto it = std::find_if(
        owed.begin(), end, [transaction](const RdmOwedReport& r) { return r.transaction == transaction; });
    if (it != end) {
        if (it->late) state.LateReportTaken = true;
        owed.erase(owed.begin(), it + 1);
        return true;
    }
    auto& gone = state.ReportsWrittenOff;
    const auto off = std::find(gone.begin(), gone.end(), transaction);
    if (off == gone.end()) return false;
    gone.erase(off);
    return true;
}

void RdmController::WriteOffReports() {
    state.RdmRxCount = 0;
    state.RdmRxOverflow = false;
    state.ReportsOwed.clear();
    state.ReportsWrittenOff.clear();
    state.LateReportTaken = false;
}

void RdmController::ReportsOverdue() {
    if (!state.LateReportTaken) {
        for (RdmOwedReport& owed : state.ReportsOwed)
            owed.late = true;
        return;
    }
    // The report taken for a late request may have been one of these: counted
    // on, they would take the place of the reports of the requests after them.
    constexpr size_t WrittenOffMax = 8;
    for (const RdmOwedReport& owed : state.ReportsOwed) {
        if (state.ReportsWrittenOff.size() >= WrittenOffMax) state.ReportsWrittenOff.pop_front();
        state.ReportsWrittenOff.push_back(owed.transaction);
    }
    state.ReportsOwed.clear();
    state.LateReportTaken = false;
}

void RdmController::ReportMissing(bool mayAskAgain) {
    resendsBlocked = !mayAskAgain;
    HandleNoAnswer();
    resendsBlocked = false;
}

void RdmController::HandleCompleteAnswer() {
    const bool overflow = state.RdmRxOverflow;
    const uint16_t count = state.RdmRxCount;
    // The next piece starts a new answer: a stray last piece must not hand the
    // same answer to its handler twice.
    state.RdmRxCount = 0;
    state.RdmRxOverflow = false;
    if (!overflow && count < RdmMinAnswerLength) {
        // Too short to be an answer at all: as good as none, if it is the
        // awaited report. It is asked again where the operation asks again,
        // and a device that answers only so is given up like a silent one.
        if (TakeReport()) HandleNoAnswer();
        return;
    }

    RdmParseResult result = RdmParseResult::Ok;
    if (overflow) {
        lastMessage = tRdmMessage{};
        result = RdmParseResult::Truncated;
    } else {
        result = ParseRdmMessage(std::span<const uint8_t>(state.RdmRxBuffer.data(), count), lastMessage);
    }
    if (result != RdmParseResult::Ok) {
        // Corrupted data is never decoded, and carries nothing to tell whose
        // it is: if it is the awaited report, the request counts as unanswered.
        if (!TakeReport()) return;
        link.AddDeviceListLine(QStringLiteral("Corrupt RDM answer dropped") +
                               DeviceSuffix(link.DeviceRecordAt(AnswerNode())));
        HandleNoAnswer();
        return;
    }

    // A whole answer is known by what it carries. The awaited request's own
    // answer is its answer whatever the interface lost before it: the reports
    // earlier requests still owe will never come first, and are written off.
    // The answer of an earlier request whose report is still owed (late, or
    // given up for lost at a deadline) is that request's report. Any other
    // answer is one whose request had its report already (a device that
    // answered into the next request's report) or none of what was asked
    // (another device's, another parameter's): if it came in the awaited
    // report, nothing more comes for the request, which has gone unanswered.
    if (!AnswersAsked(lastMessage)) {
        if (TakeEarlierAnswer(lastMessage.transactionNumber)) return;
        if (TakeReport()) HandleNoAnswer();
        return;
    }
    WriteOffReports();
    state.Asked.open = false;
    const bool outerHandling = std::exchange(state.HandlingAnswer, true);
    const int outerNode = std::exchange(state.RdmAnswerNode, AnswerNode());

    const RdmAnswerHandler byPid = PidAnswerHandler(lastMessage.commandClass, lastMessage.pid);
    if (byPid != RdmAnswerHandler::None) {
        link.CallAnswerHandler(byPid, lastMessage);
    } else if (!state.Asked.poll && state.Asked.op == state.RdmPendingOp) {
        // Only the operation that sent the request takes its answer; a poll's
        // answer is the poll's, and a request sent after an operation ended
        // does not finish it.
        const RdmAnswerHandler byOp = OperationAnswerHandler(state.RdmPendingOp);
        if (byOp != RdmAnswerHandler::None) link.CallAnswerHandler(byOp, lastMessage);
        state.RdmRetryCount = 0;
    }
    state.HandlingAnswer = outerHandling;
    state.RdmAnswerNode = outerNode;
}

bool RdmController::AnswersAsked(const tRdmMessage& msg) const {
    const RdmAskedRequest& asked = state.Asked;
    return asked.open && msg.transactionNumber == asked.transaction && msg.sourceUid == asked.uid &&
           msg.subDevice == asked.subDevice && msg.commandClass == asked.commandClass + 1 &&
           msg.pid == asked.pid;
}

int RdmController::AnswerNode() {
    // The tree may have changed since the request left: the node is trusted
    // only while it still holds the device asked.
    const RdmAskedRequest& asked = state.Asked;
    return link.NodeOfDevice(asked.uid, asked.subDevice, asked.node);
}

void RdmController::HandleNoAnswer() {
    // Nothing waits for an answer (the request was ended meanwhile, or was
    // none of a device's): there is nothing to count or ask again.
    if (!std::exchange(state.Asked.open, false)) return;
    // Nothing more comes for the request; a resend opens a new one.
    // A poll's silence is the poll's own: it asks again on its next tick,
    // and no operation's request is sent again for it.
    if (state.Asked.poll) {
        if (state.RdmRetryCount < RdmRetryLimit) ++state.RdmRetryCount;
        return;
    }
    // A request sent after its operation ended (a RESET, say) asks nothing again.
    if (state.Asked.op != state.RdmPendingOp) return;
    switch (OperationNoAnswerAction(state.RdmPendingOp, state.RdmCurrentPid, state.RdmRetryCount,
                                    state.ScanRequestOut)) {
    case RdmNoAnswerAction::Nothing:
        // Nothing is asked again: the operation has ended without its answer,
        // and no later answer (another device's, another request's) finishes
        // it. The scan's requests are its own to count.
        if (state.RdmPendingOp != RdmOpScan) state.RdmPendingOp = RdmOpNone;
        break;
    case RdmNoAnswerAction::GiveUpScanDevice:
        // The next device starts with a fresh count of resends.
        state.RdmRetryCount = 0;
        state.ScanRequestOut = false;
        link.GiveUpScanDevice();
        return;
    case RdmNoAnswerAction::ResendSet: {
        // The last SET with its data, so that the device gets the same request
        // again rather than an empty one it would refuse.
        const bool same = state.LastSetPid == state.RdmCurrentPid;
        const std::array<uint8_t, RdmParamDataSize> data = state.LastSetData;
        if (!Resend(RdmSetCommand, state.RdmCurrentPid, same ? state.LastSetPdl : 0, data))
            return EndUnanswered();
        link.AddDeviceListLine(QStringLiteral("Waiting for answer..."));
        break;
    }
    case RdmNoAnswerAction::ResendGetDmxAddress:
        if (!Resend(RdmGetCommand, PID_DMX_START_ADDRESS, 0, {})) return EndUnanswered();
        break;
    case RdmNoAnswerAction::ResendGetDeviceInfo:
        // Whoever sent the first one, the resend is the scan's.
        state.ScanPid = PID_DEVICE_INFO;
        state.ScanPdl = 0;
        [[fallthrough]];
    case RdmNoAnswerAction::ResendScanGet: {
        const std::array<uint8_t, RdmParamDataSize> data = state.ScanData;
        if (!Resend(RdmGetCommand, state.ScanPid, state.ScanPdl, data)) return EndUnanswered();
        state.ScanRequestOut = true;
        link.AddDeviceListLine(QStringLiteral("Waiting for answer..."));
        break;
    }
    case RdmNoAnswerAction::ResendGetDeviceLabel:
        if (!Resend(RdmGetCommand, PID_DEVICE_LABEL, 0, {})) return EndUnanswered();
        break;
    }
    if (state.RdmRetryCount < RdmRetryLimit) ++state.RdmRetryCount;
}

void RdmController::EndUnanswered() {
    // A resend the queue refused opens nothing; with nobody left to ask
    // (the device is gone from the tree) there is none either. Asking again
    // would only be refused again: the operation ends as after its last
    // resend, and the scan goes on without the device.
    state.Asked.open = false;
    if (state.RdmPendingOp != RdmOpScan) {
        state.RdmPendingOp = RdmOpNone;
        return;
    }
    state.RdmRetryCount = 0;
    state.ScanRequestOut = false;
    link.GiveUpScanDevice();
}

bool RdmController::Resend(uint8_t commandClass, uint16_t pid, uint8_t pdl, std::span<const uint8_t> data) {
    // The device asked last is asked again, whatever is selected by now; with
    // no such device in the tree any more there is nobody to ask.
    const RdmAskedRequest asked = state.Asked;
    if (resendsBlocked || asked.commandClass == 0 ||
        link.NodeOfDevice(asked.uid, asked.subDevice, asked.node) < 0)
        return false;
    if (pdl == 0) data = state.RdmParamData;
    return SendRdmRequest(asked.subDevice, commandClass, asked.uid, pid, pdl, data, RdmLinkTypeRequest);
}

void RdmController::DecodeGetResponse(const tRdmMessage& msg, int nodeIndex) {
    tRdmDevice* rec = link.DeviceRecordAt(nodeIndex);
    if (!rec) return;
    // Captions follow only values that were stored: a refused label keeps its caption.
    if (!DecodeIntoRecord(*rec, msg, state.SensorDefIndex, state.AskItemIndex)) return;
    switch (msg.pid) {
    case PID_DEVICE_MODEL_DESCRIPTION:
        if (rec->nodeKind == NodeKindDevice) link.SetNodeCaption(nodeIndex, rec->modelDescription);
        break;
    case PID_MANUFACTURER_LABEL:
        // Only the first device under a group names the group: the node just
        // before it is then the group node.
        if (tRdmDevice* group = link.DeviceRecordAt(nodeIndex - 1);
            group && group->nodeKind == NodeKindGroup) {
            group->manufacturerLabel = rec->manufacturerLabel;
            link.SetNodeCaption(nodeIndex - 1, rec->manufacturerLabel);
        }
        break;
    case PID_DEVICE_LABEL:
        link.SetNodeCaption(nodeIndex, rec->deviceLabel.isEmpty() ? rec->modelDescription : rec->deviceLabel);
        break;
    default:
        break;
    }
}
