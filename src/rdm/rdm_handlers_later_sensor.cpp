// Sensor values, SET-then-verify answers and the maker set-up chains.
// Default bodies: replace them where the work is built.

#include "rdm/rdm_handlers_later.h"

void ShowSensorValue(TDM&, const tRdmMessage&) {}
void ContinueKelvarSetup(TDM&, const tRdmMessage&) {}
void AnswerPersonalitySet(TDM&, const tRdmMessage&) {}
void VerifyDmxAddress(TDM&, const tRdmMessage&) {}
void VerifyDeviceLabel(TDM&, const tRdmMessage&) {}
void ContinueQ7Setup(TDM&, const tRdmMessage&) {}
void ContinueQ9SubSetup(TDM&, const tRdmMessage&) {}
void VerifyDisplayInvert(TDM&, const tRdmMessage&) {}
void VerifyDisplayLevel(TDM&, const tRdmMessage&) {}
void VerifyLampHours(TDM&, const tRdmMessage&) {}
void VerifyPowerCycles(TDM&, const tRdmMessage&) {}
void VerifyLampState(TDM&, const tRdmMessage&) {}
void VerifyLampOnMode(TDM&, const tRdmMessage&) {}
void VerifyPanInvert(TDM&, const tRdmMessage&) {}
void VerifyTiltInvert(TDM&, const tRdmMessage&) {}
void VerifyPanTiltSwap(TDM&, const tRdmMessage&) {}
void VerifyPowerState(TDM&, const tRdmMessage&) {}
void VerifyIdentifyMode(TDM&, const tRdmMessage&) {}
void VerifyFactoryDefaults(TDM&, const tRdmMessage&) {}
