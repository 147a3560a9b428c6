#pragma once
// The two forms of `pellago --status`: Japanese text for a person, one JSON
// object (keys documented in the README) for monitoring.

#include "app/StatusReport.h"

#include <string>

std::string StatusText(const StatusReport& report);
std::string StatusJson(const StatusReport& report);
