#include "support/sim/rdm_display_responder.h"

#include <algorithm>

SimDisplayDevice::SimDisplayDevice(SimRdmResponder& r) : responder(r) {
    responder.extension = [this](SimRdmResponder&, uint8_t cc, uint16_t pid, std::span<const uint8_t> data) {
        return Handle(cc, pid, data);
    };
}

void SimDisplayDevice::SetPixel(int x, int y, bool lit) {
    uint8_t& b = pages[size_t(y / 8)][size_t(x)];
    const uint8_t mask = uint8_t(1u << (y % 8));
    b = lit ? uint8_t(b | mask) : uint8_t(b & ~mask);
}

bool SimDisplayDevice::Pixel(int x, int y) const {
    return (pages[size_t(y / 8)][size_t(x)] >> (y % 8)) & 1;
}

std::optional<SimRdmResponder::Reply> SimDisplayDevice::Handle(uint8_t cc, uint16_t pid,
                                                               std::span<const uint8_t> data) {
    // Only a held-back page answer is late; the line asks after every answer.
    responder.late = false;
    if (cc == 0x20 && pid == 0x8002) {
        if (data.size() != 1 || data[0] > 3)
            return SimRdmResponder::Reply{2, {0x00, 0x06}}; // DATA_OUT_OF_RANGE
        const uint8_t page = data[0];
        pagesAsked.push_back(page);
        if (page == 0) ++frame;
        if (skipPages.count(page)) {
            SimRdmResponder::Reply none;
            none.silent = true;
            return none;
        }
        responder.late = latePages.count(page) != 0;
        const auto& bytes = pages[page];
        const size_t n = std::min<size_t>(answerLength.value_or(Width), bytes.size());
        return SimRdmResponder::Reply{0, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n))};
    }
    if (cc == 0x30 && pid == 0x8003) {
        if (data.size() == 1) keys.push_back({data[0], frame});
        return SimRdmResponder::Reply{0, {}};
    }
    return std::nullopt;
}
