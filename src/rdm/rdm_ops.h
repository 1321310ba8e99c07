#pragma once

#include <cstdint>

struct tRdmMessage;

// Where an RDM answer goes. Answers of the sensor value and of the maker's
// GET parameters are routed by PID; every other answer goes to the handler of
// the pending operation (`RdmPendingOp`).
enum class RdmAnswerHandler : uint8_t {
    None,
    // by PID (GET_COMMAND_RESPONSE only)
    ShowSensorValue,
    HandleOperatingModeAnswer,
    HandleConfigMemoryAnswer,
    ReceiveRemoteDisplayPage,
    HandleDmxModeAnswer,
    HandleDeviceConfigAnswer,
    HandleProgramStepsAnswer,
    HandleProgramBlockAnswer,
    ReceiveLvnConfigBlock,
    // by pending operation
    ContinueKelvarSetup,
    AnswerPersonalitySet,
    VerifyDmxAddress,
    AskNextParameter,
    VerifyDeviceLabel,
    HideUploadGauge,
    ContinueQ7Setup,
    ContinueQ9SubSetup,
    SendNextProgramSteps,
    VerifyDisplayInvert,
    VerifyDisplayLevel,
    SendNextLvnConfigBlock,
    VerifyLampHours,
    VerifyPowerCycles,
    VerifyLampState,
    VerifyLampOnMode,
    VerifyPanInvert,
    VerifyTiltInvert,
    VerifyPanTiltSwap,
    VerifyPowerState,
    VerifyIdentifyMode,
    SendNextProgramBlock,
    VerifyFactoryDefaults,
};

// What a report of no answer does, by pending operation.
enum class RdmNoAnswerAction : uint8_t {
    Nothing,
    ResendSet,                // operation 1: the last SET again, logged
    ResendGetDmxAddress,      // operation 3: GET DMX_START_ADDRESS
    ResendGetDeviceInfo,      // operation 4 while DEVICE_INFO is in flight, logged
    ResendGetDeviceLabel,     // operation 5: GET DEVICE_LABEL
    ResendScanGet,            // operation 4, any other GET of the scan: that GET again, logged
    GiveUpScanDevice,         // operation 4 after the last resend: the scan leaves the device
};

// Pending-operation codes.
enum : uint8_t {
    RdmOpNone = 0,
    RdmOpKelvarSetup = 1,
    RdmOpPersonality = 2,
    RdmOpDmxAddress = 3,
    RdmOpScan = 4,
    RdmOpDeviceLabel = 5,
    RdmOpUploadQ9Root = 8,
    RdmOpUploadQ9Sub = 9,
    RdmOpUploadQ7 = 10,
    RdmOpQ7Setup = 11,
    RdmOpQ9SubSetup = 12,
    RdmOpProgramSteps = 13,
    RdmOpDisplayInvert = 14,
    RdmOpDisplayLevel = 15,
    RdmOpLvnConfig = 16,
    RdmOpIdentify = 17,
    RdmOpLampHours = 18,
    RdmOpPowerCycles = 19,
    RdmOpLampState = 20,
    RdmOpLampOnMode = 21,
    RdmOpPanInvert = 22,
    RdmOpTiltInvert = 23,
    RdmOpPanTiltSwap = 24,
    RdmOpPowerState = 25,
    RdmOpIdentifyMode = 26,
    RdmOpUploadQ73G = 28,
    RdmOpProgramBlock = 29,
    RdmOpUploadZK4 = 30,
    RdmOpFactoryDefaults = 31,
};

// Resends after this many reports of no answer in a row stop.
constexpr uint8_t RdmRetryLimit = 20;

// The handler that takes a GET answer by its PID, or None when the PID is not
// one of those (and for every other command class).
RdmAnswerHandler PidAnswerHandler(uint8_t commandClass, uint16_t pid);

// The handler of the pending operation's answers ("on an answer" column).
RdmAnswerHandler OperationAnswerHandler(uint8_t pendingOp);

// The "on no answer" column. Every resend is bounded by the retry count; the
// scan then gives up on the silent device rather than wait for ever.
// `scanRequestOut` tells that the last request sent was the scan's own, so
// that a silent answer to another request (a poll, a click's GET) is never
// taken for the scan's.
RdmNoAnswerAction OperationNoAnswerAction(uint8_t pendingOp, uint16_t currentPid, uint8_t retryCount,
                                          bool scanRequestOut);

// The handler's name as the program knows it (for the debug log and tests).
const char* RdmAnswerHandlerName(RdmAnswerHandler handler);
