#include "support/sim/rdm_nack_reason_responder.h"

namespace {
// The first data word of a request: a slot number; a single byte (a sensor
// or personality number) counts as itself.
uint16_t IndexOf(std::span<const uint8_t> data) {
    if (data.size() >= 2) return uint16_t(data[0] << 8 | data[1]);
    return data.empty() ? 0 : data[0];
}
} // namespace

SimNackReasonResponder::SimNackReasonResponder(uint64_t uid, uint16_t subDevice)
    : SimRdmResponder(uid, subDevice) {
    extension = [this](SimRdmResponder&, uint8_t commandClass, uint16_t pid,
                       std::span<const uint8_t> data) -> std::optional<Reply> {
        if (commandClass != 0x20) return std::nullopt;
        std::optional<uint16_t> reason;
        if (auto it = nackedGets.find(pid); it != nackedGets.end()) reason = it->second;
        if (auto it = nackedIndexedGets.find({pid, IndexOf(data)});
            !data.empty() && it != nackedIndexedGets.end())
            reason = it->second;
        if (!reason) return std::nullopt;
        return Reply{2, {uint8_t(*reason >> 8), uint8_t(*reason)}, false};
    };
}
