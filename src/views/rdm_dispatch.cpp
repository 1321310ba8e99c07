#include "views/rdm_dispatch.h"

#include <QWidget>

#include "app/Main.h"
#include "link/DataModule.h"
#include "rdm/rdm_handlers_later.h"

void CallRdmAnswerHandler(TDM& DM, RdmAnswerHandler handler, const tRdmMessage& msg) {
    using H = RdmAnswerHandler;
    switch (handler) {
    case H::None: break;
    case H::ShowSensorValue: ShowSensorValue(DM, msg); break;
    case H::HandleOperatingModeAnswer: HandleOperatingModeAnswer(DM, msg); break;
    case H::HandleConfigMemoryAnswer: HandleConfigMemoryAnswer(DM, msg); break;
    case H::ReceiveRemoteDisplayPage: ReceiveRemoteDisplayPage(DM, msg); break;
    case H::HandleDmxModeAnswer: HandleDmxModeAnswer(DM, msg); break;
    case H::HandleDeviceConfigAnswer: HandleDeviceConfigAnswer(DM, msg); break;
    case H::HandleProgramStepsAnswer: HandleProgramStepsAnswer(DM, msg); break;
    case H::HandleProgramBlockAnswer: HandleProgramBlockAnswer(DM, msg); break;
    case H::ReceiveLvnConfigBlock: ReceiveLvnConfigBlock(DM, msg); break;
    case H::ContinueKelvarSetup: ContinueKelvarSetup(DM, msg); break;
    case H::AnswerPersonalitySet: AnswerPersonalitySet(DM, msg); break;
    case H::VerifyDmxAddress: VerifyDmxAddress(DM, msg); break;
    case H::AskNextParameter: AskNextParameter(DM, msg); break;
    case H::VerifyDeviceLabel: VerifyDeviceLabel(DM, msg); break;
    case H::HideUploadGauge: HideUploadGauge(DM, msg); break;
    case H::ContinueQ7Setup: ContinueQ7Setup(DM, msg); break;
    case H::ContinueQ9SubSetup: ContinueQ9SubSetup(DM, msg); break;
    case H::SendNextProgramSteps: SendNextProgramSteps(DM, msg); break;
    case H::VerifyDisplayInvert: VerifyDisplayInvert(DM, msg); break;
    case H::VerifyDisplayLevel: VerifyDisplayLevel(DM, msg); break;
    case H::SendNextLvnConfigBlock: SendNextLvnConfigBlock(DM, msg); break;
    case H::VerifyLampHours: VerifyLampHours(DM, msg); break;
    case H::VerifyPowerCycles: VerifyPowerCycles(DM, msg); break;
    case H::VerifyLampState: VerifyLampState(DM, msg); break;
    case H::VerifyLampOnMode: VerifyLampOnMode(DM, msg); break;
    case H::VerifyPanInvert: VerifyPanInvert(DM, msg); break;
    case H::VerifyTiltInvert: VerifyTiltInvert(DM, msg); break;
    case H::VerifyPanTiltSwap: VerifyPanTiltSwap(DM, msg); break;
    case H::VerifyPowerState: VerifyPowerState(DM, msg); break;
    case H::VerifyIdentifyMode: VerifyIdentifyMode(DM, msg); break;
    case H::SendNextProgramBlock: SendNextProgramBlock(DM, msg); break;
    case H::VerifyFactoryDefaults: VerifyFactoryDefaults(DM, msg); break;
    }
}
