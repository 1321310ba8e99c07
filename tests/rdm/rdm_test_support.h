#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "rdm/RdmController.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmLink.h"
#include "support/sim/rdm_line.h"

// A link that keeps what the controller hands it: packets, log lines, handler
// calls, and a flat list of tree nodes with their records and captions.
struct FakeRdmLink : RdmLink {
    std::vector<std::vector<uint8_t>> packets;
    QStringList deviceLines;
    QStringList debugLines;
    std::vector<std::unique_ptr<tRdmDevice>> records;
    QStringList captions;
    std::vector<std::pair<RdmAnswerHandler, tRdmMessage>> calls;
    std::function<void(RdmAnswerHandler, const tRdmMessage&)> onCall;

    // Without a queue of its own, a request leaves as it is queued: its
    // report is owed at once (when `onQueued` says so).
    std::function<void(const uint8_t*)> onQueued;
    bool refuse = false; // the queue is full
    bool EnqueuePacket(const uint8_t* bytes, uint16_t length) override {
        if (refuse) return false;
        packets.emplace_back(bytes, bytes + length);
        if (onQueued) onQueued(bytes);
        return true;
    }
    void AddDeviceListLine(const QString& text) override { deviceLines << text; }
    void AddDebugLine(const QString& line) override { debugLines << line; }
    tRdmDevice* DeviceRecordAt(int i) override {
        return i >= 0 && i < int(records.size()) ? records[size_t(i)].get() : nullptr;
    }
    void SetNodeCaption(int i, const QString& caption) override { captions[i] = caption; }
    void CallAnswerHandler(RdmAnswerHandler h, const tRdmMessage& msg) override {
        calls.emplace_back(h, msg);
        if (onCall) onCall(h, msg);
    }

    int AddNode(uint8_t kind, uint64_t uid, uint16_t sub, const QString& caption) {
        auto rec = std::make_unique<tRdmDevice>();
        rec->nodeKind = kind;
        rec->uid = uid;
        rec->subDevice = sub;
        records.push_back(std::move(rec));
        captions << caption;
        return int(records.size()) - 1;
    }
};

// The controller on a fake link, wired to a simulated RDM line: every packet
// it queues reaches the line, and the line's reports come back to it.
struct RdmBench {
    RdmBench() {
        link.onQueued = [this](const uint8_t* bytes) {
            if (BringsReport(bytes[0] & 0xFC)) ctl.RequestLeft(bytes[RdmTransactionOffset]);
        };
    }
    FakeRdmLink link;
    RdmController ctl{link};
    SimRdmLine line;
    size_t delivered = 0;

    // Delivers every queued packet's answer reports, including those of
    // requests sent while handling them.
    void Pump() {
        while (delivered < link.packets.size()) {
            const auto packet = link.packets[delivered++];
            for (const auto& r : line.HandlePacket(packet))
                ctl.HandleRdmReport(r);
        }
    }
    // Delivers the answer to the next queued packet only.
    void PumpOne() {
        if (delivered >= link.packets.size()) return;
        const auto packet = link.packets[delivered++];
        for (const auto& r : line.HandlePacket(packet))
            ctl.HandleRdmReport(r);
    }
    void Feed(const SimInputReport& r) { ctl.HandleRdmReport(r); }
    void Request(uint16_t sub, uint8_t cc, uint64_t uid, uint16_t pid, uint8_t pdl = 0) {
        ctl.SendRdmRequest(sub, cc, uid, pid, pdl, ctl.state.RdmParamData, 0x40);
    }
};
