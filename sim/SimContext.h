#pragma once
// Everything the simulator's pages share: the broker, the faults on order,
// the site sessions and the counters. One per running simulator.

#include "Broker.h"
#include "Counters.h"
#include "Faults.h"
#include "Sessions.h"

namespace sim {

struct SimContext {
    Broker broker;
    FaultBoard faults;
    SessionStore sessions;
    Counters counters;
};

} // namespace sim
