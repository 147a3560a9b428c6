#include "trading/ModelCaseSettings.h"

#include "base/AkUnit.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"

#include <array>

namespace {

const std::array<const char*, 6> kModelCaseElements = {"AutoModelCase",      "AutoModelRatio", "VirtualBalanceMode",
                                                       "VirtualBalance",     "VarianceMode",   "VarianceTarget"};

bool HasAllValues(pugi::xml_node account)
{
    for (const char* name : kModelCaseElements)
        if (!IsTextElement(ChildNode(account, name))) return false;
    return true;
}

void FillView(pugi::xml_node account, TModelCaseView& view)
{
    view.AutoModelCase = ChildBoolean(account, "AutoModelCase");
    view.VirtualBalanceMode = ChildBoolean(account, "VirtualBalanceMode");
    view.VarianceMode = ChildBoolean(account, "VarianceMode");
    view.RatioPercent = FormatDecimal(ChildDecimal(account, "AutoModelRatio") * 100);
    view.VirtualBalance = ChildValue(account, "VirtualBalance");
    view.VarianceTarget = ChildValue(account, "VarianceTarget");
    view.RealBalance = ChildValue(ChildNode(account, "Today"), "Balance");
    const long long realBalance = RoundHalfAway(ParseDecimal(view.RealBalance, "Balance"));
    view.VirtualFunds = std::to_string(ParseInteger(view.VirtualBalance, "VirtualBalance") + realBalance);
}

} // namespace

bool ReadModelCaseView(pugi::xml_document& doc, int accountIndex, TModelCaseView& view)
{
    pugi::xml_node account = AccountAt(doc, accountIndex);
    if (!account || !HasAllValues(account)) return false;
    try {
        FillView(account, view);
    } catch (const DocumentValueError&) {
        return false;
    }
    return true;
}

bool SaveModelCaseInput(int accountIndex, const TModelCaseInput& input,
                        const std::function<void(const std::string&)>& log, const std::string& accountPath)
{
    pugi::xml_document doc;
    if (!LoadAccountDocument(doc, accountPath)) return false;
    pugi::xml_node account = AccountAt(doc, accountIndex);
    if (!account) return false;
    SetChildValue(account, "AutoModelCase", BooleanText(input.AutoModelCase));
    SetChildValue(account, "VirtualBalanceMode", BooleanText(input.VirtualBalanceMode));
    SetChildValue(account, "VarianceMode", BooleanText(input.VarianceMode));
    const std::string tag = "[" + AccountName(account) + "] ";
    double percent = 0;
    if (TryParseDecimal(input.RatioPercent, percent))
        SetChildValue(account, "AutoModelRatio", FormatDecimal(percent / 100));
    else
        log(tag + "レバレッジ適用比率 '" + input.RatioPercent + "' は数値ではありません");
    // Sizing adds the difference to the balance: a text there would stop the account trading.
    long long difference = 0;
    if (TryParseInteger(input.VirtualBalance, difference))
        SetChildValue(account, "VirtualBalance", input.VirtualBalance);
    else
        log(tag + "仮想資金の差額 '" + input.VirtualBalance + "' は数値ではありません");
    SetChildValue(account, "VarianceTarget", input.VarianceTarget);
    return SaveAccountDocument(doc, accountPath);
}
