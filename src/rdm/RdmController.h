#pragma once

#include <cstdint>
#include <span>

#include "rdm/RdmState.h"
#include "rdm/rdm_frame.h"

class RdmLink;

// The RDM request sender and the answer path of the data module: frames
// every request, collects the interface's data reports into an answer, parses
// it and hands it to its handler, and resends on reports of no answer.
class RdmController {
public:
    explicit RdmController(RdmLink& link) : link(link) {}

    RdmState state;
    tRdmMessage lastMessage; // the answer parsed last

    // Frames a request (link header, E1.20 frame, checksum), dumps it to the
    // debug log and queues it. Clears the answer collected so far.
    void SendRdmRequest(uint16_t subDevice, uint8_t commandClass, uint64_t destination, uint16_t pid,
                        uint8_t pdl, std::span<const uint8_t> data, uint8_t linkType);

    // One input report, from its type byte on (the report id is not kept).
    void HandleRdmReport(std::span<const uint8_t> report);

    // A whole report of the interface has come (an answer, a report of no
    // answer, a discovery answer): true when it is the report of the last
    // request sent, false when it belongs to an earlier one.
    bool TakeReport();
    // The last request sent got no report by its deadline: every report
    // still owed is written off (one that comes after all is taken for
    // nothing), with the answer half collected.
    void WriteOffReports();
    // The awaited request, if any, counts as unanswered, as on a report of no answer.
    void ReportMissing();

    // Stores a GET answer into the record of a tree node and keeps the
    // node's caption (and its group's) in step with the labels that arrive.
    void DecodeGetResponse(const tRdmMessage& msg, int nodeIndex);

private:
    enum class AnswerMatch { Ours, Late, Foreign };
    AnswerMatch MatchAnswer(const tRdmMessage& msg) const;
    int AnswerNode();
    void HandleCompleteAnswer();
    void HandleNoAnswer();
    // Sends the request again to the current record; false when there is none.
    bool Resend(uint8_t commandClass, uint16_t pid, uint8_t pdl, std::span<const uint8_t> data);

    RdmLink& link;
};
