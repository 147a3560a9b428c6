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
    position.id = IntegerField(json, "id");
    position.ticket = StringField(json, "ticket");
    position.pair = StringField(json, "pair");
    position.buy = SideFromText(StringField(json, "side"));
    position.lots = ToInt(IntegerField(json, "lots"), "lots");
    position.rate = NumberField(json, "rate");
    position.openedAt = IntegerField(json, "openedAt");
    return position;
}

Execution ExecutionFromJson(const Json& json)
{
    Execution execution;
    execution.seq = IntegerField(json, "seq");
    execution.time = IntegerField(json, "time");
    execution.kind = StringField(json, "kind");
    execution.pair = StringField(json, "pair");
    execution.buy = SideFromText(StringField(json, "side"));
    execution.lots = ToInt(IntegerField(json, "lots"), "lots");
    execution.rate = NumberField(json, "rate");
    execution.positionId = IntegerField(json, "positionId");
    execution.realized = NumberField(json, "realized");
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
    Json json = Json::object();
    json["id"] = position.id;
    json["ticket"] = position.ticket;
    json["pair"] = position.pair;
    json["side"] = SideText(position.buy);
    json["lots"] = position.lots;
    json["rate"] = position.rate;
    json["openedAt"] = position.openedAt;
    return json;
}

Json ExecutionToJson(const Execution& execution)
{
    Json json = Json::object();
    json["seq"] = execution.seq;
    json["time"] = execution.time;
    json["kind"] = execution.kind;
    json["pair"] = execution.pair;
    json["side"] = SideText(execution.buy);
    json["lots"] = execution.lots;
    json["rate"] = execution.rate;
    json["positionId"] = execution.positionId;
    json["realized"] = execution.realized;
    return json;
}

Json FiguresToJson(const Figures& figures)
{
    Json json = Json::object();
    json["deposit"] = figures.deposit;
    json["unrealized"] = figures.unrealized;
    json["valuation"] = figures.valuation;
    json["margin"] = figures.margin;
    return json;
}

Json AccountToJson(const Account& account, bool withHistory)
{
    Json json = Json::object();
    json["family"] = account.family;
    json["id"] = account.id;
    if (withHistory)
        json["password"] = account.password;
    json["name"] = account.name;
    json["currency"] = account.currency;
    json["deposit"] = account.deposit;
    json["unitSize"] = account.unitSize;
    json["counterTradeCloses"] = account.counterTradeCloses;
    json["ticketStyle"] = TicketStyleText(account.ticketStyle);
    json["oneTimeConfirmations"] = account.oneTimeConfirmations;
    json["executionCount"] = account.executionCount;
    json["passwordExpired"] = account.passwordExpired;
    Json positions = Json::array();
    for (const Position& position : account.positions)
        positions.push_back(PositionToJson(position));
    json["positions"] = positions;
    if (withHistory) {
        Json executions = Json::array();
        for (const Execution& execution : account.executions)
            executions.push_back(ExecutionToJson(execution));
        json["executions"] = executions;
    }
    return json;
}

Account AccountFromJson(const Json& json, const FamilyRules& defaults, bool withHistory)
{
    Account account;
    account.family = StringField(json, "family");
    account.id = StringField(json, "id");
    account.password = StringField(json, "password");
    account.name = StringField(json, "name", account.id);
    account.currency = StringField(json, "currency", defaults.currency);
    account.deposit = NumberField(json, "deposit", 0);
    account.unitSize = ToInt(IntegerField(json, "unitSize", defaults.unitSize), "unitSize");
    account.counterTradeCloses = BoolField(json, "counterTradeCloses", defaults.counterTradeCloses);
    account.ticketStyle = TicketStyleFromText(StringField(json, "ticketStyle"), defaults.ticketStyle);
    account.oneTimeConfirmations = BoolField(json, "oneTimeConfirmations", false);
    account.passwordExpired = BoolField(json, "passwordExpired", false);
    if (account.family.empty() || account.id.empty())
        throw BrokerError(BrokerError::Kind::Invalid, "an account needs a family and an id");
    if (account.unitSize <= 0 || !std::isfinite(account.deposit) || account.deposit < 0)
        throw BrokerError(BrokerError::Kind::Invalid, "unitSize must be positive and deposit not negative");
    if (withHistory) {
        for (const Json& item : ArrayField(json, "positions"))
            account.positions.push_back(PositionFromJson(item));
        for (const Json& item : ArrayField(json, "executions"))
                account.executions.push_back(ExecutionFromJson(item));
        account.executionCount =
            IntegerField(json, "executionCount", static_cast<long long>(account.executions.size()));
    }
    return account;
}

PositionSpec PositionSpecFromJson(const Json& json)
{
    PositionSpec spec;
    spec.pair = StringField(json, "pair");
    spec.buy = SideFromText(StringField(json, "side", "buy"));
    spec.lots = ToInt(IntegerField(json, "lots"), "lots");
    spec.rate = NumberField(json, "rate", 0);
    return spec;
}

} // namespace sim
