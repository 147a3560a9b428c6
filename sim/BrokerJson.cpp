#include "BrokerJson.h"


#include <cmath>
#include <limits>

namespace sim {

namespace {

int ToInt(long long value, const char* what)
{
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw BrokerError(BrokerError::Kind::Invalid, std::string(what) + " is out of range");
    return static_cast<int>(value);
}

std::string TicketStyleText(TicketStyle style)
{
    return style == TicketStyle::ExecutionTime ? "executionTime" : "orderNumber";
}

TicketStyle TicketStyleFromText(const std::string& text, TicketStyle fallback)
{
    if (text.empty())
        return fallback;
    if (text == "executionTime")
        return TicketStyle::ExecutionTime;
    if (text == "orderNumber")
        return TicketStyle::OrderNumber;
    throw BrokerError(BrokerError::Kind::Invalid, "unknown ticket style: " + text);
}

Position PositionFromJson(const Json& json)
{
    Position position;
    position.id = json.GetInteger("id");
    position.ticket = json.GetString("ticket");
    position.pair = json.GetString("pair");
    position.buy = SideFromText(json.GetString("side"));
    position.lots = ToInt(json.GetInteger("lots"), "lots");
    position.rate = json.GetNumber("rate");
    position.openedAt = json.GetInteger("openedAt");
    return position;
}

Execution ExecutionFromJson(const Json& json)
{
    Execution execution;
    execution.seq = json.GetInteger("seq");
    execution.time = json.GetInteger("time");
    execution.kind = json.GetString("kind");
    execution.pair = json.GetString("pair");
    execution.buy = SideFromText(json.GetString("side"));
    execution.lots = ToInt(json.GetInteger("lots"), "lots");
    execution.rate = json.GetNumber("rate");
    execution.positionId = json.GetInteger("positionId");
    execution.realized = json.GetNumber("realized");
    return execution;
}

} // namespace

std::string SideText(bool buy) { return buy ? "buy" : "sell"; }

bool SideFromText(const std::string& side)
{
    if (side == "buy")
        return true;
    if (side == "sell")
        return false;
    throw BrokerError(BrokerError::Kind::Invalid, "side must be \"buy\" or \"sell\", not \"" + side + "\"");
}

Json PositionToJson(const Position& position)
{
    Json json = Json::MakeObject();
    json.Set("id", position.id);
    json.Set("ticket", position.ticket);
    json.Set("pair", position.pair);
    json.Set("side", SideText(position.buy));
    json.Set("lots", position.lots);
    json.Set("rate", position.rate);
    json.Set("openedAt", position.openedAt);
    return json;
}

Json ExecutionToJson(const Execution& execution)
{
    Json json = Json::MakeObject();
    json.Set("seq", execution.seq);
    json.Set("time", execution.time);
    json.Set("kind", execution.kind);
    json.Set("pair", execution.pair);
    json.Set("side", SideText(execution.buy));
    json.Set("lots", execution.lots);
    json.Set("rate", execution.rate);
    json.Set("positionId", execution.positionId);
    json.Set("realized", execution.realized);
    return json;
}

Json FiguresToJson(const Figures& figures)
{
    Json json = Json::MakeObject();
    json.Set("deposit", figures.deposit);
    json.Set("unrealized", figures.unrealized);
    json.Set("valuation", figures.valuation);
    json.Set("margin", figures.margin);
    return json;
}

Json AccountToJson(const Account& account, bool withHistory)
{
    Json json = Json::MakeObject();
    json.Set("family", account.family);
    json.Set("id", account.id);
    if (withHistory)
        json.Set("password", account.password);
    json.Set("name", account.name);
    json.Set("currency", account.currency);
    json.Set("deposit", account.deposit);
    json.Set("unitSize", account.unitSize);
    json.Set("counterTradeCloses", account.counterTradeCloses);
    json.Set("ticketStyle", TicketStyleText(account.ticketStyle));
    json.Set("oneTimeConfirmations", account.oneTimeConfirmations);
    json.Set("executionCount", account.executionCount);
    json.Set("passwordExpired", account.passwordExpired);
    Json positions = Json::MakeArray();
    for (const Position& position : account.positions)
        positions.Push(PositionToJson(position));
    json.Set("positions", positions);
    if (withHistory) {
        Json executions = Json::MakeArray();
        for (const Execution& execution : account.executions)
            executions.Push(ExecutionToJson(execution));
        json.Set("executions", executions);
    }
    return json;
}

Account AccountFromJson(const Json& json, const FamilyRules& defaults, bool withHistory)
{
    Account account;
    account.family = json.GetString("family");
    account.id = json.GetString("id");
    account.password = json.GetString("password");
    account.name = json.GetString("name", account.id);
    account.currency = json.GetString("currency", defaults.currency);
    account.deposit = json.GetNumber("deposit", 0);
    account.unitSize = ToInt(json.GetInteger("unitSize", defaults.unitSize), "unitSize");
    account.counterTradeCloses = json.GetBool("counterTradeCloses", defaults.counterTradeCloses);
    account.ticketStyle = TicketStyleFromText(json.GetString("ticketStyle"), defaults.ticketStyle);
    account.oneTimeConfirmations = json.GetBool("oneTimeConfirmations", false);
    account.passwordExpired = json.GetBool("passwordExpired", false);
    if (account.family.empty() || account.id.empty())
        throw BrokerError(BrokerError::Kind::Invalid, "an account needs a family and an id");
    if (account.unitSize <= 0 || !std::isfinite(account.deposit) || account.deposit < 0)
        throw BrokerError(BrokerError::Kind::Invalid, "unitSize must be positive and deposit not negative");
    if (withHistory) {
        for (const Json& item : json.Get("positions").AsArray())
            account.positions.push_back(PositionFromJson(item));
        if (json.Has("executions"))
            for (const Json& item : json.Get("executions").AsArray())
                account.executions.push_back(ExecutionFromJson(item));
        account.executionCount =
            json.GetInteger("executionCount", static_cast<long long>(account.executions.size()));
    }
    return account;
}

PositionSpec PositionSpecFromJson(const Json& json)
{
    PositionSpec spec;
    spec.pair = json.GetString("pair");
    spec.buy = SideFromText(json.GetString("side", "buy"));
    spec.lots = ToInt(json.GetInteger("lots"), "lots");
    spec.rate = json.GetNumber("rate", 0);
    return spec;
}

} // namespace sim
