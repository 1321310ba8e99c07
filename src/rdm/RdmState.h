#pragma once

#include <array>
#include <cstdint>
#include <deque>

#include "rdm/rdm_frame.h"

// The last request to one device (a GET or a SET): an answer is its answer
// only when it carries its transaction number, comes from its device and
// sub-device, and answers its command with its PID.
struct RdmAskedRequest {
    bool open = false; // sent, and neither answered nor reported unanswered yet
    bool poll = false; // a poll's GET: nothing waits on its answer but the poll
    uint8_t transaction = 0;
    uint64_t uid = 0;
    uint16_t subDevice = 0;
    int node = -1; // the tree node of the device when it was sent; -1 none
    uint8_t commandClass = 0;
    uint16_t pid = 0;
    uint8_t op = 0; // the pending operation it was sent for
};

// A request that left the queue and whose report has not come yet.
struct RdmOwedReport {
    uint8_t transaction = 0;
    bool late = false; // its deadline passed
};

// The RDM request and receive state of the data module: the globals through
// which a caller hands a request's purpose to the answer side, and the answer
// being collected. One instance per program, main thread only.
struct RdmState {
    // Request globals.
    uint8_t RdmPendingOp = 0;    // operation awaiting an answer; 0 = none
    uint16_t RdmCurrentNode = 0; // absolute index in tvDeviceList of the addressed node
    uint16_t RdmCurrentPid = 0;  // PID of the request in flight (0 while a verifying GET is out)
    std::array<uint8_t, RdmParamDataSize> RdmParamData{};
    uint8_t AwaitingAnswer = 0;
    uint8_t RdmTransaction = 0; // transaction number of the next request; wraps after 255
    // Reports the interface still owes: it brings exactly one for every
    // request that left over the line (an answer, or a report of none), in
    // order, however late a stalled interface brings them. A request is
    // owed its report from when its last chunk leaves the queue; one refused
    // or written off in the queue is owed nothing. Each is kept by its
    // transaction number, oldest first; one whose deadline passed is late:
    // its report may still come, and then it is its own.
    std::deque<RdmOwedReport> ReportsOwed;
    // Requests whose report was given up for lost at a deadline: should
    // their answer come after all, it is known by its transaction number
    // and taken for nothing. The most recent few.
    std::deque<uint8_t> ReportsWrittenOff;
    // A report was taken for a late request since the last request sent
    // left: the interface is bringing reports again.
    bool LateReportTaken = false;
    // The transaction number of the last request sent, and whether it has
    // left the queue: until it has, every report is an earlier request's.
    uint8_t LastSentTransaction = 0;
    bool LastRequestLeft = false;

    // The request an answer is awaited for, and the node of the device whose
    // answer is being handled (-1 outside an answer handler): handlers take
    // their record from it, never from the selection.
    RdmAskedRequest Asked;
    bool HandlingAnswer = false;
    int RdmAnswerNode = -1;
    // Set by a poll just before it sends (the sensor values, the remote
    // display, the mode read of a click); the next request takes it.
    bool NextRequestIsPoll = false;

    // Receive state.
    std::array<uint8_t, 300> RdmRxBuffer{};
    uint16_t RdmRxCount = 0;
    bool RdmRxOverflow = false; // the answer being collected ran past RdmRxBuffer
    uint8_t RdmRetryCount = 0;  // no-answer reports in a row, up to 20

    // Decoder state: the next free entry of a device's sensor table, and the
    // scan's item counter (the sensor number being asked).
    uint8_t SensorDefIndex = 0;
    uint16_t AskItemIndex = 0;

    // The last SET sent, repeated with its data when a set-up chain gets no answer.
    uint16_t LastSetPid = 0;
    uint8_t LastSetPdl = 0;
    std::array<uint8_t, RdmParamDataSize> LastSetData{};

    // The scan's last GET, repeated when it gets no answer. ScanRequestOut
    // is set while it is the last request sent (every request clears it).
    bool ScanRequestOut = false;
    uint16_t ScanPid = 0;
    uint8_t ScanPdl = 0;
    std::array<uint8_t, RdmParamDataSize> ScanData{};
};
