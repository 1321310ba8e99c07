#include "support/sim/rdm_line.h"

#include <algorithm>

std::vector<SimInputReport> SimRdmLine::SplitAnswer(std::span<const uint8_t> answer, int splitSize) {
    splitSize = std::clamp(splitSize, 1, 61);
    std::vector<SimInputReport> reports;
    size_t pos = 0;
    do {
        const size_t n = std::min(answer.size() - pos, size_t(splitSize));
        SimInputReport r{};
        r[0] = 11;
        r[1] = pos + n < answer.size() ? 3 : 4;
        r[2] = uint8_t(n);
        std::copy_n(answer.begin() + long(pos), n, r.begin() + 4);
        reports.push_back(r);
        pos += n;
    } while (pos < answer.size());
    return reports;
}

SimInputReport SimRdmLine::NoAnswerReport() {
    SimInputReport r{};
    r[0] = 11;
    r[1] = 2;
    return r;
}

std::vector<SimInputReport> SimRdmLine::HandlePacket(std::span<const uint8_t> packet) {
    std::vector<SimInputReport> reports;
    if (packet.size() < 3 || (packet[0] & 0xFC) != 0x40) return reports;
    const size_t length = size_t((packet[1] & 3) << 8) | packet[2];
    const auto frame = packet.subspan(3, std::min(length, packet.size() - 3));

    // An answer held back from the previous request arrives now, first.
    std::vector<uint8_t> answer;
    bool answered = false;
    if (!lateAnswers.empty()) {
        answer = lateAnswers.front();
        lateAnswers.pop_front();
        answered = true;
    }
    for (SimRdmResponder* r : responders) {
        auto a = r->Answer(frame);
        if (!a) continue;
        if (r->late) {
            lateAnswers.push_back(*a);
        } else if (!answered) {
            answer = *a;
            answered = true;
        }
    }
    if (!answered) {
        reports.push_back(NoAnswerReport());
        return reports;
    }
    return SplitAnswer(answer, splitSize);
}
