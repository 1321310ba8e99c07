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
    // debug log and queues it. Clears the answer collected so far. False when
    // it was not queued (no interface, or the queue refused it).
    bool SendRdmRequest(uint16_t subDevice, uint8_t commandClass, uint64_t destination, uint16_t pid,
                        uint8_t pdl, std::span<const uint8_t> data, uint8_t linkType);
    // The last chunk of the request with this transaction number left the
    // queue: its report is owed from now. True when it is the last request sent.
    bool RequestLeft(uint8_t transaction);

    // One input report, from its type byte on (the report id is not kept).
    void HandleRdmReport(std::span<const uint8_t> report);

    // A whole report that carries no identity has come (a report of no
    // answer, garbled or short data, a discovery answer): it is the report
    // of the oldest request still owed one. True when that is the last
    // request sent, false when it belongs to an earlier one.
    bool TakeReport();
    // Every report still owed is written off, with the answer half
    // collected: the last request sent got its answer, or the interface is gone.
    void WriteOffReports();
    // The deadline of the last request sent has passed. The reports still
    // owed are late, not lost: a stalled interface brings them afterwards,
    // in order. Only when a late report has come since the last request left
    // is the interface known to bring its reports again; those still owed
    // then are lost.
    void ReportsOverdue();
    // The awaited request, if any, counts as unanswered, as on a report of
    // no answer. `mayAskAgain` false: nothing could leave the queue (it is
    // held by a request partly sent), so the operation ends as after its
    // last resend.
    void ReportMissing(bool mayAskAgain = true);

    // Stores a GET answer into the record of a tree node and keeps the
    // node's caption (and its group's) in step with the labels that arrive.
    void DecodeGetResponse(const tRdmMessage& msg, int nodeIndex);

private:
    // The answer carries the open request's transaction number, device,
    // sub-device, command and PID.
    bool AnswersAsked(const tRdmMessage& msg) const;
    // A whole answer of an earlier request than the last one sent, still
    // owed or written off at a deadline: it is that request's report, in its
    // place, and the reports owed before it were lost. False when no such
    // request is known (its report came already).
    bool TakeEarlierAnswer(uint8_t transaction);
    int AnswerNode();
    void HandleCompleteAnswer();
    void HandleNoAnswer();
    // A resend was not queued: nothing more is asked, as after the last resend.
    void EndUnanswered();
    // Sends the request again to the device asked last; false when there is
    // none any more, when nothing could leave the queue, or when the queue refused it.
    bool Resend(uint8_t commandClass, uint16_t pid, uint8_t pdl, std::span<const uint8_t> data);

    RdmLink& link;
    bool resendsBlocked = false;
};
