#include "rdm/rdm_ops.h"

#include "rdm/rdm_frame.h"

using H = RdmAnswerHandler;

RdmAnswerHandler PidAnswerHandler(uint8_t commandClass, uint16_t pid) {
    if (commandClass != RdmGetCommandResponse) return H::None;
    switch (pid) {
    case PID_SENSOR_VALUE: return H::ShowSensorValue;
    case 0x8000: return H::HandleOperatingModeAnswer;
    case 0x8001: return H::HandleConfigMemoryAnswer;
    case 0x8002: return H::ReceiveRemoteDisplayPage;
    case 0x8004: return H::HandleDmxModeAnswer;
    case 0x8005:
    case 0x8007:
    case 0x8016: return H::HandleDeviceConfigAnswer;
    case 0x8006: return H::HandleProgramStepsAnswer;
    case 0x8008: return H::HandleProgramBlockAnswer;
    case 0x8014: return H::ReceiveLvnConfigBlock;
    default: return H::None;
    }
}

RdmAnswerHandler OperationAnswerHandler(uint8_t pendingOp) {
    switch (pendingOp) {
    case RdmOpKelvarSetup: return H::ContinueKelvarSetup;
    case RdmOpPersonality: return H::AnswerPersonalitySet;
    case RdmOpDmxAddress: return H::VerifyDmxAddress;
    case RdmOpScan: return H::AskNextParameter;
    case RdmOpDeviceLabel: return H::VerifyDeviceLabel;
    case RdmOpUploadQ9Root:
    case RdmOpUploadQ9Sub:
    case RdmOpUploadQ7:
    case RdmOpUploadQ73G:
    case RdmOpUploadZK4: return H::HideUploadGauge;
    case RdmOpQ7Setup: return H::ContinueQ7Setup;
    case RdmOpQ9SubSetup: return H::ContinueQ9SubSetup;
    case RdmOpProgramSteps: return H::SendNextProgramSteps;
    case RdmOpDisplayInvert: return H::VerifyDisplayInvert;
    case RdmOpDisplayLevel: return H::VerifyDisplayLevel;
    case RdmOpLvnConfig: return H::SendNextLvnConfigBlock;
    case RdmOpLampHours: return H::VerifyLampHours;
    case RdmOpPowerCycles: return H::VerifyPowerCycles;
    case RdmOpLampState: return H::VerifyLampState;
    case RdmOpLampOnMode: return H::VerifyLampOnMode;
    case RdmOpPanInvert: return H::VerifyPanInvert;
    case RdmOpTiltInvert: return H::VerifyTiltInvert;
    case RdmOpPanTiltSwap: return H::VerifyPanTiltSwap;
    case RdmOpPowerState: return H::VerifyPowerState;
    case RdmOpIdentifyMode: return H::VerifyIdentifyMode;
    case RdmOpProgramBlock: return H::SendNextProgramBlock;
    case RdmOpFactoryDefaults: return H::VerifyFactoryDefaults;
    default: return H::None;  // 0, 17 (identify) and codes no sender uses
    }
}

RdmNoAnswerAction OperationNoAnswerAction(uint8_t pendingOp, uint16_t currentPid, uint8_t retryCount,
                                          bool scanRequestOut) {
    // A device that has gone from the line would otherwise be asked for ever;
    // the scan moves on without it, so that the run ends.
    if (retryCount >= RdmRetryLimit) {
        return pendingOp == RdmOpScan && scanRequestOut ? RdmNoAnswerAction::GiveUpScanDevice
                                                        : RdmNoAnswerAction::Nothing;
    }
    switch (pendingOp) {
    case RdmOpKelvarSetup: return RdmNoAnswerAction::ResendSet;
    case RdmOpDmxAddress: return RdmNoAnswerAction::ResendGetDmxAddress;
    case RdmOpScan:
        if (currentPid == PID_DEVICE_INFO) return RdmNoAnswerAction::ResendGetDeviceInfo;
        return scanRequestOut ? RdmNoAnswerAction::ResendScanGet : RdmNoAnswerAction::Nothing;
    case RdmOpDeviceLabel: return RdmNoAnswerAction::ResendGetDeviceLabel;
    default: return RdmNoAnswerAction::Nothing;
    }
}

const char* RdmAnswerHandlerName(RdmAnswerHandler handler) {
    switch (handler) {
    case H::None: return "";
    case H::ShowSensorValue: return "ShowSensorValue";
    case H::HandleOperatingModeAnswer: return "HandleOperatingModeAnswer";
    case H::HandleConfigMemoryAnswer: return "HandleConfigMemoryAnswer";
    case H::ReceiveRemoteDisplayPage: return "ReceiveRemoteDisplayPage";
    case H::HandleDmxModeAnswer: return "HandleDmxModeAnswer";
    case H::HandleDeviceConfigAnswer: return "HandleDeviceConfigAnswer";
    case H::HandleProgramStepsAnswer: return "HandleProgramStepsAnswer";
    case H::HandleProgramBlockAnswer: return "HandleProgramBlockAnswer";
    case H::ReceiveLvnConfigBlock: return "ReceiveLvnConfigBlock";
    case H::ContinueKelvarSetup: return "ContinueKelvarSetup";
    case H::AnswerPersonalitySet: return "AnswerPersonalitySet";
    case H::VerifyDmxAddress: return "VerifyDmxAddress";
    case H::AskNextParameter: return "AskNextParameter";
    case H::VerifyDeviceLabel: return "VerifyDeviceLabel";
    case H::HideUploadGauge: return "HideUploadGauge";
    case H::ContinueQ7Setup: return "ContinueQ7Setup";
    case H::ContinueQ9SubSetup: return "ContinueQ9SubSetup";
    case H::SendNextProgramSteps: return "SendNextProgramSteps";
    case H::VerifyDisplayInvert: return "VerifyDisplayInvert";
    case H::VerifyDisplayLevel: return "VerifyDisplayLevel";
    case H::SendNextLvnConfigBlock: return "SendNextLvnConfigBlock";
    case H::VerifyLampHours: return "VerifyLampHours";
    case H::VerifyPowerCycles: return "VerifyPowerCycles";
    case H::VerifyLampState: return "VerifyLampState";
    case H::VerifyLampOnMode: return "VerifyLampOnMode";
    case H::VerifyPanInvert: return "VerifyPanInvert";
    case H::VerifyTiltInvert: return "VerifyTiltInvert";
    case H::VerifyPanTiltSwap: return "VerifyPanTiltSwap";
    case H::VerifyPowerState: return "VerifyPowerState";
    case H::VerifyIdentifyMode: return "VerifyIdentifyMode";
    case H::SendNextProgramBlock: return "SendNextProgramBlock";
    case H::VerifyFactoryDefaults: return "VerifyFactoryDefaults";
    }
    return "";
}
