#include "support/sim/rdm_unmutable_responder.h"

SimDiscoveryResponder UnmutableResponder(uint64_t uid, bool anyRange) {
    SimDiscoveryResponder r;
    r.uid = uid;
    r.neverAcknowledgesMute = true;
    r.ignoresMute = true;
    r.answersEveryBranch = anyRange;
    return r;
}
