#include "reporting/SignalPositions.h"

#include "base/AkUnit.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "documents/SignalDocument.h"

#include <cmath>

namespace {

double NumberOr0(const std::string& text)
{
    double value = 0;
    return TryParseDecimal(text, value) ? value : 0;
}

bool IsTrue(const std::string& text)
{
    bool value = false;
    return TryParseBoolean(text, value) && value;
}

double SignalSum(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node signalPair, bool demoMode,
                 bool& readable)
{
    double sum = 0;
    const std::string pair = SignalName(signalPair);
    for (pugi::xml_node system : SignalSystems(signalPair)) {
        long long count = 0;
        long long slots = 0;
        if (!TryParseInteger(AttributeValue(system, "PositionCount"), count)) {
            readable = false;
            continue;
        }
        if (count == 0)
            continue;
        if (!TryParseInteger(AttributeValue(system, "UseSystemCount"), slots) || slots <= 0) {
            readable = false;
            continue;
        }
        const pugi::xml_node item = FindPortfolioItem(portfolio, pair, SignalName(system));
        if (item)
            sum += static_cast<double>(count) / static_cast<double>(slots) * AccountLeverage(item, account, demoMode);
    }
    return sum;
}

bool ReadsAsNumber(pugi::xml_node parent, const char* name, double& value)
{
    return TryParseDecimal(ChildValue(parent, name), value);
}

bool PositiveInteger(pugi::xml_node account, const char* name, long long& value)
{
    return TryParseInteger(ChildValue(account, name), value) && value > 0;
}

} // namespace

std::string FormatFactor(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(value * scale) / scale;
    return FormatDecimal(rounded == 0 ? 0 : rounded);
}

double AccountLeverage(pugi::xml_node item, pugi::xml_node account, bool demoMode)
{
    if (IsTrue(ChildValue(account, "AutoModelCase")))
        return NumberOr0(AttributeValue(item, demoMode ? "DemoModel" : "RealModel")) *
               NumberOr0(ChildValue(account, "AutoModelRatio"));
    return NumberOr0(NodeText(FindChildElementNoCase(item, LeverageElementName(account))));
}

TSignalTarget SignalTargetOf(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node signalPair,
                             bool demoMode)
{
    TSignalTarget target;
    target.Sum = SignalSum(account, portfolio, signalPair, demoMode, target.Readable);
    target.Readable &= ReadsAsNumber(account.child("Today"), "Balance", target.BaseAmount);
    double virtualFunds = 0;
    if (IsTrue(ChildValue(account, "VirtualBalanceMode"))) {
        target.Readable &= ReadsAsNumber(account, "VirtualBalance", virtualFunds);
        target.BaseAmount += virtualFunds;
    }
    target.Units = std::fabs(target.Sum * target.BaseAmount);
    if (IsYenAccount(account))
        target.Units = static_cast<double>(RoundHalfAway(target.Units / 100));
    long long unitSize = 0;
    long long minLot = 0;
    if (PositiveInteger(account, "AccountBaseUnitSize", unitSize) && PositiveInteger(account, "MinLotSize", minLot))
        target.Lots = minLot * RoundHalfAway(target.Units / static_cast<double>(unitSize) / static_cast<double>(minLot));
    else
        target.Readable = false;
    return target;
}

THeldPosition HeldPositionOf(pugi::xml_node account, const std::string& pair)
{
    THeldPosition held;
    const pugi::xml_node holding = account.child("Status").child("HoldPosition");
    if (IsTextElement(holding)) {
        held.state = THeldPosition::State::CheckFailed;
        return held;
    }
    const pugi::xml_node entry = FindChildElementNoCase(holding.child("Summary"), pair);
    if (ChildElements(entry).size() < 2)
        return held;
    held.state = THeldPosition::State::Held;
    held.trend = ChildValue(entry, "Trend");
    held.units = ReplaceAll(ChildValue(entry, "Units"), "-", "");
    held.openRate = ChildValue(entry, "OpenRate");
    return held;
}
