#pragma once

#include <cstdint>

#include "support/sim/rdm_discovery_line.h"

// A responder that never acknowledges its DISC_MUTE and is not muted by it:
// it goes on answering every branch that holds its UID. With `anyRange` it
// answers every branch whatever the range as well, the worst a line can hold.
SimDiscoveryResponder UnmutableResponder(uint64_t uid, bool anyRange = false);
