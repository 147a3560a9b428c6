#include "broker/SessionTimings.h"

namespace {

TSessionTimings defaults;

} // namespace

TSessionTimings DefaultSessionTimings() { return defaults; }
void SetDefaultSessionTimings(const TSessionTimings& timings) { defaults = timings; }
