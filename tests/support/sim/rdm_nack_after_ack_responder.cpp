#include "support/sim/rdm_nack_after_ack_responder.h"

SimNackAfterAckResponder::SimNackAfterAckResponder(uint64_t uid, uint16_t subDevice)
    : SimRdmResponder(uid, subDevice) {
    extension = [this](SimRdmResponder&, uint8_t commandClass, uint16_t pid,
                       std::span<const uint8_t>) -> std::optional<Reply> {
        const auto reason = nackAfterFirstGet.find(pid);
        if (commandClass != 0x20 || reason == nackAfterFirstGet.end()) return std::nullopt;
        // The first GET is left to the stored values.
        if (getsAnswered[pid]++ == 0) return std::nullopt;
        return Reply{2, {uint8_t(reason->second >> 8), uint8_t(reason->second)}, false};
    };
}
