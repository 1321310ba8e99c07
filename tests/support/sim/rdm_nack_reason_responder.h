#pragma once

#include <cstdint>
#include <map>

#include "support/sim/rdm_responder.h"

// A responder that refuses the GET of chosen PIDs with NACK_REASON and the
// reason code chosen for each (UNKNOWN_PID for a parameter it does not have,
// DATA_OUT_OF_RANGE for a slot without text...), whatever it holds for them.
// Its answers are otherwise those of SimRdmResponder. It must stay where it
// was built (its answer hook points at it).
class SimNackReasonResponder : public SimRdmResponder {
public:
    explicit SimNackReasonResponder(uint64_t uid, uint16_t subDevice = 0);
    SimNackReasonResponder(const SimNackReasonResponder&) = delete;
    SimNackReasonResponder& operator=(const SimNackReasonResponder&) = delete;

    // PID -> reason code of its NACK; with `index`, only the GET that carries
    // this first data word (a slot or sensor number) is refused.
    std::map<uint16_t, uint16_t> nackedGets;
    std::map<std::pair<uint16_t, uint16_t>, uint16_t> nackedIndexedGets;
};
