#pragma once

#include "support/sim/SimHidPlatform.h"
#include "support/sim/rdm_line.h"

// The RDM line on the simulated interface box: every RDM request packet the
// program sends reaches the responders of `rdm`; their answers come back as
// the box's data reports (subtypes 3 and 4, or 2 when nobody answers).
class SimRdmLinkLine : public sim::SimLinkLine {
public:
    SimRdmLine rdm;
    std::vector<sim::SimLinkPacket> requests;  // the RDM packets seen, in order
    // 0: answers are queued at once. Otherwise each request's answer comes
    // this many milliseconds later, from the event loop, as on a real line.
    int answerDelayMs = 0;

    // Hands the box one request's answer reports, now or after the delay.
    void Answer(sim::SimInterface& box, std::vector<std::vector<uint8_t>> reports) const;

    void OnLinkPacket(sim::SimInterface& box, const sim::SimLinkPacket& packet) override;
};
