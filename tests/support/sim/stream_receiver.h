#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "support/sim/SimHidPlatform.h"

namespace sim {

// The interface's side of the two transfers. After "start block download"
// (command 1) it answers every link packet it has received whole with a
// block acknowledge (input type 21), until the monitor starts (command 2).
// In a firmware upload it answers each poll (command 4) and each chunk
// (command 5) with a poll answer and puts the chunks back together into the
// records they came from. It keeps all it received, so that a test can
// compare it with the file, and it can fall silent at a chosen record.
class SimStreamReceiver : public SimLinkLine {
public:
    // Becomes the box's line and command handler.
    static std::shared_ptr<SimStreamReceiver> Attach(SimInterface& box);

    void OnLinkPacket(SimInterface& box, const SimLinkPacket& packet) override;
    void OnCommand(SimInterface& box, const RawReport& report);

    bool blockMode = false;
    std::vector<std::pair<uint8_t, uint8_t>> blockStarts; // arguments of each command 1
    std::vector<SimLinkPacket> frames;                    // type 0x20 packets of a block download
    std::vector<SimLinkPacket> records;                   // type 0x30 packets of a block download
    int acknowledges = 0;

    int polls = 0;
    std::vector<RawReport> firmwareChunks;
    std::vector<std::vector<uint8_t>> firmwareRecords; // reassembled from the chunks
    uint8_t pollAnswerType = 5;

    // Falls silent once this record (1-based; block records or firmware
    // records, whose first chunk counts) has arrived; -1 never.
    int silentFromRecord = -1;
    bool silent = false;

private:
    void Answer(SimInterface& box, uint8_t type);
    void CheckSilence(int recordCount);
};

} // namespace sim
