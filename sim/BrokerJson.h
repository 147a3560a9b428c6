#pragma once
// The broker records as JSON, shared by the state file and the control API.
// Sides are written "buy"/"sell"; readers raise JsonError or BrokerError on
// values that do not fit.

#include "BrokerTypes.h"
#include "JsonFields.h"

namespace sim {

Json PositionToJson(const Position& position);
Json ExecutionToJson(const Execution& execution);
Json FiguresToJson(const Figures& figures);
// The state file (withHistory) also keeps the password and the executions.
Json AccountToJson(const Account& account, bool withHistory);

// Missing fields take the family's defaults. withHistory also reads the
// stored positions and executions (the state file); without it they stay
// empty and the caller places positions through the broker.
Account AccountFromJson(const Json& json, const FamilyRules& defaults, bool withHistory);
PositionSpec PositionSpecFromJson(const Json& json);

std::string SideText(bool buy);
bool SideFromText(const std::string& side);

} // namespace sim
