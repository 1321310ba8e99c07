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

    void OnLinkPacket(sim::SimInterface& box, const sim::SimLinkPacket& packet) override;
};
