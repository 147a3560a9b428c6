#include "trading/Sizing.h"

#include "base/AkUnit.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "documents/SignalDocument.h"

#include <cmath>
#include <limits>

namespace {

double ModelCaseLeverage(pugi::xml_node item, pugi::xml_node account, bool realMode)
{
    const char* model = realMode ? "RealModel" : "DemoModel";
    return ChildDecimal(account, "AutoModelRatio") * ParseDecimal(AttributeValue(item, model), model);
}

std::int32_t PositiveInt32(pugi::xml_node parent, const std::string& name)
{
    const std::int32_t value = ChildInt32(parent, name);
    if (value <= 0) throw DocumentValueError(name + " must be positive, not " + std::to_string(value));
    return value;
}

double SizingBase(pugi::xml_node account, double balance, const TradeLogFunction& log)
{
    const std::optional<double> funds = VirtualFunds(account, log);
    if (!funds) throw DocumentValueError("VirtualBalance of " + AccountName(account) + " is not a number");
    return *funds + balance;
}

// Rounds once, to a whole multiple of the order step.
std::int32_t RoundToStep(double lots, std::int32_t minLotSize)
{
    const double steps = lots / minLotSize;
    if (!std::isfinite(steps) || std::fabs(steps) * minLotSize > std::numeric_limits<std::int32_t>::max())
        throw DocumentValueError("target of " + FormatDecimal(lots) + " lots is out of range");
    return static_cast<std::int32_t>(RoundHalfAway(steps) * minLotSize);
}

double PairSum(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node pair, size_t index,
               bool realMode, const TradeLogFunction& log)
{
    double sum = 0;
    const std::string pairCode = SignalName(pair);
    for (pugi::xml_node system : SignalSystems(pair)) {
        const std::string systemName = SignalName(system);
        TPortfolioLeverage found = FindPortfolioLeverage(portfolio, pairCode, systemName, account, realMode, log);
        if (!found.Found) {
            log("[" + AccountName(account) + "] [" + std::to_string(index) + "] Portfolio = " + systemName +
                "は無効に設定されているので、スルーします");
            continue;
        }
        const std::int32_t slots = UseSystemCountOf(system);
        if (slots <= 0)
            throw DocumentValueError("UseSystemCount of " + systemName + " is " + std::to_string(slots));
        sum += PositionCountOf(system) * found.Leverage / slots;
    }
    return sum;
}

} // namespace

TPortfolioLeverage FindPortfolioLeverage(pugi::xml_node portfolio, const std::string& pair,
                                         const std::string& system, pugi::xml_node account, bool realMode,
                                         const TradeLogFunction& log)
{
    TPortfolioLeverage result;
    pugi::xml_node item = FindPortfolioItem(portfolio, pair, system);
    if (!item) return result;
    result.Found = true;
    pugi::xml_node leverage = ChildNode(item, LeverageElementName(account));
    if (IsTextElement(leverage)) {
        if (!ChildBoolean(account, "AutoModelCase"))
            result.Leverage = ParseDecimal(NodeText(leverage), leverage.name());
        else
            result.Leverage = ModelCaseLeverage(item, account, realMode);
    } else {
        MarkHidden(leverage);
        SetNodeText(leverage, "0");
    }
    log("[" + AccountName(account) + "] [" + pair + "] " + system + " = " + FormatDecimal(result.Leverage) + "倍");
    return result;
}

std::optional<double> VirtualFunds(pugi::xml_node account, const TradeLogFunction& log)
{
    if (!ChildBoolean(account, "VirtualBalanceMode")) return 0.0;
    const std::string text = ChildValue(account, "VirtualBalance");
    double funds = 0;
    if (TryParseDecimal(text, funds)) return funds;
    log("[" + AccountName(account) + "] Error! 仮想資金の差額(VirtualBalance) '" + text +
        "' が数値ではないため、この口座の取引を見送ります。「モデルケース・仮想資金」タブで差額を入力し直してください");
    return std::nullopt;
}

bool ComputeTargets(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node holdPositionSummary,
                    double balance, bool realMode, const bool& cancelRequested, const TradeLogFunction& log,
                    TUnitSizeArray& targets)
{
    targets.clear();
    const std::int32_t minLotSize = PositiveInt32(account, "MinLotSize");
    const std::vector<pugi::xml_node> pairs = SignalPairs(holdPositionSummary);
    for (size_t n = 0; n < pairs.size(); ++n) {
        if (cancelRequested) return false;
        const double sum = PairSum(account, portfolio, pairs[n], n, realMode, log);
        double value = sum * SizingBase(account, balance, log);
        if (IsYenAccount(account)) value /= 100;
        value /= PositiveInt32(account, "AccountBaseUnitSize");
        targets.push_back(TUnitSize{RoundToStep(value, minLotSize), SignalName(pairs[n])});
    }
    return true;
}
