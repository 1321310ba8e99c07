#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "support/sim/rdm_discovery_line.h"
#include "support/sim/rdm_sim_line.h"

// The simulated box's DMX line with discovery: discovery requests (branch,
// mute, un-mute) reach the discovery responders; every other RDM request the
// RDM responders, as on the plain RDM line.
class SimRdmDiscoveryLinkLine : public SimRdmLinkLine {
public:
    SimDiscoveryLine discovery;
    std::vector<sim::SimLinkPacket> discoveryRequests; // in order

    void OnLinkPacket(sim::SimInterface& box, const sim::SimLinkPacket& packet) override;

    // A responder on both sides: it takes part in discovery under its UID
    // (root devices only) and answers GET/SET. It must outlive the line's use.
    SimDiscoveryResponder& Add(SimRdmResponder& responder);
};

// Builders of the parameter values that a simulated device reports.
namespace simdev {
// DEVICE_INFO, labels and the supported list of an ordinary device.
void Basic(SimRdmResponder& r, uint16_t model, const char* description, const char* manufacturer,
           std::initializer_list<uint16_t> supported, uint8_t personalities = 0, uint8_t sensors = 0,
           uint16_t subDevices = 0, uint16_t dmxAddress = 1, uint16_t footprint = 0);
void Personality(SimRdmResponder& r, uint8_t n, uint16_t footprint, const std::string& description);
void Sensor(SimRdmResponder& r, uint8_t n, uint8_t type, uint8_t unit, int16_t min, int16_t max,
            const std::string& description);
void Slots(SimRdmResponder& r, std::initializer_list<std::pair<uint8_t, uint16_t>> typeAndLabel);
void SlotDescription(SimRdmResponder& r, uint16_t slot, const std::string& description);
void Languages(SimRdmResponder& r, std::initializer_list<const char*> codes, const char* current);
void ProductDetails(SimRdmResponder& r, std::initializer_list<uint16_t> ids);
} // namespace simdev
