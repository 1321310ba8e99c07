#include "support/sim/rdm_discovery_link.h"

#include <algorithm>

void SimRdmDiscoveryLinkLine::OnLinkPacket(sim::SimInterface& box, const sim::SimLinkPacket& packet) {
    std::vector<SimDiscoveryReport> reports;
    if (discovery.HandlePacket(packet.bytes, reports)) {
        discoveryRequests.push_back(packet);
        std::vector<std::vector<uint8_t>> bodies;
        for (const auto& r : reports)
            bodies.emplace_back(r.begin(), r.begin() + 64);
        Answer(box, std::move(bodies));
        return;
    }
    SimRdmLinkLine::OnLinkPacket(box, packet);
}

SimDiscoveryResponder& SimRdmDiscoveryLinkLine::Add(SimRdmResponder& responder) {
    rdm.responders.push_back(&responder);
    if (responder.subDevice == 0) {
        for (SimDiscoveryResponder& d : discovery.responders)
            if (d.uid == responder.uid) return d;
        discovery.responders.push_back(SimDiscoveryResponder{responder.uid});
    }
    return discovery.responders.back();
}

namespace simdev {
namespace {
void PutWord(std::vector<uint8_t>& v, uint16_t w) {
    v.push_back(uint8_t(w >> 8));
    v.push_back(uint8_t(w));
}
} // namespace

void Basic(SimRdmResponder& r, uint16_t model, const char* description, const char* manufacturer,
           std::initializer_list<uint16_t> supported, uint8_t personalities, uint8_t sensors,
           uint16_t subDevices, uint16_t dmxAddress, uint16_t footprint) {
    r.SetDeviceInfo(model, 0x0508, personalities ? 1 : 0, personalities, dmxAddress, subDevices, sensors,
                    footprint);
    r.SetText(0x0080, description);
    r.SetText(0x0081, manufacturer);
    r.SetText(0x0082, "");
    r.SetText(0x00C0, "v.1.0");
    r.values[0x1000] = {0};
    r.SetSupported(supported);
}

void Personality(SimRdmResponder& r, uint8_t n, uint16_t footprint, const std::string& description) {
    std::vector<uint8_t> d{n};
    PutWord(d, footprint);
    d.insert(d.end(), description.begin(), description.end());
    r.indexedValues[{0x00E1, {n}}] = d;
}

void Sensor(SimRdmResponder& r, uint8_t n, uint8_t type, uint8_t unit, int16_t min, int16_t max,
            const std::string& description) {
    std::vector<uint8_t> d{n, type, unit, 0};
    for (int16_t v : {min, max, min, max})
        PutWord(d, uint16_t(v));
    d.push_back(0);
    d.insert(d.end(), description.begin(), description.end());
    r.indexedValues[{0x0200, {n}}] = d;
}

void Slots(SimRdmResponder& r, std::initializer_list<std::pair<uint8_t, uint16_t>> typeAndLabel) {
    std::vector<uint8_t> d;
    uint16_t offset = 0;
    for (const auto& [type, label] : typeAndLabel) {
        PutWord(d, offset++);
        d.push_back(type);
        PutWord(d, label);
    }
    r.values[0x0120] = d;
}

void SlotDescription(SimRdmResponder& r, uint16_t slot, const std::string& description) {
    std::vector<uint8_t> d;
    PutWord(d, slot);
    d.insert(d.end(), description.begin(), description.end());
    r.indexedValues[{0x0121, {uint8_t(slot >> 8), uint8_t(slot)}}] = d;
}

void Languages(SimRdmResponder& r, std::initializer_list<const char*> codes, const char* current) {
    std::vector<uint8_t> d;
    for (const char* c : codes)
        d.insert(d.end(), c, c + 2);
    r.values[0x00A0] = d;
    r.values[0x00B0] = {uint8_t(current[0]), uint8_t(current[1])};
}

void ProductDetails(SimRdmResponder& r, std::initializer_list<uint16_t> ids) {
    std::vector<uint8_t> d;
    for (uint16_t id : ids)
        PutWord(d, id);
    r.values[0x0070] = d;
}
} // namespace simdev
