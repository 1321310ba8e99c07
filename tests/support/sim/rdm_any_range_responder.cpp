#include "support/sim/rdm_any_range_responder.h"

SimDiscoveryResponder AnyRangeResponder(uint64_t uid) {
    SimDiscoveryResponder r;
    r.uid = uid;
    r.answersEveryBranch = true;
    return r;
}
