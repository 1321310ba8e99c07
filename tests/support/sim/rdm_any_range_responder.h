#pragma once

#include <cstdint>

#include "support/sim/rdm_discovery_line.h"

// A broken responder met in the field: it answers every DISC_UNIQUE_BRANCH
// with its own UID, whether or not the UID lies in the branch. It
// acknowledges its mute and, once muted, keeps quiet like any other.
SimDiscoveryResponder AnyRangeResponder(uint64_t uid);
