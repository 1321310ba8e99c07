#pragma once

// The answer handlers that the RDM answer path reaches by name. Each takes
// the data module and the parsed answer (handlers that do not need the answer
// ignore it). Their default bodies, in rdm_handlers_later_*.cpp, do nothing;
// the pages that own them give them their work.

class TDM;
struct tRdmMessage;

// Routed by PID (GET answers).
void ShowSensorValue(TDM& DM, const tRdmMessage& msg);
void HandleOperatingModeAnswer(TDM& DM, const tRdmMessage& msg);
void HandleConfigMemoryAnswer(TDM& DM, const tRdmMessage& msg);
void ReceiveRemoteDisplayPage(TDM& DM, const tRdmMessage& msg);
void HandleDmxModeAnswer(TDM& DM, const tRdmMessage& msg);
void HandleDeviceConfigAnswer(TDM& DM, const tRdmMessage& msg);
void HandleProgramStepsAnswer(TDM& DM, const tRdmMessage& msg);
void HandleProgramBlockAnswer(TDM& DM, const tRdmMessage& msg);
void ReceiveLvnConfigBlock(TDM& DM, const tRdmMessage& msg);

// Routed by the pending operation.
void ContinueKelvarSetup(TDM& DM, const tRdmMessage& msg);
void AnswerPersonalitySet(TDM& DM, const tRdmMessage& msg);
void VerifyDmxAddress(TDM& DM, const tRdmMessage& msg);
void AskNextParameter(TDM& DM, const tRdmMessage& msg);
void VerifyDeviceLabel(TDM& DM, const tRdmMessage& msg);
// The answer to a configuration upload ends it.
void HideUploadGauge(TDM& DM, const tRdmMessage& msg);
void ContinueQ7Setup(TDM& DM, const tRdmMessage& msg);
void ContinueQ9SubSetup(TDM& DM, const tRdmMessage& msg);
void SendNextProgramSteps(TDM& DM, const tRdmMessage& msg);
void VerifyDisplayInvert(TDM& DM, const tRdmMessage& msg);
void VerifyDisplayLevel(TDM& DM, const tRdmMessage& msg);
void SendNextLvnConfigBlock(TDM& DM, const tRdmMessage& msg);
void VerifyLampHours(TDM& DM, const tRdmMessage& msg);
void VerifyPowerCycles(TDM& DM, const tRdmMessage& msg);
void VerifyLampState(TDM& DM, const tRdmMessage& msg);
void VerifyLampOnMode(TDM& DM, const tRdmMessage& msg);
void VerifyPanInvert(TDM& DM, const tRdmMessage& msg);
void VerifyTiltInvert(TDM& DM, const tRdmMessage& msg);
void VerifyPanTiltSwap(TDM& DM, const tRdmMessage& msg);
void VerifyPowerState(TDM& DM, const tRdmMessage& msg);
void VerifyIdentifyMode(TDM& DM, const tRdmMessage& msg);
void SendNextProgramBlock(TDM& DM, const tRdmMessage& msg);
void VerifyFactoryDefaults(TDM& DM, const tRdmMessage& msg);
