#pragma once

#include <QString>
#include <cstdint>

// The few places where the SET commands, their verification and the sensor
// polling meet the rest of the program: the request globals, the request
// sender, the GET decoders, the RDM page and the question dialog.

class TfrmMain;
class RdmPageView;
struct RdmState;
struct tRdmDevice;
struct tRdmMessage;

RdmPageView* RdmViewOf(TfrmMain* frm);
RdmState& RdmStateOf(TfrmMain* frm);
// `RdmCurrentNode`: the tree node every device view and request works on,
// and its record (nullptr when the node is gone).
uint16_t& CurrentNodeOf(TfrmMain* frm);
tRdmDevice* CurrentRecordOf(TfrmMain* frm);

// The node of the device whose answer is being handled, and its record:
// nullptr when that device is no longer in the tree. Outside the answer path
// (a handler called directly), the selected node.
int AnswerNodeOf(TfrmMain* frm);
tRdmDevice* AnswerRecordOf(TfrmMain* frm);
// The answer being handled belongs to the device the page shows.
bool AnswerIsForSelection(TfrmMain* frm);

// Sends a request with `RdmParamData` as its data to the record's UID and
// sub-device, link type 0x40. The caller has set `RdmCurrentPid`.
void SendRdmParam(TfrmMain* frm, const tRdmDevice& rec, uint8_t commandClass, uint16_t pid, uint8_t pdl);

// Stores a GET answer into the record of a tree node.
void DecodeAnswer(TfrmMain* frm, const tRdmMessage& msg, int node);

// Shows the question dialog with the message kind (1 factory defaults,
// 3 device reset); true when it closed with OK.
bool AskQuestion(TfrmMain* frm, uint8_t messageKind);
// After a reset question answered with OK: true for a warm reset.
bool WarmResetChosen(TfrmMain* frm);

// While the line is held for another operation (a run, a device's reading
// again, an answer on its way, a pause between an operation's requests) a
// request of `what` is not sent: it would take the place of the one the
// operation waits for. Nor is it sent while no interface is connected,
// unless the tree holds the demo's devices, which are on no line. One
// device-log line says so; true when refused.
bool RefusedWhileLineHeld(TfrmMain* frm, const QString& what);

// A line at the end of the device log.
void DeviceLogLine(TfrmMain* frm, const QString& line);

// "7FF1:0000002A - 0": the UID and the sub-device, as every device line ends.
QString DeviceLineTail(const tRdmDevice& rec);
