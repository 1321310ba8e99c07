#include "support/sim/rdm_sim_line.h"

#include <algorithm>

void SimRdmLinkLine::OnLinkPacket(sim::SimInterface& box, const sim::SimLinkPacket& packet) {
    if (packet.type != 0x40) return;
    requests.push_back(packet);
    // An input report holds 64 bytes after its id: type, subtype, count, one
    // spare byte and at most 60 data bytes.
    const int chosen = rdm.splitSize;
    rdm.splitSize = std::min(chosen, 60);
    const auto reports = rdm.HandlePacket(packet.bytes);
    rdm.splitSize = chosen;
    std::vector<std::vector<uint8_t>> bodies;
    for (const auto& r : reports)
        bodies.emplace_back(r.begin(), r.begin() + 64);
    Answer(box, std::move(bodies));
}

void SimRdmLinkLine::Answer(sim::SimInterface& box, std::vector<std::vector<uint8_t>> reports) const {
    if (answerDelayMs > 0) {
        box.PushReportsAfter(answerDelayMs, std::move(reports));
        return;
    }
    for (const auto& r : reports)
        box.PushReport(r);
}
