#pragma once

#include <QString>
#include <array>
#include <cstdint>

class RdmPageView;
struct tRdmDevice;
struct tRdmMessage;

// The PIDs that the scan asks when a device lists them, in this order.
extern const std::array<uint16_t, 23> AskPidList;

// The device kind of a record: the maker's models by manufacturer and model
// id, sub-device, and the footprint of the first personality; 0 for others.
uint8_t ClassifyDevice(const tRdmDevice& rec);

// The answer-driven parameter scan: after discovery it walks the tree node by
// node, reads each device's parameters by GETs (each answer asks the next),
// adds and reads the sub-devices, and classifies every device.
class RdmScan {
public:
    explicit RdmScan(RdmPageView& view) : view(view) {}

    uint16_t AskDeviceIndex = 0; // root devices finished in this scan
    uint16_t SubDeviceTotal = 0; // sub-devices of the root device being read
    uint16_t SubDeviceIndex = 0; // the sub-device node being read, 1..SubDeviceTotal

    // The E1.20 limit on sub-devices of one responder.
    static constexpr uint16_t MaxSubDevices = 512;

    // Starts the scan at the first device node (the end of discovery).
    void Begin();
    // Reads one device again (after a SET that changes more than its own
    // value): DEVICE_INFO, then the rest of the scan, on the device's own
    // node. The scan ends with this device (AwaitingAnswer is set).
    void ReadAgain(int node);
    // The node whose device the scan reads.
    uint16_t ReadingNode() const { return ReadNode; }
    // The answer handler of the scan's pending operation.
    void AskNextParameter(const tRdmMessage& msg);
    // Ends one node's chain and starts the next, or ends the scan.
    void AskNextDevice();
    // Classification of the node's record (0 when the node is gone).
    uint8_t ClassifyDevice(int node) const;
    // The device at the current node stayed silent through every resend: one
    // line names it and the request, and the scan goes on with the next node.
    void GiveUpOnDevice();
    // The interface was pulled out while the scan held the line: one line
    // says what was cut short. `run`: a discovery run, else a device's
    // reading again (whose SET is then not verified).
    void CutShortByRemoval(bool run);

private:
    void Get(const tRdmDevice& rec, uint16_t pid, uint8_t pdl);
    void GoToPersonalities(const tRdmDevice& rec);
    void WalkSupportedParameters(const tRdmDevice& rec);
    // A personality SET is verified by the DEVICE_INFO of the device's reading
    // again; an answer that does not carry the device's personality (refused,
    // cut short, or none at all: nullptr) puts the one from before back.
    void KeepPersonalityUnlessRead(const tRdmMessage* msg);

    RdmPageView& view;
    bool leavingSilentDevice = false;
    uint16_t ReadNode = 0;
};
