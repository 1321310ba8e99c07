#include "link/hid/ReportDescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

struct Globals {
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

} // namespace

ReportDescriptorInfo ParseReportDescriptor(const uint8_t* data, size_t size) {
    ReportDescriptorInfo info;
    if (!data) return info;
    Globals g;
    std::vector<Globals> stack;
    std::map<uint32_t, uint64_t> inputBits; // per report id

    size_t i = 0;
    while (i < size) {
        const uint8_t prefix = data[i++];
        if (prefix == 0xFE) { // long item: size byte, tag byte, data
            if (i + 2 > size) break;
            const size_t len = data[i];
            i += 2 + len;
            continue;
        }
        static constexpr size_t sizes[4] = {0, 1, 2, 4};
        const size_t len = sizes[prefix & 0x03];
        if (i + len > size) break;
        uint32_t value = 0;
        for (size_t k = 0; k < len; ++k)
            value |= uint32_t(data[i + k]) << (8 * k);
        i += len;

        const uint8_t tagType = prefix & 0xFC;
        switch (tagType) {
        case 0x80: // Main: Input
            inputBits[g.reportId] += uint64_t(std::min<uint32_t>(g.reportSize, 0xFFFF)) *
                                     std::min<uint32_t>(g.reportCount, 0xFFFF);
            break;
        case 0x74: // Global: Report Size
            g.reportSize = value;
            break;
        case 0x94: // Global: Report Count
            g.reportCount = value;
            break;
        case 0x84: // Global: Report ID
            g.reportId = value;
            info.numberedReports = true;
            break;
        case 0xA4: // Global: Push
            stack.push_back(g);
            break;
        case 0xB4: // Global: Pop
            if (!stack.empty()) {
                g = stack.back();
                stack.pop_back();
            }
            break;
        default:
            break;
        }
    }

    uint64_t longest = 0;
    for (const auto& [id, bits] : inputBits)
        longest = std::max(longest, bits);
    if (longest > 0) info.inputReportLength = int(std::min<uint64_t>((longest + 7) / 8 + 1, 1 << 20));
    return info;
}
