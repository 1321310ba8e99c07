#pragma once

#include "rdm/rdm_ops.h"

class TDM;
struct tRdmMessage;

// Calls the answer handler named by the routing of the answer path.
void CallRdmAnswerHandler(TDM& DM, RdmAnswerHandler handler, const tRdmMessage& msg);
