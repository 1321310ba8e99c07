// The maker's PID answers and program upload continuations.
// Default bodies: replace them where the work is built.

#include "rdm/rdm_handlers_later.h"

void HandleOperatingModeAnswer(TDM&, const tRdmMessage&) {}
void HandleConfigMemoryAnswer(TDM&, const tRdmMessage&) {}
void HandleDmxModeAnswer(TDM&, const tRdmMessage&) {}
void HandleDeviceConfigAnswer(TDM&, const tRdmMessage&) {}
void HandleProgramStepsAnswer(TDM&, const tRdmMessage&) {}
void HandleProgramBlockAnswer(TDM&, const tRdmMessage&) {}
void SendNextProgramSteps(TDM&, const tRdmMessage&) {}
void SendNextProgramBlock(TDM&, const tRdmMessage&) {}
