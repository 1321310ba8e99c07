#include "support/sim/stream_receiver.h"

#include "link/LinkTypes.h"

namespace sim {

std::shared_ptr<SimStreamReceiver> SimStreamReceiver::Attach(SimInterface& box) {
    auto receiver = std::make_shared<SimStreamReceiver>();
    box.line = receiver;
    std::weak_ptr<SimStreamReceiver> weak = receiver;
    box.onCommand = [weak](SimInterface& b, const RawReport& r) {
        if (auto self = weak.lock()) self->OnCommand(b, r);
    };
    return receiver;
}

void SimStreamReceiver::Answer(SimInterface& box, uint8_t type) {
    if (!silent) box.PushReport({type});
}

void SimStreamReceiver::CheckSilence(int recordCount) {
    if (silentFromRecord > 0 && recordCount >= silentFromRecord) silent = true;
}

void SimStreamReceiver::OnLinkPacket(SimInterface& box, const SimLinkPacket& packet) {
    if (!blockMode) return;
    if (packet.type == LinkTypeFileRecord) {
        records.push_back(packet);
        CheckSilence(int(records.size()));
    } else if (packet.type == LinkTypeDmx) {
        frames.push_back(packet);
    }
    if (!silent) ++acknowledges;
    Answer(box, InputBlockAck);
}

void SimStreamReceiver::OnCommand(SimInterface& box, const RawReport& r) {
    switch (r[1]) {
    case CmdStartBlockDownload:
        blockMode = true;
        blockStarts.emplace_back(r[2], r[3]);
        break;
    case CmdStartMonitor:
        blockMode = false;
        break;
    case CmdFirmwarePoll:
        ++polls;
        Answer(box, pollAnswerType);
        break;
    case CmdFirmwareData: {
        firmwareChunks.push_back(r);
        const size_t n = std::min<size_t>(r[2], 60);
        // A chunk at offset 0 opens the next record.
        if (r[3] == 0 || firmwareRecords.empty()) firmwareRecords.emplace_back();
        firmwareRecords.back().insert(firmwareRecords.back().end(), r.begin() + 4, r.begin() + 4 + long(n));
        CheckSilence(int(firmwareRecords.size()));
        Answer(box, pollAnswerType);
        break;
    }
    default:
        break;
    }
}

} // namespace sim
