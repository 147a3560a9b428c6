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

double Leverage(pugi::xml_node account, pugi::xml_node portfolio, const std::string& pair,
                const std::string& system, bool demoMode)
{
    const pugi::xml_node item = FindChildByName(FindChildByName(portfolio, pair), system);
    if (!item)
        return 0;
    if (IsTrue(ChildValue(account, "AutoModelCase")))
        return NumberOr0(AttributeValue(item, demoMode ? "DemoModel" : "RealModel")) *
               NumberOr0(ChildValue(account, "AutoModelRatio"));
    return NumberOr0(NodeText(FindChildElementNoCase(item, LeverageElementName(account))));
}

double SignalSum(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node signalPair, bool demoMode)
{
    double sum = 0;
    const std::string pair = SignalName(signalPair);
    for (pugi::xml_node system : SignalSystems(signalPair)) {
        long long count = 0;
        long long slots = 0;
        if (!TryParseInteger(AttributeValue(system, "PositionCount"), count) || count == 0 ||
            !TryParseInteger(AttributeValue(system, "UseSystemCount"), slots) || slots == 0)
            continue;
        sum += static_cast<double>(count) / static_cast<double>(slots) *
               Leverage(account, portfolio, pair, SignalName(system), demoMode);
    }
    return sum;
}

} // namespace

std::string FormatFactor(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(value * scale) / scale;
    return FormatDecimal(rounded == 0 ? 0 : rounded);
}

TSignalTarget SignalTargetOf(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node signalPair,
                             bool demoMode)
{
    TSignalTarget target;
    target.Sum = SignalSum(account, portfolio, signalPair, demoMode);
    const pugi::xml_node today = account.child("Today");
    target.BaseAmount = NumberOr0(ChildValue(today, "Balance"));
    if (IsTrue(ChildValue(account, "VirtualBalanceMode")))
        target.BaseAmount += NumberOr0(ChildValue(account, "VirtualBalance"));
    target.Units = std::fabs(target.Sum * target.BaseAmount);
    if (IsYenAccount(account))
        target.Units = static_cast<double>(RoundHalfAway(target.Units / 100));
    long long unitSize = 0;
    long long minLot = 0;
    if (TryParseInteger(ChildValue(account, "AccountBaseUnitSize"), unitSize) && unitSize > 0 &&
        TryParseInteger(ChildValue(account, "MinLotSize"), minLot) && minLot > 0)
        target.Lots = minLot * RoundHalfAway(target.Units / static_cast<double>(unitSize) / static_cast<double>(minLot));
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
