// The parameter scan's answer handler.
// Default bodies: replace them where the work is built.

#include "rdm/rdm_handlers_later.h"

void AskNextParameter(TDM&, const tRdmMessage&) {}
