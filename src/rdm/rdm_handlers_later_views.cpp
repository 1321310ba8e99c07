// Remote display answers.
// Default bodies: replace them where the work is built.

#include "rdm/rdm_handlers_later.h"

void ReceiveRemoteDisplayPage(TDM&, const tRdmMessage&) {}
