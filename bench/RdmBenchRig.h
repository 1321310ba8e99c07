#pragma once

// The whole program on the simulator with `count` responders of random UIDs
// on its line, its window shown on the offscreen platform. The benchmarks
// take the program's packets from its queue themselves and answer them.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <memory>

#include "BenchProgram.h"
#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "support/sim/SimHidPlatform.h"
#include "support/sim/rdm_discovery_link.h"

struct RdmBenchRig {
    QTemporaryDir dir;
    std::shared_ptr<sim::SimHidPlatform> platform = std::make_shared<sim::SimHidPlatform>();
    std::unique_ptr<Program> program;
    std::shared_ptr<sim::SimInterface> box;
    SimRdmDiscoveryLinkLine line;
    std::deque<SimRdmResponder> devices;

    explicit RdmBenchRig(int count, uint32_t seed) {
        program = MakeBenchProgram(dir, platform);
        program->frmMain->show();
        box = platform->PlugInterface(0);
        box->autoCredit = false; // the bench takes packets from the queue itself
        line.rdm.splitSize = 60; // what a 64-byte input report carries
        platform->WaitIdle();
        SimDiscoveryLine uids;
        uids.AddRandomResponders(count, seed);
        for (const auto& u : uids.responders) {
            devices.emplace_back(u.uid);
            simdev::Basic(devices.back(), 1, "Bench device", "Bench maker", {0x0080, 0x0081, 0x0082}, 1, 1, 0,
                          1, 3);
            simdev::Personality(devices.back(), 1, 3, "RGB");
            simdev::Sensor(devices.back(), 0, 0, 1, 0, 100, "Temperature");
            line.Add(devices.back());
        }
    }

    TDM& dm() { return *program->DM; }

    // Takes the packet in transfer out of the queue, as if the interface had
    // taken all of it.
    bool TakePacket(std::vector<uint8_t>& packet) {
        TTxQueue& q = dm().TxQueue;
        if (q.Count == 0) return false;
        packet.assign(q.Data[q.ReadIndex].begin(), q.Data[q.ReadIndex].begin() + q.Length[q.ReadIndex]);
        q.ReadIndex = uint16_t((q.ReadIndex + 1) % TTxQueue::SlotCount);
        q.Count -= 1;
        q.BytesLeft = q.Count ? q.Length[q.ReadIndex] : 0;
        q.Offset = 0;
        dm().PacketLeft(packet.data());
        return true;
    }

    // The line's answers to a packet; true when it was a discovery request.
    bool AnswersOf(const std::vector<uint8_t>& packet, std::vector<SimDiscoveryReport>& reports) {
        reports.clear();
        if (line.discovery.HandlePacket(packet, reports)) return true;
        for (const auto& r : line.rdm.HandlePacket(packet))
            reports.push_back(r);
        return false;
    }
};
