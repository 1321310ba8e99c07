#pragma once

#include <cstdint>
#include <map>

#include "support/sim/rdm_responder.h"

// A responder that answers the first GET of chosen PIDs with its value and
// every later GET of them with NACK_REASON and the chosen reason code (a
// parameter that goes away with a personality change, a device that runs out
// of resources). Otherwise it answers as SimRdmResponder. It must stay where
// it was built (its answer hook points at it).
class SimNackAfterAckResponder : public SimRdmResponder {
public:
    explicit SimNackAfterAckResponder(uint64_t uid, uint16_t subDevice = 0);
    SimNackAfterAckResponder(const SimNackAfterAckResponder&) = delete;
    SimNackAfterAckResponder& operator=(const SimNackAfterAckResponder&) = delete;

    std::map<uint16_t, uint16_t> nackAfterFirstGet; // PID -> reason code
    std::map<uint16_t, int> getsAnswered;           // GETs of those PIDs so far
};
