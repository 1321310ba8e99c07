#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "support/sim/rdm_responder.h"

// A maker device with a 122 x 32 front-panel display and four keys, on a
// simulated responder: GET 0x8002 with a page number 0..3 answers that page's
// 122 bytes (column c of rows 8p..8p+7, bit 0 the top row); SET 0x8003 records
// the key with the number of the frame it arrived in. A frame begins with the
// request of page 0, so a key sent at the end of frame n arrives in frame n.
// Installs itself as the responder's extension; it must outlive its use.
class SimDisplayDevice {
public:
    explicit SimDisplayDevice(SimRdmResponder& responder);

    static constexpr int Width = 122;
    static constexpr int Height = 32;

    SimRdmResponder& responder;
    std::array<std::array<uint8_t, Width>, 4> pages{};

    void SetPixel(int x, int y, bool lit);
    bool Pixel(int x, int y) const;

    // Misbehaviour, by page number: pages never answered, pages answered only
    // after the next request, and the length of every page answer (122 when unset).
    std::set<uint8_t> skipPages;
    std::set<uint8_t> latePages;
    std::optional<uint8_t> answerLength;

    struct Key {
        uint8_t key;
        int frame;
        bool operator==(const Key&) const = default;
    };
    std::vector<Key> keys;
    int frame = 0;                   // requests of page 0 received
    std::vector<uint8_t> pagesAsked; // every page number asked, in order

private:
    std::optional<SimRdmResponder::Reply> Handle(uint8_t commandClass, uint16_t pid,
                                                 std::span<const uint8_t> data);
};
