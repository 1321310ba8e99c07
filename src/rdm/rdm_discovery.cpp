#include "rdm/rdm_discovery.h"

#include <algorithm>

namespace {
constexpr uint8_t ReportTypeData = 11;
constexpr uint8_t DiscoveryCommand = 0x10;
constexpr uint8_t DiscoveryCommandResponse = 0x11;
constexpr uint16_t PidDiscUniqueBranch = 0x0001;
constexpr uint16_t PidDiscMute = 0x0002;
constexpr uint8_t LinkTypeRdm = 0x40;
constexpr uint8_t LinkTypeDiscBranch = 0x60;
constexpr int ReportDataStart = 4;
constexpr int MuteTriesMax = 3;

void PutUid(uint8_t* buffer, uint64_t uid) {
    for (int i = 0; i < 6; ++i)
        buffer[i] = static_cast<uint8_t>(uid >> (40 - 8 * i));
}

QString Hex(uint64_t value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}
} // namespace

QString FormatManufacturerId(uint64_t uid) {
    return Hex((uid >> 32) & 0xFFFF, 4);
}

QString FormatRdmUid(uint64_t uid) {
    return FormatManufacturerId(uid) + ":" + Hex(uid & 0xFFFFFFFFu, 8);
}

QString FormatUid12(uint64_t uid) {
    return Hex(uid & 0xFFFF'FFFFFFFFull, 12);
}

bool IsNullOrBroadcastUid(uint64_t uid) {
    return uid == 0 || (uid & 0xFFFFFFFFu) == 0xFFFFFFFFu;
}

void RdmDiscovery::StartDiscovery() {
    MuteTries = 0;
    RequestsSinceListed = 0;
    AsksUnanswered = 0;
    muteFailures.clear();
    DiscoveryTop = 0;
    DiscoveredCount = 0;
    DiscoveryStack[0] = tDiscoveryRange{FirstUid, LastUid, 0, 0, 0};
    DiscoveryStep();
}

bool RdmDiscovery::IsUidKnown(uint64_t uid) const {
    return std::find(DiscoveredUids.begin(), DiscoveredUids.begin() + DiscoveredCount, uid) !=
           DiscoveredUids.begin() + DiscoveredCount;
}

bool RdmDiscovery::MuteGivenUp(uint64_t uid) const {
    return std::any_of(muteFailures.begin(), muteFailures.end(),
                       [uid](const MuteFailure& f) { return f.uid == uid && f.branches >= MuteFailuresMax; });
}

void RdmDiscovery::NoteMuteFailure(uint64_t uid) {
    auto it = std::find_if(muteFailures.begin(), muteFailures.end(),
                           [uid](const MuteFailure& f) { return f.uid == uid; });
    if (it == muteFailures.end()) it = muteFailures.insert(it, MuteFailure{uid, 0});
    ++it->branches;
}

bool RdmDiscovery::AppendDiscoveredUid(uint64_t uid) {
    if (DiscoveredCount >= MaxUids) return false;
    DiscoveredUids[DiscoveredCount++] = uid;
    return true;
}

void RdmDiscovery::SendDiscUniqueBranch(uint64_t lower, uint64_t upper) {
    uint8_t data[12];
    PutUid(data, lower);
    PutUid(data + 6, upper);
    ++RequestsSinceListed;
    host.SendDiscoveryRequest(0xFFFF'FFFFFFFFull, PidDiscUniqueBranch, data, LinkTypeDiscBranch);
    host.AddDeviceListLine(host.Text(51) + ":" + FormatRdmUid(lower) + "-" + FormatRdmUid(upper));
}

void RdmDiscovery::SendDiscMute(uint64_t uid, bool anotherTry) {
    MuteUid = uid;
    if (anotherTry) ++MuteTries;
    DiscoveryReply = DiscoveryReplyNoAck;
    ++RequestsSinceListed;
    host.SendDiscoveryRequest(uid, PidDiscMute, {}, LinkTypeRdm);
    host.AddDeviceListLine(host.Text(52) + ": " + FormatRdmUid(uid));
}

// The stack and the UID list are fixed in size. Rather than write past them,
// the search stops where it is; what was found so far is kept and scanned.
bool RdmDiscovery::Push(uint64_t lower, uint64_t upper) {
    if (DiscoveryTop + 1 >= StackSize) {
        EndSearch(QStringLiteral("Discovery stopped: too many ranges to search"));
        return false;
    }
    ++DiscoveryTop;
    DiscoveryStack[DiscoveryTop] = tDiscoveryRange{lower, upper, 0, 0, 0};
    return true;
}

void RdmDiscovery::EndSearch(const QString& why) {
    host.AddDeviceListLine(why);
    DiscoveryTop = -1;
}

void RdmDiscovery::DiscoveryStep() {
    if (MuteTries != 0) {
        host.AddDeviceListLine("test_cnt: " + QString::number(MuteTries));
        if (DiscoveryReply == DiscoveryReplyNoAck) {
            if (MuteTries < MuteTriesMax) {
                SendDiscMute(MuteUid);
                return;
            }
            MuteTries = 0;
            NoteMuteFailure(MuteUid);
            DiscoveryReply = DiscoveryReplyCollision;
            if (DiscoveryTop >= 0) DiscoveryStack[DiscoveryTop].state = 2;
        } else {
            MuteTries = 0;
            if (!AppendDiscoveredUid(FoundUid)) {
                EndSearch(QStringLiteral("Discovery stopped: the list of devices is full"));
                return;
            }
            RequestsSinceListed = 0;
            host.AddDeviceListLine(host.Text(109) + ": " + QString::number(DiscoveredCount) + " - " +
                                   FormatRdmUid(FoundUid));
            host.AddFoundDevice(FoundUid);
        }
    }

    while (DiscoveryTop >= 0) {
        // A responder that breaks the rules in a way not caught below (one that
        // acknowledges its mute and answers on, say) must not keep the search
        // going for ever.
        if (RequestsSinceListed >= RequestsWithoutDeviceMax) {
            EndSearch(QStringLiteral(
                "Discovery stopped: a device on the line does not follow the discovery rules"));
            return;
        }
        tDiscoveryRange& r = DiscoveryStack[DiscoveryTop];
        switch (r.state) {
        case 0:
            if (r.lower == r.upper) {
                // No device has a broadcast UID, and a mute sent to one would
                // silence every device (of its maker) for the rest of the run.
                if (IsUidKnown(r.lower) || MuteGivenUp(r.lower) || IsNullOrBroadcastUid(r.lower)) {
                    --DiscoveryTop;
                    break;
                }
                r.state = 1;
                SendDiscMute(r.lower);
                return;
            }
            r.state = 2;
            SendDiscUniqueBranch(r.lower, r.upper);
            return;
        case 1:
        case 5:
            --DiscoveryTop;
            break;
        case 2: {
            r.found = FoundUid;
            // UIDs compare as signed 64-bit numbers; they are 48-bit, so as plain ones too.
            const bool inRange = r.lower <= r.found && r.found <= r.upper;
            const bool valid = DiscoveryReply == DiscoveryReplyUid;
            const bool known = valid && IsUidKnown(r.found);
            if (valid && !known && !MuteGivenUp(r.found)) {
                // Any responder can be muted by its UID, also one that answers
                // a branch its UID lies outside of; once muted it is out of
                // the way, and the branch is searched again.
                if (DiscoveredCount >= MaxUids) {
                    EndSearch(QStringLiteral("Discovery stopped: the list of devices is full"));
                    return;
                }
                r.state = 3;
                SendDiscMute(r.found);
                return;
            }
            if (known && inRange) {
                // A listed device answered although it was muted: search around it.
                const uint64_t lower = r.lower, upper = r.upper, found = r.found;
                if (found == lower) {
                    r.state = 5;
                    if (lower == upper) break; // nothing left beside it
                    if (!Push(lower + 1, upper)) return;
                } else if (found == upper) {
                    r.state = 5;
                    if (!Push(lower, upper - 1)) return;
                } else {
                    r.state = 6;
                    if (!Push(lower, found - 1)) return;
                }
            } else if (valid || DiscoveryReply == DiscoveryReplyCollision) {
                // A single UID cannot be split: a responder there that never
                // acknowledges its mute is given up instead of being searched
                // again and again.
                if (r.lower == r.upper) {
                    --DiscoveryTop;
                    break;
                }
                r.mid = r.lower + (r.upper - r.lower) / 2;
                r.state = 4;
                const uint64_t lower = r.lower, mid = r.mid;
                if (!Push(lower, mid)) return;
            } else {
                --DiscoveryTop;
            }
            break;
        }
        case 3: {
            r.state = 5;
            const uint64_t lower = r.lower, upper = r.upper;
            if (!Push(lower, upper)) return;
            break;
        }
        case 4: {
            r.state = 5;
            const uint64_t mid = r.mid, upper = r.upper;
            if (!Push(mid + 1, upper)) return;
            break;
        }
        case 6: {
            r.state = 5;
            const uint64_t found = r.found, upper = r.upper;
            if (!Push(found + 1, upper)) return;
            break;
        }
        default:
            --DiscoveryTop;
            break;
        }
    }
}

void RdmDiscovery::NoReport() {
    if (DiscoveryTop < 0) return;
    if (++AsksUnanswered >= AsksUnansweredMax) {
        // Nothing was searched: a count would tell of a line nobody looked at.
        EndSearch(QStringLiteral("Discovery stopped: the USB interface did not take or answer the search"));
        host.DiscoveryFinished(0);
        return;
    }
    // The same request again: a mute that went nowhere is no unacknowledged
    // one, and a branch nobody answered for is not known to be empty.
    if (MuteTries != 0) {
        SendDiscMute(MuteUid, false);
        return;
    }
    const tDiscoveryRange& r = DiscoveryStack[DiscoveryTop];
    SendDiscUniqueBranch(r.lower, r.upper);
}

bool RdmDiscovery::DecodeUniqueBranchAnswer(std::span<const uint8_t> data, uint64_t& uid) {
    constexpr size_t Encoded = 16; // 12 bytes of UID and 4 of checksum after the 0xAA
    if (data.size() < Encoded + 1) return false;
    for (size_t i = 0; i + Encoded < data.size(); ++i) {
        if (data[i] != 0xAA) continue;
        const uint8_t* e = data.data() + i + 1;
        uint16_t sum = 0;
        for (int k = 0; k < 12; ++k)
            sum = static_cast<uint16_t>(sum + e[k]);
        const uint16_t checksum = static_cast<uint16_t>(256 * ((e[12] & 0x55) | (e[13] & 0xAA)) +
                                                        ((e[14] & 0x55) | (e[15] & 0xAA)));
        if (sum != checksum) return false;
        uid = 0;
        for (int k = 0; k < 6; ++k)
            uid = (uid << 8) | static_cast<uint8_t>((e[2 * k] & 0x55) | (e[2 * k + 1] & 0xAA));
        return true;
    }
    return false;
}

void RdmDiscovery::HandleDiscoveryReport(std::span<const uint8_t> report) {
    if (report.size() < 3 || report[0] != ReportTypeData) return;
    // A search that has ended (or never began) takes no more answers.
    if (DiscoveryTop < 0) return;
    const uint8_t subtype = report[1];
    AsksUnanswered = 0;
    // The data count is trusted only as far as bytes came.
    const size_t available = report.size() > ReportDataStart ? report.size() - ReportDataStart : 0;
    const size_t count = std::min<size_t>(report[2], available);
    const std::span<const uint8_t> data =
        report.subspan(std::min<size_t>(ReportDataStart, report.size()), count);

    if (MuteTries != 0) {
        const bool acknowledged =
            subtype == 4 && report.size() > 23 && report[23] == DiscoveryCommandResponse;
        if (acknowledged) {
            DiscoveryReply = DiscoveryReplyUid;
            FoundUid = MuteUid;
            host.AddDeviceListLine(host.Text(113) + ": " + FormatUid12(FoundUid));
        } else {
            DiscoveryReply = DiscoveryReplyNoAck;
            host.AddDeviceListLine(host.Text(114) + ": " + FormatUid12(MuteUid));
        }
    } else {
        // A piece of an RDM answer is no answer to the branch: it is the late
        // answer to a request sent before the search began (a poll). Taken for
        // the branch's, it would steer the search by the reply before.
        if (subtype == 3 || subtype == 4) return;
        switch (subtype) {
        case 0:
            if (count < 17) {
                DiscoveryReply = count == 1 ? DiscoveryReplyNone : DiscoveryReplyCollision;
            } else {
                uint64_t uid = 0;
                // Answers laid over each other can pass the checksum by chance;
                // one that reads as no UID or a broadcast one is such a mix.
                if (DecodeUniqueBranchAnswer(data, uid) && !IsNullOrBroadcastUid(uid)) {
                    FoundUid = uid;
                    DiscoveryReply = DiscoveryReplyUid;
                } else {
                    DiscoveryReply = DiscoveryReplyCollision;
                }
            }
            break;
        case 1:
            DiscoveryReply = DiscoveryReplyCollision;
            break;
        case 2:
            DiscoveryReply = DiscoveryReplyNone;
            break;
        default:
            break;
        }
        switch (DiscoveryReply) {
        case DiscoveryReplyUid:
            host.AddDeviceListLine(host.Text(111) + ": " + FormatUid12(FoundUid));
            break;
        case DiscoveryReplyNone:
            host.AddDeviceListLine(host.Text(110));
            break;
        case DiscoveryReplyCollision:
            host.AddDeviceListLine(host.Text(112));
            break;
        default:
            break;
        }
    }

    DiscoveryStep();

    if (DiscoveryTop < 0) {
        for (const MuteFailure& f : muteFailures)
            if (f.branches >= MuteFailuresMax)
                host.AddDeviceListLine(QStringLiteral("Device does not answer its mute: ") +
                                       FormatRdmUid(f.uid));
        host.AddDeviceListLine(host.Text(115) + ": " + QString::number(DiscoveredCount));
        host.DiscoveryFinished(DiscoveredCount);
    }
}
