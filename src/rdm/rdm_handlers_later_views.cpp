// Remote display and decoder configuration answers.
// Default bodies: replace them where the work is built.

#include "rdm/rdm_handlers_later.h"

void ReceiveLvnConfigBlock(TDM&, const tRdmMessage&) {}
void SendNextLvnConfigBlock(TDM&, const tRdmMessage&) {}
