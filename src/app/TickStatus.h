#pragma once
// The one line that tells a service manager how the last trade run ended
// ("自動売買は正常に終了しました (2026/12/10 10:00:00)").

#include "app/AutoTradeCycle.h"
#include "base/Clock.h"

#include <cstdint>
#include <string>

// Empty for a tick that ran no trade (market closed, nothing new, a
// hand-over): the last run's line stays. `interval` is the timer's next one.
std::string TickStatus(TickOutcome outcome, std::int64_t interval, const DateTime& when);
