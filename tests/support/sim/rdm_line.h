#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "support/sim/rdm_responder.h"

// An input report as the program sees it after the report id: type, subtype,
// data count, one unused byte, then up to 61 data bytes.
using SimInputReport = std::array<uint8_t, 65>;

// The RDM side of the simulated DMX line: a link packet of type 0x40 (an RDM
// request, header included) reaches every responder; the one addressed
// answers. The answer comes back split over data reports of subtype 3 and a
// last one of subtype 4, at most `splitSize` data bytes each; a request that
// nobody answers gives one report of subtype 2.
class SimRdmLine {
public:
    std::vector<SimRdmResponder*> responders;
    int splitSize = 61; // data bytes per report, 1..61

    // The reports that answer one link packet, in order.
    std::vector<SimInputReport> HandlePacket(std::span<const uint8_t> packet);

    // Splits an answer (from the sub-start code on) into data reports.
    static std::vector<SimInputReport> SplitAnswer(std::span<const uint8_t> answer, int splitSize);
    static SimInputReport NoAnswerReport();

    // The answers of late responders, still held back.
    const std::deque<std::vector<uint8_t>>& HeldBackAnswers() const { return lateAnswers; }

private:
    std::deque<std::vector<uint8_t>> lateAnswers; // answers held back until the next request
};
